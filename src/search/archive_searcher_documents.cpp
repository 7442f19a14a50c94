// Office and PDF documents in the searched folder: searched like archives
// whose stored files are the document's parts (sheets, slides, pages).

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "archive/stored_name.h"
#include "documents/document_detection.h"
#include "search/archive_searcher.h"
#include "search/document_scan.h"
#include "search/run_texts.h"

namespace zr::search {

namespace {

// A document file's bytes, mapped read-only: a large PDF or workbook is
// paged in as it is read, never copied.
class MappedDocument {
public:
    explicit MappedDocument(const std::string &path)
    {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            error_ = std::strerror(errno);
            return;
        }
        struct stat info {};
        if (::fstat(fd, &info) == 0 && info.st_size > 0) {
            void *data =
                ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (data != MAP_FAILED)
                bytes_ =
                    std::string_view(static_cast<const char *>(data), static_cast<std::size_t>(info.st_size));
            else
                error_ = std::strerror(errno);
        }
        ::close(fd);
    }
    ~MappedDocument()
    {
        if (!bytes_.empty())
            ::munmap(const_cast<char *>(bytes_.data()), bytes_.size());
    }
    MappedDocument(const MappedDocument &) = delete;
    MappedDocument &operator=(const MappedDocument &) = delete;

    std::string_view Bytes() const { return bytes_; }
    const std::string &Error() const { return error_; }

private:
    std::string_view bytes_;
    std::string error_;
};

std::string FileHead(const std::string &path)
{
    char head[documents::kDocumentSignatureBytes] = {};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    const ssize_t got = ::read(fd, head, sizeof head);
    ::close(fd);
    return got > 0 ? std::string(head, static_cast<std::size_t>(got)) : std::string();
}

}  // namespace

FileScanner &ArchiveSearcher::DocumentScanner()
{
    if (!documentScanner_) {
        // Document text reaches the scan as UTF-8 with its signature, read
        // so whatever the run's encoding setting is.
        documentScanner_ = MakeGrepScanner(regex::TEncodingChoice::ecAuto);
        documentScanner_->SetPattern(context_.cp932Pattern, context_.fuzzy);
    }
    return *documentScanner_;
}

bool ArchiveSearcher::IsDocumentFile(const std::string &path, TypeJudgement judgement) const
{
    if (documents::DocumentKindByName(path) != documents::DocumentKind::None)
        return true;
    // A file named directly is judged by its content; a ZIP that is no
    // document stays an archive.
    if (judgement != TypeJudgement::ByContent || !documents::ContentMayBeDocument(FileHead(path)))
        return false;
    const MappedDocument document(path);
    return documents::DocumentKindByContent(document.Bytes()) != documents::DocumentKind::None;
}

ArchiveOutcome ArchiveSearcher::SearchDocumentFile(const std::string &path, RunSink &sink,
                                                   std::stop_token stop)
{
    const MappedDocument document(path);
    if (!document.Error().empty())
        return Skip(path, SkipReason::ExtractionFailed, sink, document.Error());
    documents::DocumentKind kind = documents::DocumentKindByContent(document.Bytes());
    if (kind == documents::DocumentKind::None)
        return Skip(path, SkipReason::Damaged, sink, DamageDetail({}, "not an Office or PDF document"));
    ArchiveOutcome outcome;
    if (context_.noText) {
        // List-only: the document is its own one stored file.
        sink.OnHit(THitRecord{path, archive::StoredBaseName(path), 0, {}});
        sink.OnProgressLine(ProgressLine(path, context_.searchFolder, archive::StoredBaseName(path), 0));
        outcome.hits = 1;
        return outcome;
    }
    EnsurePattern();  // a malformed pattern ends the run here as for an archive
    // Hits go out as found; each part's count follows as a progress line.
    std::vector<std::pair<std::string, int>> partCounts;
    const DocumentScanOutcome scanned = ScanDocument(
        document.Bytes(), kind, path, DocumentScanner(),
        [&](THitRecord hit, const std::string &part) {
            hit.ArchivePath = path;
            hit.StoredName = part;
            sink.OnHit(hit);
            ++outcome.hits;
            if (partCounts.empty() || partCounts.back().first != part)
                partCounts.emplace_back(part, 0);
            ++partCounts.back().second;
        },
        stop);
    for (const auto &[part, count] : partCounts)
        sink.OnProgressLine(ProgressLine(path, context_.searchFolder, part, count));
    switch (scanned.reading.status) {
    case documents::DocumentStatus::PasswordProtected:
        return Skip(path, SkipReason::PasswordProtected, sink);
    case documents::DocumentStatus::Damaged:
        sink.OnArchiveSkipped(path, SkipReason::Damaged, DamageDetail({}, scanned.reading.reason));
        break;
    default:
        break;
    }
    if (scanned.reading.status == documents::DocumentStatus::Stopped || scanned.scan == ScanStatus::Stopped ||
        stop.stop_requested())
        outcome.status = ArchiveStatus::Stopped;
    return outcome;
}

}  // namespace zr::search
