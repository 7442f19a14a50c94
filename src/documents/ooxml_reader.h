#pragma once
// Office Open XML packages: Word, Excel and PowerPoint text in reading order.

#include "documents/line_output.h"
#include "documents/zip_parts.h"

namespace zr::documents {

// Throw std::runtime_error for a part that is missing or malformed, and
// ReadingEnded when the output asks to end.
void ReadWordText(const ZipParts &package, LineOutput &out);
void ReadSpreadsheetText(const ZipParts &package, LineOutput &out);
void ReadPresentationText(const ZipParts &package, LineOutput &out);

}  // namespace zr::documents
