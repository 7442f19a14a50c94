#include "documents/pdf_reader.h"

#include <memory>
#include <mutex>
#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>
#include <vector>

#include "documents/line_output.h"

namespace zr::documents {

namespace {

// Poppler writes its complaints about a damaged file to stderr; the search
// reports the file once instead.
void QuietPoppler()
{
    static std::once_flag once;
    std::call_once(once,
                   [] { poppler::set_debug_error_function([](const std::string &, void *) {}, nullptr); });
}

std::string Utf8(const poppler::ustring &text)
{
    const poppler::byte_array bytes = text.to_utf8();
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

DocumentOutcome ReadPdfText(std::string_view bytes, const DocumentLineHandler &onLine, std::stop_token stop)
{
    QuietPoppler();
    // Poppler keeps a pointer to the data, never a copy; it must not change.
    std::unique_ptr<poppler::document> document(
        poppler::document::load_from_raw_data(bytes.data(), static_cast<int>(bytes.size())));
    if (!document)
        return {DocumentStatus::Damaged, "PDF cannot be read"};
    if (document->is_locked())
        return {DocumentStatus::PasswordProtected, {}};
    LineOutput out(onLine, stop);
    const int pages = document->pages();
    try {
        for (int index = 0; index < pages; ++index) {
            std::unique_ptr<poppler::page> page(document->create_page(index));
            if (!page)
                continue;
            const std::string label = "p." + std::to_string(index + 1);
            // Physical layout keeps the lines of a page as they are printed.
            const std::string text = Utf8(page->text(poppler::rectf(), poppler::page::physical_layout));
            std::size_t start = 0;
            while (start < text.size()) {
                std::size_t end = text.find('\n', start);
                if (end == std::string::npos)
                    end = text.size();
                std::string_view line(text.data() + start, end - start);
                if (!line.empty() && line.back() == '\r')
                    line.remove_suffix(1);
                out.Emit(label, label, line);
                start = end + 1;
            }
        }
    } catch (const ReadingEnded &) {
        return {DocumentStatus::Stopped, {}};
    }
    return {};
}

}  // namespace zr::documents
