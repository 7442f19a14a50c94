#include "zrgrep_output.h"

#include <utility>

#include "search/hit_record.h"
#include "search/run_texts.h"
#include "terminal_text.h"
#include "utf8_sequence.h"

namespace zr::tools {
namespace {

constexpr const char *kReplacement = "\xEF\xBF\xBD";
constexpr const char *kMatchColour = "\x1b[1;31m";
constexpr const char *kResetColour = "\x1b[0m";

std::string LineNumberText(const search::THitRecord &hit) { return std::to_string(hit.LineNo); }

}  // namespace

std::string ValidUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = ValidUtf8SequenceLength(text, i);
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
    std::string via = "[";
    for (const std::string &outer : hit.Via)
        via += (via.size() > 1 ? ", " : "") + JsonString(outer);
    return "{\"archive\": " + JsonString(hit.ArchivePath) + ", \"stored\": " + JsonString(hit.StoredName) +
           ", \"line\": " + LineNumberText(hit) + ", \"text\": " + JsonString(search::DisplayLineText(hit)) +
           (hit.Location.empty() ? std::string() : ", \"location\": " + JsonString(hit.Location)) +
           ", \"via\": " + via + "]}";
}

const char *SkippedJsonWord(search::SkipReason reason)
{
    switch (reason) {
    case search::SkipReason::PasswordProtected:
        return "password";
    case search::SkipReason::Damaged:
        return "damaged";
    case search::SkipReason::ExtractionFailed:
    case search::SkipReason::WorkerFailed:
        return "failed";
    default:
        return nullptr;
    }
}

std::string FormatJsonSkip(const std::string &archivePath, search::SkipReason reason,
                           const std::string &detail)
{
    const char *word = SkippedJsonWord(reason);
    if (!word)
        return {};
    std::string record = "{\"archive\": " + JsonString(archivePath);
    if (reason == search::SkipReason::Damaged) {
        const search::DamageParts parts = search::SplitDamageDetail(detail);
        if (!parts.storedName.empty())
            record += ", \"stored\": " + JsonString(parts.storedName);
        if (!parts.reason.empty())
            record += ", \"reason\": " + JsonString(parts.reason);
    } else if (!detail.empty() && reason != search::SkipReason::WorkerFailed) {
        // A worker's detail is its cause, not a stored name.
        record += ", \"stored\": " + JsonString(detail);
    }
    return record + ", \"skipped\": \"" + word + "\"}";
}

std::string FormatUnsearchedLine(const search::UnsearchedArchive &archive, const std::string &why)
{
    constexpr std::size_t kNamesShown = 3;
    std::string line = "zrgrep: " + ValidUtf8(archive.path) + ": " + why;
    if (archive.storedNames.empty())
        return line;
    line += " (";
    for (std::size_t i = 0; i < archive.storedNames.size() && i < kNamesShown; ++i)
        line += (i > 0 ? ", " : "") + ValidUtf8(archive.storedNames[i]);
    if (archive.storedNames.size() > kNamesShown)
        line += " ほか " + std::to_string(archive.storedNames.size() - kNamesShown) + " 件";
    return line + ")";
}

std::string FormatNestLine(const std::string &archivePath, search::SkipReason reason, const std::string &detail)
{
    const search::DamageParts parts = search::SplitDamageDetail(detail);
    std::string where = TerminalSafe(ValidUtf8(archivePath));
    // "a » b" names the chain of stored archives: one brace pair each.
    std::string chain = parts.storedName;
    for (std::size_t at = 0; !chain.empty();) {
        const std::size_t next = chain.find(" \xC2\xBB ", at);
        where += "{" + TerminalSafe(ValidUtf8(chain.substr(at, next - at))) + "}";
        if (next == std::string::npos)
            break;
        at = next + 4;
    }
    if (reason == search::SkipReason::NestTooDeep)
        return where + ": 書庫内の書庫が深すぎるため、ここから先の書庫はファイルとして検索しました (" +
               ValidUtf8(parts.reason) + ")";
    return where + ": 書庫内の書庫の検索を打ち切りました (" + ValidUtf8(parts.reason) + ")";
}

