// Check, count, list and extract every committed fixture through the C
// exports of its library, comparing the files byte for byte.
#include <gtest/gtest.h>

#include "archiver_test_support.h"

namespace zr::archivers::test {
namespace {

using Files = std::map<std::string, std::string>;

struct RoundTrip {
    const char *library;
    const char *prefix;
    const char *fixture;
    const char *switches;
    Files expected;
    int entries;
};

const std::string kNihongo = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt";  // 日本語.txt
const std::string kHyouji = "\xE8\xA1\xA8\xE7\xA4\xBA.txt";               // 表示.txt

Files Basic() { return {{"hello.txt", HelloText()}, {"empty.txt", ""}, {"sub/numbers.txt", NumbersText()}}; }

Files WithRepeat(Files f)
{
    f["sub/repeat.txt"] = RepeatText();
    return f;
}

Files WithNihongo(Files f)
{
    f[kNihongo] = "nihongo\n";
    return f;
}

Files WithJapanese(Files f)
{
    f[kNihongo] = "nihongo\n";
    f[kHyouji] = "hyouji\n";
    return f;
}

const char *kZip = "-x -C -s --i -o";
const char *kLha = "x -+jf- -d -a1 -m1c -l0 -jc1 -jf0 -n -gp0 -gm";
const char *kTar = "--use-directory=1 --display-dialog=0 -x -v -f";
const char *kCab = "-x -o -i";
const char *kArj = "x -p1 -jyc -jyo -hk -i";
const char *k7z = "x -aoa -hide";

std::vector<RoundTrip> Cases()
{
    const Files small = {{"hello.txt", HelloText()}, {"sub/numbers.txt", NumbersText()}};
    return {
        {"libUnzip32.so", "UnZip", "sample.zip", kZip, WithJapanese(WithRepeat(Basic())), 8},
        {"libUnzip32.so", "UnZip", "stored.zip", kZip, small, 2},
        {"libUnlha32.so", "Unlha", "sample-h0.lzh", kLha, WithRepeat(Basic()), 4},
        {"libUnlha32.so", "Unlha", "sample-h1.lzh", kLha, WithRepeat(Basic()), 4},
        {"libUnlha32.so", "Unlha", "sample-h2.lzh", kLha, WithRepeat(Basic()), 4},
        {"libUnlha32.so", "Unlha", "stored.lzh", kLha, small, 2},
        {"libUnlha32.so", "Unlha", "lh6.lzh", kLha, WithRepeat(Basic()), 4},
        {"libUnlha32.so", "Unlha", "lh7.lzh", kLha, WithRepeat(Basic()), 4},
        {"libUnlha32.so",
         "Unlha",
         "japanese-h0.lzh",
         kLha,
         {{kNihongo, "nihongo\n"}, {kHyouji, "hyouji\n"}},
         2},
        {"libcab32.so", "Cab", "stored.cab", kCab, small, 2},
        {"libcab32.so", "Cab", "mszip.cab", kCab, WithNihongo(WithRepeat(Basic())), 5},
        {"libTar32.so", "Tar", "sample.tar", kTar, WithJapanese(Basic()), 6},
        {"libTar32.so", "Tar", "sample.tgz", kTar, WithJapanese(WithRepeat(Basic())), 8},
        {"libTar32.so", "Tar", "sample.tar.Z", kTar, WithJapanese(WithRepeat(Basic())), 8},
        {"libTar32.so", "Tar", "sample.tar.bz2", kTar, WithJapanese(WithRepeat(Basic())), 8},
        {"libTar32.so", "Tar", "repeat.txt.gz", kTar, {{"repeat.txt", RepeatText()}}, 1},
        {"libTar32.so", "Tar", "repeat.txt.Z", kTar, {{"repeat.txt", RepeatText()}}, 1},
        {"libTar32.so", "Tar", "repeat.txt.bz2", kTar, {{"repeat.txt", RepeatText()}}, 1},
        {"libUnarj32j.so", "Unarj", "sample.arj", kArj, WithNihongo(WithRepeat(Basic())), 5},
        {"libUnarj32j.so", "Unarj", "method2.arj", kArj, small, 2},
        {"libUnarj32j.so", "Unarj", "method3.arj", kArj, small, 2},
        {"libUnarj32j.so", "Unarj", "method4.arj", kArj, small, 2},
        {"libTar32.so", "Tar", "sample.tar.xz", kTar, WithRepeat(Basic()), 5},
        {"libTar32.so", "Tar", "sample.tar.zst", kTar, WithRepeat(Basic()), 5},
        {"libTar32.so", "Tar", "sample.tar.lz4", kTar, WithRepeat(Basic()), 5},
        {"libTar32.so", "Tar", "sample.tar.lz", kTar, WithRepeat(Basic()), 5},
        {"libTar32.so", "Tar", "repeat.txt.xz", kTar, {{"repeat.txt", RepeatText()}}, 1},
        {"libTar32.so", "Tar", "repeat.txt.zst", kTar, {{"repeat.txt", RepeatText()}}, 1},
        // 7z: solid LZMA2 with folders and Shift-JIS names, then each coder.
        {"lib7z32.so", "SevenZip", "sample.7z", k7z, WithJapanese(WithRepeat(Basic())), 8},
        {"lib7z32.so", "SevenZip", "lzma.7z", k7z, WithRepeat(Basic()), 4},
        {"lib7z32.so", "SevenZip", "ppmd.7z", k7z, WithRepeat(Basic()), 4},
        {"lib7z32.so", "SevenZip", "bcj.7z", k7z, WithRepeat(Basic()), 4},
        {"lib7z32.so", "SevenZip", "nonsolid.7z", k7z, WithRepeat(Basic()), 4},
        {"lib7z32.so", "SevenZip", "stored.7z", k7z, small, 2},
    };
}

class RoundTripTest : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(RoundTripTest, ChecksCountsListsAndExtractsByteExact)
{
    const RoundTrip &c = GetParam();
    ArchiverLibrary lib(c.library, c.prefix);
    ASSERT_TRUE(lib.loaded()) << c.library;
    const std::string archive = FixturePath(c.fixture);
    EXPECT_NE(lib.check(archive), 0);
    EXPECT_EQ(lib.count(archive), c.entries);
    const auto records = lib.list(archive);
    EXPECT_EQ(static_cast<int>(records.size()), c.entries);
    for (const auto &[name, content] : c.expected) {
        bool listed = false;
        for (const auto &r : records)
            if (std::string(r.szFileName) == name) {
                listed = true;
                EXPECT_EQ(r.dwOriginalSize, content.size()) << name;
            }
        EXPECT_TRUE(listed) << name;
    }

    TempDir dest;
    std::string log;
    const int result =
        lib.command(std::string(c.switches) + " " + Quote(archive) + " " + Quote(dest.str() + "/"), &log);
    EXPECT_EQ(result, 0) << log;
    EXPECT_EQ(FilesBelow(dest.path()), c.expected) << log;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RoundTripTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<RoundTrip> &info) {
                             std::string name = info.param.fixture;
                             for (auto &ch : name)
                                 if (!isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

}  // namespace
}  // namespace zr::archivers::test
