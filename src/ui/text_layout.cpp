#include "ui/text_layout.h"

#include "runtime/code_page.h"

namespace parvex {
namespace {

// The longest head of text that fits in width, never less than one character,
// so that a page narrower than a single character still makes progress. A line
// is broken between characters only, never inside a multi-byte one.
std::size_t FittingLength(std::string_view text, int width, TextMeasurer& measurer, unsigned codePage) {
  if (measurer.textWidth(text) <= width) return text.size();
  std::vector<std::size_t> ends;  // the end of each character
  for (std::size_t at = 0; at < text.size();) {
    at += FirstCharacterLength(text.substr(at), codePage);
    ends.push_back(at);
  }
  if (ends.size() < 2) return text.size();
  std::size_t lo = 0, hi = ends.size() - 2;  // ends[lo] always printed; ends[hi+1] known too wide
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo + 1) / 2;
    if (measurer.textWidth(text.substr(0, ends[mid])) <= width)
      lo = mid;
    else
      hi = mid - 1;
  }
  return ends[lo];
}

class PageWriter {
 public:
  PageWriter(PageSize page, TextMeasurer& measurer, unsigned codePage)
      : page_(page), measurer_(measurer), codePage_(codePage) {}

  void write(const PrintLine& line) {
    if (font_ != line.font) {
      measurer_.selectFont(line.font);
      font_ = line.font;
    }
    std::string_view rest = line.text;
    if (rest.empty()) {
      beginLineIfNeeded();
      advance(measurer_.charHeight());
      return;
    }
    while (!rest.empty()) {
      beginLineIfNeeded();
      const std::size_t n = FittingLength(rest, page_.width, measurer_, codePage_);
      const std::string_view piece = rest.substr(0, n);
      pages_.back().texts.push_back({0, y_, line.font, std::string(piece)});
      advance(measurer_.textHeight(piece) + 2);
      rest.remove_prefix(n);
    }
  }

  std::vector<PrintedPage> finish() {
    if (pages_.empty()) pages_.emplace_back();
    return std::move(pages_);
  }

 private:
  void beginLineIfNeeded() {
    if (!pages_.empty() && !pageBreakPending_) return;
    pages_.emplace_back();
    y_ = 0;
    pageBreakPending_ = false;
  }

  void advance(int lineHeight) {
    y_ += lineHeight;
    if (y_ > page_.height - 2 * lineHeight) pageBreakPending_ = true;
  }

  PageSize page_;
  TextMeasurer& measurer_;
  unsigned codePage_;
  std::vector<PrintedPage> pages_;
  PrintFont font_{"", -1, false};  // none selected yet
  int y_ = 0;
  bool pageBreakPending_ = false;
};

}  // namespace

std::vector<PrintedPage> LayOutLines(const std::vector<PrintLine>& lines, PageSize page, TextMeasurer& measurer,
                                     unsigned codePage) {
  PageWriter writer(page, measurer, codePage);
  for (const PrintLine& line : lines) writer.write(line);
  return writer.finish();
}

}  // namespace parvex
