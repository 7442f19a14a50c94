#pragma once
// A document's text searched like any text: its lines (UTF-8) are joined
// into one text, converted to CP932 by the text reader, scanned, and each
// matching line is given back with the part and place it came from.

#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "documents/document_text.h"
#include "search/file_scanner.h"
#include "search/hit_record.h"

namespace zr::search {

// One matching line of a document, ready to become a hit: LineNo is the
// line's number in the document's text, LineText and Substitutes as for
// any converted file. `part` is the sheet, slide, page or body it is in.
using DocumentHitHandler = std::function<void(THitRecord hit, const std::string &part)>;

struct DocumentScanOutcome {
    documents::DocumentOutcome reading;  // Read, PasswordProtected, Damaged or Stopped
    ScanStatus scan = ScanStatus::Completed;
};

// scanner: reads its bytes as UTF-8 (see MakeGrepScanner) with the pattern
// set. Lines read before a document turns out damaged are still scanned.
DocumentScanOutcome ScanDocument(std::string_view bytes, documents::DocumentKind kind,
                                 const std::string &name, FileScanner &scanner,
                                 const DocumentHitHandler &onHit, std::stop_token stop);

// The document kind of a stored file's whole data, or None.
documents::DocumentKind StoredDocumentKind(std::string_view bytes);

}  // namespace zr::search
