#include "regex/prefix_byte_sets.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

#include "platform/mbchar.h"
#include "regex/byte_search.h"

namespace zr::regex {

namespace {

// Bytes the reader never hands over as they are (NUL reads as a space, CR is
// skipped) or that end the line.
bool EndsPrefix(unsigned c) { return c == 0 || c == '\n' || c == '\r'; }

class Walk {
public:
    Walk(const TRE_DFA &dfa, std::size_t maxLength) : dfa_(dfa), sets_(maxLength), usable_(maxLength) {}

    std::vector<ByteSet> Run()
    {
        Visit(dfa_.Start(), 0);
        while (!pending_.empty()) {
            const auto [state, depth] = pending_.back();
            pending_.pop_back();
            if (depth >= usable_)
                continue;
            for (const DfaTransition &t : dfa_.State(state).transitions) {
                if (t.target == kNoState)
                    continue;
                if (t.low <= 0xFF)
                    Singles(t.low, std::min<unsigned>(t.high, 0xFF), t.target, depth);
                if (t.high > 0xFF)
                    Doubles(std::max<unsigned>(t.low, 0x100), t.high, t.target, depth);
            }
        }
        sets_.resize(usable_);
        return sets_;
    }

private:
    void Visit(int state, std::size_t depth)
    {
        if (depth < usable_ && seen_.insert({state, depth}).second)
            pending_.push_back({state, depth});
    }

    void Reached(int target, std::size_t depth)
    {
        // Whatever follows a possible end of a match is not part of every match.
        if (dfa_.Accepting(target))
            usable_ = std::min(usable_, depth);
        Visit(target, depth);
    }

    void Singles(unsigned low, unsigned high, int target, std::size_t depth)
    {
        bool any = false;
        for (unsigned c = low; c <= high; ++c) {
            if (EndsPrefix(c)) {
                usable_ = std::min(usable_, depth);
                continue;
            }
            if (platform::IsCp932LeadByte(static_cast<unsigned char>(c)))
                usable_ = std::min(usable_, depth + 1);  // alone only before a line break
            if (depth < sets_.size())
                sets_[depth].set(c);
            any = true;
        }
        if (any)
            Reached(target, depth + 1);
    }

    // Codes whose first byte is no lead byte or whose second is a byte the
    // reader never pairs with one cannot be read from a text: left out.
    void Doubles(unsigned low, unsigned high, int target, std::size_t depth)
    {
        bool any = false;
        for (unsigned lead = low >> 8; lead <= (high >> 8); ++lead) {
            if (!platform::IsCp932LeadByte(static_cast<unsigned char>(lead)))
                continue;
            const unsigned first = lead == (low >> 8) ? (low & 0xFF) : 0;
            const unsigned last = lead == (high >> 8) ? (high & 0xFF) : 0xFF;
            for (unsigned trail = first; trail <= last; ++trail) {
                if (EndsPrefix(trail))
                    continue;
                if (depth < sets_.size())
                    sets_[depth].set(lead);
                if (depth + 1 < sets_.size())
                    sets_[depth + 1].set(trail);
                any = true;
            }
        }
        if (any)
            Reached(target, depth + 2);
    }

    const TRE_DFA &dfa_;
    std::vector<ByteSet> sets_;
    std::size_t usable_;
    std::set<std::pair<int, std::size_t>> seen_;
    std::vector<std::pair<int, std::size_t>> pending_;
};

// A byte's share of mixed text, from its commonness rank (about 6 % for the
// commonest letters, well under 0.1 % for control bytes).
double ByteShare(unsigned char byte) { return 0.06 * std::exp2((ByteCommonness(byte) - 255) / 25.0); }

}  // namespace

std::vector<ByteSet> PrefixByteSets(const TRE_DFA &dfa, std::size_t maxLength)
{
    return Walk(dfa, maxLength).Run();
}

double CandidateRate(const std::vector<ByteSet> &sets)
{
    double rate = 1;
    for (const ByteSet &set : sets) {
        double share = 0;
        for (unsigned b = 0; b < 256; ++b)
            if (set.test(b))
                share += ByteShare(static_cast<unsigned char>(b));
        rate *= std::min(1.0, share);
    }
    return rate;
}

}  // namespace zr::regex
