#pragma once
// A set of NFA state numbers as a bit set.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zr::regex {

class TRE_NFAStateSet {
public:
    explicit TRE_NFAStateSet(std::size_t stateCount) : words_(stateCount / 64 + 1, 0) {}

    void Include(std::size_t n) { words_[n / 64] |= std::uint64_t(1) << (n % 64); }
    bool Has(std::size_t n) const { return (words_[n / 64] >> (n % 64)) & 1; }
    bool operator==(const TRE_NFAStateSet &other) const = default;

    // The raw bits, for hashing and as a map key.
    std::string_view Bytes() const
    {
        return {reinterpret_cast<const char *>(words_.data()), words_.size() * sizeof(std::uint64_t)};
    }

private:
    std::vector<std::uint64_t> words_;
};

}  // namespace zr::regex
