#include "app/folder_slots.h"

#include <algorithm>

namespace parvex {

bool isBlankChar(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\b'; }

bool isBlank(std::string_view text) { return std::all_of(text.begin(), text.end(), isBlankChar); }

bool notAlreadyMonitored(const FolderSlots& slots, int ownSlot, std::string_view folder) {
  for (int i = 0; i < kFolderSlotCount; ++i)
    if (i != ownSlot && slots[i] == folder) return false;
  return true;
}

}  // namespace parvex
