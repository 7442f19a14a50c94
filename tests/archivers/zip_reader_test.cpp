// The ZIP reader: entries as libarchive described them, ZIP64, data
// descriptors, Unicode names, stubs, other methods handed on, and damage
// reported per entry. The tar reader's own gzip and xz decoding sit at the end.
#include <gtest/gtest.h>

#include "archiver_test_support.h"
#include "archivers/archiver_api.h"
#include "archivers/core/libarchive_reader.h"
#include "archivers/core/raw_inflater.h"
#include "archivers/core/zip_directory.h"
#include "archivers/core/zip_reader.h"
#include "test_archive_writers.h"
#include "zip_test_writer.h"

namespace zr::archivers::test {
namespace {

struct Read {
    EntryInfo info;
    DataStatus status = DataStatus::kComplete;
    std::string data;
    std::string error;
};

std::vector<Read> ReadAll(OpenResult opened)
{
    std::vector<Read> all;
    if (!opened.reader)
        return all;
    Read r;
    while (opened.reader->next(r.info) == ReadStatus::kOk) {
        r.data.clear();
        r.status = opened.reader->readData([&](const char *data, std::size_t size) {
            r.data.append(data, size);
            return true;
        });
        r.error = r.status == DataStatus::kError ? opened.reader->errorText() : "";
        all.push_back(r);
    }
    return all;
}

std::vector<Read> ReadOwn(const std::string &path) { return ReadAll(OpenOwnZipReader(path, {})); }

std::string WriteTemp(const TempDir &dir, const std::string &name, const std::string &bytes)
{
    const fs::path path = dir.path() / name;
    WriteFile(path, bytes);
    return path.string();
}

TEST(ZipReaderTest, EntriesMatchWhatLibarchiveListedAndExtracted)
{
    std::vector<std::string> paths;
    for (const char *name :
         {"sample.zip", "stored.zip", "hostile.zip", "badcrc.zip", "encrypted.zip", "streamed.zip"})
        paths.push_back(FixturePath(name));
    if (const std::string shared = SharedFixture("libarchive-samples"); !shared.empty())
        paths.push_back(shared + "/test_read_format_zip_filename_cp932.zip");
    for (const auto &path : paths) {
        SCOPED_TRACE(path);
        const auto own = ReadOwn(path);
        const auto theirs = ReadAll(OpenLibarchiveReader(path, LibarchiveFormat::kZip, {}));
        ASSERT_FALSE(own.empty());
        ASSERT_EQ(own.size(), theirs.size());
        for (std::size_t i = 0; i < own.size(); ++i) {
            const EntryInfo &a = own[i].info, &b = theirs[i].info;
            SCOPED_TRACE(b.name);
            EXPECT_EQ(a.name, b.name);
            EXPECT_EQ(a.kind, b.kind);
            EXPECT_EQ(a.size, b.size);
            EXPECT_EQ(a.compressedSize, b.compressedSize);
            EXPECT_EQ(a.crc, b.crc);
            EXPECT_EQ(a.modified, b.modified);
            EXPECT_EQ(a.method, b.method);
            EXPECT_EQ(a.attributes, b.attributes);
            EXPECT_EQ(a.encrypted, b.encrypted);
            EXPECT_EQ(own[i].status, theirs[i].status);
            EXPECT_TRUE(own[i].data == theirs[i].data);
        }
    }
}

TEST(ZipReaderTest, Zip64RecordsBehindAStubAndDataDescriptors)
{
    TempDir dir;
    const std::vector<ZipTestEntry> entries{{"folder/", "", -1},
                                            {"folder/text.txt", RepeatText(), 9},
                                            {"described.txt", HelloText(), 6, {}, true},
                                            {"stored.txt", NumbersText(), -1, {}, true}};
    for (const bool zip64 : {false, true}) {
        for (const std::string &stub : {std::string(), ExecutableStub(4096, true)}) {
            SCOPED_TRACE(testing::Message() << "zip64 " << zip64 << ", stub " << stub.size());
            const auto all = ReadOwn(WriteTemp(dir, "t.zip", MakeTestZip(entries, {zip64, stub})));
            ASSERT_EQ(all.size(), 4u);
            EXPECT_EQ(all[0].info.kind, EntryKind::kFolder);
            EXPECT_EQ(all[1].info.name, "folder/text.txt");
            EXPECT_EQ(all[1].info.size, RepeatText().size());
            EXPECT_EQ(all[1].info.method, "Deflate");
            EXPECT_TRUE(all[1].data == RepeatText());
            EXPECT_EQ(all[2].data, HelloText());
            EXPECT_EQ(all[3].data, NumbersText());
            for (const auto &r : all)
                EXPECT_EQ(r.status, DataStatus::kComplete) << r.error;
        }
    }
    const auto streamed = ReadOwn(FixturePath("streamed.zip"));
    ASSERT_EQ(streamed.size(), 1u);
    EXPECT_TRUE(streamed[0].data == RepeatText());
}

TEST(ZipReaderTest, UnicodeNameFieldCountsOnlyForTheNameItWasMadeFrom)
{
    const std::string cp932 = "\x93\xfa\x96\x7b.txt";  // 日本.txt
    const std::string utf8 = "\xE6\x97\xA5\xE6\x9C\xAC.txt";
    std::string field = "\x01";
    PutLe32(field, Crc32Of(cp932));
    std::string stale = "\x01";
    PutLe32(stale, Crc32Of("other name"));
    TempDir dir;
    const auto all = ReadOwn(
        WriteTemp(dir, "u.zip",
                  MakeTestZip({{cp932, "a", 6, ExtraField(0x7075, field + "\xE5\x92\x8C.txt")},  // 和.txt
                               {cp932, "b", 6, ExtraField(0x7075, stale + "wrong.txt")},
                               {"plain\\back.txt", "c", 6}})));
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].info.name, "\xE5\x92\x8C.txt");
    EXPECT_EQ(all[1].info.name, utf8);  // the stored CP932 name
    EXPECT_EQ(all[2].info.name, "plain/back.txt");
}

