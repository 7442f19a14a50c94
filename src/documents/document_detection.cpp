#include "documents/document_detection.h"

#include <cctype>
#include <string>

#include "documents/odf_reader.h"
#include "documents/zip_parts.h"

namespace zr::documents {

DocumentKind DocumentKindByName(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    const std::size_t slash = name.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return DocumentKind::None;
    std::string extension(name.substr(dot + 1));
    for (char &c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == "docx" || extension == "docm")
        return DocumentKind::Word;
    if (extension == "xlsx" || extension == "xlsm")
        return DocumentKind::Spreadsheet;
    if (extension == "pptx")
        return DocumentKind::Presentation;
    if (extension == "odt")
        return DocumentKind::Text;
    if (extension == "ods")
        return DocumentKind::Spreadsheet;
    if (extension == "odp")
        return DocumentKind::Presentation;
    if (extension == "pdf")
        return DocumentKind::Pdf;
    return DocumentKind::None;
}

bool ContentMayBeDocument(std::string_view head)
{
    return head.substr(0, 4) == std::string_view("PK\x03\x04", 4) || head.substr(0, 5) == "%PDF-";
}

DocumentKind DocumentKindByContent(std::string_view bytes)
{
    if (bytes.substr(0, 5) == "%PDF-")
        return DocumentKind::Pdf;
    if (bytes.substr(0, 4) != std::string_view("PK\x03\x04", 4))
        return DocumentKind::None;
    // An OpenDocument package starts with its stored "mimetype" entry, whose
    // text follows the 30-byte local header and the name.
    constexpr std::string_view mimetypeName = "mimetype";
    if (bytes.size() > 30 + mimetypeName.size() && bytes.substr(30, mimetypeName.size()) == mimetypeName) {
        const std::string_view rest = bytes.substr(30 + mimetypeName.size());
        const std::size_t extraLength =
            static_cast<unsigned char>(bytes[28]) | static_cast<unsigned char>(bytes[29]) << 8;
        const std::size_t size = static_cast<unsigned char>(bytes[18]) | static_cast<unsigned char>(bytes[19])
                                                                             << 8;
        if (extraLength + size <= rest.size()) {
            const DocumentKind kind = OpenDocumentKind(rest.substr(extraLength, size));
            if (kind != DocumentKind::None)
                return kind;
        }
    }
    try {
        const ZipParts package(bytes);
        if (!package.Has("[Content_Types].xml"))
            return DocumentKind::None;
        for (const std::string &name : package.Names()) {
            if (name == "word/document.xml")
                return DocumentKind::Word;
            if (name == "xl/workbook.xml")
                return DocumentKind::Spreadsheet;
            if (name == "ppt/presentation.xml")
                return DocumentKind::Presentation;
        }
    } catch (const std::exception &) {
    }
    return DocumentKind::None;
}

}  // namespace zr::documents
