// Hostile archives written from test code, in every format that can carry
// the trick: escapes by "..", "\" or absolute names, Shift-JIS names whose
// trail byte is 0x5C, clashing names, very long names, links, and sizes that
// lie. Nothing may land outside the destination.
#include <gtest/gtest.h>

#include <archive.h>
#include <archive_entry.h>
#include <functional>
#include <sys/statvfs.h>
#include <unistd.h>
#include <zlib.h>

#include "archiver_test_support.h"
#include "test_archive_writers.h"

namespace zr::archivers::test {
namespace {

struct Format {
    const char *label;
    const char *library;
    const char *prefix;
    const char *switches;
    std::function<std::string(const std::vector<Member> &)> write;
};

std::vector<Format> Formats()
{
    return {
        {"zip", "libUnzip32.so", "UnZip", "-x -o --i", &MakeStoredZip},
        {"lha", "libUnlha32.so", "Unlha", "x -m1c -n", &MakeStoredLha0},
        {"rar4", "libunrar32.so", "Unrar", "-x -o", &MakeRar4},
        {"cab", "libcab32.so", "Cab", "-x -o -i", &MakeStoredCab},
        {"tar", "libTar32.so", "Tar", "--use-directory=1 -x -v -f", &MakeUstar},
    };
}

// The destination sits two levels down, so an escape lands in `root`.
struct Sandbox {
    TempDir root;
    fs::path dest = root.path() / "a" / "dest";
    Sandbox() { fs::create_directories(dest); }

