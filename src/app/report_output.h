#pragma once
// What the summary panel's "Print" and "Append to text file" buttons put out:
// the printed report's lines with their fonts, and the text log's block.
#include <string>
#include <vector>

#include "runtime/user_clock.h"
#include "ui/text_layout.h"

namespace parvex {

inline constexpr const char* kReportHeading = "Parvex 2000 - listing of added, changed and deleted files.";
inline constexpr const char* kReportCourtesy = "Courtesy of Brenmark Corporation";
inline constexpr const char* kMakerWebSite = "http://www.brenmark.example.com/parvex/";
inline constexpr const char* kLogFileName = "parvex.txt";
inline constexpr const char* kLogSeparator = "****************";

// The short date, " at " and the long time, the clock read once for each.
std::string DateAtTime(const UserClock& clock);

// The printed report: a heading in 16-point bold, the maker's line in 12-point
// bold, then every summary line, an empty line and the "Printed on" line in
// 12-point regular "Times New Roman".
std::vector<PrintLine> ReportLines(const std::vector<std::string>& summary, const UserClock& clock);

// One block of the text log, CR LF line ends: the asterisk line, the "Log
// generated on" line, each summary line after three spaces, and an empty line.
// The summary's bytes are written as they are (the ANSI code page).
std::string LogBlock(const std::vector<std::string>& summary, const UserClock& clock);

}  // namespace parvex
