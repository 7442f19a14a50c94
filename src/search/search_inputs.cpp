#include "search/search_inputs.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/wildcard.h"
#include "search/run_texts.h"
#include "search/validation.h"
#include "util/message_texts.h"
#include "util/path_names.h"

namespace zr::search {
namespace {

JudgedPath Refused(std::string text) { return {std::nullopt, std::move(text)}; }

// A missing "x.zip" was meant as an archive, a missing "docs" as a folder.
bool LooksLikeArchiveName(const std::string &path)
{
    if (EndsWithPathSeparator(path))
        return false;
    const std::string name = FileNamePart(path);
    const std::string_view patterns = kAllArchiveTypesWithSfx;
    for (std::size_t start = 0; start < patterns.size();) {
        std::size_t end = patterns.find(';', start);
        if (end == std::string_view::npos)
            end = patterns.size();
        if (platform::MatchesNamePattern(name, patterns.substr(start, end - start)))
            return true;
        start = end + 1;
    }
    return false;
}

JudgedPath JudgeFolder(const std::string &path, const SearchConditions &conditions)
{
    // The window's own checks, for this folder: a named archive must be in it.
    SearchConditions forFolder = conditions;
    forFolder.folder = path;
    const ValidationResult valid = ValidateConditions(forFolder);
    if (!valid.Ok())
        return Refused(valid.message);
    return {SearchInput{SearchInput::Kind::Folder, path}, {}};
}

}  // namespace

JudgedPath JudgePath(const std::string &path, const SearchConditions &conditions)
{
    if (path.empty())
        return Refused("検索する場所を指定して下さい。");
    // stat, never open: opening a FIFO would wait for a writer.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return Refused(LooksLikeArchiveName(path) ? FileMissingText(path) : FolderMissingText(path));
        return Refused(path + ": " + FolderErrorText(error));
    }
    if (S_ISDIR(status.st_mode))
        return JudgeFolder(path, conditions);
    if (S_ISREG(status.st_mode))
        return {SearchInput{SearchInput::Kind::Archive, path}, {}};
    return Refused(path + ": フォルダでも通常のファイルでもないため開きませんでした");
}

std::string InputsText(const std::vector<SearchInput> &inputs)
{
    std::string text;
    for (const SearchInput &input : inputs) {
        if (!text.empty())
            text += " ";
        text += QuoteIfSpaced(input.kind == SearchInput::Kind::Folder ? NormalizeFolderPath(input.path)
                                                                      : input.path);
    }
    return text;
}

}  // namespace zr::search
