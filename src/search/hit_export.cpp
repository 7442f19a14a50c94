#include "search/hit_export.h"

#include "search/stored_chain.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace zr::search {

namespace {

std::string LowerExtension(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

}  // namespace

HitExportFormat HitExportFormatForPath(const std::string &path)
{
    const std::string ext = LowerExtension(path);
    return ext == ".tsv" || ext == ".txt" ? HitExportFormat::Tsv : HitExportFormat::Csv;
}

HitExportWriter::HitExportWriter(HitExportFormat format)
    : separator_(format == HitExportFormat::Tsv ? '\t' : ',')
{
}

std::string HitExportWriter::Field(std::string_view text) const
{
    const bool quote = text.find_first_of(std::string{separator_, '"', '\r', '\n'}) != std::string_view::npos;
    if (!quote)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string HitExportWriter::Head() const
{
    std::string head = "\xEF\xBB\xBF";
    for (const char *caption : {"書庫ファイル", "格納ファイル", "行位置"}) {
        head += caption;
        head += separator_;
    }
    head += "検索行データ\r\n";
    return head;
}

std::string HitExportWriter::Row(const THitRecord &hit) const
{
    std::string row = Field(hit.ArchivePath);
    row += separator_;
    row += Field(StoredChainText(hit));
    row += separator_;
    // As the list shows it: a document's line by its place.
    if (!hit.Location.empty())
        row += Field(hit.Location);
    else if (hit.LineNo > 0)
        row += std::to_string(hit.LineNo);
    row += separator_;
    row += Field(DisplayLineText(hit));
    row += "\r\n";
    return row;
}

bool HitExportWriter::Write(std::ostream &out, const HitList &hits) const
{
    out << Head();
    for (const THitRecord &hit : hits.Records())
        out << Row(hit);
    out.flush();
    return static_cast<bool>(out);
}

void WriteHitExportFile(const std::string &path, const HitList &hits)
{
    // Written beside the target and renamed over it: a failed write keeps
    // the file that was there.
    const std::string temporary = path + ".part";
    bool written = false;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        written = out && HitExportWriter(HitExportFormatForPath(path)).Write(out, hits);
    }
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        throw std::runtime_error("ファイルに書き込めませんでした。\n" + path);
    }
}

}  // namespace zr::search
