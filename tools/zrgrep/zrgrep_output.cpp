#include "zrgrep_output.h"

#include "search/hit_record.h"
#include "search/run_texts.h"

namespace zr::tools {
namespace {

constexpr const char *kReplacement = "\xEF\xBF\xBD";
constexpr const char *kMatchColour = "\x1b[1;31m";
constexpr const char *kResetColour = "\x1b[0m";

// Length of the valid UTF-8 sequence at text[i], 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i)
{
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    unsigned minimum = 0;
    unsigned code = 0;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2, minimum = 0x80, code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3, minimum = 0x800, code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4, minimum = 0x10000, code = c & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto t = static_cast<unsigned char>(text[i + k]);
        if ((t & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (t & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

std::string LineNumberText(const search::THitRecord &hit) { return std::to_string(hit.LineNo); }

}  // namespace

std::string ValidUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            out += kReplacement;
            ++i;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return out;
}

std::string JsonString(std::string_view text)
{
    const std::string valid = ValidUtf8(text);
    std::string out = "\"";
    for (const char ch : valid) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

std::string FormatJsonHit(const search::THitRecord &hit)
{
    return "{\"archive\": " + JsonString(hit.ArchivePath) + ", \"stored\": " + JsonString(hit.StoredName) +
           ", \"line\": " + LineNumberText(hit) + ", \"text\": " + JsonString(search::DisplayLineText(hit)) +
           "}";
}

std::string FormatHitLine(const search::THitRecord &hit, const MatchSpans *spans)
{
    std::string line = hit.ArchivePath + "{" + hit.StoredName + "}";
    if (hit.LineNo == 0)
        return line;
    line += ":" + LineNumberText(hit) + ":";
    const std::string_view text = hit.LineText;
    if (!spans)
        return line + search::DisplayLineText(hit);
    std::size_t done = 0;
    for (const auto &[begin, end] : spans->Find(text)) {
        line += search::DisplayLineText(hit, done, begin);
        line += kMatchColour + search::DisplayLineText(hit, begin, end) + kResetColour;
        done = end;
    }
    return line + search::DisplayLineText(hit, done);
}

OutputSink::OutputSink(OutputMode mode, std::unique_ptr<MatchSpans> colour, bool progress, std::FILE *out,
                       std::FILE *err, std::stop_source stop)
    : mode_(mode), colour_(std::move(colour)), progress_(progress), out_(out), err_(err),
      stop_(std::move(stop))
{
}

void OutputSink::OnArchiveStarted(int index, int count, const std::string &path)
{
    if (!progress_)
        return;
    std::fprintf(err_, "\r\x1b[Karchive %d/%d: %s", index + 1, count, path.c_str());
    std::fflush(err_);
    progressShown_ = true;
}

void OutputSink::ClearProgress()
{
    if (!progressShown_)
        return;
    std::fputs("\r\x1b[K", err_);
    std::fflush(err_);
    progressShown_ = false;
}

void OutputSink::Write(const std::string &line)
{
    if (writeFailed_)
        return;
    if (std::fwrite(line.data(), 1, line.size(), out_) != line.size() || std::fputc('\n', out_) == EOF) {
        writeFailed_ = true;
        stop_.request_stop();
    }
}

void OutputSink::OnHit(const search::THitRecord &hit)
{
    if (mode_ == OutputMode::Lines || mode_ == OutputMode::Json)
        ClearProgress();
    if (mode_ == OutputMode::Lines)
        Write(FormatHitLine(hit, colour_.get()));
    if (mode_ == OutputMode::Json)
        Write(FormatJsonHit(hit));
}

void OutputSink::OnArchiveSkipped(const std::string &path, search::SkipReason reason,
                                  const std::string &detail)
{
    if (reason != search::SkipReason::WorkerFailed && reason != search::SkipReason::EntryTooLarge &&
        reason != search::SkipReason::EntryRefused)
        return;
    ClearProgress();
    if (reason == search::SkipReason::WorkerFailed)
        std::fprintf(err_, "zrgrep: %s: %s\n", path.c_str(), detail.c_str());
    else if (reason == search::SkipReason::EntryTooLarge)
        std::fprintf(err_, "zrgrep: %s{%s}: 格納ファイルが大きすぎるため検索しませんでした\n", path.c_str(),
                     detail.c_str());
    else
        std::fprintf(err_, "zrgrep: %s{%s}: 展開フォルダの外を指す格納ファイル名のため展開しませんでした\n",
                     path.c_str(), ValidUtf8(detail).c_str());
    std::fflush(err_);
}

void OutputSink::OnFinished(const search::RunSummary &summary)
{
    ClearProgress();
    if (summary.linkedFoldersNotFollowed > 0)
        std::fprintf(err_, "zrgrep: %s (-L で検索します)\n",
                     search::LinkedFoldersLine(summary.linkedFoldersNotFollowed).c_str());
    for (const std::string &folder : summary.unreadableFolders)
        std::fprintf(err_, "zrgrep: %s (このフォルダは読めないため検索しませんでした)\n",
                     ValidUtf8(folder).c_str());
    std::fflush(err_);
    if (mode_ == OutputMode::Count)
        Write(summary.resultLabel);
    if (std::fflush(out_) != 0)
        writeFailed_ = true;
}

}  // namespace zr::tools
