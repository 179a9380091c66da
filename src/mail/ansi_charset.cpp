#include "mail/ansi_charset.h"

#include "runtime/code_page.h"

namespace parvex {

std::string MimeCharsetOf(unsigned codePage) {
  switch (codePage) {
    case 874: return "windows-874";
    case 932: return "shift_jis";
    case 936: return "gb2312";
    case 949: return "ks_c_5601-1987";
    case 950: return "big5";
    case 28591: return "iso-8859-1";
    case kUtf8CodePage: return "utf-8";
    default: return "windows-" + std::to_string(codePage);
  }
}

std::string AnsiCodePageCharset() { return MimeCharsetOf(ActiveCodePage()); }

}  // namespace parvex
