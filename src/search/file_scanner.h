#pragma once
// The step that searches one extracted file. The grep component is the
// default; a faster scanner or a transcoding reader can take its place.

#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "regex/text_encoding.h"
#include "regex/text_source.h"
#include "regex/txt_file_line_info.h"

namespace zr::search {

// One matching line: its 1-based number and its text without the line break (CP932).
using MatchedLineHandler = std::function<void(std::int32_t lineNo, std::string_view lineText)>;

enum class ScanStatus {
    Completed,
    Stopped,  // the stop token ended the scan; lines reported so far stand
    Missing,  // the file could not be opened
};

class FileScanner {
public:
    virtual ~FileScanner() = default;
    // Sets the pattern (CP932) for the scans that follow. Throws the parser's
    // exception for a malformed pattern.
    virtual void SetPattern(const std::string &cp932Pattern, bool fuzzy) = 0;
    // Reports each matching line once, in line order.
    virtual ScanStatus ScanFile(const std::string &path, const MatchedLineHandler &onLine,
                                std::stop_token stop) = 0;
    // The same scan over a file's bytes already in memory (`path` only
    // names it), for scanners that can; see ScansBytes.
    virtual ScanStatus ScanBytes(const std::string &path, std::string_view bytes,
                                 const MatchedLineHandler &onLine, std::stop_token stop)
    {
        (void)path, (void)bytes, (void)onLine, (void)stop;
        return ScanStatus::Missing;
    }
    virtual bool ScansBytes() const { return false; }
    // The same scan over bytes that arrive while it runs (a stored file
    // being decompressed), for scanners that scan bytes.
    virtual ScanStatus ScanStream(const std::string &path, regex::TByteStream &stream,
                                  const MatchedLineHandler &onLine, std::stop_token stop)
    {
        (void)path, (void)stream, (void)onLine, (void)stop;
        return ScanStatus::Missing;
    }
    // Inside the handler: the characters of a converted file that the
    // reported line holds as geta marks (none for a CP932 file).
    virtual std::vector<regex::TLineSubstitution> LineSubstitutions() const { return {}; }
    // Where the first match of the pattern starts in a reported line
    // (CP932); npos when the scanner cannot tell.
    virtual std::size_t FirstMatchAt(std::string_view cp932Line) const
    {
        (void)cp932Line;
        return std::string_view::npos;
    }
};

// The grep component with its compiled-pattern cache; files are read in the
// given encoding or each in its own (auto).
std::unique_ptr<FileScanner>
MakeGrepScanner(regex::TEncodingChoice encoding = regex::TEncodingChoice::ecAuto);

}  // namespace zr::search
