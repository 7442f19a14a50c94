#pragma once
// The fast scan of a text file: the same lines, numbers and order as the
// designed scans, found by a lazily built byte automaton that tries every
// character start at once, behind a vectorised search for a literal every
// match must begin with. Line numbers are counted only where a line is
// reported, and memory stays bounded whatever the file.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "regex/byte_search.h"
#include "regex/dfa.h"
#include "regex/lazy_byte_dfa.h"
#include "regex/text_source.h"
#include "regex/txt_file.h"
#include "regex/txt_file_line_info.h"

namespace zr::regex {

class TFastTextWindow;

class TFastScan {
public:
    using Reporter = std::function<void(RE_LineInfo_t &)>;

    explicit TFastScan(std::shared_ptr<const TRE_DFA> dfa, TLazyByteDfa::Limits limits = {});

    // False when a match may run across a line break; the designed scan then serves.
    bool Usable() const { return automaton_.LinesAreIndependent(); }
    const std::string &Prefilter() const { return finder_.Needle(); }
    // Positions of the byte-set search used when there is no literal (0: none).
    std::size_t PrefixSetLength() const { return setFinder_.Length(); }
    const TLazyByteDfa &Automaton() const { return automaton_; }
    // Off: reports carry the line number only (counting needs no copies).
    void SetWantLineText(bool on) { wantLineText_ = on; }
    // Off: reports carry line number 0 and no line feed is counted.
    void SetWantLineNumbers(bool on) { wantLineNumbers_ = on; }

    // Throws EInOutError and EGrepCancel (checked once per
    // block read and before each report, after the message loop has run).
    void Scan(TTextSource &source, const std::function<bool()> &cancelled,
              const MessageLoopHook &runMessageLoop, const Reporter &report);

private:
    struct Run;
    struct LineSpan {
        std::uint64_t start = 0;  // the line feeds around the line
        std::uint64_t end = 0;
    };

    enum class Outcome { Match, Dead, Stopped };

    bool RunAutomaton(Run &run, std::uint64_t stop);
    Outcome RunCandidate(Run &run, std::uint64_t stop);
    bool RunInterleaved(Run &run);
    static bool LineOfMatch(TFastTextWindow &text, std::uint64_t restart, std::uint64_t matchEnd,
                            LineSpan &line);
    static void Report(Run &run, const LineSpan &line);
    bool SkipToCandidate(Run &run);
    const unsigned char *FindCandidate(const unsigned char *begin, const unsigned char *end) const;
    std::size_t CandidateLength() const;
    bool ReportMatch(Run &run, std::uint64_t matchEnd);
    void FinishLine(Run &run, const LineSpan &line);

    std::shared_ptr<const TRE_DFA> dfa_;
    TLazyByteDfa automaton_;
    TNeedleFinder finder_;
    TByteSetFinder setFinder_;  // when finder_ has no needle
    bool canMatch_ = true;
    bool literalOnly_ = false;  // the pattern is its prefix literal: no automaton needed
    bool wantLineText_ = true;
    bool wantLineNumbers_ = true;
};

// The literal every match starts with (its longest piece without line
// breaks), or "" when there is none.
std::string RequiredPrefix(const TRE_DFA &dfa);

}  // namespace zr::regex
