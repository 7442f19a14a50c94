#include "document_builders.h"

#include <cstdio>
#include <map>

#include "../archivers/zip_test_writer.h"

namespace zr::documents::test {

using archivers::test::MakeTestZip;
using archivers::test::ZipTestEntry;

namespace {

const char *const kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const char *const kRelsNs = "http://schemas.openxmlformats.org/package/2006/relationships";
const char *const kOfficeRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

std::string Relationships(const std::vector<std::pair<std::string, std::string>> &typeAndTarget)
{
    std::string xml = std::string(kXmlHead) + "<Relationships xmlns=\"" + kRelsNs + "\">";
    int id = 1;
    for (const auto &[type, target] : typeAndTarget)
        xml += "<Relationship Id=\"rId" + std::to_string(id++) + "\" Type=\"" + kOfficeRel + "/" + type +
               "\" Target=\"" + target + "\"/>";
    return xml + "</Relationships>";
}

std::string ContentTypes()
{
    return std::string(kXmlHead) +
           "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>";
}

}  // namespace

std::string WordParagraph(const std::string &text)
{
    return "<w:p><w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r></w:p>";
}

std::string MakeXlsx(const std::vector<Sheet> &sheets, const std::vector<std::string> &shared)
{
    const std::string ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                           "xmlns:r=\"" +
                           std::string(kOfficeRel) + "\"";
    std::vector<ZipTestEntry> entries = {
        {"[Content_Types].xml", ContentTypes()},
        {"_rels/.rels", Relationships({{"officeDocument", "xl/workbook.xml"}})},
    };
    std::string workbook = std::string(kXmlHead) + "<workbook " + ns + "><sheets>";
    std::vector<std::pair<std::string, std::string>> rels = {{"sharedStrings", "sharedStrings.xml"}};
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const std::string number = std::to_string(i + 1);
        // Workbook ids differ from the part numbers, as Excel's often do.
        workbook += "<sheet name=\"" + sheets[i].name + "\" sheetId=\"" + std::to_string(10 + i) +
                    "\" r:id=\"rId" + std::to_string(i + 2) + "\"" +
                    (sheets[i].hidden ? " state=\"hidden\"" : "") + "/>";
        rels.emplace_back("worksheet", "worksheets/sheet" + number + ".xml");
        entries.emplace_back("xl/worksheets/sheet" + number + ".xml",
                             std::string(kXmlHead) + "<worksheet " + ns + "><sheetData>" +
                                 sheets[i].cellsXml + "</sheetData></worksheet>");
    }
    entries.emplace_back("xl/workbook.xml", workbook + "</sheets></workbook>");
    entries.emplace_back("xl/_rels/workbook.xml.rels", Relationships(rels));
    std::string strings = std::string(kXmlHead) + "<sst " + ns + ">";
    for (const std::string &text : shared)
        strings += "<si>" + text + "</si>";
    entries.emplace_back("xl/sharedStrings.xml", strings + "</sst>");
    return MakeTestZip(entries);
}

std::string MakeDocx(const std::string &bodyXml, const std::vector<std::string> &footnotes,
                     const std::string &headerText)
{
    const std::string ns = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    std::vector<ZipTestEntry> entries = {
        {"[Content_Types].xml", ContentTypes()},
        {"_rels/.rels", Relationships({{"officeDocument", "word/document.xml"}})},
        {"word/document.xml",
         std::string(kXmlHead) + "<w:document " + ns + "><w:body>" + bodyXml + "</w:body></w:document>"},
    };
    if (!footnotes.empty()) {
        std::string xml = std::string(kXmlHead) + "<w:footnotes " + ns + ">";
        for (const std::string &text : footnotes)
            xml += "<w:footnote>" + WordParagraph(text) + "</w:footnote>";
        entries.emplace_back("word/footnotes.xml", xml + "</w:footnotes>");
    }
    if (!headerText.empty())
        entries.emplace_back("word/header1.xml", std::string(kXmlHead) + "<w:hdr " + ns + ">" +
                                                     WordParagraph(headerText) + "</w:hdr>");
    return MakeTestZip(entries);
}

std::string MakeDocxWithDocumentPart(const std::string &documentXml)
{
    return MakeTestZip({{"[Content_Types].xml", ContentTypes()},
                        {"_rels/.rels", Relationships({{"officeDocument", "word/document.xml"}})},
                        {"word/document.xml", documentXml}});
}

