// The MIME name of the ANSI code page this process runs with.
#include <windows.h>

#include <string>

#include "mail/ansi_charset.h"

namespace parvex {

std::string AnsiCodePageCharset() {
  const UINT page = GetACP();
  switch (page) {
    case 874: return "windows-874";
    case 932: return "shift_jis";
    case 936: return "gb2312";
    case 949: return "ks_c_5601-1987";
    case 950: return "big5";
    case 28591: return "iso-8859-1";
    case 65001: return "utf-8";
    default: return "windows-" + std::to_string(page);
  }
}

}  // namespace parvex
