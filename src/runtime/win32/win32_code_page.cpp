#include <windows.h>

#include "runtime/code_page.h"

namespace parvex {

unsigned ActiveCodePage() { return GetACP(); }

}  // namespace parvex
