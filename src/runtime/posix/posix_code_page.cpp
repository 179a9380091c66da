// Natively the text is taken as Windows' Western page, so that tests see the
// same text on every machine.
#include "runtime/code_page.h"

namespace parvex {

unsigned ActiveCodePage() { return 1252; }

}  // namespace parvex
