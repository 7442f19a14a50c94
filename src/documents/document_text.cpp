#include "documents/document_text.h"

#include <new>
#include <stdexcept>

#include "documents/line_output.h"
#include "documents/odf_reader.h"
#include "documents/ooxml_reader.h"
#include "documents/pdf_reader.h"
#include "documents/zip_parts.h"

namespace zr::documents {

namespace {

DocumentOutcome ReadPackage(std::string_view bytes, DocumentKind kind, const DocumentLineHandler &onLine,
                            std::stop_token stop)
{
    LineOutput out(onLine, stop);
    try {
        const ZipParts package(bytes);
        if (package.Has("mimetype")) {
            const auto mimetype = package.ReadWhole("mimetype", 256);
            const DocumentKind odfKind = mimetype ? OpenDocumentKind(*mimetype) : DocumentKind::None;
            if (odfKind == DocumentKind::None)
                return {DocumentStatus::Damaged,
                        "mimetype names no OpenDocument text, sheet or presentation"};
            ReadOpenDocumentText(package, odfKind, out);
        } else if (kind == DocumentKind::Spreadsheet) {
            ReadSpreadsheetText(package, out);
        } else if (kind == DocumentKind::Presentation) {
            ReadPresentationText(package, out);
        } else {
            ReadWordText(package, out);
        }
    } catch (const ReadingEnded &) {
        return {DocumentStatus::Stopped, {}};
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &error) {
        return {DocumentStatus::Damaged, error.what()};
    }
    return {};
}

}  // namespace

DocumentOutcome ReadDocument(std::string_view bytes, DocumentKind kind, const DocumentLineHandler &onLine,
                             std::stop_token stop)
{
    switch (kind) {
    case DocumentKind::None:
        return {DocumentStatus::Damaged, "not a document"};
    case DocumentKind::Pdf:
        return ReadPdfText(bytes, onLine, stop);
    default:
        return ReadPackage(bytes, kind, onLine, stop);
    }
}

}  // namespace zr::documents
