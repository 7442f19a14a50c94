// Office and PDF documents found by a run: stored in archives (by content,
// whatever their names) and in the folder (by the type patterns), each hit
// with its place, in one process and in the confined workers alike.

#include <filesystem>

#include "../documents/document_builders.h"
#include "search/document_scan.h"
#include "search_test_support.h"

namespace zr::search::test {
namespace {

using documents::test::MakeDocx;
using documents::test::MakeOdf;
using documents::test::MakePdf;
using documents::test::MakeXlsx;
using documents::test::WordParagraph;

std::string BinDir()
{
    const char *dir = std::getenv("ZR_BIN_DIR");
    return dir ? dir : ".";
}

class DocumentSearchTest : public SearchTreeTest {
protected:
    void AddDocuments()
    {
        const std::string xlsx = MakeXlsx(
            {{"見積", "<row r=\"4\"><c r=\"B4\" t=\"s\"><v>0</v></c><c r=\"C4\"><v>1200</v></c></row>"},
             {"隠し", "<row r=\"2\"><c r=\"D2\" t=\"inlineStr\"><is><t>𠮷野 針</t></is></c></row>", true}},
            {"<t>針の単価</t>"});
        // Stored under a name that says nothing: the content decides.
        Add("box.zip", ZipOf({{"a/estimate.bin", xlsx}, {"notes.txt", "hay\r\n針 in text\r\n"}}));
        Add("report.docx", MakeDocx(WordParagraph("前書き") + WordParagraph("本文の針"), {"脚注の針"}));
        Add("slides.pdf", MakePdf({{"cover"}, {"針 on page two"}}));
    }

    std::vector<std::string> HitTexts() const
    {
        std::vector<std::string> texts;
        for (const auto &h : sink_.hits)
            texts.push_back(std::filesystem::path(h.ArchivePath).filename().string() + "|" + h.StoredName +
                            "|" + h.Location + "|" + DisplayLineText(h));
        return texts;
    }

    RunOptions WorkerOptions() const
    {
        RunOptions o = Options();
        o.useWorkers = true;
        o.workerProgram = BinDir() + "/zrworker";
        return o;
    }
};

TEST_F(DocumentSearchTest, StoredAndFolderDocumentsGiveHitsWithTheirPlaces)
{
    AddDocuments();
    const RunSummary s = Run(Conditions("針"));
    EXPECT_TRUE(s.errorMessage.empty()) << s.errorMessage;
    std::vector<std::string> hits = HitTexts();
    std::sort(hits.begin(), hits.end());
    const std::vector<std::string> expected = {
        "box.zip|a/estimate.bin|見積!B4|針の単価\t1200",
        "box.zip|a/estimate.bin|隠し!D2|𠮷野 針",  // outside CP932: shown as written
        "box.zip|notes.txt||針 in text",
        "report.docx|本文|段落 2|本文の針",
        "report.docx|脚注|脚注|脚注の針",
        "slides.pdf|p.2|p.2|針 on page two",
    };
    EXPECT_EQ(hits, expected);
    EXPECT_TRUE(sink_.skipped.empty());
}

TEST_F(DocumentSearchTest, DocumentsInsideStoredArchivesAreReadAsDocumentsWithTheirChain)
{
    const std::string docx = MakeDocx(WordParagraph("前書き") + WordParagraph("奥の針"), {});
    // A document is a ZIP too: by name or by content it is read, not walked.
    const std::string inner = ZipOf({{"plan.docx", docx}, {"plan.bin", docx}});
    Add("outer.zip", ZipOf({{"inner.zip", inner}}));
    const RunSummary s = Run(Conditions("針"));
    EXPECT_TRUE(s.errorMessage.empty()) << s.errorMessage;
    ASSERT_EQ(sink_.hits.size(), 2u);
    for (const auto &h : sink_.hits) {
        EXPECT_EQ(h.Via, std::vector<std::string>{"inner.zip"});
        EXPECT_EQ(h.Location, "段落 2");
        EXPECT_EQ(DisplayLineText(h), "奥の針");
    }
    EXPECT_TRUE(sink_.skipped.empty());
}

TEST_F(DocumentSearchTest, TheDocumentSwitchDecidesForDocumentsInTheFolderOnly)
{
    AddDocuments();
    SearchConditions c = Conditions("針");
    c.allTypes = false;
    c.zip = true;
    c.documents = false;
    Run(c);
    for (const THitRecord &hit : sink_.hits)
        EXPECT_EQ(std::filesystem::path(hit.ArchivePath).filename(), "box.zip");
    EXPECT_EQ(sink_.hits.size(), 3u);
}

TEST_F(DocumentSearchTest, DamagedAndLockedDocumentsAreReportedAndTheRunGoesOn)
{
    std::string broken = MakeDocx(WordParagraph("壊れた") + "<w:p><w:r><w:t>針");
    Add("box.zip", ZipOf({{"bad.docx", broken}, {"good.txt", "針\r\n"}}));
    Add("torn.pdf", "%PDF-1.4\n1 0 obj << /Type /Catalog >> garbage");
    Run(Conditions("針"));
    ASSERT_EQ(sink_.hits.size(), 1u);
    EXPECT_EQ(sink_.hits[0].StoredName, "good.txt");
    ASSERT_EQ(sink_.skipped.size(), 2u);
    for (const SkippedArchive &skip : sink_.skipped)
        EXPECT_EQ(skip.reason, SkipReason::Damaged) << skip.path << " " << skip.detail;
    EXPECT_EQ(SplitDamageDetail(sink_.skipped[0].detail).storedName, "bad.docx");
}

TEST_F(DocumentSearchTest, ConfinedWorkersReadDocumentsAsTheRunDoesAtHome)
{
    AddDocuments();
    Run(Conditions("針"));
    const std::vector<THitRecord> atHome = sink_.hits;
    sink_ = RecordingSink();
    const RunSummary s = RunSearch(Conditions("針"), WorkerOptions(), sink_);
    EXPECT_TRUE(s.errorMessage.empty()) << s.errorMessage;
    EXPECT_EQ(sink_.hits, atHome);
    EXPECT_TRUE(sink_.skipped.empty());
}

TEST(DocumentScan, LinesComeBackAsCp932WithTheirPlacesWhateverTheRunEncoding)
{
    const std::string xlsx =
        MakeXlsx({{"S", "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>一</t></is></c></row>"
                        "<row r=\"3\"><c r=\"C3\" t=\"inlineStr\"><is><t>二 𠮷</t></is></c></row>"}},
                 {});
    std::unique_ptr<FileScanner> scanner = MakeGrepScanner(regex::TEncodingChoice::ecAuto);
    scanner->SetPattern("\x93\xf1", false);  // "二" in CP932
    std::vector<THitRecord> hits;
    std::vector<std::string> parts;
    const DocumentScanOutcome outcome =
        ScanDocument(xlsx, documents::DocumentKind::Spreadsheet, "x.xlsx", *scanner,
                     [&](THitRecord hit, const std::string &part) {
                         hits.push_back(std::move(hit));
                         parts.push_back(part);
                     },
                     {});
    EXPECT_EQ(outcome.reading.status, documents::DocumentStatus::Read);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].LineNo, 2);
    EXPECT_EQ(hits[0].Location, "S!C3");
    EXPECT_EQ(parts[0], "S");
    EXPECT_EQ(hits[0].LineText, "\x93\xf1 \x81\xac");  // the geta mark stands in for 𠮷
    EXPECT_EQ(DisplayLineText(hits[0]), "二 𠮷");
}

