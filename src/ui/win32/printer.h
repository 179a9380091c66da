#pragma once
// The printer side of text printing: the platform's print dialog, and a print job
// that measures and draws laid-out lines on the chosen printer's device context.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "ui/text_layout.h"

namespace parvex {

// The print dialog with its default options. Execute gives false when the user
// cancels; a failure of the dialog itself raises.
class TPrintDialog {
 public:
  TPrintDialog() = default;
  ~TPrintDialog();
  TPrintDialog(const TPrintDialog&) = delete;
  TPrintDialog& operator=(const TPrintDialog&) = delete;

  bool Execute(HWND owner);
  // The chosen printer's device context and name, valid after Execute gave true.
  HDC PrinterDC() const { return dc_; }
  const std::string& PrinterName() const { return printerName_; }

 private:
  void release();

  HDC dc_ = nullptr;
  std::string printerName_;
};

// Measures with the fonts of a printer's device context; the fonts it makes live
// as long as it does.
class TPrinterCanvas final : public TextMeasurer {
 public:
  TPrinterCanvas(HDC dc, std::string printerName);
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
  std::map<std::pair<std::string, std::pair<int, bool>>, HFONT> fonts_;
  HGDIOBJ originalFont_ = nullptr;
};

// Lays the lines out on the chosen printer and prints them as one job.
void PrintLines(HDC dc, const std::string& printerName, const std::string& documentName,
                const std::vector<PrintLine>& lines);

}  // namespace parvex
