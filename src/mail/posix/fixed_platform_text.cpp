// Native stand-ins: no registry of file types, and a fixed ANSI charset so
// that tests see the same text on every machine.
#include "mail/ansi_charset.h"
#include "mail/file_types.h"

namespace parvex {

namespace {
class NoFileTypes final : public FileTypeRegistry {
 public:
  std::string ContentTypeOf(const std::string&) const override { return {}; }
};
}  // namespace

const FileTypeRegistry& SystemFileTypes() {
  static const NoFileTypes none;
  return none;
}

std::string AnsiCodePageCharset() { return "windows-1252"; }

}  // namespace parvex
