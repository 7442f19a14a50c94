#pragma once
// The parts of a ZIP-packaged document (OOXML, OpenDocument) held in
// memory: their names, and each part's bytes as a stream, decompressed as
// they are read so a large sheet never has to be held whole.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct archive;

namespace zr::documents {

// A part being read. Read returns 0 at its end; a read error throws
// std::runtime_error with the library's message.
class PartStream {
public:
    explicit PartStream(archive *reader) : reader_(reader) {}
    ~PartStream();
    PartStream(const PartStream &) = delete;
    PartStream &operator=(const PartStream &) = delete;

    std::size_t Read(char *dest, std::size_t wanted);

private:
    archive *reader_;
};

class ZipParts {
public:
    // The bytes must outlive this object. Throws std::runtime_error when
    // they are no ZIP.
    explicit ZipParts(std::string_view bytes);

    const std::vector<std::string> &Names() const { return names_; }
    bool Has(std::string_view name) const;
    // The part's stream, or null when there is no such part.
    std::unique_ptr<PartStream> Open(std::string_view name) const;
    // A small part whole (relationships, workbook, mimetype); nullopt when
    // absent or larger than limit.
    std::optional<std::string> ReadWhole(std::string_view name, std::size_t limit = 64u << 20) const;

private:
    archive *OpenReader() const;

    std::string_view bytes_;
    std::vector<std::string> names_;
};

// "word/document.xml" + "../media/x.png" -> "media/x.png"; a target
// starting with "/" is taken from the package root.
std::string ResolvePartTarget(std::string_view sourcePart, std::string_view target);

}  // namespace zr::documents
