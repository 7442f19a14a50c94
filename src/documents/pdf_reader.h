#pragma once
// PDF text through poppler, page after page.

#include <string_view>

#include "documents/document_text.h"

namespace zr::documents {

DocumentOutcome ReadPdfText(std::string_view bytes, const DocumentLineHandler &onLine, std::stop_token stop);

}  // namespace zr::documents
