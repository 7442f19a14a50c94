// The search's walk opens each archive once: where the archive starts, its
// headers, its entries' data and a single file's stored size are all read
// through the one handle, for every format and for a self-extractor.
#include <gtest/gtest.h>

#include "archiver_test_support.h"
#include "open_counter.h"
#include "test_archive_writers.h"

namespace zr::archivers::test {
namespace {

struct Case {
    const char *fixture, *library, *prefix;
};

// Walks every entry, taking each one's data, and returns the walk's result.
int WalkAll(const ArchiverLibrary &library, const std::string &file, int *taken)
{
    const auto fn = library.fn<ZrArcWalkEntriesFn>("WalkEntries");
    if (!fn)
        return -1;
    ZrArcWalkCallbacks callbacks{};
    callbacks.user = taken;
    callbacks.offer = [](void *user, const TIndividualInfo *, const char *, int refusal) {
        if (refusal != ZR_ARC_OK)
            return ZR_ARC_WALK_DECLINE;
        ++*static_cast<int *>(user);
        return ZR_ARC_WALK_TAKE;
    };
    callbacks.data = [](void *, const char *, size_t) { return 1; };
    callbacks.entryEnd = [](void *, int, const char *) {};
    return fn(file.c_str(), "*", 0, &callbacks);
}

TEST(OpenCount, TheWalkOpensEachArchiveOnce)
{
    const Case cases[] = {
        {"sample.zip", "libUnzip32.so", "UnZip"},     {"sample.7z", "lib7z32.so", "SevenZip"},
        {"nonsolid.7z", "lib7z32.so", "SevenZip"},    {"sample.tgz", "libTar32.so", "Tar"},
        {"sample.tar.bz2", "libTar32.so", "Tar"},     {"sample.tar.xz", "libTar32.so", "Tar"},
        {"sample.tar", "libTar32.so", "Tar"},         {"repeat.txt.gz", "libTar32.so", "Tar"},
        {"repeat.txt.bz2", "libTar32.so", "Tar"},     {"sample-h2.lzh", "libUnlha32.so", "Unlha"},
        {"mszip.cab", "libcab32.so", "Cab"},
    };
    TempDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fixture);
        ArchiverLibrary library(c.library, c.prefix);
        ASSERT_TRUE(library.loaded());
        const std::string plain = (dir.path() / c.fixture).string();
        WriteFile(plain, ReadFile(FixturePath(c.fixture)));
        for (const std::string &file : {plain, MakeSelfExtractor(dir.path(), plain, 4096)}) {
            SCOPED_TRACE(file);
            if (file != plain && std::string(c.prefix) == "Tar")
                continue;  // tar and single compressed files have no self-extractors
            int taken = 0;
            WatchOpens(file);
            EXPECT_EQ(WalkAll(library, file, &taken), ZR_ARC_OK);
            EXPECT_GT(taken, 0);
            EXPECT_EQ(OpensSinceWatch(), 1);
        }
    }
    WatchOpens("");
}

TEST(OpenCount, AWrittenRarIsOpenedOnce)
{
    TempDir dir;
    const std::string file = (dir.path() / "a.rar").string();
    WriteFile(file, MakeRar4({{"a.txt", "alpha\n"}, {"b.txt", "beta\n"}}));
    ArchiverLibrary library("libunrar32.so", "Unrar");
    ASSERT_TRUE(library.loaded());
    int taken = 0;
    WatchOpens(file);
    EXPECT_EQ(WalkAll(library, file, &taken), ZR_ARC_OK);
    EXPECT_EQ(taken, 2);
    EXPECT_EQ(OpensSinceWatch(), 1);
    WatchOpens("");
}

}  // namespace
}  // namespace zr::archivers::test
