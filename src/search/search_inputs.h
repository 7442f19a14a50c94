#pragma once
// Where a run looks: folders walked for candidate archives, and archive files
// named directly, each searched as itself whatever its name. The window gives
// its one folder; zrgrep any number of paths, and lists of archives.

#include <optional>
#include <string>
#include <vector>

#include "search/search_conditions.h"

namespace zr::search {

struct SearchInput {
    enum class Kind { Folder, Archive };
    Kind kind = Kind::Folder;
    std::string path;

    bool operator==(const SearchInput &) const = default;
};

// How an archive's type is judged: by its extension (the folder walk found it
// through the archive-name pattern) or by its content (it was named directly).
enum class TypeJudgement { ByName, ByContent };

// One archive of a run, in run order.
struct CandidateArchive {
    std::string path;
    TypeJudgement judgement = TypeJudgement::ByName;

    bool operator==(const CandidateArchive &) const = default;
};

// A path as the user gave it, judged without opening it.
struct JudgedPath {
    std::optional<SearchInput> input;  // unset when refused
    std::string refusal;               // the text to show when refused (UTF-8, lines broken by CR LF)
};

// A folder becomes a folder input, unless the conditions name an archive that
// is not in it; a regular file (or a link to one) becomes an archive input.
// A missing path gets the designed missing-file or missing-folder text (the
// file text when its name looks like an archive's); anything that is neither
// folder nor regular file (a FIFO, socket or device) is refused unopened.
JudgedPath JudgePath(const std::string &path, const SearchConditions &conditions);

// The inputs as one text for the result view's "searched in" line.
std::string InputsText(const std::vector<SearchInput> &inputs);

}  // namespace zr::search
