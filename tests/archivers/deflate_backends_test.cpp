// ISA-L against zlib: every deflate stream the tests know (the committed
// ZIP and gzip fixtures, the shared samples and streams written here)
// decodes to the same bytes with the same check result in both, fed whole
// or a few bytes at a time, and damaged data is an error in both.
#include <gtest/gtest.h>

#include <random>
#include <zlib.h>

#include "archiver_test_support.h"
#include "archivers/core/gzip_stream.h"
#include "archivers/core/raw_inflater.h"
#include "archivers/core/zip_directory.h"
#include "archivers/core/zip_reader.h"
#include "zip_test_writer.h"

namespace zr::archivers::test {
namespace {

constexpr InflateBackend kBackends[] = {InflateBackend::kIsal, InflateBackend::kZlib};

struct Decoded {
    InflateStatus status = InflateStatus::kProgress;
    std::string out;
    std::string rest;  // input left after the end of the stream
};

// Decodes `in` giving the inflater `inStep` input and `outStep` output bytes
// per call.
Decoded Inflate(InflateBackend backend, const std::string &in, std::size_t inStep, std::size_t outStep)
{
    auto inflater = MakeRawInflater(backend);
    Decoded d;
    std::string buffer(outStep, '\0');
    std::size_t at = 0;
    for (int idle = 0; idle < 4;) {
        InflateBuffers b;
        b.in = reinterpret_cast<const std::uint8_t *>(in.data()) + at;
        b.inSize = std::min(inStep, in.size() - at);
        const std::size_t offered = b.inSize;
        b.out = reinterpret_cast<std::uint8_t *>(buffer.data());
        b.outSize = outStep;
        d.status = inflater->inflate(b);
        at = static_cast<std::size_t>(b.in - reinterpret_cast<const std::uint8_t *>(in.data()));
        d.out.append(buffer.data(), outStep - b.outSize);
        if (d.status != InflateStatus::kProgress)
            break;
        idle = b.inSize == offered && b.outSize == outStep ? idle + 1 : 0;
    }
    d.rest = in.substr(at);
    return d;
}

std::string RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (auto &c : s)
        c = static_cast<char>(rng());
    return s;
}

std::string Text(std::size_t size)
{
    std::string s;
    for (std::size_t i = 0; s.size() < size; ++i)
        s += "line " + std::to_string(i * 7919 % 1000) + " of the text, ZuRivo finds it\n";
    s.resize(size);
    return s;
}

TEST(InflateBackendsTest, BothAreBuiltAndTheirCrcMatchesZlib)
{
    // Without ISA-L both backends are zlib and the comparisons below hold trivially.
    if (!InflateBackendAvailable(InflateBackend::kIsal))
        GTEST_SKIP() << "built without ISA-L: deflate decodes with zlib only";
    for (const std::string &data : {std::string(), std::string("a"), Text(100000), RandomBytes(70001, 1)}) {
        const auto expected = static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef *>(data.data()), static_cast<uInt>(data.size())));
        EXPECT_EQ(Crc32Update(0, data.data(), data.size()), expected);
        // continued in two pieces
        const std::size_t half = data.size() / 2;
        EXPECT_EQ(Crc32Update(Crc32Update(0, data.data(), half), data.data() + half, data.size() - half),
                  expected);
    }
}

