#include "fileop/file_transfer.h"

#include "fileop/verified_copy.h"
#include "util/folder_delete.h"
#include "util/path_names.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace zr {

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string &path) { return "「" + path + "」"; }
std::string Reason(int error) { return std::strerror(error); }

bool LStat(const std::string &path, struct stat &info) { return ::lstat(path.c_str(), &info) == 0; }
bool Exists(const std::string &path)
{
    struct stat info {};
    return LStat(path, info);
}
bool SameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::uint64_t TotalBytes(const std::string &path)
{
    struct stat info {};
    if (!LStat(path, info))
        return 0;
    if (S_ISREG(info.st_mode))
        return static_cast<std::uint64_t>(info.st_size);
    if (!S_ISDIR(info.st_mode))
        return 0;
    std::uint64_t total = 0;
    std::error_code ec;
    for (const fs::directory_entry &entry : fs::directory_iterator(path, ec))
        total += TotalBytes(entry.path());
    return total;
}

// Files and links below a path, the path itself when it is one.
int CountFiles(const std::string &path)
{
    struct stat info {};
    if (!LStat(path, info))
        return 0;
    if (!S_ISDIR(info.st_mode))
        return 1;
    int count = 0;
    std::error_code ec;
    for (const fs::directory_entry &entry : fs::directory_iterator(path, ec))
        count += CountFiles(entry.path());
    return count;
}

std::vector<std::string> SortedEntries(const std::string &folder, std::error_code &ec)
{
    std::vector<std::string> names;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// "name (2).ext", "name (3).ext", ... the first that does not exist.
std::string FreeName(const std::string &target)
{
    const fs::path path(target);
    const std::string stem = path.stem().string(), extension = path.extension().string();
    for (int n = 2;; ++n) {
        const std::string candidate =
            (path.parent_path() / (stem + " (" + std::to_string(n) + ")" + extension)).string();
        if (!Exists(candidate))
            return candidate;
    }
}

// A new link to linkTarget under a free name beside target, so that an
// existing file of that name is neither replaced nor removed; its path, or
// empty with ec set.
std::string CreateLinkBeside(const std::string &target, const fs::path &linkTarget, std::error_code &ec)
{
    for (int n = 0; n < 100; ++n) {
        const std::string candidate = target + ".zr-link" + (n ? std::to_string(n) : std::string());
        fs::create_symlink(linkTarget, candidate, ec);
        if (!ec)
            return candidate;
        if (ec != std::errc::file_exists)
            break;
    }
    return {};
}

bool IsInside(const std::string &path, const std::string &folder)
{
    std::error_code innerError, outerError;
    const std::string inner = fs::weakly_canonical(path, innerError).string();
    const std::string outer = fs::weakly_canonical(folder, outerError).string();
    return !innerError && !outerError && inner.size() > outer.size() &&
           inner.compare(0, outer.size(), outer) == 0 && inner[outer.size()] == '/';
}

}  // namespace

TFileTransfer::TFileTransfer(TFileOpHooks hooks, TFileProgress *progress, TFileOpFlags flags)
    : hooks_(CompleteHooks(std::move(hooks))), progress_(progress), flags_(flags)
{
}

TFileOpResult TFileTransfer::Run(TFileOperation operation, const std::vector<std::string> &sources,
                                 const std::vector<std::string> &destinations)
{
    result_ = {};
    if (sources.empty()) {
        Fail("操作するファイルがありません");
        return result_;
    }
    std::uint64_t total = 0;
    int files = 0;
    for (const std::string &source : sources) {
        total += TotalBytes(source);
        files += CountFiles(source);
    }
    if (progress_) {
        progress_->Describe(operation, files);
        progress_->Begin(total);
    }

    const bool move = operation != TFileOperation::foCopy;
    const bool pairWise = operation == TFileOperation::foRename ||
                          ((flags_ & foMultiDestFiles) && destinations.size() == sources.size());
    if (operation == TFileOperation::foDelete)
        DeleteAll(sources);
    else if (destinations.empty())
        Fail("コピー先が指定されていません");
    else if (pairWise)
        PairWise(sources, destinations, move);
    else
        IntoFolder(sources, destinations.front(), move);

    if (progress_)
        progress_->End();
    return result_;
}

void TFileTransfer::Fail(const std::string &message)
{
    if (result_.error.empty())
        result_.error = message;
    result_.succeeded = false;
    hooks_.reportError(message);
}

