#pragma once
// The printer side of text printing: the platform's print dialog, and a print job
// that measures and draws laid-out lines on the chosen printer's device context.
#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "runtime/win32/scoped_handle.h"
#include "ui/text_layout.h"

namespace parvex {

// A printer chosen in the print dialog: its device context, deleted with it.
class TPrinterDC {
 public:
  TPrinterDC(HDC dc, std::string name) : dc_(dc), name_(std::move(name)) {}
  TPrinterDC(TPrinterDC&& other) noexcept = default;
  TPrinterDC& operator=(TPrinterDC&&) = delete;

  HDC Handle() const { return dc_.Get(); }
  const std::string& Name() const { return name_; }

 private:
  MemoryDcHandle dc_;
  std::string name_;
};

// The print dialog with its default options. Execute gives nothing when the user
// cancels; a failure of the dialog itself raises.
class TPrintDialog {
 public:
  std::optional<TPrinterDC> Execute(HWND owner);
};

// Measures with the fonts of a printer's device context; the fonts it makes live
// as long as it does.
class TPrinterCanvas final : public TextMeasurer {
 public:
  explicit TPrinterCanvas(const TPrinterDC& printer);
  ~TPrinterCanvas() override;
  TPrinterCanvas(const TPrinterCanvas&) = delete;
  TPrinterCanvas& operator=(const TPrinterCanvas&) = delete;

  // The printable area, in device units.
  PageSize Page() const;

  void selectFont(const PrintFont& font) override;
  int textWidth(std::string_view text) override;
  int textHeight(std::string_view text) override;
  int charHeight() override;

  // One print job holding the pages; a failure aborts the job and raises
  // "Could not print on <printer>: <reason>".
  void Print(const std::string& documentName, const std::vector<PrintedPage>& pages);

 private:
  SIZE extent(std::string_view text);
  [[noreturn]] void fail(DWORD error) const;

  HDC dc_;
  std::string printerName_;
  std::map<std::pair<std::string, std::pair<int, bool>>, FontHandle> fonts_;
  HGDIOBJ originalFont_ = nullptr;
};

// Lays the lines out on the chosen printer and prints them as one job.
void PrintLines(const TPrinterDC& printer, const std::string& documentName, const std::vector<PrintLine>& lines);

}  // namespace parvex