TEST(InflateBackendsTest, EveryLevelAndStrategyDecodesAlikeInAnyPieces)
{
    const std::string trailer = "NEXT MEMBER";
    for (const std::string &data : {std::string(), Text(1), Text(120000), RandomBytes(50000, 7),
                                    std::string(100000, 'z') + RandomBytes(5000, 3)}) {
        for (const auto &[level, strategy] : std::vector<std::pair<int, int>>{{0, Z_DEFAULT_STRATEGY},
                                                                              {1, Z_DEFAULT_STRATEGY},
                                                                              {6, Z_FILTERED},
                                                                              {9, Z_DEFAULT_STRATEGY},
                                                                              {6, Z_HUFFMAN_ONLY},
                                                                              {6, Z_RLE},
                                                                              {6, Z_FIXED}}) {
            const std::string packed = RawDeflate(data, level, strategy) + trailer;
            for (const auto &[inStep, outStep] : std::vector<std::pair<std::size_t, std::size_t>>{
                     {packed.size(), 1 << 20}, {7, 65536}, {4096, 1000}, {1, 1 << 20}}) {
                SCOPED_TRACE(testing::Message() << data.size() << " bytes, level " << level << ", strategy "
                                                << strategy << ", steps " << inStep << "/" << outStep);
                for (const InflateBackend backend : kBackends) {
                    const Decoded d = Inflate(backend, packed, inStep, outStep);
                    EXPECT_EQ(d.status, InflateStatus::kEnd) << InflateBackendName(backend);
                    EXPECT_TRUE(d.out == data) << InflateBackendName(backend);
                    // the end is exact: what follows is the next thing's
                    EXPECT_EQ(d.rest, trailer) << InflateBackendName(backend);
                }
            }
        }
    }
}

TEST(InflateBackendsTest, DamagedAndCutStreamsFailInBoth)
{
    const std::string packed = RawDeflate(Text(200000), 6);
    // a reserved block type, a cut stream, and a stored block whose length check fails
    const std::string reservedBlock = "\x07" + packed.substr(1);
    const std::string cut = packed.substr(0, packed.size() / 2);
    const std::string badStoredLength("\x01\x05\x00\x00\x00hello", 10);
    for (const InflateBackend backend : kBackends) {
        SCOPED_TRACE(InflateBackendName(backend));
        EXPECT_EQ(Inflate(backend, reservedBlock, reservedBlock.size(), 1 << 20).status,
                  InflateStatus::kError);
        EXPECT_EQ(Inflate(backend, cut, cut.size(), 1 << 20).status, InflateStatus::kProgress);  // wants more
        EXPECT_EQ(Inflate(backend, badStoredLength, badStoredLength.size(), 1 << 20).status,
                  InflateStatus::kError);
    }
}

// Every entry's bytes and status, read with `backend`.
struct EntryResult {
    std::string name;
    DataStatus status;
    std::string data;
    bool operator==(const EntryResult &) const = default;
};

std::vector<EntryResult> ReadZipWith(const std::string &path, InflateBackend backend, bool &ours)
{
    std::vector<EntryResult> results;
    OpenResult opened = OpenOwnZipReader(path, {}, backend);
    ours = opened.reader != nullptr;
    if (!ours)
        return results;
    EntryInfo entry;
    while (opened.reader->next(entry) == ReadStatus::kOk) {
        EntryResult r{entry.name, DataStatus::kComplete, {}};
        r.status = opened.reader->readData([&](const char *data, std::size_t size) {
            r.data.append(data, size);
            return true;
        });
        results.push_back(std::move(r));
    }
    return results;
}

std::pair<bool, std::string> ReadGzipWith(const std::string &bytes, InflateBackend backend)
{
    GzipStream stream(bytes, backend);
    std::string out;
    std::string_view chunk;
    while (stream.read(chunk) && !chunk.empty())
        out += chunk;
    return {stream.error().empty(), out};
}

std::vector<std::string> DeflateZips(const fs::path &folder)
{
    std::vector<std::string> paths;
    for (const char *name : {"sample.zip", "stored.zip", "hostile.zip", "badcrc.zip", "encrypted.zip",
                             "streamed.zip", "truncated.zip", "bzip2.zip"})
        paths.push_back(FixturePath(name));
    if (const std::string shared = SharedFixture("libarchive-samples"); !shared.empty())
        for (const auto &e : fs::directory_iterator(shared))
            if (e.path().extension() == ".zip")
                paths.push_back(e.path().string());
    std::vector<ZipTestEntry> written;
    for (int level : {-1, 0, 1, 9})
        written.push_back({"level" + std::to_string(level) + ".txt", Text(150000), level});
    written.push_back({"random.bin", RandomBytes(300000, 11), 6});
    written.push_back({"empty.txt", "", 6});
    written.push_back({"described.txt", Text(5000), 6, {}, true});
    paths.push_back((folder / "written.zip").string());
    WriteFile(paths.back(), MakeTestZip(written));
    paths.push_back((folder / "written64.zip").string());
    WriteFile(paths.back(), MakeTestZip(written, {true, "MZ stub"}));
    return paths;
}