TEST(ZipReaderTest, OtherMethodsAndUnreadableDirectoriesGoToLibarchive)
{
    EXPECT_EQ(OpenOwnZipReader(FixturePath("bzip2.zip"), {}).reader, nullptr);
    const auto bzip2 = ReadAll(OpenZipArchive(FixturePath("bzip2.zip"), {}));
    ASSERT_EQ(bzip2.size(), 2u);
    EXPECT_EQ(bzip2[1].info.method, "BZip2");
    EXPECT_TRUE(bzip2[1].data == RepeatText());
    // No central directory: libarchive still reads the local headers it has.
    EXPECT_EQ(OpenOwnZipReader(FixturePath("truncated.zip"), {}).reader, nullptr);
    EXPECT_NE(OpenZipArchive(FixturePath("truncated.zip"), {}).reader, nullptr);
}

// The central record of the `index`th entry, found by its signature.
std::size_t CentralRecord(const std::string &zip, int index)
{
    std::size_t at = zip.find("PK\x01\x02");
    for (; index > 0; --index)
        at = zip.find("PK\x01\x02", at + 4);
    return at;
}

void Patch32(std::string &bytes, std::size_t at, std::uint32_t value)
{
    std::string field;
    PutLe32(field, value);
    bytes.replace(at, 4, field);
}

TEST(ZipReaderTest, DamageFailsItsEntryAndSparesTheOthers)
{
    TempDir dir;
    const std::vector<ZipTestEntry> entries{
        {"first.txt", RepeatText(), 6}, {"second.txt", NumbersText(), -1}, {"third.txt", HelloText(), 6}};
    const std::string good = MakeTestZip(entries);
    struct Case {
        const char *what;
        int entry;
        std::size_t field;  // in the central record
        std::uint32_t value;
    };
    for (const Case &c : std::vector<Case>{{"inflates past its size", 0, 24, 1000},
                                           {"inflates short of its size", 0, 24, 800000},
                                           {"stored sizes disagree", 1, 24, 10},
                                           {"wrong CRC", 2, 16, 0x12345678},
                                           {"local header elsewhere", 2, 42, 0x00FFFFFF},
                                           {"data past the end", 2, 20, 0x7FFFFFFF}}) {
        SCOPED_TRACE(c.what);
        std::string bad = good;
        Patch32(bad, CentralRecord(bad, c.entry) + c.field, c.value);
        const auto all = ReadOwn(WriteTemp(dir, "bad.zip", bad));
        ASSERT_EQ(all.size(), 3u);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(all[i].status, i == c.entry ? DataStatus::kError : DataStatus::kComplete) << i;
    }
    std::string countTooHigh = good;
    countTooHigh[countTooHigh.size() - 22 + 10] = 100;  // entries in the end record
    std::string error;
    EXPECT_FALSE(ReadZipDirectory(countTooHigh, error));
    EXPECT_FALSE(error.empty());
}

