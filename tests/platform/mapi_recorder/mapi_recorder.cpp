// A stand-in MAPI32.DLL for the tests: exports the four Simple MAPI calls by
// their names and writes each call with its arguments, one line each, to the file
// named by PARVEX_MAPI_LOG (a recipient as "class:name<address>entry ID size:bytes").
// PARVEX_MAPI_RESULTS ("logon=3,send=2,resolve:bob=14")
// chooses what a call answers; everything else succeeds.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/simple_mapi.h"

using namespace parvex::mapi;

namespace {

std::string env(const char* name) {
  char value[4096] = {};
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

void record(const std::string& line) {
  const std::string path = env("PARVEX_MAPI_LOG");
  if (path.empty()) return;
  if (FILE* f = std::fopen(path.c_str(), "ab")) {
    std::fputs((line + "\n").c_str(), f);
    std::fclose(f);
  }
}

Ulong result(const std::string& key) {
  const std::string all = "," + env("PARVEX_MAPI_RESULTS") + ",";
  const std::size_t at = all.find("," + key + "=");
  return at == std::string::npos ? 0 : static_cast<Ulong>(std::atoi(all.c_str() + at + key.size() + 2));
}

std::string hex(Ulong v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02lx", static_cast<unsigned long>(v));
  return text;
}

std::string visible(const char* text) {
  std::string out;
  for (const char* p = text ? text : ""; *p; ++p)
    out += *p == '\r' ? std::string("\\r") : *p == '\n' ? "\\n" : std::string(1, *p);
  return out;
}

// Logs an entry ID's size and bytes in hex: "4:00ff0e7f".
std::string entryId(Ulong size, const void* id) {
  std::string out = std::to_string(size) + ":";
  for (Ulong i = 0; id && i < size; ++i) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", static_cast<const unsigned char*>(id)[i]);
    out += pair;
  }
  return out;
}

// A resolved recipient's address and entry ID differ from the name given, and
// the entry ID holds a zero byte, so the sender must copy them as they are.
struct Resolved {
  MapiRecipDesc desc;
  char name[300];
  char address[310];
  unsigned char id[4];
};

}  // namespace

extern "C" __declspec(dllexport) Ulong
    __stdcall MAPILogon(UiParam ui, char* profile, char* password, Ulong flags, Ulong, Handle* session) {
  record("logon flags=" + hex(flags) + " profile=" + visible(profile) + " password=" + visible(password));
  if (Ulong r = result("logon")) return r;
  *session = 4711;
  return 0;
}

extern "C" __declspec(dllexport) Ulong
    __stdcall MAPIResolveName(Handle session, UiParam, char* name, Ulong flags, Ulong, MapiRecipDesc** out) {
  record("resolve session=" + std::to_string(session) + " flags=" + hex(flags) + " name=" + visible(name));
  if (Ulong r = result("resolve:" + std::string(name))) return r;
  auto* resolved = static_cast<Resolved*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Resolved)));
  std::snprintf(resolved->name, sizeof resolved->name, "%s", name);
  resolved->desc.ulRecipClass = 7;  // the sender must put the list's own class
  resolved->desc.lpszName = resolved->name;
  std::snprintf(resolved->address, sizeof resolved->address, "SMTP:%s", name);
  resolved->desc.lpszAddress = resolved->address;
  const unsigned char id[] = {0x00, 0xff, static_cast<unsigned char>(std::strlen(name)), 0x7f};
  std::memcpy(resolved->id, id, sizeof id);
  resolved->desc.ulEIDSize = sizeof id;
  resolved->desc.lpEntryID = resolved->id;
  *out = &resolved->desc;
  return 0;
}

extern "C" __declspec(dllexport) Ulong
    __stdcall MAPISendMail(Handle session, UiParam ui, MapiMessage* m, Ulong flags, Ulong) {
  std::string line = "send session=" + std::to_string(session) + " flags=" + hex(flags) +
                     " window=" + (ui ? "yes" : "no") + " subject=" + visible(m->lpszSubject) +
                     " L=" + std::to_string(m->lpszNoteText ? std::strlen(m->lpszNoteText) : 0) +
                     " note=" + visible(m->lpszNoteText) + " recips=";
  for (Ulong i = 0; i < m->nRecipCount; ++i)
    line += std::to_string(m->lpRecips[i].ulRecipClass) + ":" + visible(m->lpRecips[i].lpszName) + "<" +
            visible(m->lpRecips[i].lpszAddress) + ">" + entryId(m->lpRecips[i].ulEIDSize, m->lpRecips[i].lpEntryID) +
            ";";
  line += " files=";
  for (Ulong i = 0; i < m->nFileCount; ++i)
    line += std::to_string(m->lpFiles[i].nPosition) + ":" + visible(m->lpFiles[i].lpszPathName) + ";";
  record(line);
  return result("send");
}

extern "C" __declspec(dllexport) Ulong __stdcall MAPIFreeBuffer(void* buffer) {
  record("free " + std::string(static_cast<Resolved*>(buffer)->name));
  HeapFree(GetProcessHeap(), 0, buffer);
  return 0;
}
