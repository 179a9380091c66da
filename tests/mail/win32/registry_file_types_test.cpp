// Content types from the classes root, and the ANSI charset name, under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "mail/ansi_charset.h"
#include "mail/file_types.h"

namespace parvex {
namespace {

class TestExtension {
 public:
  TestExtension(const char* extension, const char* contentType) : extension_(extension) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, extension, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (key && contentType)
      RegSetValueExA(key, "Content Type", 0, REG_SZ, reinterpret_cast<const BYTE*>(contentType),
                     static_cast<DWORD>(std::string(contentType).size() + 1));
    if (key) RegCloseKey(key);
  }
  ~TestExtension() { RegDeleteKeyA(HKEY_CLASSES_ROOT, extension_.c_str()); }

 private:
  std::string extension_;
};

TEST(RegistryFileTypes, ReadsTheContentTypeValue) {
  TestExtension known(".parvexmail1", "application/x-parvex");
  TestExtension empty(".parvexmail2", "");
  TestExtension noValue(".parvexmail3", nullptr);
  EXPECT_EQ(ContentTypeForFile("C:\\Some Dir\\report.parvexmail1"), "application/x-parvex");
  EXPECT_EQ(ContentTypeForFile("report.parvexmail2"), "application/octet-stream");
  EXPECT_EQ(ContentTypeForFile("report.parvexmail3"), "application/octet-stream");
  EXPECT_EQ(ContentTypeForFile("report.parvexnone"), "application/octet-stream");
  EXPECT_EQ(ContentTypeForFile("C:\\dir.parvexmail1\\noextension"), "application/octet-stream");
}

TEST(AnsiCharset, NamesTheProcessCodePage) {
  const std::string name = AnsiCodePageCharset();
  EXPECT_FALSE(name.empty());
  if (GetACP() == 1252) {
    EXPECT_EQ(name, "windows-1252");
  }
}

}  // namespace
}  // namespace parvex
