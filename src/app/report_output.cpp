#include "app/report_output.h"

namespace parvex {
namespace {

const PrintFont kHeadingFont{"Times New Roman", 16, true};
const PrintFont kCourtesyFont{"Times New Roman", 12, true};
const PrintFont kBodyFont{"Times New Roman", 12, false};

const std::string kReportIndent(14, ' ');
const std::string kSummaryIndent(17, ' ');

}  // namespace

std::string DateAtTime(const UserClock& clock) {
  const std::string date = clock.shortDate(clock.now());
  return date + " at " + clock.longTime(clock.now());
}

std::vector<PrintLine> ReportLines(const std::vector<std::string>& summary, const UserClock& clock) {
  std::vector<PrintLine> lines{
      {kHeadingFont, ""},
      {kHeadingFont, ""},
      {kHeadingFont, kReportIndent + kReportHeading},
      {kHeadingFont, ""},
      {kCourtesyFont, kReportIndent + kReportCourtesy + "  " + kMakerWebSite},
      {kCourtesyFont, ""},
  };
  for (const std::string& line : summary) lines.push_back({kBodyFont, kSummaryIndent + line});
  lines.push_back({kBodyFont, ""});
  lines.push_back({kBodyFont, kReportIndent + "Printed on " + DateAtTime(clock)});
  return lines;
}

std::string LogBlock(const std::vector<std::string>& summary, const UserClock& clock) {
  std::string block = std::string(kLogSeparator) + "\r\n";
  block += "Log generated on " + DateAtTime(clock) + "\r\n";
  for (const std::string& line : summary) block += "   " + line + "\r\n";
  block += "\r\n";
  return block;
}

}  // namespace parvex
