#!/usr/bin/env python3
"""Prints what Windows shows of an executable's resources, as JSON: the machine,
the version resource (Properties, Details), the manifest and the icon groups.
Reads the PE file directly, so it runs natively for both architectures."""
import json
import struct
import sys

RT_ICON_GROUP, RT_VERSION, RT_MANIFEST = 14, 16, 24


def sections(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    machine, count, _, _, _, opt_size = struct.unpack_from("<HHIIIH", data, pe + 4)
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    dirs = opt + (96 if magic == 0x10B else 112)
    rsrc_rva = struct.unpack_from("<I", data, dirs + 2 * 8)[0]
    table = opt + opt_size
    secs = [struct.unpack_from("<8sIIII", data, table + 40 * i) for i in range(count)]
    return machine, rsrc_rva, [(s[2], max(s[1], s[3]), s[4]) for s in secs]


def file_offset(secs, rva):
    for start, size, raw in secs:
        if start <= rva < start + size:
            return raw + rva - start
    raise ValueError("address outside every section")


def resources(data):
    """{(type, name): bytes} for every leaf; string names are left out."""
    machine, rsrc_rva, secs = sections(data)
    found = {}
    if not rsrc_rva:
        return machine, found
    base = file_offset(secs, rsrc_rva)

    def walk(offset, path):
        named, ids = struct.unpack_from("<HH", data, base + offset + 12)
        for i in range(named + ids):
            ident, target = struct.unpack_from("<II", data, base + offset + 16 + 8 * i)
            key = path + [None if ident & 0x80000000 else ident]
            if target & 0x80000000:
                walk(target & 0x7FFFFFFF, key)
            else:
                rva, size = struct.unpack_from("<II", data, base + target)
                start = file_offset(secs, rva)
                found.setdefault((key[0], key[1]), data[start:start + size])

    walk(0, [])
    return machine, found


def version_strings(block):
    """The StringFileInfo values and the fixed file version of a VS_VERSIONINFO."""
    values = {}

    def node(offset, end):
        length, value_length, kind = struct.unpack_from("<HHH", block, offset)
        key_end = offset + 6
        while block[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = block[offset + 6:key_end].decode("utf-16-le")
        value_at = (key_end + 2 + 3) & ~3
        return key, length, value_length, kind, value_at, min(offset + length, end)

    key, length, value_length, _, value_at, end = node(0, len(block))
    fixed = struct.unpack_from("<13I", block, value_at)
    file_version = "%d.%d.%d.%d" % (fixed[2] >> 16, fixed[2] & 0xFFFF, fixed[3] >> 16, fixed[3] & 0xFFFF)

    def children(offset, end):
        offset = (offset + 3) & ~3
        while offset < end:
            item = node(offset, end)
            yield item
            offset = (offset + item[1] + 3) & ~3

    for key, _, vlen, _, at, end2 in children(value_at + value_length, end):
        if key != "StringFileInfo":
            continue
        for _, _, _, _, table_at, table_end in children(at, end2):
            for name, _, vlen2, _, v_at, _ in children(table_at, table_end):
                values[name] = block[v_at:v_at + 2 * vlen2].decode("utf-16-le").rstrip("\0")
    return file_version, values


def icon_sizes(group):
    """The square sizes in an icon group (GRPICONDIR: 14-byte entries; 0 is 256)."""
    if len(group) < 6:
        return []
    count = struct.unpack_from("<H", group, 4)[0]
    return sorted((group[6 + 14 * i] or 256) for i in range(count) if 6 + 14 * (i + 1) <= len(group))


def describe(path):
    with open(path, "rb") as f:
        data = f.read()
    machine, found = resources(data)
    info = {"machine": {0x14C: "i686", 0x8664: "x86_64"}.get(machine, hex(machine)),
            "icon_groups": sorted(n for (t, n) in found if t == RT_ICON_GROUP and n is not None),
            "icon_sizes": icon_sizes(found.get((RT_ICON_GROUP, 1), b"")),
            "manifest": None, "fixed_file_version": None, "strings": {}}
    for (kind, _), blob in sorted(found.items(), key=lambda item: str(item[0])):
        if kind == RT_MANIFEST:
            info["manifest"] = blob.decode("utf-8")
        elif kind == RT_VERSION:
            info["fixed_file_version"], info["strings"] = version_strings(blob)
    return info


if __name__ == "__main__":
    print(json.dumps(describe(sys.argv[1]), indent=1))
