// Real archives from tools that cannot run here (compressed and
// self-extracting RAR, LZX CAB, LHA header levels 0-3, CP932 names, fuzzed
// files), read from the shared fixture folder when it is present.
#include <gtest/gtest.h>

#include "archiver_test_support.h"

namespace zr::archivers::test {
namespace {

struct Sample {
    std::string file;
    std::string library;
    std::string prefix;
};

std::vector<Sample> Samples(const std::string &folder)
{
    std::vector<Sample> samples;
    for (const auto &e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        const std::string ext = e.path().extension().string();
        if (ext == ".lzh")
            samples.push_back({e.path().string(), "libUnlha32.so", "Unlha"});
        else if (ext == ".cab")
            samples.push_back({e.path().string(), "libcab32.so", "Cab"});
        else if (ext == ".rar" || (ext == ".exe" && name.find("rar") != std::string::npos))
            samples.push_back({e.path().string(), "libunrar32.so", "Unrar"});
        else if (ext == ".zip")
            samples.push_back({e.path().string(), "libUnzip32.so", "UnZip"});
    }
    return samples;
}

TEST(SharedSamplesTest, RealArchivesListAndExtractAndFuzzedOnesFailCleanly)
{
    const std::string folder = SharedFixture("libarchive-samples");
    if (folder.empty())
        GTEST_SKIP() << "no shared libarchive samples";
    for (const auto &s : Samples(folder)) {
        SCOPED_TRACE(s.file);
        ArchiverLibrary lib(s.library, s.prefix);
        const bool fuzzed = s.file.find("fuzz") != std::string::npos;
        TempDir dest;
        std::string log;
        const int check = lib.check(s.file);
        const int count = lib.count(s.file);
        const auto records = lib.list(s.file);
        const int result = lib.command((s.prefix == "Unlha" ? "x -m1c " : "-x -o ") + Quote(s.file) + " " +
                                           Quote(dest.str() + "/"),
                                       &log);
        for (const auto &e : fs::recursive_directory_iterator(dest.path()))
            EXPECT_EQ(e.path().filename().string().find(".zr-"), std::string::npos);
        if (fuzzed)
            continue;  // only: no crash, no leftovers
        EXPECT_NE(check, 0);
        EXPECT_GT(count, 0);
        EXPECT_EQ(static_cast<int>(records.size()), count);
        for (const auto &r : records)
            EXPECT_GT(std::string(r.szFileName).size(), 0u);
        EXPECT_EQ(result, 0) << log;
    }
}

TEST(SharedSamplesTest, ShiftJisNamesOfLhaCabAndZip)
{
    const std::string folder = SharedFixture("libarchive-samples");
    if (folder.empty())
        GTEST_SKIP() << "no shared libarchive samples";
    for (const auto &[file, library, prefix] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"test_read_format_lha_filename_cp932.lzh", "libUnlha32.so", "Unlha"},
             {"test_read_format_cab_filename_cp932.cab", "libcab32.so", "Cab"},
             {"test_read_format_zip_filename_cp932.zip", "libUnzip32.so", "UnZip"}}) {
        ArchiverLibrary lib(library, prefix);
        const auto names = Names(lib.list(folder + "/" + file));
        ASSERT_FALSE(names.empty()) << file;
        // "漢字" (kanji) is in every sample name; valid UTF-8 throughout.
        bool kanji = false;
        for (const auto &n : names)
            kanji |= n.find("\xE6\xBC\xA2\xE5\xAD\x97") != std::string::npos;
        EXPECT_TRUE(kanji) << file << ": " << names[0];
    }
}

}  // namespace
}  // namespace zr::archivers::test
