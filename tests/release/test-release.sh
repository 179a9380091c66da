#!/usr/bin/env bash
# Tests the release files that scripts/make-release made in build/release:
#  - the zips open with unzip and hold exactly parvex.exe, README.txt and LICENSE.txt,
#    parvex.exe being the build of their architecture as shipped: at most 1 MB,
#    no debug sections, its symbols kept beside the release;
#  - both builds carry the version of VERSION, the icon and the same manifest;
#  - under Wine, on a fresh prefix of its own, the installer this machine can run
#    installs, upgrades and uninstalls as it should (tests/release/win32), and its
#    pages are saved as screenshots in <build>/screenshots.
# The Xvfb and the Wine servers it starts are stopped when it ends, passed or not.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
. scripts/lib/windows-env.sh

version=$(head -n 1 VERSION | tr -d '\r')
out=build/release
exe32=$(parvex_exe i686)
exe64=$(parvex_exe x86_64)
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

check_zip() {
  local bits=$1 exe=$2 zip listing tmp
  zip=$out/parvex-$version-win$bits.zip
  [ -f "$zip" ] || { fail "$zip is missing"; return; }
  unzip -tq "$zip" >/dev/null || fail "$zip does not test clean with unzip"
  listing=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
  [ "$listing" = "LICENSE.txt README.txt parvex.exe " ] || fail "$zip holds: $listing"
  tmp=$(mktemp -d)
  unzip -q "$zip" -d "$tmp"
  cmp -s "$tmp/parvex.exe" "$exe" || fail "parvex.exe in $zip is not $exe"
  grep -q "Parvex 2000 $version" "$tmp/README.txt" || fail "README.txt in $zip does not name version $version"
  grep -q "HKEY_CURRENT_USER.Software.Brenmark Corporation.Parvex2000" "$tmp/README.txt" ||
    fail "README.txt in $zip does not say where the settings live"
  grep -q "Brenmark Corporation" "$tmp/LICENSE.txt" || fail "LICENSE.txt in $zip is not the licence"
  rm -rf "$tmp"
  echo "checked $zip: $listing"
}

check_resources() {
  python3 - "$version" "$exe32" "$exe64" "$out/parvex-$version-setup.exe" <<'EOF'
import sys
sys.path.insert(0, "tests/release")
from pe_resources import describe
version, builds = sys.argv[1], {"i686": sys.argv[2], "x86_64": sys.argv[3]}
setup = describe(sys.argv[4])["strings"]
ok = setup.get("ProductVersion") == version and setup.get("ProductName") == "Parvex 2000"
print("setup.exe: %s %s" % (setup.get("ProductName"), setup.get("ProductVersion")))
manifests = set()
for arch, exe in builds.items():
    info = describe(exe)
    strings = info["strings"]
    problems = []
    if info["machine"] != arch: problems.append("built for " + info["machine"])
    if info["fixed_file_version"] != version + ".0": problems.append("file version %s" % info["fixed_file_version"])
    for key in ("FileVersion", "ProductVersion"):
        if strings.get(key) != version: problems.append("%s %r" % (key, strings.get(key)))
    if strings.get("ProductName") != "Parvex 2000": problems.append("product name %r" % strings.get("ProductName"))
    if strings.get("CompanyName") != "Brenmark Corporation": problems.append("company %r" % strings.get("CompanyName"))
    if 1 not in info["icon_groups"]: problems.append("no icon 1")
    # The notification area and title bars at 100 to 200 %, and Explorer.
    missing = {16, 20, 24, 32, 48} - set(info["icon_sizes"])
    if missing: problems.append("icon 1 lacks the sizes %s" % sorted(missing))
    manifest = info["manifest"] or ""
    if ">true/pm</dpiAware>" not in manifest or ">PerMonitorV2" not in manifest:
        problems.append("not marked per-monitor DPI aware (v2)")
    if ">UTF-8</activeCodePage>" not in manifest: problems.append("UTF-8 not asked as the code page")
    if ">true</longPathAware>" not in manifest: problems.append("not marked long-path aware")
    manifests.add(manifest)
    print("%s %s: version %s, %s" % (arch, exe, strings.get("ProductVersion"), "; ".join(problems) or "ok"))
    ok = ok and not problems
if len(manifests) != 1:
    print("the two builds carry different manifests")
    ok = False
sys.exit(0 if ok else 1)
EOF
}

