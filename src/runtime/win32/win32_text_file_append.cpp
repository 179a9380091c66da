#include <windows.h>

#include "runtime/exceptions.h"
#include "runtime/text_file_append.h"
#include "runtime/win32/scoped_handle.h"
#include "runtime/win32/system_error.h"

namespace parvex {
namespace {

[[noreturn]] void Fail(const std::string& fileName, DWORD error) {
  throw Exception(AppendFailureMessage(fileName, SystemErrorText(error)));
}

}  // namespace

void AppendToTextFile(const std::string& fileName, std::string_view bytes) {
  // A file marked read-only is left alone even where the file system would let
  // the write through (Wine running as root does).
  const DWORD attributes = GetFileAttributesA(fileName.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    Fail(fileName, ERROR_ACCESS_DENIED);
  // Opens an existing file, or creates it.
  FileHandle file(CreateFileA(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) Fail(fileName, GetLastError());
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(file.Get(), zero, nullptr, FILE_END)) Fail(fileName, GetLastError());
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), chunk, &written, nullptr)) Fail(fileName, GetLastError());
    if (written == 0) Fail(fileName, ERROR_WRITE_FAULT);
    bytes.remove_prefix(written);
  }
  // Closed here, so that a failed close is reported rather than ignored.
  if (!CloseHandle(file.release())) Fail(fileName, GetLastError());
}

}  // namespace parvex