TFileTransfer::Step TFileTransfer::Cancel()
{
    result_.aborted = true;
    result_.succeeded = false;
    return Step::Stop;
}

bool TFileTransfer::Advance(const std::string &file, std::uint64_t bytes)
{
    done_ += bytes;
    return !progress_ || progress_->Advance(file, done_);
}

TFileTransfer::Step TFileTransfer::IntoFolder(const std::vector<std::string> &sources,
                                              const std::string &destination, bool move)
{
    const std::string folder = NormalizeFolderPath(destination);
    if (!PrepareFolder(folder))
        return Step::Stop;
    for (const std::string &source : sources) {
        const std::string target = AppendPathSeparator(folder) + FileNamePart(StripPathSeparator(source));
        if (Transfer(StripPathSeparator(source), target, move) == Step::Stop)
            return Step::Stop;
    }
    return Step::Continue;
}

TFileTransfer::Step TFileTransfer::PairWise(const std::vector<std::string> &sources,
                                            const std::vector<std::string> &targets, bool move)
{
    if (targets.size() != sources.size()) {
        Fail("移動元と移動先の数が合いません");
        return Step::Stop;
    }
    for (std::size_t i = 0; i < sources.size(); ++i)
        if (Transfer(StripPathSeparator(sources[i]), StripPathSeparator(targets[i]), move) == Step::Stop)
            return Step::Stop;
    return Step::Continue;
}

bool TFileTransfer::PrepareFolder(const std::string &folder)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return true;
        Fail(Quote(folder) + " はフォルダではありません");
        return false;
    }
    if (!(flags_ & (foNoConfirmMkDir | foNoConfirmation)) &&
        !hooks_.confirm("フォルダ" + Quote(folder) + "は存在しません。作成しますか？")) {
        Cancel();
        return false;
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        Fail("フォルダ" + Quote(folder) + "を作成できません: " + ec.message());
        return false;
    }
    return true;
}

TFileTransfer::Step TFileTransfer::Transfer(const std::string &source, std::string target, bool move)
{
    struct stat info {};
    if (!LStat(source, info)) {
        Fail(Quote(source) + " が見つかりません");
        return Step::Continue;
    }
    if (progress_ && !S_ISDIR(info.st_mode))
        progress_->StartFile(source, target);
    bool skip = false;
    if (ResolveExisting(source, target, skip) == Step::Stop)
        return Step::Stop;
    if (skip) {
        return Advance(source, TotalBytes(source)) ? Step::Continue : Cancel();
    }
    if (S_ISDIR(info.st_mode))
        return TransferFolder(source, target, move);
    if (S_ISLNK(info.st_mode))
        return TransferLink(source, target, move);
    if (S_ISREG(info.st_mode))
        return TransferFile(source, target, move);
    Fail(Quote(source) + " は通常のファイルではありません");
    return Step::Continue;
}

// Decides what happens to an existing target: same file, type clash, a free
// name, or the user's answer.
TFileTransfer::Step TFileTransfer::ResolveExisting(const std::string &source, std::string &target, bool &skip)
{
    struct stat sourceInfo {
    }, targetInfo{};
    if (!LStat(target, targetInfo) || !LStat(source, sourceInfo))
        return Step::Continue;
    if (flags_ & foRenameOnCollision) {
        target = FreeName(target);
        return Step::Continue;
    }
    if (SameFile(sourceInfo, targetInfo)) {
        Fail(Quote(source) + " は同じ場所には移動またはコピーできません");
        skip = true;
        return Step::Continue;
    }
    const bool sourceIsFolder = S_ISDIR(sourceInfo.st_mode);
    if (sourceIsFolder != S_ISDIR(targetInfo.st_mode)) {
        Fail(Quote(target) + " は既に別の種類の項目として存在します");
        skip = true;
        return Step::Continue;
    }
    if (sourceIsFolder || overwriteAll_ || (flags_ & foNoConfirmation))
        return Step::Continue;  // folders merge
    switch (hooks_.askOverwrite(source, target)) {
    case TOverwriteAnswer::Yes:
        return Step::Continue;
    case TOverwriteAnswer::All:
        overwriteAll_ = true;
        return Step::Continue;
    case TOverwriteAnswer::No:
        // Keeping the file that is there is an answer, not a failure: the
        // operation still counts as done.
        skip = true;
        return Step::Continue;
    case TOverwriteAnswer::Cancel:
        break;
    }
    return Cancel();
}

