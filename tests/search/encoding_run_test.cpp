// Whole runs over ZIP, LHA and tar archives whose stored files hold the same
// Japanese lines in every supported encoding.

#include "regex/japanese_corpus.h"
#include "search/text_encoding_setting.h"
#include "search_test_support.h"
#include "zrgrep_options.h"
#include "zrgrep_run.h"

#include <cstdio>
#include <map>

namespace zr::search::test {
namespace {

using regex::TEncodingChoice;
using E = regex::TTextEncoding;

const std::string Lines = "一行目は ASCII だけ: plain\r\n"
                          "検索する文字列です。\r\n"
                          "がっこうとガッコウ\r\n"
                          "\r\n"
                          "最後の行も検索";

struct Form {
    const char *name;
    E encoding;
    bool bom;
};

const Form Forms[] = {{"cp932.txt", E::teCp932, false},        {"utf8.txt", E::teUtf8, false},
                      {"utf8bom.txt", E::teUtf8, true},        {"utf16le.txt", E::teUtf16LE, true},
                      {"utf16be.txt", E::teUtf16BE, true},     {"eucjp.txt", E::teEucJp, false},
                      {"iso2022jp.txt", E::teIso2022Jp, false}};

Members AllForms(const std::string &text)
{
    Members members;
    for (const Form &form : Forms)
        members.emplace_back(form.name, zr::test::Encoded(text, form.encoding, form.bom));
    return members;
}

// stored name -> "line:text" of each hit, the text as shown.
std::map<std::string, std::vector<std::string>> Shown(const std::vector<THitRecord> &hits)
{
    std::map<std::string, std::vector<std::string>> shown;
    for (const THitRecord &hit : hits)
        shown[hit.StoredName].push_back(std::to_string(hit.LineNo) + ":" + DisplayLineText(hit));
    return shown;
}

class EncodingRunTest : public SearchTreeTest {
protected:
    std::map<std::string, std::vector<std::string>> Search(const std::string &text, bool fuzzy,
                                                           TEncodingChoice encoding = TEncodingChoice::ecAuto)
    {
        sink_ = RecordingSink{};
        RunOptions options = Options();
        options.fuzzy = fuzzy;
        options.settings.textEncoding = encoding;
        RunSearch(Conditions(text), options, sink_);
        return Shown(sink_.hits);
    }
};

TEST_F(EncodingRunTest, EveryEncodingInEveryArchiveGivesTheSameLinesAndTexts)
{
    Add("lines.lzh", LzhOf(AllForms(Lines)));
    Add("lines.zip", ZipOf(AllForms(Lines)));
    Add("lines.tar", TarOf(AllForms(Lines)));
    // Once per archive: LHA, ZIP and tar.
    std::vector<std::string> literal, fuzzy;
    for (int archive = 0; archive < 3; ++archive) {
        literal.insert(literal.end(), {"2:検索する文字列です。", "5:最後の行も検索"});
        fuzzy.push_back("3:がっこうとガッコウ");
    }
    const auto literalHits = Search("検索", false);
    const auto fuzzyHits = Search("ｶﾞｯｺｳ", true);
    for (const Form &form : Forms) {
        SCOPED_TRACE(form.name);
        ASSERT_TRUE(literalHits.count(form.name));
        EXPECT_EQ(literalHits.at(form.name), literal);
        ASSERT_TRUE(fuzzyHits.count(form.name));
        EXPECT_EQ(fuzzyHits.at(form.name), fuzzy);
    }
    // Each stored file once per archive: three archives, seven forms, two lines.
    EXPECT_EQ(Search("検索", false).size(), std::size(Forms));
    sink_ = RecordingSink{};
    RunOptions options = Options();
    RunSearch(Conditions("検索"), options, sink_);
    EXPECT_EQ(sink_.hits.size(), 3u * std::size(Forms) * 2u);
}

TEST_F(EncodingRunTest, CharactersOutsideCp932AreShownAsTheFileHasThem)
{
    const std::string text = "前の行\n𠮷野家で検索😀する\n";
    Add("a.zip", ZipOf({{"u8.txt", text}, {"u16.txt", zr::test::Encoded(text, E::teUtf16LE, true)}}));
    const auto hits = Search("野家", true);
    EXPECT_EQ(hits.at("u8.txt"), (std::vector<std::string>{"2:𠮷野家で検索😀する"}));
    EXPECT_EQ(hits.at("u16.txt"), (std::vector<std::string>{"2:𠮷野家で検索😀する"}));
    // The hit keeps the CP932 form with its stand-ins, and where they stood.
    ASSERT_FALSE(sink_.hits.empty());
    EXPECT_EQ(DisplayLineText(sink_.hits[0].LineText), "〓野家で検索〓する");
    EXPECT_EQ(sink_.hits[0].Substitutes.size(), 2u);
}

TEST_F(EncodingRunTest, WorkerProcessesCarryTheSettingAndTheFilesCharacters)
{
    const std::string text = "前の行\n𠮷野家で検索😀する\n";
    Add("a.zip", ZipOf({{"u8.txt", text}}));
    RunOptions options = Options();
    options.useWorkers = true;
    RunSearch(Conditions("野家"), options, sink_);
    ASSERT_EQ(sink_.hits.size(), 1u);
    EXPECT_EQ(DisplayLineText(sink_.hits[0]), "𠮷野家で検索😀する");
    sink_ = RecordingSink{};
    options.settings.textEncoding = TEncodingChoice::ecCp932;
    RunSearch(Conditions("野家"), options, sink_);
    EXPECT_TRUE(sink_.hits.empty());
}

TEST_F(EncodingRunTest, AHitTextIsCutAt260BytesOfItsCp932Form)
{
    std::string line;
    for (int i = 0; i < 60; ++i)
        line += "検索😀";  // "検索〓": 6 CP932 bytes
    Add("a.tar", TarOf({{"long.txt", line + "\n"}}));
    Search("検索", false);
    ASSERT_EQ(sink_.hits.size(), 1u);
    EXPECT_EQ(sink_.hits[0].LineText.size(), kMaxLineTextBytes);
    std::string shown;
    for (int i = 0; i < 43; ++i)  // 258 bytes, then the first half of the next unit
        shown += "検索😀";
    EXPECT_EQ(DisplayLineText(sink_.hits[0]), shown + "検");
}

TEST_F(EncodingRunTest, TheSettingForcesCp932)
{
    Add("lines.zip", ZipOf(AllForms(Lines)));
    const auto forced = Search("検索", false, TEncodingChoice::ecCp932);
    EXPECT_TRUE(forced.count("cp932.txt"));
    EXPECT_FALSE(forced.count("utf8.txt"));
    EXPECT_FALSE(forced.count("eucjp.txt"));

    EXPECT_EQ(ReadTextEncodingSetting(), TEncodingChoice::ecAuto);
    WriteTextEncodingSetting(TEncodingChoice::ecCp932);
    EXPECT_EQ(RunSettings::FromRegistry().textEncoding, TEncodingChoice::ecCp932);
    WriteTextEncodingSetting(TEncodingChoice::ecAuto);
    EXPECT_EQ(RunSettings::FromRegistry().textEncoding, TEncodingChoice::ecAuto);
}

TEST_F(EncodingRunTest, ZrGrepForcesAnEncodingAndPrintsTheFilesCharacters)
{
    EXPECT_EQ(tools::ParseZrGrepArguments({"--encoding=EUC-JP", "p", "d"}).encoding,
              TEncodingChoice::ecEucJp);
    EXPECT_EQ(tools::ParseZrGrepArguments({"--encoding", "cp932", "p", "d"}).encoding,
              TEncodingChoice::ecCp932);
    EXPECT_FALSE(tools::ParseZrGrepArguments({"p", "d"}).encoding);
    EXPECT_THROW(tools::ParseZrGrepArguments({"--encoding=latin-1", "p", "d"}), tools::ZrGrepUsageError);

    Add("a.zip", ZipOf({{"u8.txt", "前\n𠮷野家で検索\n"}}));
    const auto run = [&](std::vector<std::string> args) {
        std::FILE *out = std::tmpfile();
        std::FILE *err = std::tmpfile();
        args.push_back("検索");
        args.push_back(tree_.Path());
        const int status = tools::ZrGrepMain(args, {out, err, false, false}, std::stop_source());
        std::rewind(out);
        std::string text;
        for (int c; (c = std::fgetc(out)) != EOF;)
            text += static_cast<char>(c);
        std::fclose(out);
        std::fclose(err);
        return std::make_pair(status, text);
    };
    const auto [found, printed] = run({});
    EXPECT_EQ(found, 0);
    EXPECT_EQ(printed, tree_ / "a.zip" + "{u8.txt}:2:𠮷野家で検索\n");
    EXPECT_EQ(run({"--encoding=cp932"}).first, 1);
    EXPECT_EQ(run({"--json", "--encoding=utf-8"}).second.find("𠮷野家") != std::string::npos, true);
}

}  // namespace
}  // namespace zr::search::test
