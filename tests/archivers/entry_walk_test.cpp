// The search's walk export: one pass, entries offered in archive order with
// their whole names, taken data streamed exactly, declined entries never
// delivered, damage reported per entry, and the walk's own outcomes.
#include <gtest/gtest.h>

#include <functional>

#include "archiver_test_support.h"
#include "test_archive_writers.h"

namespace zr::archivers::test {
namespace {

struct Walk {
    std::function<int(const std::string &name, int refusal)> answer = [](const std::string &, int) {
        return ZR_ARC_WALK_TAKE;
    };
    std::vector<std::string> offered;
    std::vector<int> refusals;
    std::vector<std::uint32_t> flags;
    std::map<std::string, std::string> data;  // taken name -> bytes
    std::vector<int> ends;
    std::string current;
    std::string message;

    int run(const ArchiverLibrary &library, const std::string &file, const std::string &wildcards = "*",
            std::uint32_t mode = 0)
    {
        const auto fn = library.fn<ZrArcWalkEntriesFn>("WalkEntries");
        if (!fn)
            return -1;
        char text[512] = {};
        ZrArcWalkCallbacks callbacks{};
        callbacks.user = this;
        callbacks.offer = [](void *user, const TIndividualInfo *record, const char *name, int refusal) {
            auto &self = *static_cast<Walk *>(user);
            self.offered.push_back(name);
            self.refusals.push_back(refusal);
            self.flags.push_back(record->uFlag);
            self.current = name;
            return self.answer(name, refusal);
        };
        callbacks.data = [](void *user, const char *bytes, size_t size) {
            auto &self = *static_cast<Walk *>(user);
            self.data[self.current].append(bytes, size);
            return 1;
        };
        callbacks.entryEnd = [](void *user, int result, const char *) {
            static_cast<Walk *>(user)->ends.push_back(result);
        };
        callbacks.message = text;
        callbacks.messageSize = sizeof text;
        const int result = fn(file.c_str(), wildcards.c_str(), mode, &callbacks);
        message = text;
        return result;
    }
};

struct Format {
    const char *label, *library, *prefix;
    std::string bytes;
};

const std::vector<Member> kMembers = {{"a.txt", "alpha\n"},
                                      {"docs/b.txt", "beta\n"},
                                      {"docs/deep/c.log", std::string(70000, 'c')},
                                      {"d.txt", ""}};

std::vector<Format> Formats()
{
    return {
        {"zip", "libUnzip32.so", "UnZip", MakeStoredZip(kMembers)},
        {"lzh", "libUnlha32.so", "Unlha", MakeStoredLha0(kMembers)},
        {"tar", "libTar32.so", "Tar", MakeUstar(kMembers)},
    };
}

TEST(WalkEntries, OffersMatchingEntriesInOrderAndStreamsOnlyTheTakenOnes)
{
    for (const Format &f : Formats()) {
        SCOPED_TRACE(f.label);
        TempDir dir;
        const fs::path archive = dir.path() / (std::string("a.") + f.label);
        WriteFile(archive, f.bytes);
        ArchiverLibrary library(f.library, f.prefix);
        ASSERT_TRUE(library.loaded());

        Walk all;
        all.answer = [](const std::string &name, int) {
            return name.ends_with("b.txt") ? ZR_ARC_WALK_DECLINE : ZR_ARC_WALK_TAKE;
        };
        ASSERT_EQ(all.run(library, archive.string()), ZR_ARC_OK) << all.message;
        EXPECT_EQ(all.offered, (std::vector<std::string>{"a.txt", "docs/b.txt", "docs/deep/c.log", "d.txt"}));
        EXPECT_EQ(all.data, (std::map<std::string, std::string>{
                                {"a.txt", "alpha\n"}, {"docs/deep/c.log", std::string(70000, 'c')}}));
        // An empty file is taken too, and ends like the others.
        EXPECT_EQ(all.ends, (std::vector<int>{ZR_ARC_OK, ZR_ARC_OK, ZR_ARC_OK}));

        Walk some;
        ASSERT_EQ(some.run(library, archive.string(), "*.txt docs/deep/*"), ZR_ARC_OK);
        EXPECT_EQ(some.offered,
                  (std::vector<std::string>{"a.txt", "docs/b.txt", "docs/deep/c.log", "d.txt"}));
        Walk none;
        ASSERT_EQ(none.run(library, archive.string(), "*.none"), ZR_ARC_OK);
        EXPECT_TRUE(none.offered.empty());
        Walk stopped;
        stopped.answer = [](const std::string &, int) { return ZR_ARC_WALK_STOP; };
        EXPECT_EQ(stopped.run(library, archive.string()), ZR_ARC_E_CANCELLED);
        EXPECT_EQ(stopped.offered.size(), 1u);
    }
}

TEST(WalkEntries, RefusesToHandOutWhatCannotBeSearched)
{
    TempDir dir;
    const fs::path archive = dir.path() / "a.tar";
    WriteFile(archive, MakeUstar({{"../up.txt", "x"}, {"C:\\drive.txt", "y"}, {"ok.txt", "z"}}));
    ArchiverLibrary library("libTar32.so", "Tar");
    Walk walk;
    ASSERT_EQ(walk.run(library, archive.string()), ZR_ARC_OK);
    EXPECT_EQ(walk.refusals, (std::vector<int>{ZR_ARC_E_UNSAFE_NAME, ZR_ARC_OK, ZR_ARC_OK}));
    // The refused entry's answer to take it is ignored; a drive letter is only a name.
    EXPECT_EQ(walk.data.count("../up.txt"), 0u);
    ASSERT_EQ(walk.offered.size(), 3u);
    EXPECT_EQ(walk.data[walk.offered[1]], "y");
}

TEST(WalkEntries, ADamagedEntryEndsAloneAndTheWalkGoesOn)
{
    TempDir dir;
    const fs::path archive = dir.path() / "a.zip";
    std::string zip = MakeStoredZip({{"one.txt", "first"}, {"two.txt", "spoiled"}, {"three.txt", "third"}});
    zip[zip.find("spoiled")] = 'S';
    WriteFile(archive, zip);
    ArchiverLibrary library("libUnzip32.so", "UnZip");
    Walk walk;
    EXPECT_EQ(walk.run(library, archive.string()), ZR_ARC_OK);
    EXPECT_EQ(walk.ends, (std::vector<int>{ZR_ARC_OK, ZR_ARC_E_DATA, ZR_ARC_OK}));
    EXPECT_EQ(walk.data["three.txt"], "third");
}

TEST(WalkEntries, TellsAMissingFileFromOneThatIsNoArchive)
{
    TempDir dir;
    WriteFile(dir.path() / "plain.zip", std::string(2000, 'p'));
    ArchiverLibrary library("libUnzip32.so", "UnZip");
    Walk missing, plain;
    EXPECT_EQ(missing.run(library, (dir.path() / "none.zip").string()), ZR_ARC_E_OPEN);
    EXPECT_EQ(plain.run(library, (dir.path() / "plain.zip").string()), ZR_ARC_E_NOT_ARCHIVE);
    EXPECT_TRUE(plain.offered.empty());
}

}  // namespace
}  // namespace zr::archivers::test
