#pragma once
// Shortens the folder picker's status line to the width of its status area: a
// folder path loses leading folders (shown as "...\"), then its drive; any other
// text is cut at the end and followed by "...".
#include <string>

#include "platform/text_measure.h"
#include "runtime/code_page.h"

namespace parvex {

std::string fittedPath(const std::string& path, int availableWidth, const TextMeasure& measure);
// Cut between characters of codePage.
std::string fittedPlainText(const std::string& text, int availableWidth, const TextMeasure& measure,
                            unsigned codePage = ActiveCodePage());

}  // namespace parvex