TEST(InflateBackendsTest, ZipEntriesDecodeAlikeAndDamageFailsInBoth)
{
    TempDir dir;
    for (const std::string &path : DeflateZips(dir.path())) {
        SCOPED_TRACE(path);
        bool oursIsal = false, oursZlib = false;
        const auto isal = ReadZipWith(path, InflateBackend::kIsal, oursIsal);
        const auto zlib = ReadZipWith(path, InflateBackend::kZlib, oursZlib);
        EXPECT_EQ(oursIsal, oursZlib);
        EXPECT_TRUE(isal == zlib);  // names, statuses and bytes
        // Damage each deflated entry's data in a few places: both fail on it.
        const std::string bytes = ReadFile(path);
        std::string error;
        const auto directory = ReadZipDirectory(bytes, error);
        if (!directory)
            continue;
        for (const auto &e : directory->entries) {
            const auto at = ZipEntryDataOffset(bytes, directory->base, e, error);
            if (!at || e.method != kZipDeflated || (e.flags & kZipEncrypted) || e.compressedSize < 8)
                continue;
            for (const std::size_t where : {std::size_t{0}, static_cast<std::size_t>(e.compressedSize / 2),
                                            static_cast<std::size_t>(e.compressedSize - 5)}) {
                std::string damaged = bytes;
                damaged[*at + where] = static_cast<char>(damaged[*at + where] ^ 0x5A);
                const fs::path damagedPath = dir.path() / "damaged.zip";
                WriteFile(damagedPath, damaged);
                bool ours = false;
                for (const InflateBackend backend : kBackends) {
                    const auto results = ReadZipWith(damagedPath.string(), backend, ours);
                    const auto hit = std::find_if(results.begin(), results.end(), [&](const EntryResult &r) {
                        return r.status == DataStatus::kError;
                    });
                    EXPECT_NE(hit, results.end())
                        << InflateBackendName(backend) << " took damage at " << where << " in " << e.rawName;
                }
            }
        }
    }
}

// Both decode the same bytes; where the data is cut or damaged, both fail
// and one's output is the start of the other's (they stop at different
// points of the damaged block).
void ExpectSameGzipResult(const std::string &bytes)
{
    const auto [isalOk, isalOut] = ReadGzipWith(bytes, InflateBackend::kIsal);
    const auto [zlibOk, zlibOut] = ReadGzipWith(bytes, InflateBackend::kZlib);
    EXPECT_EQ(isalOk, zlibOk);
    if (isalOk)
        EXPECT_TRUE(isalOut == zlibOut);
    else
        EXPECT_TRUE(isalOut.size() < zlibOut.size() ? zlibOut.starts_with(isalOut)
                                                    : isalOut.starts_with(zlibOut));
}

TEST(InflateBackendsTest, GzipFilesDecodeAlikeAndDamageFailsInBoth)
{
    for (const char *name : {"sample.tgz", "repeat.txt.gz", "truncated.tgz", "members.gz"}) {
        SCOPED_TRACE(name);
        const std::string bytes = ReadFile(FixturePath(name));
        ExpectSameGzipResult(bytes);
        ExpectSameGzipResult(bytes + std::string(512, '\0'));  // padded as on a tape
        if (!ReadGzipWith(bytes, InflateBackend::kZlib).first)
            continue;
        // in the deflate data, the stored CRC and the stored size
        for (const std::size_t where :
             {bytes.size() / 3, bytes.size() / 2, bytes.size() - 7, bytes.size() - 2}) {
            std::string damaged = bytes;
            damaged[where] = static_cast<char>(damaged[where] ^ 0x21);
            for (const InflateBackend backend : kBackends)
                EXPECT_FALSE(ReadGzipWith(damaged, backend).first)
                    << InflateBackendName(backend) << " at " << where;
            ExpectSameGzipResult(damaged);
        }
    }
    EXPECT_TRUE(ReadGzipWith(ReadFile(FixturePath("members.gz")), InflateBackend::kIsal).second ==
                HelloText() + RepeatText());
}

}  // namespace
}  // namespace zr::archivers::test
