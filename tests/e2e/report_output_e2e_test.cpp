// The summary panel's report buttons: printing on a test printer, appending to
// a text file, cancelled dialogs, and files that cannot be written.
#include <iterator>

#include "e2e_fixture.h"
#include "test_printer.h"

namespace e2e {
namespace {

// The summary panel's report buttons. Each test shows a summary first.
class ReportOutputE2E : public ParvexE2E {
 protected:
  // Monitors the watched folder automatically and adds count files; gives the main
  // window once the summary is on screen.
  HWND showSummary(int count) {
    putString("Start", "Dir1", watched);
    HWND main = startMonitoringAutomatically();
    if (!main) return nullptr;
    for (int i = 0; i < count; ++i) writeFile(watched + "\\report-" + std::to_string(100 + i) + ".txt", "x");
    return shownWithin(main, kTickTimeout) ? main : nullptr;
  }

  // Installs the test printer and sends the next jobs to <screenshots>\<name>.*
  void usePrinter(const std::string& name) {
    ASSERT_FALSE(context().sourceDir.empty() || context().screenshotDir.empty()) << "--source and --screenshots";
    ASSERT_EQ(installTestPrinter(context().sourceDir + "\\tests\\e2e\\parvex-test.ppd"), "");
    routePrintJobs(context().sourceDirLinux + "/tests/e2e/print_job_to_pages.sh", context().screenshotDirLinux, name);
    jobBase = context().screenshotDir + "\\" + name;
    DeleteFileA((jobBase + ".done").c_str());
  }

  // The dialog the last click opened, or nullptr.
  HWND dialog() { return waitMessageBox(processes.back().pid(), kStepTimeout).window; }

  static HWND fileNameField(HWND dialog) {
    for (HWND edit : descendants(dialog, "Edit"))
      if (IsWindowVisible(edit)) return edit;
    return nullptr;
  }

