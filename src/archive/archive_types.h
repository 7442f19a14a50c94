#pragma once
// Value types shared by the archive control, its option objects and item lists.

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>

namespace zr::archive {

// at7z comes after the designed types, which keep their numbers.
enum TArchiveType : std::uint8_t {
    atNone = 0,
    atLha = 1,
    atCab = 2,
    atTar = 3,
    atArj = 4,
    atRar = 5,
    atZip = 6,
    at7z = 7
};

// Tar sub-type as the Tar library's GetArchiveType reports it.
// Codes from 8 on are the compressions beyond the designed ones.
enum TTarType : int {
    tttNONE = 0,
    tttTAR = 1,
    tttTARGZ = 2,
    tttTARZ = 3,
    tttGZ = 4,
    tttZ = 5,
    tttTARBZ2 = 6,
    tttBZ2 = 7,
    tttTARXZ = 8,
    tttXZ = 9,
    tttTARZSTD = 10,
    tttZSTD = 11,
    tttTARLZ4 = 12,
    tttLZ4 = 13,
    tttTARLZIP = 14,
    tttLZIP = 15,
    tttTARLZMA = 16,
    tttLZMA = 17
};

enum TOverExtract : int { oeConf = 0, oeNew = 1, oeWrite = 2, oeRename = 3, oeSkip = 4 };

enum TExtractOption : int { eoIncludeDir = 0, eoOverWrite = 1, eoIncludeHidden = 2 };

enum TArcSortType : int {
    stName = 0,
    stType = 1,
    stTime = 2,
    stSize = 3,
    stRate = 4,
    stCompSize = 5,
    stMode = 6,
    stAttr = 7,
    stPath = 8,
    stNoSort = 9
};
constexpr int kSortKeyCount = 9;

enum TLhaSfxType : int { stDosSfx, stWinSfx, stWinSfxM, stWinSfx32, stWinSfx32M, stLasa, stUnkown };

enum TCompressType : int { ctTar, ctGZip, ctZ, ctBZip2, ctXz, ctZstd, ctLz4, ctLzip, ctLzma };

// Operation code carried by OnStart and OnEnd.
enum TArcOperation : int { aoCompress = 0, aoExtract = 1 };

// A one-byte set of extract options (bit n = TExtractOption n).
class TExtractOptions {
public:
    constexpr TExtractOptions() = default;
    constexpr TExtractOptions(std::initializer_list<TExtractOption> options)
    {
        for (TExtractOption o : options)
            Include(o);
    }
    constexpr bool Has(TExtractOption o) const { return (bits_ >> o) & 1u; }
    constexpr void Include(TExtractOption o) { bits_ = static_cast<std::uint8_t>(bits_ | (1u << o)); }
    constexpr void Exclude(TExtractOption o) { bits_ = static_cast<std::uint8_t>(bits_ & ~(1u << o)); }
    constexpr std::uint8_t Bits() const { return bits_; }
    constexpr bool operator==(const TExtractOptions &) const = default;

private:
    std::uint8_t bits_ = 0;
};

// The set of archive types a control accepts (bit n = type n).
class TSupportArchives {
public:
    static constexpr std::uint8_t kAll = 254;  // types 1-7
    constexpr TSupportArchives() = default;
    constexpr explicit TSupportArchives(std::uint8_t bits) : bits_(static_cast<std::uint8_t>(bits & kAll)) {}
    constexpr bool Has(TArchiveType t) const { return t != atNone && ((bits_ >> t) & 1u); }
    constexpr void Include(TArchiveType t) { bits_ = static_cast<std::uint8_t>((bits_ | (1u << t)) & kAll); }
    constexpr void Exclude(TArchiveType t) { bits_ = static_cast<std::uint8_t>(bits_ & ~(1u << t)); }
    constexpr std::uint8_t Bits() const { return bits_; }

private:
    std::uint8_t bits_ = kAll;
};

// Result a library call gives when the library or its export is missing,
// and the result reported when no library was called.
constexpr int kArcNotCalled = 0x8000;

class EInvalidOperation : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char *kOwnerParameterError = "Owner パラメータが不正です";
inline constexpr const char *kParameterError = "パラメータが不正です。";
inline constexpr const char *kCabinetNotCreated = "作業用書庫が作成できません...";

}  // namespace zr::archive
