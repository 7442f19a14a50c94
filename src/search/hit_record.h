#pragma once
// One hit: a matching line of a stored file, or in list-only mode the stored
// file itself (line 0, no text).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "regex/txt_file_line_info.h"

namespace zr::search {

// A hit keeps at most this many bytes of its line.
inline constexpr std::size_t kMaxLineTextBytes = 260;

struct THitRecord {
    std::string ArchivePath;  // full path of the archive (UTF-8)
    std::string StoredName;   // full stored name as listed, "/" or "\" between folders (UTF-8)
    std::int32_t LineNo = 0;  // 1-based; 0 for a stored-file hit
    std::string LineText;     // first kMaxLineTextBytes bytes of the line, CP932
    // Geta marks in LineText that stand for characters of a converted file
    // (UTF-8, EUC-JP, ...) that CP932 lacks; DisplayLineText puts them back.
    std::vector<regex::TLineSubstitution> Substitutes = {};
    // Where in an Office or PDF document the line is ("Sheet1!B12",
    // "スライド 3", "p.12", "段落 7"); empty for other files.
    std::string Location = {};
    // The stored names of the archives the stored file is inside, outermost
    // first; empty for a stored file of the archive on disk.
    std::vector<std::string> Via = {};

    bool operator==(const THitRecord &) const = default;
};

// The first kMaxLineTextBytes bytes of a line, cut exactly there (a
// double-byte character may lose its second byte; DisplayLineText copes).
std::string CutLineText(std::string_view cp932Line);

// A CP932 line text as UTF-8 for display. A double-byte character cut in half
// at the end is dropped, and any other byte that does not convert becomes
// U+FFFD, so a cut never breaks the conversion.
std::string DisplayLineText(std::string_view cp932Text);
// The hit's line text (or its bytes from..to) as the file has it: as above,
// with the file's own characters where geta marks stand in for them.
std::string DisplayLineText(const THitRecord &hit, std::size_t from = 0, std::size_t to = std::string::npos);

// The part of a stored name after its last "/", "\" or ":".
std::string StoredFileNamePart(const std::string &storedName);

// A stored name that ends in "/" or "\" is a folder entry.
bool IsFolderEntry(const std::string &storedName);

}  // namespace zr::search
