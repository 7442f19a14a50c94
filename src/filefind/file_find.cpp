#include "filefind/file_find.h"

#include "filefind/folder_listing.h"
#include "platform/wildcard.h"

#include <cstring>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace zr {

namespace {
std::string AbsoluteFolder(const std::string &folder)
{
    std::filesystem::path path(folder);
    if (path.is_relative()) {
        std::error_code ec;
        path = std::filesystem::current_path(ec) / path;
    }
    std::string text = path.lexically_normal().string();
    if (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

std::string WithSlash(const std::string &folder) { return folder.back() == '/' ? folder : folder + "/"; }

bool IsReportable(EntryKind kind, bool addDir)
{
    if (kind == EntryKind::File)
        return true;
    return addDir && (kind == EntryKind::Folder || kind == EntryKind::LinkedFolder);
}

std::vector<std::string> SplitList(TBrkApart &splitter, std::string_view text)
{
    splitter.BaseString = text;
    splitter.Split();
    return splitter.StringList();
}

std::string JoinList(const std::vector<std::string> &list)
{
    TBrkApart joiner;
    joiner.BreakString = ";";
    joiner.SetStringList(list);
    joiner.Join();
    return joiner.BaseString;
}
}  // namespace

TFileFind::TFileFind()
{
    splitter_.BreakString = ";";
    matcher_.SourceIsFile = true;
}

void TFileFind::SetFilePattern(std::string_view patterns) { patterns_ = SplitList(splitter_, patterns); }

std::string TFileFind::FilePattern() const { return JoinList(patterns_); }

void TFileFind::SetStartDir(std::string_view folders)
{
    startFolders_ = SplitList(splitter_, folders);
    for (std::string &folder : startFolders_) {
        if (folder != "/" && folder.back() == '/')
            folder.pop_back();
    }
}

std::string TFileFind::StartDir() const { return JoinList(startFolders_); }

void TFileFind::Execute()
{
    done_ = false;
    filesFound_.clear();
    skipped_.clear();
    linkedFoldersNotFollowed_ = 0;
    matcher_.CaseSensitive = MatchCaseSensitive;
    matcher_.SetPattern(MatchString);
    for (const std::string &start : startFolders_) {
        if (done_)
            return;
        WalkStartFolder(AbsoluteFolder(start));
    }
}

void TFileFind::WalkStartFolder(const std::string &folder)
{
    std::vector<FolderEntry> entries;
    int error = 0;
    if (!ListFolder(folder, entries, error)) {
        if (IsOutOfResourcesError(error))
            throw EFileFindOutOfResources();
        throw EFileFindChDir(folder + ": " + std::strerror(error), folder, error);
    }
    walkedDirs_.clear();
    buckets_.assign(patterns_.size(), {});
    visited_.clear();
    try {
        if (FirstVisit(folder))
            WalkListed(folder, entries);
    } catch (...) {
        // What the walk found before it had to end is still reported.
        ReportBuckets();
        throw;
    }
    ReportBuckets();
}

void TFileFind::Walk(const std::string &folder)
{
    if (!FirstVisit(folder))
        return;
    std::vector<FolderEntry> entries;
    int error = 0;
    if (!ListFolder(folder, entries, error)) {
        if (IsOutOfResourcesError(error))
            throw EFileFindOutOfResources();
        skipped_.push_back({folder, error});
        return;
    }
    WalkListed(folder, entries);
}

void TFileFind::WalkListed(const std::string &folder, const std::vector<FolderEntry> &entries)
{
    walkedDirs_.push_back(WithSlash(folder));
    CollectMatches(entries);
    if (!Recursive)
        return;
    const std::string dir = walkedDirs_.back();  // a copy: the list grows below
    for (const FolderEntry &entry : entries) {
        if (ShouldDescend(entry))
            Walk(dir + entry.name);
    }
}

bool TFileFind::FirstVisit(const std::string &folder)
{
    if (!FollowLinks)
        return true;  // without links a real tree cannot lead back into itself
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        return true;  // the listing reports why it cannot be read
    return visited_.insert({st.st_dev, st.st_ino}).second;
}

bool TFileFind::ShouldDescend(const FolderEntry &entry)
{
    if (entry.name[0] == '.')
        return false;
    if (entry.kind == EntryKind::Folder)
        return true;
    if (entry.kind != EntryKind::LinkedFolder)
        return false;
    if (!FollowLinks)
        ++linkedFoldersNotFollowed_;
    return FollowLinks;
}

void TFileFind::CollectMatches(const std::vector<FolderEntry> &entries)
{
    const std::size_t dirIndex = walkedDirs_.size() - 1;
    const std::string &dir = walkedDirs_.back();
    const bool filterByContent = MatchEnabled && !MatchString.empty();
    for (const FolderEntry &entry : entries) {
        if (!IsReportable(entry.kind, AddDir))
            continue;
        std::optional<bool> holdsMatchString;  // read once, whatever the number of patterns
        for (std::size_t p = 0; p < patterns_.size(); ++p) {
            if (!platform::MatchesNamePattern(entry.name, patterns_[p]))
                continue;
            if (filterByContent && !holdsMatchString)
                holdsMatchString = HoldsMatchString(dir + entry.name, entry.kind);
            if (filterByContent && !*holdsMatchString)
                break;
            buckets_[p].push_back({dirIndex, entry.name});
        }
    }
}

// The hits in their designed order: pattern after pattern, each in walk order.
void TFileFind::ReportBuckets()
{
    for (const std::vector<PendingHit> &bucket : buckets_) {
        for (const PendingHit &hit : bucket) {
            const std::string &dir = walkedDirs_[hit.dir];
            if (OnFileFind)
                OnFileFind(*this, dir, hit.name, done_);
            if (done_)
                break;
            filesFound_.push_back(dir + hit.name);
        }
        if (done_)
            break;
    }
    buckets_.clear();
    walkedDirs_.clear();
}

bool TFileFind::HoldsMatchString(const std::string &path, EntryKind kind)
{
    if (kind != EntryKind::File)
        return false;  // a folder has no lines to hold the string
    try {
        matcher_.SetSourceFiles({path});
        return matcher_.Execute();
    } catch (const EMatchFile &e) {
        if (IsOutOfResourcesError(e.Error()))
            throw EFileFindOutOfResources();
        skipped_.push_back({path, e.Error()});
        return false;
    }
}

}  // namespace zr
