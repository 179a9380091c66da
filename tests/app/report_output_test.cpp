// The printed report and the text log as the summary panel's buttons put them out.
#include "app/report_output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/text_file_append.h"
#include "support/fake_text_measurer.h"
#include "support/message_of.h"
#include "support/temp_folder.h"

namespace parvex {
namespace {

// Each reading of the clock is one second later, so a test sees which reading a
// text came from: the date from the first, the time from the second.
class SteppingClock final : public UserClock {
 public:
  CivilTime now() const override { return {2026, 12, 7, 1, 40, second_++}; }
  std::string shortDate(const CivilTime& t) const override { return "07/12/2026#" + std::to_string(t.second); }
  std::string longTime(const CivilTime& t) const override { return "01:40:0" + std::to_string(t.second); }

 private:
  mutable int second_ = 5;
};

const std::vector<std::string> kSummary{"Date/Time 07/12/2026 01:34:52", " ", "Changed C:\\Data\\report.doc",
                                        "Added C:\\Data\\caf\xE9 \x80\xFF.txt"};

const std::string kBlock =
    "****************\r\n"
    "Log generated on 07/12/2026#5 at 01:40:06\r\n"
    "   Date/Time 07/12/2026 01:34:52\r\n"
    "    \r\n"
    "   Changed C:\\Data\\report.doc\r\n"
    "   Added C:\\Data\\caf\xE9 \x80\xFF.txt\r\n"
    "\r\n";

TEST(TextLog, BlockIsExactToTheByte) {
  SteppingClock clock;
  EXPECT_EQ(LogBlock(kSummary, clock), kBlock);
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TextLogFile : public ::testing::Test {
 protected:
  testing::TempFolder folder;
  std::filesystem::path dir{folder.path()};
};

TEST_F(TextLogFile, ANewNameIsCreatedAndLaterBlocksFollowAtTheEnd) {
  const std::string name = (dir / "parvex.txt").string();
  SteppingClock clock;
  AppendToTextFile(name, LogBlock(kSummary, clock));
  EXPECT_EQ(ReadAll(name), kBlock);
  SteppingClock again;
  AppendToTextFile(name, LogBlock(kSummary, again));
  EXPECT_EQ(ReadAll(name), kBlock + kBlock);
}

TEST_F(TextLogFile, AFileThatCannotBeOpenedGivesTheNameAndTheReason) {
  const std::string prefix = "Could not append to ";
  for (const auto& name : {(dir / "missing" / "parvex.txt").string(), dir.string()}) {
    SCOPED_TRACE(name);
    const std::string message = testing::MessageOf([&] { AppendToTextFile(name, "x"); });
    ASSERT_EQ(message.rfind(prefix + name + ": ", 0), 0u) << message;
    const std::string reason = message.substr(prefix.size() + name.size() + 2);
    EXPECT_GT(reason.size(), 3u) << message;
    EXPECT_EQ(reason.back(), '.') << message;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

// The report's lines, with fonts, laid out by the same measurer as the layout
// tests: a 12-point text line advances 18 units.
std::vector<std::vector<std::string>> PrintedPages(const std::vector<std::string>& summary, int pageHeight) {
  SteppingClock clock;
  testing::FakeMeasurer measurer;
  std::vector<std::vector<std::string>> pages;
  for (const auto& page : LayOutLines(ReportLines(summary, clock), {5000, pageHeight}, measurer)) {
    pages.emplace_back();
    for (const auto& t : page.texts) pages.back().push_back(t.text);
  }
  return pages;
}

TEST(PrintedReport, LinesAndFonts) {
  SteppingClock clock;
  const PrintFont heading{"Times New Roman", 16, true}, courtesy{"Times New Roman", 12, true},
      body{"Times New Roman", 12, false};
  const std::string at14(14, ' '), at17(17, ' ');
  const std::vector<PrintLine> expected{
      {heading, ""},
      {heading, ""},
      {heading, at14 + "Parvex 2000 - listing of added, changed and deleted files."},
      {heading, ""},
      {courtesy, at14 + "Courtesy of Brenmark Corporation  " + kMakerWebSite},
      {courtesy, ""},
      {body, at17 + "Date/Time 07/12/2026 01:34:52"},
      {body, at17 + " "},
      {body, at17 + "Changed C:\\Data\\report.doc"},
      {body, at17 + "Added C:\\Data\\caf\xE9 \x80\xFF.txt"},
      {body, ""},
      {body, at14 + "Printed on 07/12/2026#5 at 01:40:06"},
  };
  const auto lines = ReportLines(kSummary, clock);
  ASSERT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].font, expected[i].font) << i;
    EXPECT_EQ(lines[i].text, expected[i].text) << i;
  }
}

TEST(PrintedReport, HeaderOnlySummaryIsOnePageAndALongOneKeepsTheHeadingOnTheFirst) {
  const std::vector<std::string> headerOnly(kSummary.begin(), kSummary.begin() + 2);
  const auto one = PrintedPages(headerOnly, 1000);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].size(), 5u);  // heading, courtesy, the two summary lines, "Printed on"
  EXPECT_NE(one[0].back().find("Printed on "), std::string::npos);

  std::vector<std::string> longSummary(headerOnly);
  for (int i = 0; i < 80; ++i) longSummary.push_back("Added C:\\f" + std::to_string(i));
  const auto pages = PrintedPages(longSummary, 1000);
  ASSERT_GE(pages.size(), 2u);
  int headings = 0;
  std::size_t printed = 0;
  for (std::size_t p = 0; p < pages.size(); ++p)
    for (const auto& text : pages[p]) {
      if (text.find("Parvex 2000 - listing") != std::string::npos) {
        ++headings;
        EXPECT_EQ(p, 0u);
      }
      printed += text.find("Added C:\\f") != std::string::npos;
    }
  EXPECT_EQ(headings, 1);
  EXPECT_EQ(printed, 80u);
  EXPECT_NE(pages.back().back().find("Printed on "), std::string::npos);
}

}  // namespace
}  // namespace parvex
