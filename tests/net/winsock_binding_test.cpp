// The binding of "wsock32.dll" by name, over a loader that can be told to fail.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "net/net_errors.h"
#include "net/nswinsock.h"
#include "support/message_of.h"

namespace parvex {
namespace {

using testing::MessageOf;

int PARVEX_WINAPI FakeCleanup() { return 7; }

class FakeLoader final : public LibraryLoader {
 public:
  LibraryHandle handleToGive = 0x4000;
  std::map<std::string, void*> exports;
  unsigned errorMode = 0;
  unsigned modeDuringLoad = 0;
  int loads = 0;
  int frees = 0;

  unsigned SetProcessErrorMode(unsigned mode) override {
    unsigned previous = errorMode;
    errorMode = mode;
    return previous;
  }
  LibraryHandle LoadModule(const std::string& name) override {
    ++loads;
    modeDuringLoad = errorMode;
    return name == "wsock32.dll" ? handleToGive : 0;
  }
  void ReleaseModule(LibraryHandle) override { ++frees; }
  void* FindProc(LibraryHandle library, const std::string& name) override {
    if (library == 0) return nullptr;
    auto it = exports.find(name);
    return it == exports.end() ? nullptr : it->second;
  }
  std::string LoadResourceString(LibraryHandle, unsigned) override { return {}; }
};

TEST(WinsockBinding, LoadsQuietlyAndRestoresTheErrorMode) {
  FakeLoader loader;
  loader.errorMode = 1;
  TnsWinsock winsock(loader);
  winsock.Load();
  EXPECT_TRUE(winsock.Loaded());
  EXPECT_EQ(loader.modeDuringLoad, 0x8000u);
  EXPECT_EQ(loader.errorMode, 1u);
  winsock.Unload();
  EXPECT_FALSE(winsock.Loaded());
  EXPECT_EQ(loader.frees, 1);
  winsock.Unload();  // a second unload does nothing
  EXPECT_EQ(loader.frees, 1);
}

TEST(WinsockBinding, MissingOrBogusLibraryIsNotFound) {
  for (LibraryHandle given : {LibraryHandle{0}, LibraryHandle{31}}) {
    FakeLoader loader;
    loader.handleToGive = given;
    TnsWinsock winsock(loader);
    EXPECT_EQ(MessageOf<EWinsockDLLError>([&] { winsock.Load(); }), "Winsock not found") << given;
    EXPECT_FALSE(winsock.Loaded());
  }
}

TEST(WinsockBinding, EveryCallLooksItsEntryPointUpByName) {
  FakeLoader loader;
  TnsWinsock winsock(loader);
  EXPECT_EQ(MessageOf<EWinsockDLLError>([&] { winsock.WSACleanup(); }), "Winsock is not loaded");
  EXPECT_EQ(MessageOf<EWinsockDLLError>([&] { winsock.inet_addr("1.2.3.4"); }), "Function inet_addr not found");

  winsock.Load();
  EXPECT_EQ(MessageOf<EWinsockDLLError>([&] { winsock.WSACleanup(); }), "Function WSACleanup not found");
  loader.exports["WSACleanup"] = reinterpret_cast<void*>(&FakeCleanup);
  EXPECT_EQ(winsock.WSACleanup(), 7);
  // Nothing is cached: an entry point that goes away is missed at the next call.
  loader.exports.clear();
  EXPECT_EQ(MessageOf<EWinsockDLLError>([&] { winsock.WSACleanup(); }), "Function WSACleanup not found");
}

}  // namespace
}  // namespace parvex
