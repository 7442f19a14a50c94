#include "search/nested_archive_kind.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zr::search {

namespace {

bool StartsWith(std::string_view head, std::string_view magic)
{
    return head.substr(0, magic.size()) == magic;
}

std::string LowerAscii(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return lower;
}

std::string_view BaseName(std::string_view name)
{
    const auto cut = name.find_last_of("/\\");
    return cut == std::string_view::npos ? name : name.substr(cut + 1);
}

std::string LowerExtension(std::string_view name)
{
    const std::string_view base = BaseName(name);
    const auto dot = base.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? std::string() : LowerAscii(base.substr(dot));
}

// "-lh5-" and its kin at offset 2 of an LHA header.
bool IsLhaHead(std::string_view head)
{
    if (head.size() < 7 || head[2] != '-' || head[6] != '-' || head[3] != 'l')
        return false;
    return head[4] == 'h' || head[4] == 'z';
}

}  // namespace

bool IsCompressedStreamHead(std::string_view head)
{
    using namespace std::string_view_literals;
    for (const std::string_view magic : {"\x1f\x8b"sv, "BZh"sv, "\xfd\x37\x7a\x58\x5a\x00"sv,
                                         "\x28\xb5\x2f\xfd"sv, "\x04\x22\x4d\x18"sv, "LZIP"sv, "\x1f\x9d"sv})
        if (StartsWith(head, magic))
            return true;
    return false;
}

archive::TArchiveType NestedArchiveType(std::string_view head)
{
    using namespace std::string_view_literals;
    if (StartsWith(head, "PK\x03\x04"sv) || StartsWith(head, "PK\x05\x06"sv))
        return archive::atZip;
    if (StartsWith(head, "Rar!\x1a\x07"sv))
        return archive::atRar;
    if (StartsWith(head, "7z\xbc\xaf\x27\x1c"sv))
        return archive::at7z;
    if (StartsWith(head, "MSCF\0\0\0\0"sv))
        return archive::atCab;
    if (StartsWith(head, "\x60\xea"sv))
        return archive::atArj;
    if (IsLhaHead(head))
        return archive::atLha;
    if (IsCompressedStreamHead(head))
        return archive::atTar;
    if (head.size() >= 262 && (head.substr(257, 5) == "ustar"sv))
        return archive::atTar;
    return archive::atNone;
}

bool IsDocumentContainerName(std::string_view storedName)
{
    static constexpr std::array<const char *, 8> kDocuments = {".docx", ".docm", ".xlsx", ".xlsm",
                                                               ".pptx", ".odt",  ".ods",  ".odp"};
    const std::string extension = LowerExtension(storedName);
    return std::any_of(kDocuments.begin(), kDocuments.end(),
                       [&](const char *document) { return extension == document; });
}

bool HasArchiveExtension(std::string_view storedName)
{
    static constexpr std::array<const char *, 20> kArchives = {
        ".lzh", ".lha", ".zip", ".cab",  ".tar", ".tgz", ".taz", ".gz",  ".z",   ".bz2",
        ".xz",  ".txz", ".zst", ".tzst", ".lz4", ".lz",  ".tlz", ".arj", ".rar", ".7z"};
    const std::string extension = LowerExtension(storedName);
    return std::any_of(kArchives.begin(), kArchives.end(),
                       [&](const char *archive) { return extension == archive; });
}

std::string CompressedStreamEntryName(std::string_view storedName)
{
    const std::string base(BaseName(storedName));
    const std::string extension = LowerExtension(base);
    for (const char *single : {".gz", ".z", ".bz2", ".xz", ".lzma", ".zst", ".lz4", ".lz"})
        if (extension == single)
            return base.substr(0, base.size() - extension.size());
    for (const char *tar : {".tgz", ".taz", ".txz", ".tzst", ".tlz"})
        if (extension == tar)
            return base.substr(0, base.size() - extension.size()) + ".tar";
    return base;
}

}  // namespace zr::search
