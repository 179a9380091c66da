#pragma once
// The folder picker's view of a selection text: is it a folder, how it is stored,
// and how it is handed to the shell's picker.
#include <string>

#include "platform/folder_probe.h"

namespace parvex {

// "X:\" is tested against the drive mask; anything else, less one trailing
// backslash, by a directory search.
bool isExistingFolder(const std::string& text, const FolderProbe& probe);

// The stored form: an existing folder always ends in a backslash.
std::string normalizedSelection(const std::string& text, const FolderProbe& probe);

// The form the picker accepts: a bare drive gets its root backslash, any other
// path loses its trailing one.
std::string selectionForPicker(const std::string& text);

}  // namespace parvex
