#include "zrgrep_options.h"

#include <algorithm>
#include <map>

namespace zr::tools {

const char *const kZrGrepUsage =
    "usage: zrgrep [OPTIONS] PATTERN PATH...\n"
    "Searches the text files stored in archives. Each PATH is a folder, whose archives are found\n"
    "by name (see -a and -t), or an archive file, searched as itself whatever its name; the\n"
    "PATHs are searched in the given order as one run.\n"
    "  zrgrep 'entry 1' many.zip                   one archive\n"
    "  zrgrep -t zip,lha --json 'ab+c' docs a.dat  the ZIP and LHA archives below docs, then a.dat\n"
    "  -a, --archive-name TEXT  archive name or wildcard (default \"*.*\": use the types)\n"
    "  -f, --files LIST         stored-file wildcards, \";\"-separated (default \"*.*\")\n"
    "  -t, --types LIST         comma list of lha,zip,arj,cab,tar,rar,7z,doc instead of all types\n"
    "  -x, --sfx                also self-extracting executables\n"
    "      --no-subfolders      only the folder itself\n"
    "  -L, --follow             walk symbolic links to folders (each folder once)\n"
    "      --conditions FILE    read a condition file (*.ZrSrh) first; its folder is searched\n"
    "                           when no PATH and no --archives-from is given\n"
    "      --archives-from FILE search the archives listed in FILE (one path per line, \"-\" for\n"
    "                           standard input) after the PATHs, in the listed order\n"
    "      --no-fuzzy           plain regular expression, without fuzzy characters\n"
    "  -F, --fixed-strings      the pattern is plain text: . ( * and the like match themselves\n"
    "      --encoding=NAME      auto (each file judged), cp932, utf-8, utf-16, euc-jp or iso-2022-jp\n"
    "      --no-nested          archives stored inside archives are searched as plain files\n"
    "      --nest-depth N       levels of archives inside archives searched inside, 0 to 8 (default 3)\n"
    "      --in-process         search archives in this process, not in confined workers\n"
    "  -j, --workers N          archives searched at once in workers, 1 to 8 (default: 2 on two or more "
    "cores)\n"
    "      --json               one JSON object per hit\n"
    "      --count              only the summary line\n"
    "  -q, --quiet              nothing on stdout\n"
    "      --color=WHEN         auto, always or never\n"
    "      --no-cache           neither use nor fill the cache of decompressed archives\n"
    "      --clear-cache        empty that cache first (alone: only that)\n"
    "      --help, --version\n"
    "PATTERN \"\" or \"*\" lists the matching stored files without searching them.\n"
    "A missing PATH is reported and the others are searched.\n"
    "Exit status: 0 hits found, 1 none, 2 error or no PATH could be searched, 130 interrupted.\n";

const char *const kZrGrepVersion = "zrgrep (ZuRivo) 1.10";

namespace {

const std::vector<std::string> kTypeNames = {"lha", "zip", "arj", "cab", "tar", "rar", "7z", "doc"};

std::vector<std::string> SplitTypes(const std::string &list)
{
    std::vector<std::string> types;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        std::string name = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        for (char &c : name)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        bool known = false;
        for (const std::string &t : kTypeNames)
            known = known || t == name;
        if (!known)
            throw ZrGrepUsageError("zrgrep: unknown archive type \"" + name + "\"");
        types.push_back(name);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return types;
}

ColorMode ParseColor(const std::string &when)
{
    if (when == "auto")
        return ColorMode::Auto;
    if (when == "always")
        return ColorMode::Always;
    if (when == "never")
        return ColorMode::Never;
    throw ZrGrepUsageError("zrgrep: --color takes auto, always or never");
}

regex::TEncodingChoice ParseEncoding(const std::string &name)
{
    if (const auto choice = regex::ParseEncodingChoice(name))
        return *choice;
    throw ZrGrepUsageError("zrgrep: --encoding takes auto, cp932, utf-8, utf-16, euc-jp or iso-2022-jp");
}

// Options that take a value, by their long and short names.
bool TakesValue(const std::string &name)
{
    return name == "--archive-name" || name == "-a" || name == "--files" || name == "-f" ||
           name == "--types" || name == "-t" || name == "--conditions" || name == "--color" ||
           name == "--encoding" || name == "--workers" || name == "-j" || name == "--archives-from" ||
           name == "--nest-depth";
}

int ParseWorkers(const std::string &text)
{
    const bool digits = !text.empty() && text.size() <= 2 &&
                        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    const int n = digits ? std::stoi(text) : 0;
    if (n < 1 || n > 8)
        throw ZrGrepUsageError("zrgrep: --workers takes a number from 1 to 8");
    return n;
}

int ParseNestDepth(const std::string &text)
{
    if (text.size() != 1 || text[0] < '0' || text[0] > '8')
        throw ZrGrepUsageError("zrgrep: --nest-depth takes a number from 0 to 8");
    return text[0] - '0';
}

void ApplyOption(ZrGrepArguments &a, const std::string &name, const std::string &value)
{
    if (name == "--archive-name" || name == "-a")
        a.archiveName = value;
    else if (name == "--files" || name == "-f")
        a.storedFiles = value;
    else if (name == "--types" || name == "-t")
        a.types = SplitTypes(value);
    else if (name == "--conditions")
        a.conditionsFile = value;
    else if (name == "--archives-from")
        a.archivesFrom = value;
    else if (name == "--color")
        a.color = ParseColor(value);
    else if (name == "--encoding")
        a.encoding = ParseEncoding(value);
    else if (name == "--workers" || name == "-j")
        a.workers = ParseWorkers(value);
    else if (name == "--sfx" || name == "-x")
        a.sfx = true;
    else if (name == "--no-subfolders")
        a.noSubFolders = true;
    else if (name == "--follow" || name == "-L")
        a.followLinks = true;
    else if (name == "--no-fuzzy")
        a.noFuzzy = true;
    else if (name == "--fixed-strings" || name == "-F")
        a.fixedStrings = true;
    else if (name == "--nest-depth")
        a.nestDepth = ParseNestDepth(value);
    else if (name == "--no-nested")
        a.noNested = true;
    else if (name == "--in-process")
        a.inProcess = true;
    else if (name == "--json")
        a.output = OutputMode::Json;
    else if (name == "--count")
        a.output = OutputMode::Count;
    else if (name == "--quiet" || name == "-q")
        a.output = OutputMode::Quiet;
    else if (name == "--help" || name == "-h")
        a.help = true;
    else if (name == "--version")
        a.version = true;
    else if (name == "--no-cache")
        a.noCache = true;
    else if (name == "--clear-cache")
        a.clearCache = true;
    else
        throw ZrGrepUsageError("zrgrep: unknown option " + name);
}

}  // namespace

ZrGrepArguments ParseZrGrepArguments(const std::vector<std::string> &args)
{
    ZrGrepArguments a;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> value;
        if (const std::size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        if (TakesValue(name)) {
            if (!value) {
                if (i + 1 >= args.size())
                    throw ZrGrepUsageError("zrgrep: " + name + " needs a value");
                value = args[++i];
            }
            ApplyOption(a, name, *value);
        } else {
            if (value)
                throw ZrGrepUsageError("zrgrep: " + name + " takes no value");
            ApplyOption(a, name, {});
        }
    }
    if (a.help || a.version || (a.clearCache && operands.empty() && a.conditionsFile.empty()))
        return a;
    // With a condition file the pattern and the folder may come from it; with
    // an archive list the PATHs are optional.
    if (!operands.empty()) {
        a.pattern = operands.front();
        a.paths.assign(operands.begin() + 1, operands.end());
    }
    const bool placesElsewhere = !a.conditionsFile.empty() || a.archivesFrom.has_value();
    if (operands.empty() && a.conditionsFile.empty())
        throw ZrGrepUsageError("zrgrep: expected PATTERN and at least one PATH");
    if (a.paths.empty() && !placesElsewhere)
        throw ZrGrepUsageError("zrgrep: expected at least one PATH (a folder or an archive) after PATTERN");
    for (const std::string &path : a.paths)
        if (path == "-")
            throw ZrGrepUsageError("zrgrep: \"-\" is not a PATH: archives are not read from standard input "
                                   "(--archives-from - reads a list of archive paths)");
    return a;
}

search::SearchConditions ApplyArguments(const ZrGrepArguments &a, search::SearchConditions c)
{
    if (a.pattern)
        c.searchText = *a.pattern;
    if (a.archiveName)
        c.archiveName = *a.archiveName;
    if (a.storedFiles)
        c.storedFiles = *a.storedFiles;
    if (a.types) {
        c.allTypes = false;
        c.lha = c.zip = c.arj = c.cab = c.tar = c.rar = c.sevenZip = c.documents = false;
        const std::map<std::string, bool search::SearchConditions::*> fields = {
            {"lha", &search::SearchConditions::lha},    {"zip", &search::SearchConditions::zip},
            {"arj", &search::SearchConditions::arj},    {"cab", &search::SearchConditions::cab},
            {"tar", &search::SearchConditions::tar},    {"rar", &search::SearchConditions::rar},
            {"7z", &search::SearchConditions::sevenZip}, {"doc", &search::SearchConditions::documents}};
        for (const std::string &t : *a.types)
            c.*fields.at(t) = true;
    }
    if (a.sfx)
        c.sfx = true;
    if (a.noSubFolders)
        c.subFolders = false;
    if (a.noFuzzy)
        c.fuzzy = false;
    if (a.fixedStrings)
        c.regularExpression = false;
    if (a.noNested)
        c.nestedArchives = false;
    return c;
}

}  // namespace zr::tools