TEST(ZipReaderTest, CheckingDataCountsAgainstTheUnwrittenBudget)
{
    TempDir dir;
    const std::string path =
        WriteTemp(dir, "big.zip", MakeTestZip({{"big.txt", std::string(1 << 20, 'x'), 9}}));
    OpenOptions options;
    options.unwrittenBudget = 1000;
    OpenResult opened = OpenOwnZipReader(path, options);
    ASSERT_NE(opened.reader, nullptr);
    EntryInfo entry;
    ASSERT_EQ(opened.reader->next(entry), ReadStatus::kOk);
    EXPECT_EQ(opened.reader->readData(nullptr), DataStatus::kError);
    EXPECT_EQ(opened.reader->errorText(), kUnwrittenBudgetError);
}

TEST(CompressedTarTest, TypesNamesAndMembersOfGzipFiles)
{
    const auto tgz = ReadAll(OpenLibarchiveReader(FixturePath("sample.tgz"), LibarchiveFormat::kTar, {}));
    ASSERT_FALSE(tgz.empty());
    EXPECT_EQ(tgz[0].info.method, "gzip");
    EXPECT_EQ(DetectTarType(FixturePath("sample.tgz")), ZR_TAR_TYPE_TARGZ);
    EXPECT_EQ(DetectTarType(FixturePath("members.gz")), ZR_TAR_TYPE_GZ);
    const auto members = ReadAll(OpenLibarchiveReader(FixturePath("members.gz"), LibarchiveFormat::kTar, {}));
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0].info.name, "members");
    EXPECT_TRUE(members[0].data == HelloText() + RepeatText());

    TempDir dir;
    std::string damaged = ReadFile(FixturePath("repeat.txt.gz"));
    damaged[damaged.size() - 6] ^= 1;  // the stored CRC
    const auto bad =
        ReadAll(OpenLibarchiveReader(WriteTemp(dir, "bad.txt.gz", damaged), LibarchiveFormat::kTar, {}));
    ASSERT_EQ(bad.size(), 1u);
    EXPECT_EQ(bad[0].status, DataStatus::kError);
    EXPECT_NE(bad[0].error.find("CRC"), std::string::npos) << bad[0].error;
}

TEST(CompressedTarTest, XzFilesInOneOrManyBlocksAndDamage)
{
    const auto txz = ReadAll(OpenLibarchiveReader(FixturePath("sample.tar.xz"), LibarchiveFormat::kTar, {}));
    ASSERT_FALSE(txz.empty());
    EXPECT_EQ(txz[0].info.method, "xz");
    EXPECT_EQ(DetectTarType(FixturePath("sample.tar.xz")), ZR_TAR_TYPE_TARXZ);
    EXPECT_EQ(DetectTarType(FixturePath("blocks.txt.xz")), ZR_TAR_TYPE_XZ);
    for (const char *name : {"repeat.txt.xz", "blocks.txt.xz"}) {
        const auto single = ReadAll(OpenLibarchiveReader(FixturePath(name), LibarchiveFormat::kTar, {}));
        ASSERT_EQ(single.size(), 1u) << name;
        EXPECT_EQ(single[0].status, DataStatus::kComplete) << name;
        EXPECT_TRUE(single[0].data == RepeatText()) << name;
    }
    TempDir dir;
    std::string damaged = ReadFile(FixturePath("blocks.txt.xz"));
    damaged[damaged.size() / 2] ^= 0x10;
    const auto bad =
        ReadAll(OpenLibarchiveReader(WriteTemp(dir, "bad.txt.xz", damaged), LibarchiveFormat::kTar, {}));
    ASSERT_EQ(bad.size(), 1u);
    EXPECT_EQ(bad[0].status, DataStatus::kError);
    const std::string cut = ReadFile(FixturePath("blocks.txt.xz"));
    const auto truncated = ReadAll(OpenLibarchiveReader(
        WriteTemp(dir, "cut.txt.xz", cut.substr(0, cut.size() - 100)), LibarchiveFormat::kTar, {}));
    ASSERT_EQ(truncated.size(), 1u);
    EXPECT_EQ(truncated[0].status, DataStatus::kError);
}

}  // namespace
}  // namespace zr::archivers::test
