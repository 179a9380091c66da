#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "net/temp_file_stream.h"

namespace parvex {
namespace {

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

TEST(TempFileStream, UniqueMxFileThatIsGoneAfterwards) {
  std::string first;
  {
    TTempFileStream stream;
    TTempFileStream other;
    first = stream.FileName();
    EXPECT_NE(first, other.FileName());
    const std::string base = first.substr(first.find_last_of("/\\") + 1);
    EXPECT_EQ(base.rfind("mx", 0), 0u) << first;
    EXPECT_TRUE(Exists(first));

    stream.WriteString("line one\r\n.\r\n");
    stream.SetPosition(0);
    char back[13] = {};
    EXPECT_EQ(stream.Read(back, sizeof back), 13u);
    EXPECT_EQ(std::string(back, 13), "line one\r\n.\r\n");
  }
  EXPECT_FALSE(Exists(first));
}

}  // namespace
}  // namespace parvex
