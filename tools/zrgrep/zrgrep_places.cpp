#include "zrgrep_places.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include "search/archive_set_file.h"

namespace zr::tools {
namespace {

std::string ReadStream(std::FILE *stream, const std::string &name)
{
    std::string text;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stream)) > 0;)
        text.append(buffer, n);
    if (std::ferror(stream))
        throw ZrGrepListError("cannot read the archive list " + name + ": " + std::strerror(errno));
    return text;
}

std::string ReadArchiveList(const std::string &file, std::FILE *standardInput)
{
    if (file == "-")
        return ReadStream(standardInput, "on standard input");
    const std::unique_ptr<std::FILE, int (*)(std::FILE *)> stream(std::fopen(file.c_str(), "rb"),
                                                                  std::fclose);
    if (!stream)
        throw ZrGrepListError("cannot read the archive list " + file + ": " + std::strerror(errno));
    return ReadStream(stream.get(), file);
}

void AddPlace(ZrGrepPlaces &places, const search::JudgedPath &judged)
{
    if (judged.input)
        places.inputs.push_back(*judged.input);
    else
        places.refusals.push_back(judged.refusal);
}

}  // namespace

ZrGrepPlaces CollectPlaces(const ZrGrepArguments &args, const search::SearchConditions &conditions,
                           std::FILE *standardInput)
{
    ZrGrepPlaces places;
    std::vector<std::string> paths = args.paths;
    if (paths.empty() && !args.archivesFrom)
        paths.push_back(conditions.folder);
    for (const std::string &path : paths)
        AddPlace(places, search::JudgePath(path, conditions));
    if (!args.archivesFrom)
        return places;
    const std::string listName = *args.archivesFrom == "-" ? "standard input" : *args.archivesFrom;
    for (const std::string &path :
         search::ParseArchiveList(ReadArchiveList(*args.archivesFrom, standardInput))) {
        search::JudgedPath judged = search::JudgePath(path, conditions);
        if (judged.input && judged.input->kind != search::SearchInput::Kind::Archive)
            judged = {std::nullopt,
                      path + ": a folder in the archive list " + listName + " (it lists archive files)"};
        AddPlace(places, judged);
    }
    return places;
}

}  // namespace zr::tools
