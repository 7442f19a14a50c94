#include "fileop/progress_texts.h"

#include "util/path_names.h"
#include "util/size_format.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace zr {

namespace {

std::string FolderOf(const std::string &path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? std::string(".") : folder;
}

}  // namespace

std::string ProgressHeading(TFileOperation operation)
{
    switch (operation) {
    case TFileOperation::foMove:
        return "移動しています...";
    case TFileOperation::foDelete:
        return "削除しています...";
    case TFileOperation::foRename:
        return "名前を変更しています...";
    case TFileOperation::foCopy:
        break;
    }
    return "コピーしています...";
}

std::string ProgressCountText(int fileNumber, int totalFiles)
{
    const int total = std::max(totalFiles, 0);
    const int number = std::clamp(fileNumber, 0, total);
    return std::to_string(number) + " / " + std::to_string(total) + " 個";
}

std::string ProgressBytesText(std::uint64_t done, std::uint64_t total)
{
    return SizeText(false, static_cast<double>(std::min(done, total))) + " / " +
           SizeText(false, static_cast<double>(total));
}

std::string RemainingTimeText(std::uint64_t done, std::uint64_t total, std::int64_t elapsedMs)
{
    constexpr std::int64_t kHistoryMs = 1000;
    if (done >= total)
        return "残り約 0 秒";
    if (done == 0 || elapsedMs < kHistoryMs)
        return "残り時間を計算しています...";
    const double seconds = static_cast<double>(elapsedMs) / 1000.0 * static_cast<double>(total - done) /
                           static_cast<double>(done);
    const auto whole = static_cast<std::int64_t>(seconds + 0.999);
    if (whole < 60)
        return "残り約 " + std::to_string(whole) + " 秒";
    if (whole < 3600)
        return "残り約 " + std::to_string((whole + 59) / 60) + " 分";
    const std::int64_t hours = whole / 3600, minutes = (whole % 3600 + 59) / 60;
    return "残り約 " + std::to_string(hours) + " 時間 " + std::to_string(minutes) + " 分";
}

std::string ProgressLabelText(const TProgressSnapshot &s)
{
    std::string text = ProgressHeading(s.operation) + "\n";
    if (!s.sourceFolder.empty())
        text += "元: " + s.sourceFolder + "\n";
    if (!s.destinationFolder.empty() && s.operation != TFileOperation::foDelete)
        text += "先: " + s.destinationFolder + "\n";
    text += ProgressCountText(s.fileNumber, s.totalFiles) + "    " +
            ProgressBytesText(s.doneBytes, s.totalBytes) + "\n" +
            RemainingTimeText(s.doneBytes, s.totalBytes, s.elapsedMs);
    return text;
}

std::optional<TFileFacts> FileFactsOf(const std::string &path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return TFileFacts{static_cast<std::uint64_t>(info.st_size), info.st_mtime};
}

std::string OverwriteQuestionText(const std::string &target, const std::optional<TFileFacts> &existing,
                                  const std::optional<TFileFacts> &incoming)
{
    const std::string path = StripPathSeparator(target);
    std::string text = "同じ名前のファイルが既にあります。\n\n名前: " + FileNamePart(path) +
                       "\n場所: " + FolderOf(path) + "\n";
    const auto facts = [](const TFileFacts &f) {
        char date[32] = "";
        std::tm local{};
        if (localtime_r(&f.modified, &local))
            std::strftime(date, sizeof date, "%Y/%m/%d %H:%M:%S", &local);
        return GroupedNumber(static_cast<double>(f.size)) + " バイト  " + date;
    };
    if (existing || incoming)
        text += "\n";
    if (existing)
        text += "既存のファイル: " + facts(*existing) + "\n";
    if (incoming)
        text += "新しいファイル: " + facts(*incoming) + "\n";
    return text + "\n上書きしますか？";
}

}  // namespace zr
