#pragma once
// Which files are documents: by extension (what the user names in the
// archive-name patterns) and by content (a stored file of any name).

#include <string_view>

#include "documents/document_text.h"

namespace zr::documents {

// The archive-name patterns of the "Office/PDF文書" type.
inline constexpr std::string_view kDocumentNamePatterns =
    "*.DOCX;*.DOCM;*.XLSX;*.XLSM;*.PPTX;*.ODT;*.ODS;*.ODP;*.PDF";

// The kind an extension names (any case); None for other names.
DocumentKind DocumentKindByName(std::string_view name);

// How many leading bytes ContentMayBeDocument needs to decide.
inline constexpr std::size_t kDocumentSignatureBytes = 5;

// True when a file starting with these bytes may be a document (a ZIP or a
// PDF), so it is worth gathering whole before deciding.
bool ContentMayBeDocument(std::string_view head);

// The kind a whole file's content shows: a PDF header, or a ZIP holding
// "[Content_Types].xml" with a Word, Excel or PowerPoint main part, or an
// OpenDocument "mimetype" first entry. None for anything else, so a plain
// ZIP stays an archive.
DocumentKind DocumentKindByContent(std::string_view bytes);

}  // namespace zr::documents
