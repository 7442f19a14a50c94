#pragma once
// Command line of zrgrep: zrgrep [OPTIONS] PATTERN PATH...

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "regex/text_encoding.h"
#include "search/search_conditions.h"

namespace zr::tools {

enum class OutputMode { Lines, Json, Count, Quiet };
enum class ColorMode { Auto, Always, Never };

// What the command line said; unset values leave the condition file's (or
// the initial) value alone.
struct ZrGrepArguments {
    std::optional<std::string> pattern;
    std::vector<std::string> paths;           // folders and archive files, in the given order
    std::optional<std::string> archivesFrom;  // a list of archive paths, one per line; "-" = standard input
    std::optional<std::string> archiveName;
    std::optional<std::string> storedFiles;
    std::optional<std::vector<std::string>> types;  // lha, zip, arj, cab, tar, rar
    bool sfx = false;
    bool noSubFolders = false;
    bool followLinks = false;  // walk symbolic links to folders (over the "FollowLinks" setting)
    std::string conditionsFile;
    bool noFuzzy = false;
    bool fixedStrings = false;                       // the pattern is searched as typed
    std::optional<regex::TEncodingChoice> encoding;  // over the "TextEncoding" setting
    bool noNested = false;               // stored archives are scanned as plain files
    std::optional<int> nestDepth;        // over the "NestDepth" setting
    bool inProcess = false;  // search archives in zrgrep's own process, not in workers
    int workers = 0;         // archives searched at once; 0 = the run's default
    OutputMode output = OutputMode::Lines;
    ColorMode color = ColorMode::Auto;
    bool help = false;
    bool version = false;
    bool noCache = false;     // neither read nor write the content cache
    bool clearCache = false;  // empty the content cache first (alone: and nothing else)
};

class ZrGrepUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

extern const char *const kZrGrepUsage;
extern const char *const kZrGrepVersion;

// Throws ZrGrepUsageError for an unknown option, a missing value, an unknown
// type, no PATH (unless a condition file or an archive list gives the places)
// or "-" as a PATH. "--" ends the options.
ZrGrepArguments ParseZrGrepArguments(const std::vector<std::string> &args);

// The command line's values over base (the initial conditions or a condition
// file's); the places to search are not conditions (see paths).
search::SearchConditions ApplyArguments(const ZrGrepArguments &args, search::SearchConditions base);

}  // namespace zr::tools
