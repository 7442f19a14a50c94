#include "documents/zip_parts.h"

#include <archive.h>
#include <archive_entry.h>
#include <stdexcept>

namespace zr::documents {

namespace {

std::runtime_error ReaderError(archive *reader, const char *what)
{
    const char *message = reader ? archive_error_string(reader) : nullptr;
    return std::runtime_error(std::string(what) + (message ? std::string(": ") + message : std::string()));
}

}  // namespace

PartStream::~PartStream() { archive_read_free(reader_); }

std::size_t PartStream::Read(char *dest, std::size_t wanted)
{
    const la_ssize_t got = archive_read_data(reader_, dest, wanted);
    if (got < 0)
        throw ReaderError(reader_, "part cannot be read");
    return static_cast<std::size_t>(got);
}

archive *ZipParts::OpenReader() const
{
    archive *reader = archive_read_new();
    if (!reader)
        throw std::bad_alloc();
    // The central directory gives the names and lets a part be reached
    // without reading the parts before it.
    archive_read_support_format_zip_seekable(reader);
    if (archive_read_open_memory(reader, bytes_.data(), bytes_.size()) != ARCHIVE_OK) {
        std::runtime_error error = ReaderError(reader, "not a ZIP package");
        archive_read_free(reader);
        throw error;
    }
    return reader;
}

ZipParts::ZipParts(std::string_view bytes) : bytes_(bytes)
{
    archive *reader = OpenReader();
    archive_entry *entry = nullptr;
    int result;
    while ((result = archive_read_next_header(reader, &entry)) == ARCHIVE_OK || result == ARCHIVE_WARN) {
        if (const char *name = archive_entry_pathname(entry))
            names_.emplace_back(name);
    }
    const bool failed = result != ARCHIVE_EOF;
    std::runtime_error error =
        failed ? ReaderError(reader, "ZIP directory cannot be read") : std::runtime_error("");
    archive_read_free(reader);
    if (failed)
        throw error;
}

bool ZipParts::Has(std::string_view name) const
{
    for (const std::string &part : names_)
        if (part == name)
            return true;
    return false;
}

std::unique_ptr<PartStream> ZipParts::Open(std::string_view name) const
{
    if (!Has(name))
        return nullptr;
    archive *reader = OpenReader();
    auto stream = std::make_unique<PartStream>(reader);
    archive_entry *entry = nullptr;
    int result;
    while ((result = archive_read_next_header(reader, &entry)) == ARCHIVE_OK || result == ARCHIVE_WARN) {
        const char *entryName = archive_entry_pathname(entry);
        if (entryName && name == entryName)
            return stream;
    }
    throw ReaderError(reader, "part cannot be found");
}

std::optional<std::string> ZipParts::ReadWhole(std::string_view name, std::size_t limit) const
{
    std::unique_ptr<PartStream> stream = Open(name);
    if (!stream)
        return std::nullopt;
    std::string whole;
    char block[65536];
    while (std::size_t got = stream->Read(block, sizeof block)) {
        if (whole.size() + got > limit)
            return std::nullopt;
        whole.append(block, got);
    }
    return whole;
}

std::string ResolvePartTarget(std::string_view sourcePart, std::string_view target)
{
    std::vector<std::string> segments;
    if (!target.empty() && target.front() == '/') {
        target.remove_prefix(1);
    } else {
        const std::size_t slash = sourcePart.rfind('/');
        std::string_view folder =
            slash == std::string_view::npos ? std::string_view() : sourcePart.substr(0, slash);
        while (!folder.empty()) {
            const std::size_t next = folder.find('/');
            segments.emplace_back(folder.substr(0, next));
            folder = next == std::string_view::npos ? std::string_view() : folder.substr(next + 1);
        }
    }
    while (!target.empty()) {
        const std::size_t next = target.find('/');
        const std::string_view segment = target.substr(0, next);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.emplace_back(segment);
        }
        target = next == std::string_view::npos ? std::string_view() : target.substr(next + 1);
    }
    std::string path;
    for (const std::string &segment : segments)
        path += (path.empty() ? "" : "/") + segment;
    return path;
}

}  // namespace zr::documents
