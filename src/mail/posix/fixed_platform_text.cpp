// Native stand-in: no registry of file types.
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

}  // namespace parvex
