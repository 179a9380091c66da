#include "runtime/win32/registry.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/win32/scratch_registry_key.h"
#include "support/message_of.h"

namespace parvex {
namespace {

using RegistryTest = testing::ScratchRegistryKey;
using testing::MessageOf;

TEST_F(RegistryTest, SectionsAreSubkeysOfStringValues) {
  {
    TRegIniFile store(HKEY_CURRENT_USER, path_);
    EXPECT_EQ(store.readValue("Opts", "New"), std::nullopt);  // no section yet
    WriteBool(store, "Opts", "New", false);
    WriteInteger(store, "Opts", "NumRecip", 3);
    WriteString(store, "Start", "Dir1", "C:\\a b");
  }
  EXPECT_EQ(typeOf("Opts", "New"), static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(typeOf("Opts", "NumRecip"), static_cast<DWORD>(REG_SZ));
  const TRegIniFile store(HKEY_CURRENT_USER, path_);
  EXPECT_EQ(store.readValue("Opts", "New"), std::optional<std::string>("0"));
  EXPECT_EQ(ReadInteger(store, "Opts", "NumRecip", -1), 3);
  EXPECT_EQ(ReadString(store, "Start", "Dir1", ""), "C:\\a b");
  EXPECT_EQ(store.readValue("Opts", "Missing"), std::nullopt);
  EXPECT_TRUE(ReadBool(store, "Opts", "Missing", true));
}

TEST_F(RegistryTest, OtherValueTypesCannotBeRead) {
  const DWORD number = 1;
  putRaw("Opts", "New", REG_DWORD, &number, sizeof(number));
  putRaw("Opts", "Wav", REG_BINARY, "ab", 2);
  putRaw("Opts", "Server", REG_EXPAND_SZ, "mail", 5);
  putRaw("Opts", "Sender", REG_SZ, "no terminator", 13);
  const TRegIniFile store(HKEY_CURRENT_USER, path_);
  EXPECT_EQ(MessageOf([&] { ReadBool(store, "Opts", "New", true); }), "Invalid data type for 'New'");
  EXPECT_EQ(MessageOf([&] { ReadString(store, "Opts", "Wav", ""); }), "Invalid data type for 'Wav'");
  EXPECT_EQ(ReadString(store, "Opts", "Server", ""), "mail");
  EXPECT_EQ(ReadString(store, "Opts", "Sender", ""), "no terminator");
}

TEST_F(RegistryTest, FailuresCarryTheirMessages) {
  const HKEY bogus = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7654321));
  EXPECT_EQ(MessageOf([&] { TRegIniFile store(bogus, "Software\\X"); }), "Failed to create key Software\\X");
  TRegIniFile store(HKEY_CURRENT_USER, path_);
  // Value names are limited in length; an overlong one cannot be set.
  const std::string hugeName(20000, 'n');
  EXPECT_EQ(MessageOf([&] { WriteString(store, "Opts", hugeName, "v"); }), "Failed to set data for '" + hugeName + "'");
}

}  // namespace
}  // namespace parvex
