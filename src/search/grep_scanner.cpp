// The default file scan: the grep component, whose cache of compiled
// patterns makes assigning the same pattern before every file cheap.

#include <string_view>

#include "regex/grep.h"
#include "search/file_scanner.h"
#include "search/match_spans.h"

namespace zr::search {
namespace {

class GrepScanner : public FileScanner {
public:
    explicit GrepScanner(regex::TEncodingChoice encoding) { grep_.SetEncodingChoice(encoding); }

    void SetPattern(const std::string &cp932Pattern, bool fuzzy) override
    {
        // The dictionary first: switching it re-expands the current pattern.
        if (grep_.UseFuzzyCharDic() != fuzzy)
            grep_.SetUseFuzzyCharDic(fuzzy);
        grep_.SetRegExp(cp932Pattern);
        pattern_ = cp932Pattern;
        fuzzy_ = fuzzy;
        spans_.reset();
    }

    std::size_t FirstMatchAt(std::string_view cp932Line) const override
    {
        // Built on first use: only document cells ask.
        if (!spans_)
            spans_ = std::make_unique<MatchSpans>(pattern_, fuzzy_);
        const std::vector<ByteSpan> found = spans_->Find(cp932Line);
        return found.empty() ? std::string_view::npos : found.front().first;
    }

    ScanStatus ScanFile(const std::string &path, const MatchedLineHandler &onLine,
                        std::stop_token stop) override
    {
        return Scan(onLine, stop, [&] { grep_.GrepFile(path); });
    }

    ScanStatus ScanBytes(const std::string &path, std::string_view bytes, const MatchedLineHandler &onLine,
                         std::stop_token stop) override
    {
        return Scan(onLine, stop, [&] { grep_.GrepBytes(path, bytes); });
    }

    ScanStatus ScanStream(const std::string &path, regex::TByteStream &stream,
                          const MatchedLineHandler &onLine, std::stop_token stop) override
    {
        return Scan(onLine, stop, [&] { grep_.GrepStream(path, stream); });
    }

    bool ScansBytes() const override { return true; }

    std::vector<regex::TLineSubstitution> LineSubstitutions() const override { return substitutes_; }

private:
    template <typename Grep>
    ScanStatus Scan(const MatchedLineHandler &onLine, std::stop_token stop, Grep grep)
    {
        grep_.SetOnMatch([&](regex::TGrep &, regex::RE_LineInfo_t &info) {
            substitutes_ = std::move(info.Substitutes);
            onLine(info.LineNo, info.Line);
        });
        grep_.SetStopToken(stop);
        ScanStatus status = ScanStatus::Completed;
        try {
            grep();
        } catch (const regex::EGrepCancel &) {
            status = ScanStatus::Stopped;
        } catch (const regex::EFileNotFound &) {
            status = ScanStatus::Missing;
        } catch (...) {
            Detach();
            throw;
        }
        Detach();
        return status;
    }

    // The handler refers to the caller's state: never keep it past a scan.
    void Detach()
    {
        grep_.SetOnMatch({});
        grep_.SetStopToken({});
    }

    regex::TGrep grep_;
    std::string pattern_;
    bool fuzzy_ = false;
    mutable std::unique_ptr<MatchSpans> spans_;
    std::vector<regex::TLineSubstitution> substitutes_;  // of the line being reported
};

}  // namespace

std::unique_ptr<FileScanner> MakeGrepScanner(regex::TEncodingChoice encoding)
{
    return std::make_unique<GrepScanner>(encoding);
}

}  // namespace zr::search
