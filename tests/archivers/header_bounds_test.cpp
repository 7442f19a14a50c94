// Size fields that say anything: every header walk must stay inside the
// data however the sizes add up, and decompressing what nothing writes has a
// budget. The sanitizer build turns a read one byte outside into a failure.
#include <gtest/gtest.h>

#include <archive.h>
#include <archive_entry.h>
#include <random>

#include "archiver_test_support.h"
#include "archivers/core/entry_details.h"
#include "archivers/core/libarchive_reader.h"
#include "test_archive_writers.h"

namespace zr::archivers::test {
namespace {

void PutLe16At(std::string &s, std::size_t at, std::uint32_t v)
{
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void PutLe32At(std::string &s, std::size_t at, std::uint32_t v)
{
    PutLe16At(s, at, v & 0xFFFF);
    PutLe16At(s, at + 2, v >> 16);
}

// A RAR 4 marker and one file header with the large-file flag, so its data
// size is 64-bit; `tail` zero bytes follow the header.
std::string Rar4LargeFile(std::uint64_t packed, std::uint16_t headerSize, std::size_t tail)
{
    std::string h(std::max<std::size_t>(headerSize, 40), '\0');
    h[2] = 0x74;
    PutLe16At(h, 3, 0x100);
    PutLe16At(h, 5, headerSize);
    PutLe32At(h, 7, static_cast<std::uint32_t>(packed));
    h[25] = 0x30;  // stored
    PutLe32At(h, 32, static_cast<std::uint32_t>(packed >> 32));
    return std::string("Rar!\x1a\x07\x00", 7) + h + std::string(tail, '\0');
}

// Sizes that put the next header just below 2^64 (where "next <= here"
// does not notice the wrap), plus a fixed-seed spread of any sizes.
std::vector<std::uint64_t> HostileSizes(std::uint64_t headerEnd)
{
    std::vector<std::uint64_t> sizes;
    for (std::uint64_t k = 1; k <= 8; ++k)
        sizes.push_back(0 - k - headerEnd);
    std::mt19937_64 random(18);
    for (int i = 0; i < 64; ++i)
        sizes.push_back(random() | (std::uint64_t{1} << 63));
    for (int i = 0; i < 64; ++i)
        sizes.push_back(random() >> (random() % 64));
    return sizes;
}

void ExpectEveryCallSurvives(const std::string &path)
{
    ArchiverLibrary lib("libunrar32.so", "Unrar");
    ASSERT_TRUE(lib.loaded());
    for (int mode : {ZR_ARC_CHECK_RAPID, ZR_ARC_CHECK_HEADERS, ZR_ARC_CHECK_FULLCRC})
        EXPECT_LE(lib.check(path, mode), 1) << path;
    EXPECT_LE(lib.count(path), 1) << path;
    EXPECT_LE(lib.list(path).size(), 1u) << path;
    TempDir dest;
    lib.command("-x -o " + Quote(path) + " " + Quote(dest.str() + "/"));
    EXPECT_TRUE(FilesBelow(dest.path()).empty()) << path;
}

TEST(RarHeaderWalkTest, TheSharedSixtyThreeByteFileFailsCleanlyInEveryCall)
{
    const std::string path = SharedFixture("hostile/rar4-large-size-wrap.rar");
    if (path.empty())
        GTEST_SKIP() << "shared hostile samples absent";
    ExpectEveryCallSurvives(path);
}

TEST(RarHeaderWalkTest, LargeFileSizesThatWrapEndTheWalkInsideTheData)
{
    for (std::uint16_t headerSize : {7, 40, 48, 255})
        for (std::size_t tail : {0, 16, 300})
            for (std::uint64_t packed : HostileSizes(7 + headerSize)) {
                const std::string d = Rar4LargeFile(packed, headerSize, tail);
                EXPECT_LE(ReadRarDetails(d, 0).size(), 1u) << packed;
            }
    // The exact shape of the sample through the exported calls.
    TempDir dir;
    const fs::path path = dir.path() / "wrap.rar";
    WriteFile(path, Rar4LargeFile(0 - std::uint64_t{7} - 47, 40, 16));
    ExpectEveryCallSurvives(path.string());
}

void PutVint(std::string &out, std::uint64_t v)
{
    do {
        out += static_cast<char>((v & 0x7F) | (v > 0x7F ? 0x80 : 0));
        v >>= 7;
    } while (v);
}

// A RAR 5 marker, a main header and a file header whose header size and
// data size are as given (header size 0: the real one); a few data bytes
// follow. CRCs are left zero: the walk does not check them.
std::string Rar5Sized(std::uint64_t headerSize, std::uint64_t dataSize)
{
    std::string out("Rar!\x1a\x07\x01\x00", 8);
    out += std::string("\0\0\0\0\x03\x01\x00\x00", 8);
    std::string fields;
    PutVint(fields, 2);     // file
    PutVint(fields, 0x02);  // a data area follows
    PutVint(fields, dataSize);
    fields += std::string("\x00\x05\x20\x00\x00\x01", 6) + "a";
    out += std::string(4, '\0');
    PutVint(out, headerSize ? headerSize : fields.size());
    return out + fields + "hello";
}

TEST(RarHeaderWalkTest, Rar5SizesThatWrapEndTheWalk)
{
    for (std::uint64_t size : HostileSizes(16)) {
        EXPECT_LE(ReadRarDetails(Rar5Sized(0, size), 0).size(), 1u);
        EXPECT_LE(ReadRarDetails(Rar5Sized(size, 5), 0).size(), 1u);
    }
    EXPECT_EQ(ReadRarDetails(Rar5Sized(0, 5), 0).size(), 1u);  // the shape itself walks
}

// Every walker over every byte of good archives set to values that make
// sizes extreme, and over every cut of them: no read outside the data.
TEST(HeaderWalkTest, ExtremeBytesAndCutsStayInside)
{
    const std::vector<Member> members = {{"dir/a.txt", "alpha alpha"}, {"b.txt", std::string(300, 'b')}};
    const std::pair<std::string, std::function<std::size_t(std::string_view)>> archives[] = {
        {MakeRar4(members), [](std::string_view d) { return ReadRarDetails(d, 0).size(); }},
        {MakeRar5(members), [](std::string_view d) { return ReadRarDetails(d, 0).size(); }},
        {MakeStoredLha0(members), [](std::string_view d) { return ReadLhaDetails(d, 0).size(); }},
        {MakeStoredLha2(members), [](std::string_view d) { return ReadLhaDetails(d, 0).size(); }},
        {MakeStoredLha3(members), [](std::string_view d) { return ReadLhaDetails(d, 0).size(); }},
        {MakeStoredCab(members), [](std::string_view d) { return ReadCabDetails(d, 0).size(); }},
        {MakeStoredZip(members), [](std::string_view d) { return ReadZipDetails(d).size(); }},
    };
    for (const auto &[good, walk] : archives) {
        ASSERT_EQ(walk(good), 2u);
        for (std::size_t i = 0; i < good.size(); ++i) {
            for (const char value : {'\xFF', '\x80', '\x7F', '\x00'}) {
                std::string d = good;
                for (std::size_t j = i; j < std::min(i + 8, d.size()); ++j)
                    d[j] = value;
                walk(d);
                d = good;
                d[i] = value;
                walk(d);
            }
            walk(std::string(good.substr(0, i)));  // a heap copy of exactly the cut size
        }
    }
}

// A tar.gz (or a raw .bz2 when `tarFormat` is false) holding `first` bytes
// of "x" named big.bin, then a small file. (A stream of zeros would read
// as an empty tar.)
std::string WriteCompressed(const fs::path &path, std::size_t first, bool tarFormat)
{
    struct archive *a = archive_write_new();
    if (tarFormat) {
        archive_write_set_format_ustar(a);
        archive_write_add_filter_gzip(a);
    } else {
        archive_write_set_format_raw(a);
        archive_write_add_filter_bzip2(a);
    }
    archive_write_open_filename(a, path.c_str());
    const std::pair<const char *, std::string> files[] = {{"big.bin", std::string(first, 'x')},
                                                          {"after.txt", "after"}};
    for (const auto &[name, data] : files) {
        struct archive_entry *e = archive_entry_new();
        archive_entry_set_pathname(e, name);
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0644);
        archive_entry_set_size(e, static_cast<la_int64_t>(data.size()));
        archive_write_header(a, e);
        archive_write_data(a, data.data(), data.size());
        archive_entry_free(e);
        if (!tarFormat)
            break;  // the raw format holds one file
    }
    archive_write_close(a);
    archive_write_free(a);
    return path.string();
}

OpenResult Open(const std::string &path, std::uint64_t budget, bool measure = false)
{
    OpenOptions options;
    options.unwrittenBudget = budget;
    options.measureUnknownSizes = measure;
    return OpenLibarchiveReader(path, LibarchiveFormat::kTar, options);
}

TEST(UnwrittenBudgetTest, CheckingCountingAndSkippingStopAtTheBudgetWritingDoesNot)
{
    TempDir dir;
    const std::string tgz = WriteCompressed(dir.path() / "bomb.tgz", 4 << 20, true);
    EntryInfo entry;
    {  // checking the first entry
        auto r = Open(tgz, 1 << 20).reader;
        ASSERT_TRUE(r);
        ASSERT_EQ(r->next(entry), ReadStatus::kOk);
        EXPECT_EQ(r->readData(nullptr), DataStatus::kError);
        EXPECT_STREQ(r->errorText().c_str(), kUnwrittenBudgetError);
    }
    {  // counting: skipping big.bin inside the gzip stream decompresses it
        auto r = Open(tgz, 1 << 20).reader;
        ASSERT_EQ(r->next(entry), ReadStatus::kOk);
        EXPECT_EQ(r->next(entry), ReadStatus::kError);
        EXPECT_STREQ(r->errorText().c_str(), kUnwrittenBudgetError);
    }
    {  // data that goes somewhere is not limited here; the rest is
        auto r = Open(tgz, 1 << 20).reader;
        ASSERT_EQ(r->next(entry), ReadStatus::kOk);
        std::size_t received = 0;
        EXPECT_EQ(r->readData([&](const char *, std::size_t n) { return (received += n) < (2 << 20); }),
                  DataStatus::kStopped);
        EXPECT_EQ(r->next(entry), ReadStatus::kError);  // skipping the 2 MiB left is over the budget
    }
    {  // within the budget everything counts and checks
        auto r = Open(tgz, 8 << 20).reader;
        ASSERT_EQ(r->next(entry), ReadStatus::kOk);
        ASSERT_EQ(r->next(entry), ReadStatus::kOk);
        EXPECT_EQ(entry.name, "after.txt");
        EXPECT_EQ(r->readData(nullptr), DataStatus::kComplete);
        EXPECT_EQ(r->next(entry), ReadStatus::kEnd);
    }
}

TEST(UnwrittenBudgetTest, MeasuringAndCheckingASingleCompressedFileStopAtTheBudget)
{
    TempDir dir;
    std::vector<std::string> files = {WriteCompressed(dir.path() / "repeated.bz2", 6 << 20, false)};
    if (const std::string shared = SharedFixture("hostile/bz2-530-streams-53GB.bz2"); !shared.empty())
        files.push_back(shared);
    for (const std::string &file : files) {
        EntryInfo entry;
        auto r = Open(file, 2 << 20, true).reader;
        ASSERT_TRUE(r) << file;
        ASSERT_EQ(r->next(entry), ReadStatus::kOk) << file;
        EXPECT_LE(entry.size, std::uint64_t{3} << 20) << file;  // measured up to the budget and one block
        EXPECT_EQ(r->readData(nullptr), DataStatus::kError) << file;
        EXPECT_EQ(r->next(entry), ReadStatus::kEnd) << file;  // one file: nothing to skip to
    }
    // The library's count and header check never decompress the bomb.
    ArchiverLibrary tar("libTar32.so", "Tar");
    for (const std::string &file : files) {
        EXPECT_EQ(tar.count(file), 1) << file;
        EXPECT_EQ(tar.check(file, ZR_ARC_CHECK_HEADERS), 1) << file;
    }
}

}  // namespace
}  // namespace zr::archivers::test
