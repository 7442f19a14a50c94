// zrgrep over several paths and archive lists, and what it prints of names
// and lines that hold control characters.

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <fstream>

#include "archive_builders.h"
#include "terminal_text.h"
#include "util/message_texts.h"
#include "zrgrep_options.h"
#include "zrgrep_output.h"
#include "zrgrep_program_test.h"

namespace zr::search::test {
namespace {

using tools::LineFeeds;
using tools::TerminalSafe;
using tools::ZrGrepUsageError;

std::vector<std::string> Args(std::initializer_list<const char *> list) { return {list.begin(), list.end()}; }

std::string UsageErrorOf(const std::vector<std::string> &args)
{
    try {
        tools::ParseZrGrepArguments(args);
    } catch (const ZrGrepUsageError &e) {
        return e.what();
    }
    return {};
}

// A missing-path text as zrgrep prints it: lines broken by LF.
std::string Printed(std::string text)
{
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.replace(at, 2, "\n");
    return "zrgrep: " + text + "\n";
}

TEST(ZrGrepPathArgumentsTest, PatternThenPathsOrAnArchiveList)
{
    const auto a = tools::ParseZrGrepArguments(Args({"p", "/a", "b.zip", "/c"}));
    EXPECT_EQ(a.pattern, "p");
    EXPECT_EQ(a.paths, (std::vector<std::string>{"/a", "b.zip", "/c"}));
    EXPECT_FALSE(a.archivesFrom);

    EXPECT_TRUE(tools::ParseZrGrepArguments(Args({"--archives-from", "-", "p"})).paths.empty());
    // A condition file may give the folder, and the pattern too.
    EXPECT_TRUE(tools::ParseZrGrepArguments(Args({"--conditions", "c.ZrSrh", "p"})).paths.empty());

    EXPECT_NE(UsageErrorOf(Args({"p"})).find("PATH"), std::string::npos);
    EXPECT_NE(UsageErrorOf(Args({"p", "/a", "-"})).find("standard input"), std::string::npos);
    EXPECT_NE(UsageErrorOf(Args({"--archives-from", "l.txt"})), "");  // no pattern
    EXPECT_NE(UsageErrorOf(Args({"--", "p", "-"})), "");
}

TEST(TerminalSafeTest, ControlCharactersBecomeHexEscapes)
{
    EXPECT_EQ(TerminalSafe("a\x1b]0;x\x07z"), "a\\x1b]0;x\\x07z");
    EXPECT_EQ(TerminalSafe("l1\nl2\r\x7f"), "l1\\x0al2\\x0d\\x7f");
    EXPECT_EQ(TerminalSafe("l1\nl2\r", LineFeeds::Keep), "l1\nl2\\x0d");
    EXPECT_EQ(TerminalSafe(std::string("n\0ul", 4)), "n\\x00ul");
    // Tabs, Japanese and other printable characters stay as they are.
    EXPECT_EQ(TerminalSafe("表\tＡ é ÿ"), "表\tＡ é ÿ");
    // C1 controls (the 8-bit CSI among them) by their two UTF-8 bytes.
    EXPECT_EQ(TerminalSafe("\xc2\x9b"
                           "2J\xc2\xa0"),
              "\\xc2\\x9b2J\xc2\xa0");
    // Bytes that are not UTF-8 stay, so a Shift_JIS name keeps its bytes;
    // a control after them is still found.
    EXPECT_EQ(TerminalSafe("\x95\x5c\xff\xe3\x81\x1b"), "\x95\x5c\xff\xe3\x81\\x1b");
}

TEST(TerminalSafeTest, HitLinesEscapeNamesAndTextsButKeepTheirOwnColours)
{
    const THitRecord hit{"/d/\x1b[31m.zip", "a\nb.txt", 2, "x\x1b[2Jneedle"};
    EXPECT_EQ(tools::FormatHitLine(hit, nullptr), "/d/\\x1b[31m.zip{a\\x0ab.txt}:2:x\\x1b[2Jneedle");
    const tools::MatchSpans spans("needle", false);
    EXPECT_EQ(tools::FormatHitLine(hit, &spans),
              "/d/\\x1b[31m.zip{a\\x0ab.txt}:2:x\\x1b[2J\x1b[1;31mneedle\x1b[0m");
}

class ZrGrepPlacesTest : public ZrGrepProgramTest {
protected:
    std::string WriteList(const std::string &name, const std::vector<std::string> &paths) const
    {
        std::string text;
        for (const std::string &path : paths)
            text += path + "\n";
        return scratch_.Write(name, text);
    }
};

TEST_F(ZrGrepPlacesTest, ArchivesAndFoldersInTheGivenOrderAsOneRun)
{
    const std::string a = tree_.Write("one/a.zip", ZipOf({{"a.txt", "needle a\n"}}));
    const std::string b = tree_.Write("two/b.tar", TarOf({{"b.txt", "needle b\n"}}));
    // Named like no archive; the type switches do not exclude it.
    const std::string dat = tree_.Write("c.dat", ZipOf({{"c.txt", "needle c\n"}}));
    ASSERT_EQ(Run({"-t", "lha,tar", "needle", tree_ / "two", dat, tree_ / "one"}), 0) << err_;
    // one/ holds no LHA or tar archive; c.dat is searched as named.
    EXPECT_EQ(out_, b + "{b.txt}:1:needle b\n" + dat + "{c.txt}:1:needle c\n");

    ASSERT_EQ(Run({"needle", tree_ / "two", dat, tree_ / "one"}), 0) << err_;
    EXPECT_EQ(out_, b + "{b.txt}:1:needle b\n" + dat + "{c.txt}:1:needle c\n" + a + "{a.txt}:1:needle a\n");
    EXPECT_EQ(err_, "3 行 見つかりました。  書庫数： 3 件  格納数：3 件\n");
    ASSERT_EQ(Run({"--count", "needle", dat}), 0);
    EXPECT_EQ(out_, "1 行 見つかりました。  書庫数： 1 件  格納数：1 件\n");
}

TEST_F(ZrGrepPlacesTest, AMissingPathIsReportedAndTheOthersAreSearched)
{
    const std::string a = tree_.Write("one/a.zip", ZipOf({{"a.txt", "needle\n"}}));
    tree_.Write("empty/readme.txt", "needle\n");
    const std::string gone = tree_ / "many.zip";
    ASSERT_EQ(Run({"needle", gone, tree_ / "one"}), 0);
    EXPECT_EQ(out_, a + "{a.txt}:1:needle\n");
    EXPECT_EQ(err_, Printed(FileMissingText(gone)) + "1 行 見つかりました。  書庫数： 1 件  格納数：1 件\n");

    // Some place searched: the status says whether anything was found.
    EXPECT_EQ(Run({"needle", gone, tree_ / "empty"}), 1);
    // No place searched: an error.
    EXPECT_EQ(Run({"needle", gone, tree_ / "gone"}), 2);
    EXPECT_EQ(err_, Printed(FileMissingText(gone)) + Printed(FolderMissingText(tree_ / "gone")));
    EXPECT_EQ(out_, "");

    EXPECT_EQ(Run({"needle", "-"}), 2);
    EXPECT_NE(err_.find("usage: zrgrep [OPTIONS] PATTERN PATH..."), std::string::npos);
    EXPECT_EQ(Run({"needle"}), 2);
    EXPECT_NE(err_.find("usage:"), std::string::npos);
    EXPECT_TRUE(WorkFolders().empty());
}

TEST_F(ZrGrepPlacesTest, AFifoIsRefusedWithoutBeingOpened)
{
    const std::string a = tree_.Write("one/a.zip", ZipOf({{"a.txt", "needle\n"}}));
    const std::string fifo = tree_ / "pipe.zip";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Its other end is held here, so that a wrong open shows instead of hanging.
    const int held = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    const int watch = ::inotify_init1(IN_NONBLOCK);
    ::inotify_add_watch(watch, fifo.c_str(), IN_OPEN | IN_ACCESS);

    EXPECT_EQ(Run({"needle", fifo}), 2);
    EXPECT_NE(err_.find(fifo), std::string::npos) << err_;
    EXPECT_EQ(Run({"needle", fifo, tree_ / "one"}), 0);
    EXPECT_EQ(out_, a + "{a.txt}:1:needle\n");
    const std::string list = WriteList("list", {fifo});
    EXPECT_EQ(Run({"--archives-from", list, "needle"}), 2);

    alignas(inotify_event) char events[4096];
    EXPECT_LE(::read(watch, events, sizeof events), 0) << "zrgrep opened the FIFO";
    ::close(watch);
    ::close(held);
}

TEST_F(ZrGrepPlacesTest, ShardsOfAnArchiveListJoinToTheOutputOfOneRun)
{
    std::vector<std::string> archives;
    for (int i = 0; i < 7; ++i) {
        std::string text;
        for (int k = 0; k < 40; ++k)
            text += "line " + std::to_string(k) + (k % (i + 2) == 0 ? " needle\n" : "\n");
        const std::string name = "d" + std::to_string(i % 2) + "/a" + std::to_string(i);
        archives.push_back(i % 3 == 0
                               ? tree_.Write(name + ".tar", TarOf({{"t.txt", text}}))
                               : tree_.Write(name + ".zip", ZipOf({{"x.txt", text}, {"s/y.txt", text}})));
    }
    // The list's order, not the walk's.
    std::swap(archives[0], archives[5]);
    ASSERT_EQ(Run({"--json", "--archives-from", WriteList("all", archives), "needle"}), 0) << err_;
    const std::string whole = out_;
    const std::string summary = err_;
    for (std::size_t i = 1; i < archives.size(); ++i)
        EXPECT_LT(whole.find("\"" + archives[i - 1] + "\""), whole.find("\"" + archives[i] + "\"")) << i;

    std::string joined;
    const std::vector<std::pair<std::size_t, std::size_t>> shards = {{0, 3}, {3, 4}, {4, 7}};
    for (const auto &[from, to] : shards) {
        const std::vector<std::string> part(archives.begin() + from, archives.begin() + to);
        ASSERT_EQ(Run({"--json", "--archives-from", WriteList("shard", part), "needle"}), 0) << err_;
        joined += out_;
    }
    EXPECT_EQ(joined, whole);

    // Standard input, with CR LF as a saved archive set has them.
    std::string crlf;
    for (const std::string &path : archives)
        crlf += path + "\r\n";
    scratch_.Write("set.ZrSet", crlf);
    ChildProcess piped(
        "/bin/sh",
        {"-c", "exec \"$0\" --json --archives-from - needle < \"$1\"", Program(), scratch_ / "set.ZrSet"},
        Env());
    EXPECT_EQ(piped.Finish(), 0);
    EXPECT_EQ(piped.Out(), whole);
    EXPECT_EQ(piped.Err(), summary);
}

TEST_F(ZrGrepPlacesTest, AnArchiveListCombinesWithPathsAndRefusesWhatItCannotSearch)
{
    const std::string a = tree_.Write("one/a.zip", ZipOf({{"a.txt", "needle a\n"}}));
    const std::string b = tree_.Write("b.lzh", LzhOf({{"b.txt", "needle b\n"}}));
    const std::string list = WriteList("list", {tree_ / "gone.zip", b, tree_ / "one"});
    ASSERT_EQ(Run({"--archives-from", list, "needle", tree_ / "one"}), 0) << err_;
    EXPECT_EQ(out_, a + "{a.txt}:1:needle a\n" + b + "{b.txt}:1:needle b\n");
    EXPECT_NE(err_.find(Printed(FileMissingText(tree_ / "gone.zip"))), std::string::npos) << err_;
    EXPECT_NE(err_.find(tree_ / "one: a folder in the archive list"), std::string::npos) << err_;

    EXPECT_EQ(Run({"--archives-from", scratch_ / "no-such-list", "needle", tree_ / "one"}), 2);
    EXPECT_NE(err_.find("cannot read the archive list"), std::string::npos);
    EXPECT_EQ(out_, "");
    // An empty list searches nothing and is no error.
    EXPECT_EQ(Run({"--archives-from", WriteList("empty", {}), "needle"}), 1);
}

TEST_F(ZrGrepPlacesTest, ControlCharactersInStoredNamesAndLinesAreEscapedOnlyInText)
{
    const std::string name = "evil\x1b]0;owned\x07\nfake.txt";
    const std::string zip = tree_.Write("a.zip", ZipOf({{name, "x\x1b[2Jneedle\n"}}));
    ASSERT_EQ(Run({"needle", zip}), 0) << err_;
    EXPECT_EQ(out_, zip + "{evil\\x1b]0;owned\\x07\\x0afake.txt}:1:x\\x1b[2Jneedle\n");

    ASSERT_EQ(Run({"--json", "needle", zip}), 0);
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(out_), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << out_;
    EXPECT_EQ(doc.object()["stored"].toString().toStdString(), name);
    EXPECT_EQ(doc.object()["text"].toString().toStdString(), "x\x1b[2Jneedle");

    // A path given with an escape is named safely when it is missing.
    EXPECT_EQ(Run({"needle", tree_ / "\x1b[2Jgone"}), 2);
    EXPECT_EQ(err_.find('\x1b'), std::string::npos) << err_;
}

}  // namespace
}  // namespace zr::search::test