    int extract(const Format &f, const std::vector<Member> &members, std::string *log = nullptr) const
    {
        const fs::path archive = root.path() / (std::string("hostile.") + f.label);
        WriteFile(archive, f.write(members));
        ArchiverLibrary lib(f.library, f.prefix);
        return lib.command(
            std::string(f.switches) + " " + Quote(archive.string()) + " " + Quote(dest.string() + "/"), log);
    }
    // Every file below the root except the archives, relative to the destination.
    std::map<std::string, std::string> written() const
    {
        std::map<std::string, std::string> files;
        for (const auto &[name, bytes] : FilesBelow(root.path()))
            if (name.rfind("hostile.", 0) != 0)
                files[fs::relative(root.path() / name, dest).string()] = bytes;
        return files;
    }
};

const std::string kAbsolute = "/tmp/zr-hostile-absolute-" + std::to_string(::getpid()) + ".txt";

TEST(HostileNameTest, EscapesAreRefusedInEveryFormatAndTheRestArrives)
{
    const std::vector<Member> members = {
        {"../evil1.txt", "evil"},
        {"..\\evil2.txt", "evil"},
        {"sub\\..\\..\\evil3.txt", "evil"},
        {kAbsolute, "evil"},
        {"\\evil4.txt", "evil"},
        {"C:\\evil5.txt", "evil"},
        {"sub/./../../evil6.txt", "evil"},
        {"ok.txt", "fine"},
    };
    for (const Format &f : Formats()) {
        Sandbox box;
        std::string log;
        EXPECT_EQ(box.extract(f, members, &log), ZR_ARC_E_UNSAFE_NAME) << f.label << "\n" << log;
        EXPECT_EQ(box.written(), (std::map<std::string, std::string>{{"ok.txt", "fine"}})) << f.label;
        EXPECT_FALSE(fs::exists(kAbsolute)) << f.label;
    }
}

TEST(HostileNameTest, Cp932TrailByte5CIsPartOfTheCharacterNotASeparator)
{
    // 表 is 95 5C: a reader that splits bytes at 0x5C makes "\x95" a folder,
    // and one that sees ".." in "表..\" refuses an innocent name.
    const std::vector<Member> members = {
        {"\x95\x5c\x8e\xa6.txt", "hyouji"},          // 表示.txt
        {"\x95\x5c..\\in.txt", "inside"},            // 表..\in.txt
        {"\x95\x5c\\..\\..\\..\\evil.txt", "evil"},  // 表\..\..\..\evil.txt
    };
    for (const Format &f : Formats()) {
        Sandbox box;
        std::string log;
        EXPECT_EQ(box.extract(f, members, &log), ZR_ARC_E_UNSAFE_NAME) << f.label << "\n" << log;
        EXPECT_EQ(box.written(),
                  (std::map<std::string, std::string>{{"表示.txt", "hyouji"}, {"表../in.txt", "inside"}}))
            << f.label;
    }
}

TEST(HostileNameTest, ClashingNamesNeverReplaceAFolderOrGoThroughAFile)
{
    const std::vector<Member> members = {
        {"Dup.txt", "upper"}, {"dup.txt", "lower"},  // only the case differs: two files here
        {"x", "file x"},      {"x/y.txt", "inner"},  // a file, then a folder of the same name
        {"y/z.txt", "in y"},  {"y", "file y"},       // a folder, then a file of the same name
        {"ok.txt", "fine"},
    };
    for (const Format &f : Formats()) {
        Sandbox box;
        std::string log;
        EXPECT_EQ(box.extract(f, members, &log), ZR_ARC_E_WRITE) << f.label << "\n" << log;
        EXPECT_EQ(box.written(), (std::map<std::string, std::string>{{"Dup.txt", "upper"},
                                                                     {"dup.txt", "lower"},
                                                                     {"x", "file x"},
                                                                     {"y/z.txt", "in y"},
                                                                     {"ok.txt", "fine"}}))
            << f.label;
        EXPECT_TRUE(fs::is_directory(box.dest / "y")) << f.label;
    }
}

TEST(HostileNameTest, OverlongElementsFailAloneAndDeepNamesStayInside)
{
    std::string deep;
    for (int i = 0; i < 12; ++i)
        deep += std::string(200, static_cast<char>('a' + i)) + "/";
    deep += "deep.txt";
    const std::vector<Member> members = {
        {std::string(300, 'L') + ".txt", "long"}, {deep, "deep"}, {"ok.txt", "fine"}};
    ArchiverLibrary zip("libUnzip32.so", "UnZip");
    Sandbox box;
    std::string log;
    EXPECT_EQ(box.extract(Formats()[0], members, &log), ZR_ARC_E_WRITE) << log;
    EXPECT_EQ(box.written(), (std::map<std::string, std::string>{{deep, "deep"}, {"ok.txt", "fine"}}));
    // The listing cuts the name to its field and keeps it terminated.
    const auto records = zip.list((box.root.path() / "hostile.zip").string());
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(std::string(records[1].szFileName), deep.substr(0, ZR_ARC_NAME_MAX - 1));
}

TEST(HostileLinkTest, LinksAreNotMadeNorFollowedWhereverTheyCome)
{
    Sandbox box;
    const fs::path outside = box.root.path() / "outside.txt";
    WriteFile(outside, "outside");
    fs::create_symlink(outside, box.dest / "planted.txt");
    const std::vector<Member> members = {
        {"up", "", false, ".."},     {"up/evil.txt", "in a folder"},  // a link, then a file through it
        {"self", "", false, "/tmp"}, {"self", "a file"},              // a link, then a file of its name
        {"planted.txt", "evil"},                                      // over a link planted beforehand
        {"ok.txt", "fine"},
    };
    std::string log;
    EXPECT_EQ(box.extract(Formats()[4], members, &log), ZR_ARC_E_WRITE) << log;
    EXPECT_EQ(ReadFile(outside), "outside");
    EXPECT_TRUE(fs::is_symlink(box.dest / "planted.txt"));
    EXPECT_FALSE(fs::is_symlink(box.dest / "up"));
    EXPECT_EQ(ReadFile(box.dest / "up" / "evil.txt"), "in a folder");
    EXPECT_EQ(ReadFile(box.dest / "self"), "a file");
    EXPECT_FALSE(fs::is_symlink(box.dest / "self"));
    EXPECT_EQ(ReadFile(box.dest / "ok.txt"), "fine");
}

// A ustar member whose size field says 2^50 bytes (base-256 form).
std::string TarWithHugeDeclaredSize()
{
    std::string tar = MakeUstar({{"huge.bin", std::string(512, 'h')}, {"ok.txt", "fine"}});
    std::string field(12, '\0');
    field[0] = static_cast<char>(0x80);
    field[5] = 0x04;  // 2^50
    tar.replace(124, 12, field);
    unsigned sum = 0;
    tar.replace(148, 8, std::string(8, ' '));
    for (int i = 0; i < 512; ++i)
        sum += static_cast<unsigned char>(tar[i]);
    char text[8];
    std::snprintf(text, sizeof text, "%06o", sum);
    tar.replace(148, 8, std::string(text, 6) + '\0' + ' ');
    return tar;
}

TEST(BombTest, AHugeDeclaredSizeStopsBeforeAnyByteIsWritten)
{
    ArchiverLibrary tar("libTar32.so", "Tar");
    Sandbox box;
    const fs::path archive = box.root.path() / "hostile.tar";
    WriteFile(archive, TarWithHugeDeclaredSize());
    std::string log;
    EXPECT_EQ(tar.command("-x -f " + Quote(archive.string()) + " " + Quote(box.dest.string() + "/"), &log),
              ZR_ARC_E_DISK_FULL)
        << log;
    EXPECT_TRUE(box.written().empty());
}

// A pax archive holding one sparse member of 2^50 bytes: a hole, then 512
// bytes of data at its end.
std::string SparseTarWithHugeHole()
{
    constexpr la_int64_t kSize = la_int64_t{1} << 50;
    std::string out(64 * 1024, '\0');
    size_t used = 0;
    struct archive *a = archive_write_new();
    archive_write_set_format_pax(a);
    archive_write_open_memory(a, out.data(), out.size(), &used);
    struct archive_entry *e = archive_entry_new();
    archive_entry_set_pathname(e, "sparse.bin");
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_entry_set_size(e, kSize);
    archive_entry_sparse_add_entry(e, kSize - 512, 512);
    archive_write_header(a, e);
    archive_write_data(a, std::string(512, 's').data(), 512);
    archive_entry_free(e);
    archive_write_close(a);
    archive_write_free(a);
    out.resize(used);
    return out;
}

TEST(BombTest, AHugeSparseHoleIsCheckedAtOnceAndNeverWritten)
{
    ArchiverLibrary tar("libTar32.so", "Tar");
    Sandbox box;
    const fs::path archive = box.root.path() / "hostile.tar";
    WriteFile(archive, SparseTarWithHugeHole());
    EXPECT_NE(tar.check(archive.string(), ZR_ARC_CHECK_HEADERS | ZR_ARC_CHECK_FULLCRC), 0);
    EXPECT_EQ(tar.command("-x -f " + Quote(archive.string()) + " " + Quote(box.dest.string() + "/")),
              ZR_ARC_E_DISK_FULL);
    EXPECT_TRUE(box.written().empty());
}

// A .gz whose trailer claims 1 byte but which inflates to 512 MiB of one
// letter (512 gzip members of 1 MiB each, one compressed member repeated).
// Zeros would not do: they read as an empty tar archive.
std::string GzipBombClaimingOneByte()
{
    const std::string letters(1 << 20, 'Z');
    std::string member(compressBound(letters.size()) + 32, '\0');
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(letters.data()));
    z.avail_in = static_cast<uInt>(letters.size());
    z.next_out = reinterpret_cast<Bytef *>(member.data());
    z.avail_out = static_cast<uInt>(member.size());
    deflate(&z, Z_FINISH);
    member.resize(z.total_out);
    deflateEnd(&z);
    std::string bomb;
    for (int i = 0; i < 512; ++i)
        bomb += member;
    bomb.replace(bomb.size() - 4, 4, std::string("\x01\0\0\0", 4));
    return bomb;
}

TEST(BombTest, DataBeyondTheDeclaredSizeStopsAtTheFreeSpaceReserve)
{
    ArchiverLibrary tar("libTar32.so", "Tar");
    Sandbox box;
    const fs::path archive = box.root.path() / "hostile.gz";
    WriteFile(archive, GzipBombClaimingOneByte());
    struct statvfs vfs {};
    ASSERT_EQ(statvfs(box.dest.c_str(), &vfs), 0);
    const std::uint64_t available = static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    if (available < (1u << 30))
        GTEST_SKIP() << "less than 1 GiB free";
    // Leave the extraction 64 MiB above the reserve: far less than the bomb.
    setenv("ZR_ARCHIVER_FREE_RESERVE", std::to_string(available - (64u << 20)).c_str(), 1);
    std::string log;
    const int result =
        tar.command("-x -f " + Quote(archive.string()) + " " + Quote(box.dest.string() + "/"), &log);
    unsetenv("ZR_ARCHIVER_FREE_RESERVE");
    EXPECT_EQ(result, ZR_ARC_E_DISK_FULL) << log;
    EXPECT_TRUE(box.written().empty());
    EXPECT_TRUE(fs::is_empty(box.dest));
}

}  // namespace
}  // namespace zr::archivers::test
