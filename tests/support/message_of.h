#pragma once
// The message of the error of type E that an action raises, or "(no error)".
// Another error type escapes, so a test also proves which kind was raised.
#include <functional>
#include <string>

#include "runtime/exceptions.h"

namespace parvex::testing {

template <typename E = Exception>
std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const E& e) {
    return e.Message();
  }
  return "(no error)";
}

}  // namespace parvex::testing
