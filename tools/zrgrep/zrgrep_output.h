#pragma once
// What zrgrep prints: hit lines, JSON objects, progress and the summary.

#include <cstdio>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>

#include "search/match_spans.h"
#include "search/run_sink.h"
#include "zrgrep_options.h"

namespace zr::tools {

// The match finder is the search core's, shared with the window.
using search::ByteSpan;
using search::MatchSpans;

// Text with every byte sequence that is not UTF-8 replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);
// A JSON string literal (with its quotes) of UTF-8 text; invalid bytes become U+FFFD.
std::string JsonString(std::string_view text);

// {"archive": ..., "stored": ..., "line": N, "text": ...}
std::string FormatJsonHit(const search::THitRecord &hit);
// {"archive": ..., ["stored": ...,] "skipped": "password"|"damaged"|"failed"}
// for an archive or stored file that could not be searched; "" for other skips.
std::string FormatJsonSkip(const std::string &archivePath, search::SkipReason reason,
                           const std::string &detail);
// "zrgrep: ARCHIVE: WHY[ (STORED, STORED, ...)]" for stderr.
std::string FormatUnsearchedLine(const search::UnsearchedArchive &archive, const std::string &why);
// ARCHIVE{STORED}:LINENO:TEXT, or ARCHIVE{STORED} for a stored-file hit. With
// spans, each match is wrapped in the terminal's colour codes.
std::string FormatHitLine(const search::THitRecord &hit, const MatchSpans *spans);
// "ARCHIVE{inner.zip}{b.zip}: why" for archives inside archives given up or
// searched as plain files.
std::string FormatNestLine(const std::string &archivePath, search::SkipReason reason, const std::string &detail);

// Prints a run's events. A failed write to stdout (a closed pipe) stops the
// run through stop, since nobody reads the rest.
class OutputSink : public search::RunSink {
public:
    OutputSink(OutputMode mode, std::unique_ptr<MatchSpans> colour, bool progress, std::FILE *out,
               std::FILE *err, std::stop_source stop);

    void OnArchiveStarted(int index, int count, const std::string &path) override;
    void OnHit(const search::THitRecord &hit) override;
    // An archive whose worker failed, or a stored file past the size budget, is named on stderr at
    // once; in JSON mode an archive or stored file that could not be searched is also a record.
    void OnArchiveSkipped(const std::string &path, search::SkipReason reason,
                          const std::string &detail) override;
    // Names each archive passed over for a password, damage or a failed extraction on stderr.
    void OnFinished(const search::RunSummary &summary) override;

    bool WriteFailed() const { return writeFailed_; }

private:
    void Write(const std::string &line);
    void ClearProgress();

    OutputMode mode_;
    std::unique_ptr<MatchSpans> colour_;
    bool progress_;
    bool progressShown_ = false;
    bool nestDepthShown_ = false;  // the depth limit is told once per run
    std::FILE *out_;
    std::FILE *err_;
    std::stop_source stop_;
    bool writeFailed_ = false;
};

}  // namespace zr::tools
