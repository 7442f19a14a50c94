// Text read from generated documents: the lines, their order and places.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../archivers/zip_test_writer.h"
#include "document_builders.h"
#include "documents/document_detection.h"
#include "documents/document_text.h"

namespace zr::documents {
namespace {

using namespace test;

struct Line {
    std::string part, location, text;
    bool operator==(const Line &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Line &line)
{
    return out << "{" << line.part << " | " << line.location << " | " << line.text << "}";
}

struct Reading {
    DocumentOutcome outcome;
    std::vector<Line> lines;
};

Reading Read(const std::string &bytes, DocumentKind kind, std::size_t stopAfter = 0)
{
    Reading reading;
    reading.outcome = ReadDocument(
        bytes, kind, [&](std::string_view part, std::string_view location, std::string_view text) {
            reading.lines.push_back({std::string(part), std::string(location), std::string(text)});
            return stopAfter == 0 || reading.lines.size() < stopAfter;
        });
    return reading;
}

TEST(SpreadsheetText, RowsJoinCellsWithSharedInlineAndCachedValuesInWorkbookOrder)
{
    const std::string xlsx = MakeXlsx(
        {{"見積",
          "<row r=\"2\"><c r=\"B2\" t=\"s\"><v>0</v></c><c r=\"C2\"><v>1200</v></c>"
          "<c r=\"D2\"><f>C2*2</f><v>2400</v></c></row>"
          "<row r=\"3\"><c r=\"A3\" t=\"s\"><v>9</v></c></row>"  // index out of range: nothing
          "<row r=\"12\"><c r=\"C12\" t=\"inlineStr\"><is><t>𠮷野家</t></is></c>"
          "<c r=\"E12\" t=\"b\"><v>1</v></c><c r=\"F12\" t=\"str\"><f>X()</f><v>計算済</v></c></row>"},
         {"隠し", "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>1</v></c></row>", true}},
        {"<t>単価</t>", "<r><t>秘</t></r><r><t>密</t></r><rPh sb=\"0\" eb=\"1\"><t>ヒミツ</t></rPh>"});
    EXPECT_EQ(DocumentKindByContent(xlsx), DocumentKind::Spreadsheet);
    const Reading reading = Read(xlsx, DocumentKind::Spreadsheet);
    EXPECT_EQ(reading.outcome.status, DocumentStatus::Read) << reading.outcome.reason;
    const std::vector<Line> expected = {
        {"見積", "見積!B2\tC2\tD2", "単価\t1200\t2400"},
        {"見積", "見積!C12\tE12\tF12", "𠮷野家\tTRUE\t計算済"},
        {"隠し", "隠し!A1", "秘密"},  // the hidden sheet, its phonetic guide left out
    };
    EXPECT_EQ(reading.lines, expected);
}

TEST(SpreadsheetText, CellsWithoutReferencesFollowTheirRow)
{
    const std::string xlsx =
        MakeXlsx({{"S", "<row><c><v>1</v></c><c><v>2</v></c></row><row><c/><c><v>3</v></c></row>"}}, {});
    const std::vector<Line> expected = {{"S", "S!A1\tB1", "1\t2"}, {"S", "S!B2", "3"}};
    EXPECT_EQ(Read(xlsx, DocumentKind::Spreadsheet).lines, expected);
}

TEST(WordText, ParagraphsTableRowsThenHeadersAndFootnotes)
{
    const std::string body =
        WordParagraph("第一段落") + "<w:p/>" +
        "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\"/></w:tabs></w:pPr><w:r><w:t>前</w:t><w:tab/><w:t>後</w:t>"
        "<w:br/><w:t>改行</w:t></w:r><w:r><w:delText>消した</w:delText></w:r></w:p>"
        "<w:tbl><w:tr><w:tc>" +
        WordParagraph("セル1") + WordParagraph("続き") + "</w:tc><w:tc>" + WordParagraph("セル2") +
        "</w:tc></w:tr></w:tbl>" +
        "<w:p><w:r><mc:AlternateContent xmlns:mc=\"m\"><mc:Choice><w:t>箱</w:t></mc:Choice>"
        "<mc:Fallback><w:t>箱</w:t></mc:Fallback></mc:AlternateContent></w:r></w:p>";
    const std::string docx = MakeDocx(body, {"脚注の文"}, "頭書き");
    EXPECT_EQ(DocumentKindByContent(docx), DocumentKind::Word);
    const Reading reading = Read(docx, DocumentKind::Word);
    EXPECT_EQ(reading.outcome.status, DocumentStatus::Read) << reading.outcome.reason;
    const std::vector<Line> expected = {
        {"本文", "段落 1", "第一段落"},          {"本文", "段落 3", "前\t後 改行"},
        {"本文", "段落 4", "セル1 続き\tセル2"}, {"本文", "段落 7", "箱"},
        {"ヘッダー", "ヘッダー", "頭書き"},      {"脚注", "脚注", "脚注の文"},
    };
    EXPECT_EQ(reading.lines, expected);
}

TEST(PresentationText, SlidesInListOrderEachFollowedByItsNotes)
{
    const std::string pptx = MakePptx({{{"表題", "本文"}, "話す内容"}, {{"二枚目"}, ""}});
    EXPECT_EQ(DocumentKindByContent(pptx), DocumentKind::Presentation);
    const std::vector<Line> expected = {
        {"スライド 1", "スライド 1", "表題"},
        {"スライド 1", "スライド 1", "本文"},
        {"スライド 1", "スライド 1", "話す内容"},
        {"スライド 2", "スライド 2", "二枚目"},
    };
    EXPECT_EQ(Read(pptx, DocumentKind::Presentation).lines, expected);
}

TEST(OpenDocumentText, WriterParagraphsSpacesTablesAndNotesAfterTheBody)
{
    const std::string odt = MakeOdf(
        "text", "<office:text><text:h>見出し</text:h>"
                "<text:p>前<text:s "
                "text:c=\"3\"/>後<text:tab/>タブ<text:note><text:note-citation>1</text:note-citation>"
                "<text:note-body><text:p>注記</text:p></text:note-body></text:note>終</text:p>"
                "<table:table><table:table-row><table:table-cell><text:p>左</text:p></table:table-cell>"
                "<table:table-cell><text:p>右</text:p></table:table-cell></table:table-row></table:table>"
                "</office:text>");
    EXPECT_EQ(DocumentKindByContent(odt), DocumentKind::Text);
    const std::vector<Line> expected = {
        {"本文", "段落 1", "見出し"},
        {"本文", "段落 2", "前   後\tタブ終"},
        {"本文", "段落 3", "左\t右"},
        {"注釈", "段落 2", "注記"},
    };
    EXPECT_EQ(Read(odt, DocumentKind::Text).lines, expected);
}

TEST(OpenDocumentText, CalcRepeatsAndImpressPages)
{
    const std::string ods = MakeOdf(
        "spreadsheet",
        "<office:spreadsheet><table:table table:name=\"表1\">"
        "<table:table-row table:number-rows-repeated=\"1048000\"><table:table-cell/></table:table-row>"
        "<table:table-row><table:table-cell table:number-columns-repeated=\"2\"/>"
        "<table:table-cell><text:p>値</text:p></table:table-cell></table:table-row>"
        "</table:table></office:spreadsheet>");
    const std::vector<Line> sheet = {{"表1", "表1!C1048001", "値"}};
    EXPECT_EQ(Read(ods, DocumentKind::Spreadsheet).lines, sheet);

    const std::string odp =
        MakeOdf("presentation", "<office:presentation><draw:page><text:p>一</text:p>"
                                "<presentation:notes><text:p>メモ</text:p></presentation:notes></draw:page>"
                                "<draw:page><text:p>二</text:p></draw:page></office:presentation>");
    const std::vector<Line> slides = {{"スライド 1", "スライド 1", "一"},
                                      {"スライド 1", "スライド 1", "メモ"},
                                      {"スライド 2", "スライド 2", "二"}};
    EXPECT_EQ(Read(odp, DocumentKind::Presentation).lines, slides);
}

TEST(HostileDocuments, EntityBombIsNotExpanded)
{
    std::string dtd = "<!DOCTYPE w:document [<!ENTITY a0 \"ばくだん\">";
    for (int i = 1; i <= 12; ++i)
        dtd += "<!ENTITY a" + std::to_string(i) + " \"" + [&] {
            std::string refs;
            for (int k = 0; k < 10; ++k)
                refs += "&a" + std::to_string(i - 1) + ";";
            return refs;
        }() + "\">";
    dtd += "]>";
    const std::string document = "<?xml version=\"1.0\"?>" + dtd + "<w:document xmlns:w=\"w\"><w:body>" +
                                 WordParagraph("&a12;") + WordParagraph("安全な文") +
                                 "</w:body></w:document>";
    const Reading reading = Read(MakeDocxWithDocumentPart(document), DocumentKind::Word);
    // Either read without the entity's text or refused as damaged; never
    // 10^12 copies of it.
    std::size_t total = 0;
    for (const Line &line : reading.lines)
        total += line.text.size();
    EXPECT_LT(total, 1000u);
    if (reading.outcome.status == DocumentStatus::Read)
        EXPECT_EQ(reading.lines.back().text, "安全な文");
    else
        EXPECT_EQ(reading.outcome.status, DocumentStatus::Damaged);
}

TEST(HostileDocuments, MalformedPartsAreDamagedWithTheLinesBeforeKept)
{
    // The reader parses ahead in blocks: lines well before the fault are
    // handed on, then the fault is reported with its part.
    std::string body;
    for (int i = 0; i < 2000; ++i)
        body += WordParagraph("前の段落");
    const std::string docx = MakeDocx(body + "<w:p><w:r><w:t>閉じない");
    const Reading reading = Read(docx, DocumentKind::Word);
    EXPECT_EQ(reading.outcome.status, DocumentStatus::Damaged);
    EXPECT_NE(reading.outcome.reason.find("word/document.xml"), std::string::npos) << reading.outcome.reason;
    EXPECT_GT(reading.lines.size(), 1000u);

    EXPECT_EQ(Read("PK\x03\x04 not really a zip", DocumentKind::Word).outcome.status,
              DocumentStatus::Damaged);
    // A workbook without its workbook part.
    const std::string noWorkbook = archivers::test::MakeTestZip({{"[Content_Types].xml", "<Types/>"}});
    EXPECT_EQ(Read(noWorkbook, DocumentKind::Spreadsheet).outcome.status, DocumentStatus::Damaged);
}

TEST(DocumentReading, TheHandlerEndsTheReading)
{
    const std::string pptx = MakePptx({{{"1", "2", "3"}, ""}});
    const Reading reading = Read(pptx, DocumentKind::Presentation, 2);
    EXPECT_EQ(reading.outcome.status, DocumentStatus::Stopped);
    EXPECT_EQ(reading.lines.size(), 2u);
}

TEST(PdfText, PagesInOrderWithJapaneseInsideAndOutsideCp932)
{
    const std::string pdf = MakePdf({{"Hello PDF", "日本語の行"}, {"𠮷の字"}});
    EXPECT_EQ(DocumentKindByContent(pdf), DocumentKind::Pdf);
    const Reading reading = Read(pdf, DocumentKind::Pdf);
    ASSERT_EQ(reading.outcome.status, DocumentStatus::Read) << reading.outcome.reason;
    ASSERT_EQ(reading.lines.size(), 3u);
    EXPECT_EQ(reading.lines[0].location, "p.1");
    EXPECT_NE(reading.lines[0].text.find("Hello PDF"), std::string::npos) << reading.lines[0].text;
    EXPECT_NE(reading.lines[1].text.find("日本語の行"), std::string::npos) << reading.lines[1].text;
    EXPECT_EQ(reading.lines[2].location, "p.2");
    EXPECT_NE(reading.lines[2].text.find("𠮷の字"), std::string::npos) << reading.lines[2].text;
}

TEST(PdfText, BrokenFilesAreReportedNeverFatal)
{
    std::string pdf = MakePdf({{"repairable"}});
    // Every xref offset wrong: poppler rebuilds the table or gives up.
    const std::size_t xref = pdf.find("xref\n");
    for (std::size_t at = pdf.find(" 00000 n", xref); at != std::string::npos;
         at = pdf.find(" 00000 n", at + 1))
        pdf.replace(at - 10, 10, "0000000003");
    const Reading repaired = Read(pdf, DocumentKind::Pdf);
    EXPECT_TRUE(repaired.outcome.status == DocumentStatus::Read ||
                repaired.outcome.status == DocumentStatus::Damaged);

    EXPECT_EQ(Read("%PDF-1.4\ngarbage", DocumentKind::Pdf).outcome.status, DocumentStatus::Damaged);
    const std::string whole = MakePdf({{"one"}, {"two"}});
    const Reading cut = Read(whole.substr(0, whole.size() / 2), DocumentKind::Pdf);
    EXPECT_TRUE(cut.outcome.status == DocumentStatus::Read || cut.outcome.status == DocumentStatus::Damaged);
}

TEST(PdfText, APasswordIsReportedAsSuch)
{
    // Made by fixtures/make_locked_pdf.py (user password "secret").
    const char *source = std::getenv("ZR_SOURCE_DIR");
    std::ifstream file(std::string(source ? source : ".") + "/tests/documents/fixtures/locked.pdf",
                       std::ios::binary);
    const std::string pdf((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(pdf.empty());
    const Reading reading = Read(pdf, DocumentKind::Pdf);
    EXPECT_EQ(reading.outcome.status, DocumentStatus::PasswordProtected);
    EXPECT_TRUE(reading.lines.empty());
}

TEST(DocumentDetection, NamesAndContent)
{
    EXPECT_EQ(DocumentKindByName("a/b/見積.XLSX"), DocumentKind::Spreadsheet);
    EXPECT_EQ(DocumentKindByName("x.docm"), DocumentKind::Word);
    EXPECT_EQ(DocumentKindByName("x.odp"), DocumentKind::Presentation);
    EXPECT_EQ(DocumentKindByName("x.pdf"), DocumentKind::Pdf);
    EXPECT_EQ(DocumentKindByName("x.zip"), DocumentKind::None);
    EXPECT_EQ(DocumentKindByName("docx.d/readme"), DocumentKind::None);
    // A plain ZIP is not a document, whatever it holds.
    EXPECT_EQ(DocumentKindByContent(archivers::test::MakeTestZip({{"a.txt", "text"}})), DocumentKind::None);
    EXPECT_EQ(DocumentKindByContent("plain text"), DocumentKind::None);
    EXPECT_TRUE(ContentMayBeDocument("%PDF-1.7"));
    EXPECT_FALSE(ContentMayBeDocument("PK\x05\x06"));
}

}  // namespace
}  // namespace zr::documents
