// The single walk against a walk per pattern, and symbolic links to folders.

#include "filefind/file_find.h"
#include "filefind/folder_listing.h"
#include "platform/wildcard.h"
#include "test_support/scratch_folder.h"

#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

using namespace zr;
using zr::test::ScratchFolder;
using List = std::vector<std::string>;

namespace {

// The finder as it worked with one complete walk per pattern, kept as the
// reference for the order of the hits.
void WalkOnePattern(const std::string &folder, const std::string &pattern, bool recursive, bool addDir,
                    List &found)
{
    std::vector<FolderEntry> entries;
    int error = 0;
    if (!ListFolder(folder, entries, error))
        return;
    for (const FolderEntry &entry : entries) {
        const bool reportable = entry.kind == EntryKind::File ||
                                (addDir && (entry.kind == EntryKind::Folder || entry.kind == EntryKind::LinkedFolder));
        if (reportable && platform::MatchesNamePattern(entry.name, pattern))
            found.push_back(folder + "/" + entry.name);
    }
    if (!recursive)
        return;
    for (const FolderEntry &entry : entries) {
        if (entry.kind == EntryKind::Folder && entry.name[0] != '.')
            WalkOnePattern(folder + "/" + entry.name, pattern, recursive, addDir, found);
    }
}

List WalkPerPattern(const std::string &root, const List &patterns, bool recursive, bool addDir)
{
    List found;
    for (const std::string &pattern : patterns)
        WalkOnePattern(root, pattern, recursive, addDir, found);
    return found;
}

// A fixed pseudo-random tree whose names match several patterns at once.
void MakeMixedTree(const ScratchFolder &dir)
{
    const List names = {"a.zip", "B.ZIP", "c.tar.gz", "d.tgz", "e.7z", "f.lzh", "g.txt", "zip", "h.gz.zip",
                        "i.ZIP.gz", ".j.zip", "k"};
    std::mt19937 random(20240607);
    for (int folder = 0; folder < 40; ++folder) {
        std::string path = "root";
        for (int depth = static_cast<int>(random() % 4); depth > 0; --depth)
            path += "/" + std::string(1, static_cast<char>('m' + random() % 5));
        for (int n = static_cast<int>(random() % 5); n > 0; --n)
            dir.Write(path + "/" + std::to_string(random() % 3) + names[random() % names.size()], "x");
    }
    dir.Write("root/.hidden/a.zip", "x");
}

}  // namespace

TEST(FileFindOneWalk, GivesTheOrderOfOneWalkPerPattern)
{
    ScratchFolder dir;
    MakeMixedTree(dir);
    ASSERT_EQ(::symlink((dir / "root/m").c_str(), (dir / "root/zz-link").c_str()), 0);
    const std::string root = dir / "root";
    const List patternLists[] = {
        {"*.LZH", "*.ZIP", "*.CAB", "*.TAR", "*.TGZ", "*.GZ", "*.7Z"},
        {"*.zip", "*.ZIP", "?a.*", "*.gz*", "*"},  // overlapping: a file is reported once per pattern
        {"*.*"},
        {"nothing", "*.zip"},
    };
    for (const List &patterns : patternLists) {
        std::string joined;
        for (const std::string &p : patterns)
            joined += p + ";";
        for (const bool recursive : {true, false}) {
            for (const bool addDir : {false, true}) {
                TFileFind finder;
                finder.SetStartDir(root);
                finder.SetFilePattern(joined);
                finder.Recursive = recursive;
                finder.AddDir = addDir;
                finder.Execute();
                const List expected = WalkPerPattern(root, patterns, recursive, addDir);
                ASSERT_FALSE(expected.empty());
                EXPECT_EQ(finder.FilesFound(), expected)
                    << joined << " recursive " << recursive << " addDir " << addDir;
            }
        }
    }
}

