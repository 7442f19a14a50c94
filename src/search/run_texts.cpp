#include "search/run_texts.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#include "util/dbcs.h"
#include "util/size_format.h"

namespace zr::search {

std::string ArchivesFoundLabel(int count) { return std::to_string(count) + "件の書庫が検索対象です."; }

std::string HitsFoundLabel(int hits, int archives, int files, bool stopped)
{
    return GroupedNumber(hits) + " 行 見つかりました。" + (stopped ? "（中断）" : "") + "  書庫数： " +
           GroupedNumber(archives) + " 件  格納数：" + GroupedNumber(files) + " 件";
}

std::string NoArchiveFoundLabel() { return "該当する書庫は見つかりませんでした。"; }

std::string NoHitLabel(bool noText)
{
    return noText ? "指定の格納ファイルを含む書庫は見つかりませんでした。"
                  : "指定の文字を含む書庫は見つかりませんでした。";
}

std::vector<std::string> ConditionLines(const std::string &searchText, const std::string &folder,
                                        const std::string &archivePattern, const std::string &storedPattern)
{
    return {"検索した文字： " + searchText, "検索した場所： " + folder, "検索した書庫： " + archivePattern,
            "検索した格納： " + storedPattern};
}

std::vector<std::string> NoArchiveLines(const std::string &folder, const std::string &archivePattern)
{
    return {"", "検索した場所： " + folder, "検索した書庫： " + archivePattern};
}

std::string ProgressLine(const std::string &archivePath, const std::string &searchFolder,
                         const std::string &itemName, int count)
{
    std::string shown = archivePath;
    if (!searchFolder.empty()) {
        // The folder plus its separator; the root already ends in one.
        const std::size_t skip = searchFolder.size() + (searchFolder.back() == '/' ? 0 : 1);
        shown = skip < archivePath.size() ? archivePath.substr(skip) : std::string();
        shown = CutOnCharBoundary(shown, 260);
    }
    std::string line = shown + " ⇒ " + itemName;
    if (count > 0)
        line += " ⇒ " + GroupedNumber(count) + "行";
    return line;
}

std::string FailedArchivesLine(int count)
{
    return "処理できなかった書庫： " + std::to_string(count) + " 件";
}

namespace {

// "  <archive>[ ⇒ <stored>, <stored>, ... ほか N 件]"
std::string UnsearchedArchiveLine(const UnsearchedArchive &archive, const std::string &searchFolder)
{
    constexpr std::size_t kNamesShown = 3;
    std::string names;
    for (std::size_t i = 0; i < archive.storedNames.size() && i < kNamesShown; ++i)
        names += (i > 0 ? ", " : "") + archive.storedNames[i];
    if (archive.storedNames.size() > kNamesShown)
        names += " ほか " + std::to_string(archive.storedNames.size() - kNamesShown) + " 件";
    std::string line = "  " + ProgressLine(archive.path, searchFolder, names, 0);
    if (names.empty())
        line.resize(line.size() - std::string_view(" ⇒ ").size());
    return line;
}

void AppendUnsearched(std::vector<std::string> &lines, const std::string &heading,
                      const std::vector<UnsearchedArchive> &archives, const std::string &searchFolder)
{
    // As with folders: enough to act on, never enough to bury the results.
    constexpr std::size_t kShown = 5;
    if (archives.empty())
        return;
    lines.push_back(heading + std::to_string(archives.size()) + " 件");
    for (std::size_t i = 0; i < archives.size() && i < kShown; ++i)
        lines.push_back(UnsearchedArchiveLine(archives[i], searchFolder));
    if (archives.size() > kShown)
        lines.push_back("  ほか " + std::to_string(archives.size() - kShown) + " 件");
}

}  // namespace

std::vector<std::string> UnsearchedArchivesLines(const RunSummary &summary, const std::string &searchFolder)
{
    std::vector<std::string> lines;
    AppendUnsearched(lines, "パスワード付きのため検索できなかった書庫： ", summary.passwordArchives,
                     searchFolder);
    AppendUnsearched(lines, "壊れているため検索できなかった書庫： ", summary.damagedArchives, searchFolder);
    AppendUnsearched(lines, "展開に失敗したため検索できなかった書庫： ", summary.unextractedArchives,
                     searchFolder);
    return lines;
}

std::string LinkedFoldersLine(int count)
{
    return "リンクのため検索しなかったフォルダ： " + std::to_string(count) + " 件";
}

std::vector<std::string> UnreadableFoldersLines(const std::vector<std::string> &folders)
{
    // A handful tells the user where to look; a whole locked-down tree would
    // bury the results.
    constexpr std::size_t kShown = 5;
    std::vector<std::string> lines{"読めなかったフォルダ： " + std::to_string(folders.size()) + " 件"};
    for (std::size_t i = 0; i < folders.size() && i < kShown; ++i)
        lines.push_back("  " + folders[i]);
    if (folders.size() > kShown)
        lines.push_back("  ほか " + std::to_string(folders.size() - kShown) + " 件");
    return lines;
}

std::string FolderErrorText(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return "アクセスが許可されていません";
    case ENOENT:
        return "見つかりません";
    case ENOTDIR:
        return "フォルダではありません";
    case ELOOP:
        return "リンクが循環しています";
    default:
        return std::strerror(error);
    }
}

}  // namespace zr::search