std::string FormatHitLine(const search::THitRecord &hit, const MatchSpans *spans)
{
    std::string line = TerminalSafe(hit.ArchivePath);
    for (const std::string &outer : hit.Via)
        line += "{" + TerminalSafe(outer) + "}";
    line += "{" + TerminalSafe(hit.StoredName) + "}";
    if (hit.LineNo == 0)
        return line;
    if (!hit.Location.empty())
        line += "[" + TerminalSafe(hit.Location) + "]";
    line += ":" + LineNumberText(hit) + ":";
    const std::string_view text = hit.LineText;
    if (!spans)
        return line + TerminalSafe(search::DisplayLineText(hit));
    std::size_t done = 0;
    for (const auto &[begin, end] : spans->Find(text)) {
        line += TerminalSafe(search::DisplayLineText(hit, done, begin));
        line += kMatchColour + TerminalSafe(search::DisplayLineText(hit, begin, end)) + kResetColour;
        done = end;
    }
    return line + TerminalSafe(search::DisplayLineText(hit, done));
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
    std::fprintf(err_, "\r\x1b[Karchive %d/%d: %s", index + 1, count, TerminalSafe(path).c_str());
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
    if (mode_ == OutputMode::Json) {
        if (const std::string record = FormatJsonSkip(path, reason, detail); !record.empty()) {
            ClearProgress();
            Write(record);
        }
    }
    if (reason == search::SkipReason::NestTooDeep || reason == search::SkipReason::NestLimit) {
        if (reason == search::SkipReason::NestTooDeep && std::exchange(nestDepthShown_, true))
            return;
        ClearProgress();
        std::fprintf(err_, "zrgrep: %s\n", FormatNestLine(path, reason, detail).c_str());
        std::fflush(err_);
        return;
    }
    if (reason != search::SkipReason::WorkerFailed && reason != search::SkipReason::EntryTooLarge &&
        reason != search::SkipReason::EntryRefused)
        return;
    ClearProgress();
    if (reason == search::SkipReason::WorkerFailed)
        std::fprintf(err_, "zrgrep: %s: %s\n", TerminalSafe(path).c_str(), detail.c_str());
    else if (reason == search::SkipReason::EntryTooLarge)
        std::fprintf(err_, "zrgrep: %s{%s}: 格納ファイルが大きすぎるため検索しませんでした\n",
                     TerminalSafe(path).c_str(), TerminalSafe(detail).c_str());
    else
        std::fprintf(err_, "zrgrep: %s{%s}: 展開フォルダの外を指す格納ファイル名のため展開しませんでした\n",
                     TerminalSafe(path).c_str(), TerminalSafe(ValidUtf8(detail)).c_str());
    std::fflush(err_);
}

void OutputSink::OnFinished(const search::RunSummary &summary)
{
    ClearProgress();
    // One line per archive, once the run knows all its stored files.
    const auto printEach = [this](const std::vector<search::UnsearchedArchive> &archives, const char *why) {
        for (const search::UnsearchedArchive &archive : archives)
            std::fprintf(err_, "%s\n", FormatUnsearchedLine(archive, why).c_str());
    };
    printEach(summary.passwordArchives, "パスワード付きのため検索できませんでした");
    printEach(summary.damagedArchives, "壊れているため検索できませんでした");
    printEach(summary.unextractedArchives, "展開に失敗したため検索できませんでした");
    if (summary.linkedFoldersNotFollowed > 0)
        std::fprintf(err_, "zrgrep: %s (-L で検索します)\n",
                     search::LinkedFoldersLine(summary.linkedFoldersNotFollowed).c_str());
    for (const std::string &folder : summary.unreadableFolders)
        std::fprintf(err_, "zrgrep: %s (このフォルダは読めないため検索しませんでした)\n",
                     TerminalSafe(ValidUtf8(folder)).c_str());
    std::fflush(err_);
    if (mode_ == OutputMode::Count)
        Write(summary.resultLabel);
    if (std::fflush(out_) != 0)
        writeFailed_ = true;
}

}  // namespace zr::tools
