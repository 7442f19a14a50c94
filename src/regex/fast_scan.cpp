#include "regex/fast_scan.h"

#include <cstring>

#include "platform/mbchar.h"
#include "regex/fast_text_window.h"
#include "regex/prefix_byte_sets.h"
#include "regex/scanner.h"

namespace zr::regex {

namespace {

bool RoundTrips(CharCode code)
{
    if (code == 0)
        return false;
    const std::string bytes = CharToStr(code);
    std::size_t index = 1;
    try {
        return ReadChar(bytes, index) == code && index == bytes.size() + 1;
    } catch (const ERegExpParser &) {
        return false;
    }
}

}  // namespace

std::string RequiredPrefix(const TRE_DFA &dfa)
{
    std::string prefix;
    int s = dfa.Start();
    // The start state's own accepting flag does not end an attempt: a match
    // takes at least one character.
    for (std::size_t steps = 0; steps <= dfa.StateCount() && prefix.size() < TFastTextWindow::kOverlap;
         ++steps) {
        const DfaState &state = dfa.State(s);
        if (state.transitions.size() != 1 || (s != dfa.Start() && state.accepting))
            break;
        const DfaTransition &t = state.transitions.front();
        if (t.low != t.high || !RoundTrips(t.low))
            break;
        const std::string bytes = CharToStr(t.low);
        if (prefix.size() + bytes.size() > TFastTextWindow::kOverlap)
            break;
        prefix += bytes;
        if (dfa.Accepting(t.target))
            break;
        s = t.target;
    }
    // Line breaks are read with their CR; NUL can never be matched literally.
    std::string best, piece;
    for (const char c : prefix + '\n') {
        if (c == '\n' || c == '\r' || c == '\0') {
            if (piece.size() > best.size())
                best = piece;
            piece.clear();
        } else {
            piece += c;
        }
    }
    return best;
}

namespace {

constexpr double kMaxCandidateRate = 1.0 / 1000;

}  // namespace

struct TFastScan::Run {
    TFastTextWindow &text;
    const Reporter &report;
    std::uint64_t restart = 0;  // a line feed where every attempt starts afresh
    std::uint64_t pos = 0;      // next byte for the automaton
    std::uint32_t state = TLazyByteDfa::kFresh;
    bool toLineEnd = false;        // a candidate was found: run to the end of its line
    bool prefilter = false;        // candidates are looked for at all
    bool searching = false;        // the next step is a look for a candidate
    bool mayResume = false;        // the candidate's run may hand back to the search
    std::uint64_t searchFrom = 0;  // where the literal search goes on
    bool wantLineText = true;
    bool wantLineNumbers = true;
};

TFastScan::TFastScan(std::shared_ptr<const TRE_DFA> dfa, TLazyByteDfa::Limits limits)
    : dfa_(std::move(dfa)), automaton_(dfa_, limits)
{
    const std::string &literal = dfa_->LiteralText();
    literalOnly_ = dfa_->IsLiteral() && !literal.empty() && RequiredPrefix(*dfa_) == literal;
    TNeedleFinder finder(RequiredPrefix(*dfa_));
    if (finder.Selective() || literalOnly_) {
        finder_ = std::move(finder);
    } else {
        // Worth it when candidates come rarer than about once a kilobyte:
        // each one costs a run of the automaton over its line.
        std::vector<ByteSet> sets = PrefixByteSets(*dfa_, TByteSetFinder::kMaxLength);
        if (sets.size() >= 2 && CandidateRate(sets) < kMaxCandidateRate)
            setFinder_ = TByteSetFinder(std::move(sets));
    }
    canMatch_ = !dfa_->State(dfa_->Start()).transitions.empty();
}

void TFastScan::Scan(TTextSource &source, const std::function<bool()> &cancelled,
                     const MessageLoopHook &runMessageLoop, const Reporter &report)
{
    TFastTextWindow text(source, cancelled, runMessageLoop, wantLineNumbers_);
    if (text.Empty() || !canMatch_)
        return;
    Run run{text, report};
    run.wantLineText = wantLineText_;
    run.wantLineNumbers = wantLineNumbers_;
    run.prefilter = run.searching = CandidateLength() > 0;
    for (;;) {
        if (run.searching) {
            if (!SkipToCandidate(run))
                return;
            continue;
        }
        std::uint64_t stop = text.End();
        if (run.toLineEnd) {
            const std::uint64_t from = std::max(run.pos, run.restart + 1);
            if (from < text.End())
                if (const unsigned char *lf = FindByte(text.At(from), text.At(text.End()), '\n'))
                    stop = from + std::uint64_t(lf - text.At(from)) + 1;
        }
        if (run.mayResume) {
            const Outcome outcome = RunCandidate(run, stop);
            if (outcome == Outcome::Dead) {
                run.searching = true;
                run.toLineEnd = run.mayResume = false;
                continue;
            }
            if (outcome == Outcome::Match) {
                if (stop != text.End()) {
                    // The run started after the line feed before the candidate
                    // and stop is just after the line's own: the line is known.
                    FinishLine(run, {run.restart, stop - 1});
                } else if (!ReportMatch(run, run.pos)) {
                    return;
                }
                continue;
            }
        } else if (RunInterleaved(run)) {
            continue;
        } else if (RunAutomaton(run, stop)) {
            if (!ReportMatch(run, run.pos))
                return;
            continue;
        }
        if (run.toLineEnd && stop != text.End()) {
            // The candidate's line holds no match: look for the next candidate.
            run.restart = run.pos = stop - 1;
            run.state = TLazyByteDfa::kFresh;
            run.toLineEnd = run.mayResume = false;
            run.searching = run.prefilter;
            continue;
        }
        if (text.AtEnd())
            return;
        text.Load(text.LineFeedBefore(text.End(), run.restart));
    }
}

namespace {

// Whether a byte of a line begins a character: an even run of lead-byte
// values before it pairs up into whole characters (the byte before the run
// ends a character, or the run starts the line).
bool StartsCharacter(const TFastTextWindow &text, std::uint64_t lineStart, std::uint64_t at)
{
    std::uint64_t leads = 0;
    while (at - leads > lineStart + 1 && platform::IsCp932LeadByte(*text.At(at - leads - 1)))
        ++leads;
    return leads % 2 == 0;
}

}  // namespace

// Moves the run to the line feed before the next place the literal occurs;
// a pattern that is the literal itself is decided there and then. Returns
// false when the text holds no further occurrence.
bool TFastScan::SkipToCandidate(Run &run)
{
    TFastTextWindow &text = run.text;
    const std::uint64_t from = std::max(run.pos, run.searchFrom);
    const unsigned char *found = FindCandidate(text.At(from), text.At(text.End()));
    if (found) {
        const std::uint64_t at = from + std::uint64_t(found - text.At(from));
        // A count needs no line start where the candidate's run starts at the
        // candidate: the walk over lead bytes stops at a line feed anyway.
        const bool fromCandidate = !literalOnly_ && finder_.Needle().empty();
        const bool lineStartNeeded =
            !fromCandidate || run.wantLineText || run.wantLineNumbers || run.restart < text.Begin();
        const std::uint64_t lineStart = lineStartNeeded ? text.LineFeedBefore(at, run.restart) : run.restart;
        const bool startsCharacter = StartsCharacter(text, lineStart, at);
        if (!literalOnly_) {
            run.restart = run.pos = lineStart;
            run.searching = false;
            run.mayResume = fromCandidate;
            if (run.mayResume) {
                // The sets hold from a match's first byte on and no match starts
                // between the line's start and the candidate: the automaton
                // starts there, or after it when it is a second byte. (A needle
                // may come after a line feed the match begins with.)
                run.pos = startsCharacter ? at : at + 1;
            }
            run.toLineEnd = true;
            return true;
        }
        if (!startsCharacter) {
            run.searchFrom = at + 1;  // a trail byte: the line may hold another
            return true;
        }
        const LineSpan line{lineStart, text.LineFeedFrom(at + finder_.Needle().size(), lineStart)};
        Report(run, line);
        run.restart = run.pos = run.searchFrom = line.end;
        return true;
    }
    if (text.AtEnd())
        return false;
    // An occurrence may still start in the last bytes, which the next block completes.
    const std::uint64_t unseen = std::max(from, text.End() - (CandidateLength() - 1));
    run.restart = run.pos = text.LineFeedBefore(unseen, run.restart);
    run.searchFrom = unseen;
    if (text.End() - run.restart > TFastTextWindow::kMaxLineText / 2) {
        // A very long line cannot be kept whole to go back to its start: the
        // automaton reads on through it instead.
        run.toLineEnd = true;
        run.searching = run.mayResume = false;
        return true;
    }
    text.Load(run.restart);
    return true;
}

const unsigned char *TFastScan::FindCandidate(const unsigned char *begin, const unsigned char *end) const
{
    return finder_.Needle().empty() ? setFinder_.Find(begin, end) : finder_.Find(begin, end);
}

std::size_t TFastScan::CandidateLength() const
{
    return finder_.Needle().empty() ? setFinder_.Length() : finder_.Needle().size();
}

// Feeds bytes up to stop; true when a match ended (run.pos is then just after
// its last byte).
bool TFastScan::RunAutomaton(Run &run, std::uint64_t stop)
{
    const unsigned char *const begin = run.text.At(run.pos);
    const unsigned char *p = begin;
    const unsigned char *const end = run.text.At(stop);
    const std::uint32_t *table = automaton_.Table();
    std::uint32_t s = run.state;
    constexpr std::uint32_t kSpecial = TLazyByteDfa::kSpecialBit;
    for (;;) {
        while (end - p >= 4) {
            std::uint32_t n = table[s + p[0]];
            if (n & kSpecial)
                break;
            s = n;
            n = table[s + p[1]];
            if (n & kSpecial) {
                p += 1;
                break;
            }
            s = n;
            n = table[s + p[2]];
            if (n & kSpecial) {
                p += 2;
                break;
            }
            s = n;
            n = table[s + p[3]];
            if (n & kSpecial) {
                p += 3;
                break;
            }
            s = n;
            p += 4;
        }
        if (p == end)
            break;
        std::uint32_t n = table[s + *p];
        if (n == TLazyByteDfa::kUnknown) {
            n = automaton_.Compute(s, *p);
            table = automaton_.Table();
        }
        ++p;
        if (n == TLazyByteDfa::kMatch) {
            run.pos += std::uint64_t(p - begin);
            return true;
        }
        s = n;
    }
    run.pos = stop;
    run.state = s;
    return false;
}

// Feeds the bytes of a candidate's line up to stop. Match: a match ended
// (run.pos is just after it). Dead: no attempt is left, run.pos is the next
// character start and the search may take over from there (only while the
// line's start is still held, which the search needs to tell first bytes
// from second ones). Stopped: stop was reached.
TFastScan::Outcome TFastScan::RunCandidate(Run &run, std::uint64_t stop)
{
    const unsigned char *const begin = run.text.At(run.pos);
    const unsigned char *p = begin;
    const unsigned char *const end = run.text.At(stop);
    const bool mayDie = run.restart >= run.text.Begin();
    const std::uint32_t *table = automaton_.Table();
    std::uint32_t s = run.state;
    while (p != end) {
        std::uint32_t n = table[s + *p];
        if (n & TLazyByteDfa::kSpecialBit) {
            if (n == TLazyByteDfa::kUnknown) {
                n = automaton_.Compute(s, *p);
                table = automaton_.Table();
            }
            if (n == TLazyByteDfa::kMatch) {
                run.pos += std::uint64_t(p + 1 - begin);
                return Outcome::Match;
            }
        }
        ++p;
        s = n;
        if (s == TLazyByteDfa::kFresh && mayDie) {
            run.pos += std::uint64_t(p - begin);
            run.state = s;
            return Outcome::Dead;
        }
    }
    run.pos = stop;
    run.state = s;
    return Outcome::Stopped;
}

// The line a match started in, from the restart point of its attempts and
// the position after its last byte. Returns false when the match is the
// final line feed alone, which begins no line.
bool TFastScan::LineOfMatch(TFastTextWindow &text, std::uint64_t restart, std::uint64_t matchEnd,
                            LineSpan &line)
{
    const std::uint64_t last = matchEnd - 1;
    if (*text.At(last) == '\n' && last == restart) {
        // The line feed alone matched: it begins the line after it.
        if (text.AtEnd() && last + 1 == text.End())
            return false;
        line.start = last;
        line.end = text.LineFeedFrom(last + 1, last);
    } else if (*text.At(last) == '\n') {
        line.start = text.LineFeedBefore(last, restart);
        line.end = last;
    } else {
        line.start = text.LineFeedBefore(last, restart);
        line.end = text.LineFeedFrom(matchEnd, line.start);
    }
    return true;
}

void TFastScan::Report(Run &run, const LineSpan &line)
{
    RE_LineInfo_t info;
    if (run.wantLineNumbers)
        info.LineNo = run.text.LineNumber(line.start);
    if (run.wantLineText) {
        info.Line = run.text.LineText(line.start, line.end);
        info.Substitutes =
            run.text.Source().TakeSubstitutions(TFastTextWindow::SourceOffset(line.start), info.Line.size());
    }
    run.text.RunMessageLoopAndCheckCancel();
    run.report(info);
}

// Reports the line the match started in and restarts at the end of that
// line. Returns false when no line is left.
bool TFastScan::ReportMatch(Run &run, std::uint64_t matchEnd)
{
    LineSpan line;
    if (!LineOfMatch(run.text, run.restart, matchEnd, line))
        return false;
    FinishLine(run, line);
    return true;
}

// Reports the line and goes on after it.
void TFastScan::FinishLine(Run &run, const LineSpan &line)
{
    Report(run, line);
    run.restart = run.pos = line.end;
    run.state = TLazyByteDfa::kFresh;
    run.toLineEnd = run.mayResume = false;
    run.searching = run.prefilter;
}

namespace {

// One of the interleaved automaton runs over a stretch of whole lines.
struct Stream {
    const unsigned char *p;
    const unsigned char *end;  // just after the line feed that ends the stretch
    std::uint32_t state;
    std::uint64_t restart;
};

}  // namespace

// Splits the window's whole lines into stretches and runs the automaton over
// them side by side: lines are decided on their own, and the independent
// table lookups overlap instead of waiting for each other. Lines found are
// reported in order afterwards. Returns false when the window is too small.
bool TFastScan::RunInterleaved(Run &run)
{
    constexpr std::size_t kStreams = 4;
    constexpr std::uint64_t kMinStretch = 16 * 1024;
    TFastTextWindow &text = run.text;
    if (run.toLineEnd || text.End() - run.pos < kStreams * kMinStretch)
        return false;
    const std::uint64_t lastLineFeed = text.LineFeedBefore(text.End(), run.pos);
    if (lastLineFeed <= run.pos || lastLineFeed - run.pos < kStreams * kMinStretch)
        return false;
    std::uint64_t bounds[kStreams + 1];
    std::size_t count = 0;
    bounds[0] = run.pos;
    const std::uint64_t stretch = (lastLineFeed - run.pos) / kStreams;
    for (std::size_t k = 1; k < kStreams; ++k) {
        const std::uint64_t from = run.pos + k * stretch;
        const void *lf = std::memchr(text.At(from), '\n', std::size_t(lastLineFeed - from));
        if (!lf)
            break;
        const std::uint64_t at = from + std::uint64_t(static_cast<const unsigned char *>(lf) - text.At(from));
        if (at <= bounds[count])
            continue;
        bounds[++count] = at;
    }
    bounds[++count] = lastLineFeed;
    if (count != kStreams)
        return false;

    Stream streams[kStreams];
    std::vector<LineSpan> found[kStreams];
    for (std::size_t k = 0; k < kStreams; ++k) {
        streams[k] = {text.At(bounds[k]), text.At(bounds[k + 1]) + 1, TLazyByteDfa::kFresh, bounds[k]};
    }
    streams[0].state = run.state;
    streams[0].restart = run.restart;

    auto position = [&](const unsigned char *p) { return bounds[0] + std::uint64_t(p - text.At(bounds[0])); };
    // One byte of stream k whose transition is special (or any byte, when
    // the others are done): compute it or take the match.
    auto stepOne = [&](std::size_t k) {
        Stream &st = streams[k];
        std::uint32_t n = automaton_.Table()[st.state + *st.p];
        if (n == TLazyByteDfa::kUnknown) {
            std::uint32_t others[kStreams - 1];
            std::size_t o = 0;
            for (std::size_t j = 0; j < kStreams; ++j)
                if (j != k)
                    others[o++] = streams[j].state;
            n = automaton_.Compute(st.state, *st.p, others, kStreams - 1);
            o = 0;
            for (std::size_t j = 0; j < kStreams; ++j)
                if (j != k)
                    streams[j].state = others[o++];
        }
        ++st.p;
        if (n != TLazyByteDfa::kMatch) {
            st.state = n;
            return;
        }
        LineSpan line;
        LineOfMatch(text, st.restart, position(st.p), line);
        found[k].push_back(line);
        st.restart = line.end;
        st.state = TLazyByteDfa::kFresh;
        // A restart at the stretch's last line feed belongs to the next stretch.
        st.p = line.end + 1 >= position(st.end) ? st.end : text.At(line.end);
    };

    for (;;) {
        std::size_t room = SIZE_MAX;
        for (const Stream &st : streams)
            room = std::min(room, std::size_t(st.end - st.p));
        if (room == 0)
            break;
        const std::uint32_t *const table = automaton_.Table();
        const unsigned char *const pa = streams[0].p, *const pb = streams[1].p;
        const unsigned char *const pc = streams[2].p, *const pd = streams[3].p;
        std::uint32_t sa = streams[0].state, sb = streams[1].state;
        std::uint32_t sc = streams[2].state, sd = streams[3].state;
        std::size_t i = 0;
        for (; i < room; ++i) {
            const std::uint32_t na = table[sa + pa[i]];
            const std::uint32_t nb = table[sb + pb[i]];
            const std::uint32_t nc = table[sc + pc[i]];
            const std::uint32_t nd = table[sd + pd[i]];
            if ((na | nb | nc | nd) & TLazyByteDfa::kSpecialBit)
                break;
            sa = na;
            sb = nb;
            sc = nc;
            sd = nd;
        }
        streams[0].state = sa;
        streams[1].state = sb;
        streams[2].state = sc;
        streams[3].state = sd;
        for (Stream &st : streams)
            st.p += i;
        if (i == room)
            continue;
        for (std::size_t k = 0; k < kStreams; ++k) {
            Stream &st = streams[k];
            if (st.p == st.end)
                continue;
            // Streams after a reset read the renumbered table too.
            const std::uint32_t n = automaton_.Table()[st.state + *st.p];
            if (n & TLazyByteDfa::kSpecialBit)
                stepOne(k);
            else {
                st.state = n;
                ++st.p;
            }
        }
    }
    // The shortest stretch ran out first; finish the others one at a time.
    for (std::size_t k = 0; k < kStreams; ++k)
        while (streams[k].p != streams[k].end)
            stepOne(k);

    for (const auto &lines : found)
        for (const LineSpan &line : lines)
            Report(run, line);
    run.restart = run.pos = lastLineFeed;
    run.state = TLazyByteDfa::kFresh;
    return true;
}

}  // namespace zr::regex
