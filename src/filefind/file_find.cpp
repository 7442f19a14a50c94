#include "filefind/file_find.h"

#include "filefind/folder_listing.h"
#include "platform/wildcard.h"

#include <cstring>
#include <filesystem>
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
    for (const std::string &pattern : patterns_) {
        if (done_)
            return;
        Walk(folder, pattern);
    }
}

void TFileFind::Walk(const std::string &folder, const std::string &pattern)
{
    std::vector<FolderEntry> entries;
    int error = 0;
    if (!ListFolder(folder, entries, error)) {
        if (IsOutOfResourcesError(error))
            throw EFileFindOutOfResources();
        skipped_.push_back({folder, error});
        return;
    }
    const std::string dir = WithSlash(folder);
    ReportMatches(dir, entries, pattern);
    if (done_ || !Recursive)
        return;
    for (const FolderEntry &entry : entries) {
        if (entry.kind != EntryKind::Folder || entry.name[0] == '.')
            continue;
        Walk(dir + entry.name, pattern);
        if (done_)
            return;
    }
}

void TFileFind::ReportMatches(const std::string &dir, const std::vector<FolderEntry> &entries,
                              const std::string &pattern)
{
    for (const FolderEntry &entry : entries) {
        if (!IsReportable(entry.kind, AddDir) || !platform::MatchesNamePattern(entry.name, pattern))
            continue;
        if (MatchEnabled && !MatchString.empty() && !HoldsMatchString(dir + entry.name, entry.kind))
            continue;
        if (OnFileFind)
            OnFileFind(*this, dir, entry.name, done_);
        if (done_)
            return;
        filesFound_.push_back(dir + entry.name);
    }
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
