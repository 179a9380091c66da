#pragma once
// PLACEHOLDER: printing and the text log are not built yet. Their buttons are in
// place and tell the user so.

namespace parvex {

inline constexpr const char* kPrintNotYetAvailable =
    "Printing is not yet available in this version of Parvex.";
inline constexpr const char* kAppendNotYetAvailable =
    "Appending to a text file is not yet available in this version of Parvex.";

}  // namespace parvex
