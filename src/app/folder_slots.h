#pragma once
// Tests on the texts of the twenty folder slots.
#include <array>
#include <string>
#include <string_view>

#include "app/snapshot.h"

namespace parvex {

using FolderSlots = std::array<std::string, kFolderSlotCount>;

// Space, CR, LF and backspace count as blank; the tab does not.
bool isBlankChar(char c);
bool isBlank(std::string_view text);

// True when no slot other than ownSlot (0-based) holds exactly folder. The check is
// exact and case-sensitive on purpose: it only stops picking the same text twice.
bool notAlreadyMonitored(const FolderSlots& slots, int ownSlot, std::string_view folder);

inline constexpr const char* kAlreadyMonitoredMessage =
    "You are already monitoring this directory - ";

}  // namespace parvex