std::string MakePptx(const std::vector<std::pair<std::vector<std::string>, std::string>> &slides)
{
    const std::string ns = "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
                           "xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\" "
                           "xmlns:r=\"" +
                           std::string(kOfficeRel) + "\"";
    std::vector<ZipTestEntry> entries = {
        {"[Content_Types].xml", ContentTypes()},
        {"_rels/.rels", Relationships({{"officeDocument", "ppt/presentation.xml"}})},
    };
    std::string presentation = std::string(kXmlHead) + "<p:presentation " + ns + "><p:sldIdLst>";
    std::vector<std::pair<std::string, std::string>> rels;
    // Slides listed in reverse part order: the list, not the names, decides.
    for (std::size_t i = 0; i < slides.size(); ++i) {
        const std::string number = std::to_string(slides.size() - i);
        presentation +=
            "<p:sldId id=\"" + std::to_string(256 + i) + "\" r:id=\"rId" + std::to_string(i + 1) + "\"/>";
        rels.emplace_back("slide", "slides/slide" + number + ".xml");
        std::string slide = std::string(kXmlHead) + "<p:sld " + ns + "><p:cSld><p:spTree><p:sp><p:txBody>";
        for (const std::string &text : slides[i].first)
            slide += "<a:p><a:r><a:t>" + text + "</a:t></a:r></a:p>";
        entries.emplace_back("ppt/slides/slide" + number + ".xml",
                             slide + "</p:txBody></p:sp></p:spTree></p:cSld></p:sld>");
        if (!slides[i].second.empty()) {
            entries.emplace_back(
                "ppt/slides/_rels/slide" + number + ".xml.rels",
                Relationships({{"notesSlide", "../notesSlides/notesSlide" + number + ".xml"}}));
            entries.emplace_back("ppt/notesSlides/notesSlide" + number + ".xml",
                                 std::string(kXmlHead) + "<p:notes " + ns +
                                     "><p:cSld><p:spTree><p:sp><p:txBody><a:p><a:r><a:t>" + slides[i].second +
                                     "</a:t></a:r></a:p></p:txBody></p:sp></p:spTree></p:cSld></p:notes>");
        }
    }
    entries.emplace_back("ppt/presentation.xml", presentation + "</p:sldIdLst></p:presentation>");
    entries.emplace_back("ppt/_rels/presentation.xml.rels", Relationships(rels));
    return MakeTestZip(entries);
}

std::string MakeOdf(const std::string &kind, const std::string &bodyXml)
{
    const std::string content =
        std::string(kXmlHead) +
        "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
        "xmlns:presentation=\"urn:oasis:names:tc:opendocument:xmlns:presentation:1.0\">"
        "<office:body>" +
        bodyXml + "</office:body></office:document-content>";
    return MakeTestZip({{"mimetype", "application/vnd.oasis.opendocument." + kind, -1},
                        {"content.xml", content},
                        {"META-INF/manifest.xml", std::string(kXmlHead) + "<manifest/>"}});
}

namespace {

// UTF-8 to code points (tests give valid UTF-8).
std::vector<char32_t> CodePoints(const std::string &text)
{
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const int length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t point = length == 1 ? c : c & (0x3F >> (length - 1));
        for (int k = 1; k < length; ++k)
            point = (point << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        points.push_back(point);
        i += length;
    }
    return points;
}

std::string Hex(unsigned value, int digits)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
    return buffer;
}

std::string Utf16Hex(char32_t point)
{
    if (point < 0x10000)
        return Hex(point, 4);
    point -= 0x10000;
    return Hex(0xD800 + (point >> 10), 4) + Hex(0xDC00 + (point & 0x3FF), 4);
}

}  // namespace

std::string MakePdf(const std::vector<std::vector<std::string>> &pages)
{
    // Every character gets a glyph id of its own; the ToUnicode map gives
    // its text back, which is all text extraction needs.
    std::map<char32_t, unsigned> glyphs;
    std::vector<std::string> streams;
    for (const auto &lines : pages) {
        std::string stream = "BT /F1 12 Tf 14 TL 40 780 Td\n";
        for (const std::string &line : lines) {
            stream += "<";
            for (char32_t point : CodePoints(line)) {
                auto [it, added] = glyphs.emplace(point, static_cast<unsigned>(glyphs.size() + 1));
                stream += Hex(it->second, 4);
            }
            stream += "> Tj T*\n";
        }
        streams.push_back(stream + "ET");
    }
    std::string cmap = "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                       "/CMapName /Test def /CMapType 2 def\n"
                       "1 begincodespacerange <0000> <FFFF> endcodespacerange\n";
    cmap += std::to_string(glyphs.size()) + " beginbfchar\n";
    for (const auto &[point, glyph] : glyphs)
        cmap += "<" + Hex(glyph, 4) + "> <" + Utf16Hex(point) + ">\n";
    cmap += "endbfchar endcmap CMapName currentdict /CMap defineresource pop end end";

    std::vector<std::string> objects;
    const std::size_t firstPage = 7;
    std::string kids;
    for (std::size_t i = 0; i < pages.size(); ++i)
        kids += std::to_string(firstPage + 2 * i) + " 0 R ";
    objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
    objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>");
    objects.push_back("<< /Type /Font /Subtype /Type0 /BaseFont /TestFont /Encoding /Identity-H "
                      "/DescendantFonts [4 0 R] /ToUnicode 6 0 R >>");
    objects.push_back("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /TestFont "
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> "
                      "/FontDescriptor 5 0 R /DW 600 >>");
    objects.push_back("<< /Type /FontDescriptor /FontName /TestFont /Flags 32 /FontBBox [0 0 1000 1000] "
                      "/ItalicAngle 0 /Ascent 800 /Descent -200 /CapHeight 700 /StemV 80 >>");
    objects.push_back("<< /Length " + std::to_string(cmap.size()) + " >>\nstream\n" + cmap + "\nendstream");
    for (std::size_t i = 0; i < pages.size(); ++i) {
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] "
                          "/Resources << /Font << /F1 3 0 R >> >> /Contents " +
                          std::to_string(firstPage + 2 * i + 1) + " 0 R >>");
        objects.push_back("<< /Length " + std::to_string(streams[i].size()) + " >>\nstream\n" + streams[i] +
                          "\nendstream");
    }
    std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets)
        pdf += std::string(10 - std::to_string(offset).size(), '0') + std::to_string(offset) + " 00000 n \n";
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

}  // namespace zr::documents::test
