#pragma once
// The message of the program's error that an action raises, or "(no error)".
#include <functional>
#include <string>

#include "runtime/exceptions.h"

namespace parvex::testing {

inline std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "(no error)";
}

}  // namespace parvex::testing
