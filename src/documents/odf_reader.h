#pragma once
// OpenDocument packages: Writer, Calc and Impress text in reading order.

#include "documents/document_text.h"
#include "documents/line_output.h"
#include "documents/zip_parts.h"

namespace zr::documents {

// The kind the package's "mimetype" names; None when it names no document.
DocumentKind OpenDocumentKind(std::string_view mimetype);

// Throws std::runtime_error for a missing or malformed part, ReadingEnded
// when the output asks to end.
void ReadOpenDocumentText(const ZipParts &package, DocumentKind kind, LineOutput &out);

}  // namespace zr::documents