TFileTransfer::Step TFileTransfer::TransferFile(const std::string &source, const std::string &target,
                                                bool move)
{
    struct stat info {};
    LStat(source, info);
    if (move) {
        const int error = hooks_.rename(source, target);
        if (error == 0)
            return Advance(source, static_cast<std::uint64_t>(info.st_size)) ? Step::Continue : Cancel();
        if (error != EXDEV) {
            Fail(Quote(source) + " を移動できません: " + Reason(error));
            return Step::Continue;
        }
    }
    const TCopyResult copy =
        CopyFileVerified(source, target, [&](std::uint64_t bytes) { return Advance(source, bytes); });
    if (copy.outcome == TCopyOutcome::Cancelled)
        return Cancel();
    if (copy.outcome == TCopyOutcome::Failed) {
        Fail(Quote(source) + " をコピーできません: " + Reason(copy.error));
        return Step::Continue;
    }
    if (move && ::unlink(source.c_str()) != 0)
        Fail(Quote(source) + " はコピーしましたが、元のファイルを削除できません: " + Reason(errno));
    return Step::Continue;
}

TFileTransfer::Step TFileTransfer::TransferLink(const std::string &source, const std::string &target,
                                                bool move)
{
    if (move) {
        const int error = hooks_.rename(source, target);
        if (error == 0)
            return Step::Continue;
        if (error != EXDEV) {
            Fail(Quote(source) + " を移動できません: " + Reason(error));
            return Step::Continue;
        }
    }
    std::error_code ec;
    const fs::path linkTarget = fs::read_symlink(source, ec);
    std::string temporary;
    if (!ec)
        temporary = CreateLinkBeside(target, linkTarget, ec);
    if (!ec)
        fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        if (!temporary.empty())
            fs::remove(temporary, ignored);
        Fail(Quote(source) + " をコピーできません: " + ec.message());
        return Step::Continue;
    }
    if (move)
        fs::remove(source, ec);
    return Step::Continue;
}

TFileTransfer::Step TFileTransfer::TransferFolder(const std::string &source, const std::string &target,
                                                  bool move)
{
    if (IsInside(target, source)) {
        Fail(Quote(source) + " をそれ自身の中へ移動またはコピーできません");
        return Step::Continue;
    }
    const bool targetExists = Exists(target);
    if (move && !targetExists) {
        const int error = hooks_.rename(source, target);
        if (error == 0)
            return Advance(source, TotalBytes(target)) ? Step::Continue : Cancel();
        if (error != EXDEV) {
            Fail(Quote(source) + " を移動できません: " + Reason(error));
            return Step::Continue;
        }
    }
    struct stat info {};
    LStat(source, info);
    if (!targetExists && ::mkdir(target.c_str(), (info.st_mode & 07777) | S_IRWXU) != 0) {
        Fail("フォルダ" + Quote(target) + "を作成できません: " + Reason(errno));
        return Step::Continue;
    }
    std::error_code ec;
    for (const std::string &name : SortedEntries(source, ec))
        if (Transfer(source + "/" + name, target + "/" + name, move) == Step::Stop)
            return Step::Stop;
    if (ec)
        Fail(Quote(source) + " を読めません: " + ec.message());
    // Only an emptied folder goes: whatever was skipped or failed stays with it.
    if (move)
        ::rmdir(source.c_str());
    return Step::Continue;
}

TFileTransfer::Step TFileTransfer::DeleteAll(const std::vector<std::string> &sources)
{
    const std::string question = sources.size() == 1
                                     ? Quote(sources.front()) + "を削除しますか？"
                                     : std::to_string(sources.size()) + " 個の項目を削除しますか？";
    if (!(flags_ & foNoConfirmation) && !hooks_.confirm(question))
        return Cancel();
    for (const std::string &source : sources) {
        const std::uint64_t bytes = TotalBytes(source);
        if (!Exists(source)) {
            Fail(Quote(source) + " が見つかりません");
            continue;
        }
        if (progress_)
            progress_->StartFile(source, {});
        // With undo the item goes to the trash, never silently destroyed instead.
        const bool removed = (flags_ & foAllowUndo) ? QFile::moveToTrash(QString::fromStdString(source))
                                                    : DeleteFileOrFolder(source);
        if (!removed)
            Fail(Quote(source) + " を削除できません");
        if (!Advance(source, bytes))
            return Cancel();
    }
    return Step::Continue;
}

}  // namespace zr