TEST(FileFindOneWalk, StartFoldersKeepTheirOrderAndTheHandlerSeesTheFinalOrder)
{
    ScratchFolder dir;
    dir.Write("one/a.zip");
    dir.Write("one/sub/b.lzh");
    dir.Write("one/sub/c.zip");
    dir.Write("two/d.lzh");
    TFileFind finder;
    finder.SetStartDir(dir / "two" + ";" + dir / "one");
    finder.SetFilePattern("*.zip;*.lzh");
    List seen;
    finder.OnFileFind = [&](TFileFind &, const std::string &folder, const std::string &name, bool &) {
        seen.push_back(folder + name);
    };
    finder.Execute();
    const List expected = {dir / "two/d.lzh", dir / "one/a.zip", dir / "one/sub/c.zip", dir / "one/sub/b.lzh"};
    EXPECT_EQ(finder.FilesFound(), expected);
    EXPECT_EQ(seen, expected);
}

namespace {
class LinkedFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.Write("root/real/a.zip");
        dir.Write("root/real/inner/b.zip");
        dir.Write("outside/c.zip");
        root = dir / "root";
    }
    void Link(const std::string &target, const std::string &linkRelative)
    {
        ASSERT_EQ(::symlink(target.c_str(), (dir / linkRelative).c_str()), 0) << linkRelative;
    }
    List Find(bool follow, bool recursive = true)
    {
        finder.SetStartDir(root);
        finder.SetFilePattern("*.zip");
        finder.FollowLinks = follow;
        finder.Recursive = recursive;
        finder.Execute();
        return finder.FilesFound();
    }

    ScratchFolder dir;
    std::string root;
    TFileFind finder;
};
}  // namespace

TEST_F(LinkedFolders, NotFollowedLinksAreCounted)
{
    Link(dir / "outside", "root/away");
    Link(dir / "outside", "root/real/inner/away2");
    Link(dir / "outside", "root/.dotlink");          // a dot folder is never walked: not a link's doing
    Link(dir / "root/real/a.zip", "root/file.zip");  // a link to a file is a file
    Link(dir / "gone", "root/dangling");
    EXPECT_EQ(Find(false), (List{root + "/file.zip", root + "/real/a.zip", root + "/real/inner/b.zip"}));
    EXPECT_EQ(finder.LinkedFoldersNotFollowed(), 2);

    Find(false, false);  // without sub-folders no folder is walked at all
    EXPECT_EQ(finder.LinkedFoldersNotFollowed(), 0);

    EXPECT_EQ(Find(true), (List{root + "/file.zip", root + "/away/c.zip", root + "/real/a.zip",
                                root + "/real/inner/b.zip"}));
    EXPECT_EQ(finder.LinkedFoldersNotFollowed(), 0);
}

TEST_F(LinkedFolders, LoopsEndAndEachFolderIsWalkedOnce)
{
    Link(root, "root/real/inner/up");           // back to the start folder
    Link(dir / "root/real", "root/real/self");  // to its own folder
    Link("../../real", "root/real/inner/up2");  // relative, to an ancestor
    EXPECT_EQ(Find(true), (List{root + "/real/a.zip", root + "/real/inner/b.zip"}));
    EXPECT_EQ(finder.LinkedFoldersNotFollowed(), 0);
    EXPECT_EQ(Find(false), (List{root + "/real/a.zip", root + "/real/inner/b.zip"}));
    EXPECT_EQ(finder.LinkedFoldersNotFollowed(), 3);
}

TEST_F(LinkedFolders, SiblingReachedFirstThroughItsLinkIsNotWalkedAgain)
{
    Link(dir / "root/real/inner", "root/aaa");
    EXPECT_EQ(Find(true), (List{root + "/aaa/b.zip", root + "/real/a.zip"}));
    EXPECT_EQ(Find(false), (List{root + "/real/a.zip", root + "/real/inner/b.zip"}));
    EXPECT_EQ(finder.LinkedFoldersNotFollowed(), 1);
}

TEST_F(LinkedFolders, StartFolderThatIsALinkIsWalked)
{
    Link(dir / "root/real", "linked-start");
    finder.SetStartDir(dir / "linked-start");
    finder.SetFilePattern("*.zip");
    finder.Execute();
    EXPECT_EQ(finder.FilesFound(), (List{dir / "linked-start/a.zip", dir / "linked-start/inner/b.zip"}));
}
