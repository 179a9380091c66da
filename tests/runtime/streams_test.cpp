// The framework's byte streams, as the encoder and the SMTP client use them.
#include "runtime/streams.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace parvex {
namespace {

std::string TempPath(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

TEST(MemoryStream, ReadWriteSeekAndSize) {
  TMemoryStream s;
  EXPECT_EQ(s.Size(), 0);
  char buffer[8] = {};
  EXPECT_EQ(s.Read(buffer, 8), 0u);  // empty stream
  s.WriteString("hello");
  EXPECT_EQ(s.Position(), 5);
  s.SetPosition(1);
  EXPECT_EQ(s.Read(buffer, 8), 4u);
  EXPECT_EQ(std::string(buffer, 4), "ello");
  s.Seek(2, soEnd);
  s.WriteString("!");
  EXPECT_EQ(s.AsString(), std::string("hello\0\0!", 8));
  s.SetSize(2);
  EXPECT_EQ(s.Position(), 2);
  EXPECT_EQ(s.AsString(), "he");
  EXPECT_THROW(s.Seek(-1, soBeginning), ERangeError);
  EXPECT_THROW(s.ReadBuffer(buffer, 1), EReadError);
}

TEST(MemoryStream, CopyFromAndLines) {
  TMemoryStream source;
  source.WriteString("one\r\ntwo\nthree\rfour");
  TMemoryStream copy;
  EXPECT_EQ(copy.CopyFrom(source, 0), 19);
  copy.SetPosition(0);
  std::string line;
  std::vector<std::string> lines;
  while (copy.ReadLine(line)) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three", "four"}));
}

TEST(FileStream, CreateWriteReopenAndResize) {
  const std::string path = TempPath("parvex_stream_test.bin");
  {
    TFileStream f(path, fmCreate);
    f.WriteString("abcdef");
    f.SetPosition(0);
    char c[3] = {};
    f.ReadBuffer(c, 3);
    EXPECT_EQ(std::string(c, 3), "abc");
    f.WriteString("XY");  // a write right after a read
    EXPECT_EQ(f.Size(), 6);
    f.SetSize(4);
    EXPECT_EQ(f.Size(), 4);
  }
  {
    TFileStream f(path, fmOpenRead);
    std::string all(4, '\0');
    f.ReadBuffer(all.data(), 4);
    EXPECT_EQ(all, "abcX");
    EXPECT_EQ(f.Write("z", 1), 0u);  // read-only
    f.Close();
    EXPECT_EQ(f.Read(all.data(), 1), 0u);
  }
  TMemoryStream loaded;
  loaded.LoadFromFile(path);
  EXPECT_EQ(loaded.AsString(), "abcX");
  std::remove(path.c_str());
}

TEST(FileStream, ErrorsNameTheFile) {
  const std::string missing = TempPath("parvex_no_such_dir/none.txt");
  try {
    TFileStream f(missing, fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message().rfind("Cannot open file \"" + missing + "\"", 0), 0u) << e.Message();
  }
  try {
    TFileStream f(missing, fmCreate);
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message().rfind("Cannot create file \"" + missing + "\"", 0), 0u) << e.Message();
  }
}

}  // namespace
}  // namespace parvex