// A row's hit names the cell its first match is in, not the row's first
// cell; a tab inside a cell does not shift the count.
TEST(DocumentScan, ASpreadsheetHitNamesTheCellOfItsFirstMatch)
{
    const std::string xlsx =
        MakeXlsx({{"見積 (1)", "<row r=\"4\"><c r=\"B4\" t=\"inlineStr\"><is><t>単\t価</t></is></c>"
                              "<c r=\"C4\"><v>1200</v></c><c r=\"F4\" t=\"inlineStr\"><is><t>針 x</t></is></c></row>"
                              "<row r=\"5\"><c r=\"A5\" t=\"inlineStr\"><is><t>針</t></is></c>"
                              "<c r=\"B5\" t=\"inlineStr\"><is><t>針</t></is></c></row>"}},
                 {});
    const std::string ods = MakeOdf(
        "spreadsheet",
        "<office:spreadsheet><table:table table:name=\"表\"><table:table-row>"
        "<table:table-cell><text:p>a</text:p></table:table-cell><table:table-cell/>"
        "<table:table-cell table:number-columns-repeated=\"2\"><text:p>b</text:p></table:table-cell>"
        "<table:table-cell><text:p>針</text:p></table:table-cell></table:table-row>"
        "</table:table></office:spreadsheet>");
    std::unique_ptr<FileScanner> scanner = MakeGrepScanner(regex::TEncodingChoice::ecAuto);
    scanner->SetPattern("\x90\x6a", false);  // "針" in CP932
    std::vector<std::string> places;
    const auto collect = [&](THitRecord hit, const std::string &) { places.push_back(hit.Location); };
    ScanDocument(xlsx, documents::DocumentKind::Spreadsheet, "x.xlsx", *scanner, collect, {});
    ScanDocument(ods, documents::DocumentKind::Spreadsheet, "x.ods", *scanner, collect, {});
    EXPECT_EQ(places, (std::vector<std::string>{"見積 (1)!F4", "見積 (1)!A5", "表!E1"}));
}

}  // namespace
}  // namespace zr::search::test