# One run of the installer tests on a fresh prefix: the driver of the prefix's
# architecture starts the installer, which installs the build of that Windows.
installer_tests() {
  local arch=$1 setup=$2 dir prefix
  dir=$(parvex_build_dir "$arch")
  prefix=$root/build/wine-prefix-release-$(parvex_win_name "$arch")
  export PARVEX_WINEPREFIX_WIN32=$root/build/wine-prefix-release-win32
  export PARVEX_WINEPREFIX_WIN64=$root/build/wine-prefix-release-win64
  cmake --build "$dir" -j "${PARVEX_JOBS:-1}" --target installer_tests >/dev/null || { fail "installer_tests did not build"; return; }
  # A fresh prefix each time: the tests begin on a machine without Parvex.
  rm -rf "$prefix"
  parvex_start_xvfb || { fail "Xvfb did not start"; return; }
  parvex_start_wine "$arch" || { fail "Wine did not start"; return; }
  mkdir -p "$dir/screenshots"
  scripts/wine-run "$dir/tests/release/installer_tests.exe" --gtest_color=no --setup="$root/$setup" \
    --version="$version" --arch="$arch" --screenshots="$root/$dir/screenshots" ||
    fail "installer tests under Wine ($setup on $arch Windows)"
  # The next run has a prefix of its own; nothing of this one stays running.
  parvex_stop_wine "$prefix"
  ls "$dir"/screenshots/installer-*.png 2>/dev/null
}

# The installer this machine can run: the real 32-bit one where 32-bit Wine
# runs, on 32-bit and on 64-bit Windows; elsewhere the same script compiled as a
# 64-bit program.
installer_under_wine() {
  local setup=$out/parvex-$version-setup.exe stub=build/release-test/parvex-$version-setup-amd64-stub.exe
  if [ "$PARVEX_WIN_ARCH" = i686 ]; then
    echo "Installer tests run the real 32-bit $setup ($PARVEX_WIN_REASON)."
    echo "On 32-bit Windows (32-bit Wine prefix) it must install the 32-bit build:"
    installer_tests i686 "$setup"
    echo "On 64-bit Windows (64-bit Wine prefix) it must install the 64-bit build:"
    installer_tests x86_64 "$setup"
  else
    echo "Installer tests run $stub, the same installer script compiled with NSIS's amd64 stub," \
      "not the real 32-bit setup, because $PARVEX_WIN_REASON."
    scripts/make-release --amd64-stub-installer "$stub" >/dev/null || { fail "the 64-bit test installer was not made"; return; }
    echo "On 64-bit Windows (64-bit Wine prefix) it must install the 64-bit build:"
    installer_tests x86_64 "$stub"
  fi
}

# Swapped builds must not ship under each other's names.
refuses_swapped_builds() {
  local tmp
  tmp=$(mktemp -d)
  if PARVEX_EXE32=$exe64 PARVEX_EXE64=$exe32 PARVEX_RELEASE_DIR=$tmp scripts/make-release >/dev/null 2>&1; then
    fail "make-release packed the x86_64 build as win32"
  fi
  [ -z "$(ls "$tmp")" ] || fail "make-release left files after refusing: $(ls "$tmp")"
  rm -rf "$tmp"
}

# What ships: small, without debug sections, its symbols beside the release.
check_shipped() {
  local bits=$1 arch=$2 exe=$out/stage/win$1/parvex.exe size sections symbols
  symbols=$out/parvex-$version-win$bits.debug
  [ -f "$exe" ] || { fail "no shipped parvex.exe for win$bits"; return; }
  size=$(stat -c %s "$exe")
  echo "parvex.exe (win$bits) as shipped: $size bytes (budget 1048576)"
  [ "$size" -le 1048576 ] || fail "parvex.exe (win$bits) is $size bytes, over the 1 MB budget"
  sections=$("$arch-w64-mingw32-objdump" -h "$exe" | awk '$2 ~ /^\.debug/ {print $2}' | tr '\n' ' ')
  [ -z "$sections" ] || fail "parvex.exe (win$bits) ships debug sections: $sections"
  "$arch-w64-mingw32-objdump" -h "$exe" | grep -q '\.gnu_debuglink' || fail "parvex.exe (win$bits) does not name its symbols"
  "$arch-w64-mingw32-nm" "$symbols" 2>/dev/null | grep -q ' T .*WinMain' || fail "$symbols holds no symbols"
}

check_shipped 32 i686
check_shipped 64 x86_64
exe32=$out/stage/win32/parvex.exe
exe64=$out/stage/win64/parvex.exe
check_zip 32 "$exe32"
check_zip 64 "$exe64"
check_resources || fail "version resources and manifests"
refuses_swapped_builds
parvex_choose_windows_build
installer_under_wine
[ "$failures" -eq 0 ] && echo "release tests: all passed" || echo "release tests: $failures failed"
[ "$failures" -eq 0 ]
