#include "ui/win32/printer.h"

#include <cderr.h>
#include <commdlg.h>

#include "runtime/exceptions.h"
#include "runtime/win32/system_error.h"

namespace parvex {

std::optional<TPrinterDC> TPrintDialog::Execute(HWND owner) {
  PRINTDLGA pd{};
  pd.lStructSize = sizeof(pd);
  pd.hwndOwner = owner;
  pd.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_HIDEPRINTTOFILE | PD_USEDEVMODECOPIESANDCOLLATE;
  pd.nCopies = 1;
  const BOOL chosen = PrintDlgA(&pd);
  const DWORD error = chosen ? 0 : CommDlgExtendedError();
  std::string name;
  if (pd.hDevNames) {
    if (const auto* names = static_cast<const DEVNAMES*>(GlobalLock(pd.hDevNames))) {
      name = reinterpret_cast<const char*>(names) + names->wDeviceOffset;
      GlobalUnlock(pd.hDevNames);
    }
    GlobalFree(pd.hDevNames);
  }
  if (pd.hDevMode) GlobalFree(pd.hDevMode);
  MemoryDcHandle dc(pd.hDC);
  if (chosen && dc) return TPrinterDC(dc.release(), name);
  if (!chosen && error == 0) return std::nullopt;  // cancelled
  switch (error) {
    case PDERR_NODEFAULTPRN: throw Exception("Could not print: no printer is installed.");
    case PDERR_PRINTERNOTFOUND: throw Exception("Could not print: the printer was not found.");
    case 0:
    case PDERR_CREATEICFAILURE: throw Exception("Could not print: the printer's device context could not be created.");
    default:
      throw Exception("Could not print: the print dialog failed (common dialog error " + std::to_string(error) + ").");
  }
}

TPrinterCanvas::TPrinterCanvas(const TPrinterDC& printer) : dc_(printer.Handle()), printerName_(printer.Name()) {}

TPrinterCanvas::~TPrinterCanvas() {
  // Our fonts are deleted after this, so none may stay selected.
  if (originalFont_) SelectObject(dc_, originalFont_);
}

PageSize TPrinterCanvas::Page() const {
  const PageSize page{GetDeviceCaps(dc_, HORZRES), GetDeviceCaps(dc_, VERTRES)};
  if (page.width <= 0 || page.height <= 0)
    throw Exception("Could not print on " + printerName_ + ": the printer reports no printable area.");
  return page;
}

void TPrinterCanvas::fail(DWORD error) const {
  throw Exception("Could not print on " + printerName_ + ": " +
                  (error ? SystemErrorText(error) : std::string("the printer reported an error.")));
}

void TPrinterCanvas::selectFont(const PrintFont& font) {
  const auto key = std::make_pair(font.name, std::make_pair(font.points, font.bold));
  auto found = fonts_.find(key);
  if (found == fonts_.end()) {
    const int height = -MulDiv(font.points, GetDeviceCaps(dc_, LOGPIXELSY), 72);
    FontHandle made(CreateFontA(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                font.name.c_str()));
    if (!made) fail(GetLastError());
    found = fonts_.emplace(key, std::move(made)).first;
  }
  HGDIOBJ previous = SelectObject(dc_, found->second.Get());
  if (!previous || previous == HGDI_ERROR) fail(GetLastError());
  if (!originalFont_) originalFont_ = previous;
}

SIZE TPrinterCanvas::extent(std::string_view text) {
  SIZE size{};
  if (!GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size)) fail(GetLastError());
  return size;
}

int TPrinterCanvas::textWidth(std::string_view text) { return static_cast<int>(extent(text).cx); }
int TPrinterCanvas::textHeight(std::string_view text) { return static_cast<int>(extent(text).cy); }

int TPrinterCanvas::charHeight() {
  TEXTMETRICA metrics{};
  if (!GetTextMetricsA(dc_, &metrics)) fail(GetLastError());
  return static_cast<int>(metrics.tmHeight);
}

void TPrinterCanvas::Print(const std::string& documentName, const std::vector<PrintedPage>& pages) {
  DOCINFOA doc{};
  doc.cbSize = sizeof(doc);
  doc.lpszDocName = documentName.c_str();
  SetLastError(0);
  if (StartDocA(dc_, &doc) <= 0) {
    const DWORD error = GetLastError();
    if (error == ERROR_CANCELLED) throw EAbort("");
    fail(error);
  }
  try {
    SetBkMode(dc_, TRANSPARENT);
    for (const PrintedPage& page : pages) {
      if (StartPage(dc_) <= 0) fail(GetLastError());
      for (const PlacedText& text : page.texts) {
        selectFont(text.font);
        if (!TextOutA(dc_, text.x, text.y, text.text.data(), static_cast<int>(text.text.size()))) fail(GetLastError());
      }
      if (EndPage(dc_) <= 0) fail(GetLastError());
    }
    if (EndDoc(dc_) <= 0) fail(GetLastError());
  } catch (...) {
    AbortDoc(dc_);
    throw;
  }
}

void PrintLines(const TPrinterDC& printer, const std::string& documentName, const std::vector<PrintLine>& lines) {
  TPrinterCanvas canvas(printer);
  const std::vector<PrintedPage> pages = LayOutLines(lines, canvas.Page(), canvas);
  canvas.Print(documentName, pages);
}

}  // namespace parvex