  // Chooses the name in the save dialog that "Append to text file" opened.
  void appendTo(HWND main, const std::string& name) {
    click(control(main, kBtAppend));
    HWND save = dialog();
    ASSERT_NE(save, nullptr) << "no save dialog";
    HWND field = fileNameField(save);
    ASSERT_NE(field, nullptr);
    setText(field, name);
    PostMessageA(save, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(closedWithin(save)) << "save dialog stayed open";
  }

  std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // The save dialog's preset, parvex.txt beside the program; deleted first.
  static std::string presetLog() {
    const std::string& exe = context().parvexExe;
    const std::string preset = exe.substr(0, exe.find_last_of('\\')) + "\\parvex.txt";
    DeleteFileA(preset.c_str());
    return preset;
  }

  // For what must not happen after a dialog closed (an error, a second dialog): it
  // would come as a box, so one is watched for a while.
  bool noMessageBoxWithin(DWORD ms) { return waitMessageBox(processes.back().pid(), ms).window == nullptr; }

  std::string jobBase;  // Windows path of the print job's files, without extension
};

// The text of the printed pages, one trimmed line each; pdftotext shows the PostScript
// driver's hyphen as a soft hyphen (U+00AD), read back here as "-".
std::vector<std::string> printedLines(const std::string& printed, int& pages) {
  std::string text;
  for (std::size_t i = 0; i < printed.size(); ++i) {
    const bool softHyphen = printed.compare(i, 2, "\xC2\xAD") == 0;
    text += softHyphen ? '-' : printed[i];
    i += softHyphen;
  }
  pages = 0;
  for (char c : text) pages += c == '\f';
  std::vector<std::string> lines;
  for (auto line : linesOf(text)) {
    line.erase(0, line.find_first_not_of(" \f"));
    line.erase(line.find_last_not_of(' ') + 1);
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

TEST_F(ReportOutputE2E, PrintPrintsTheHeadingOnceAndEverySummaryLineOnTheChosenPrinter) {
  usePrinter("printed-report");
  HWND main = showSummary(70);
  ASSERT_NE(main, nullptr) << "no summary";
  const auto summary = summaryLines(main);
  ASSERT_GE(summary.size(), 60u);
  click(control(main, kBtPrint));
  HWND print = dialog();
  ASSERT_NE(print, nullptr) << "no print dialog";
  EXPECT_FALSE(topmost(main)) << "the dialog could be hidden behind the summary";
  PostMessageA(print, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(waitUntil([&] { return fileExists(jobBase + ".done"); }, 20000)) << "no print job";
  EXPECT_EQ(readFile(jobBase + ".done"), "ok\n") << readFile(jobBase + ".log");
  EXPECT_TRUE(noMessageBoxWithin(500));

  int pages = 0;
  const auto printed = printedLines(readFile(jobBase + ".txt"), pages);
  EXPECT_GE(pages, 2);
  EXPECT_TRUE(fileExists(jobBase + "-page-1.png") && fileExists(jobBase + "-page-2.png"));
  ASSERT_FALSE(printed.empty());
  EXPECT_EQ(printed.front(), "Parvex 2000 - listing of added, changed and deleted files.");
  EXPECT_EQ(countLines(printed, printed.front()), 1) << "heading repeated";
  EXPECT_EQ(printed[1].rfind("Courtesy of Brenmark Corporation", 0), 0u) << printed[1];
  EXPECT_NE(printed[1].find(".example.com"), std::string::npos) << printed[1];
  for (const auto& line : summary) {
    if (line == " ") continue;
    EXPECT_EQ(countLines(printed, line), 1) << line;
  }
  EXPECT_EQ(printed.back().rfind("Printed on ", 0), 0u) << printed.back();
  EXPECT_NE(printed.back().find(" at "), std::string::npos) << printed.back();
}

TEST_F(ReportOutputE2E, CancelledDialogsPrintAndWriteNothing) {
  usePrinter("cancelled-job");
  HWND main = showSummary(1);
  ASSERT_NE(main, nullptr) << "no summary";

  click(control(main, kBtPrint));
  HWND print = dialog();
  ASSERT_NE(print, nullptr);
  PostMessageA(print, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(closedWithin(print));
  EXPECT_TRUE(noMessageBoxWithin(1500));
  EXPECT_FALSE(fileExists(jobBase + ".done")) << "printed after Cancel";

  const std::string preset = presetLog();
  click(control(main, kBtAppend));
  HWND save = dialog();
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(text(save), "Append log to Parvex.txt file ");
  // The dialog opens in the program's folder and shows the name alone; the
  // append test takes the preset as it stands.
  EXPECT_EQ(lower(text(fileNameField(save))), "parvex.txt");
  screenshot(save, "append-log-dialog");
  PostMessageA(save, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(closedWithin(save));
  EXPECT_TRUE(noMessageBoxWithin(1000));
  EXPECT_FALSE(fileExists(preset)) << "written after Cancel";
  EXPECT_TRUE(visible(control(main, kPanel1)));
}

TEST_F(ReportOutputE2E, NamesInEveryScriptAreShownAlarmedAndAppendedAsUtf8) {
  watchScriptsFolder();
  const std::string scriptAlarm = work + "\\\xE8\xAD\xA6\xE6\x8A\xA5 Alarm.bat";  // 警报 Alarm.bat
  ASSERT_TRUE(CopyFileA(alarm.c_str(), scriptAlarm.c_str(), FALSE));
  alarm = scriptAlarm;
  putString("Start", "Dir1", watched);
  HWND main = startMonitoringAutomatically();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(renameJapanToCafe());
  ASSERT_TRUE(shownWithin(main, kTickTimeout)) << "no summary within one interval";
  const auto lines = summaryLines(main);
  EXPECT_EQ(countLines(lines, "Deleted " + watched + "\\" + kJapan), 1);
  EXPECT_EQ(countLines(lines, "Added " + watched + "\\" + kCafe), 1);
  EXPECT_EQ(lines.size(), 4u);
  EXPECT_TRUE(waitUntil([&] { return fileExists(marker); }, kStepTimeout)) << "the alarm was not opened";
  screenshot(main, "summary-every-script");

  const std::string log = work + "\\\xE6\x97\xA5\xE5\xBF\x97.txt";  // 日志.txt
  appendTo(main, log);
  const std::string written = readFile(log);
  EXPECT_NE(written.find("\r\n   Deleted " + watched + "\\" + kJapan + "\r\n"), std::string::npos) << written;
  EXPECT_NE(written.find("\r\n   Added " + watched + "\\" + kCafe + "\r\n"), std::string::npos) << written;
}

TEST_F(ReportOutputE2E, AppendAddsOneBlockEachTimeAndReportsAFileItCannotWrite) {
  HWND main = showSummary(1);
  ASSERT_NE(main, nullptr) << "no summary";
  const auto summary = summaryLines(main);
  const std::string preset = presetLog();
  click(control(main, kBtAppend));
  HWND save = dialog();
  ASSERT_NE(save, nullptr);
  PostMessageA(save, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(waitUntil([&] { return fileExists(preset); }, kStepTimeout)) << "nothing written to " << preset;
  EXPECT_EQ(readFile(preset).rfind("****************\r\nLog generated on ", 0), 0u);
  DeleteFileA(preset.c_str());

  const std::string log = work + "\\log.txt";
  appendTo(main, log);
  appendTo(main, log);
  EXPECT_TRUE(noMessageBoxWithin(500));
  const std::string written = readFile(log);
  const auto lines = linesOf(written);
  ASSERT_EQ(lines.size(), 2 * (summary.size() + 3)) << written;
  for (std::size_t block = 0; block < 2; ++block) {
    const std::size_t at = block * (summary.size() + 3);
    EXPECT_EQ(lines[at], "****************");
    EXPECT_EQ(lines[at + 1].rfind("Log generated on ", 0), 0u) << lines[at + 1];
    for (std::size_t i = 0; i < summary.size(); ++i) EXPECT_EQ(lines[at + 2 + i], "   " + summary[i]);
    EXPECT_EQ(lines[at + 2 + summary.size()], "");
  }
  EXPECT_EQ(written.find('\n'), written.find("\r\n") + 1) << "lines end in CR LF";

  const std::string readOnly = work + "\\read-only.txt";
  writeFile(readOnly, "kept");
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  const std::string locked = work + "\\in-use.txt";
  writeFile(locked, "kept");
  HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  for (const std::string& name : {readOnly, locked, work + "\\no-such-folder\\log.txt"}) {
    SCOPED_TRACE(name);
    appendTo(main, name);
    const MessageBoxSeen box = waitMessageBox(processes.back().pid(), kStepTimeout);
    ASSERT_NE(box.window, nullptr) << "no error box";
    EXPECT_EQ(box.caption, kProgramTitle);
    const std::string head = "Could not append to " + name + ": ";
    EXPECT_EQ(box.text.rfind(head, 0), 0u) << box.text;
    EXPECT_GT(box.text.size(), head.size() + 3) << box.text;
    if (name == readOnly) screenshot(box.window, "append-log-error");
    dismiss(box.window);
    ASSERT_TRUE(closedWithin(box.window));
  }
  CloseHandle(holder);
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(readFile(readOnly), "kept");
  EXPECT_EQ(readFile(locked), "kept");
  EXPECT_TRUE(visible(control(main, kPanel1)));
  EXPECT_EQ(summaryLines(main), summary);
}

}  // namespace
}  // namespace e2e
