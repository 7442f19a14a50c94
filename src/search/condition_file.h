#pragma once
// Condition files (*.ZrSrh): the thirteen values of the conditions in the
// sections "Condition" and "Option".

#include <cstddef>
#include <cstdint>
#include <string>

#include "search/search_conditions.h"

namespace zr::search {

enum class ConditionFileStatus {
    Ok,
    NotText,         // missing, unreadable, or its start is not text
    MissingSection,  // "Condition" or "Option" is absent
    TooLarge,        // the file is over kMaxConditionFileBytes
    TextTooLong,     // its search string is over kMaxConditionTextBytes
};

// Far beyond any condition typed or saved by the program; a larger file or
// search string is refused before it costs memory or time.
inline constexpr std::uint64_t kMaxConditionFileBytes = 1024 * 1024;
inline constexpr std::size_t kMaxConditionTextBytes = 64 * 1024;

// The user's words for a status that is not Ok.
std::string ConditionFileProblem(ConditionFileStatus status);

struct ConditionFileResult {
    ConditionFileStatus status = ConditionFileStatus::Ok;
    SearchConditions conditions;
    bool Ok() const { return status == ConditionFileStatus::Ok; }
};

// Replaces any existing file with the thirteen values. Throws on write errors.
void WriteConditionFile(const std::string &path, const SearchConditions &conditions);

// Reads a condition file (in one read) over current: an empty "Path" keeps
// current.folder, a boolean that is not a number keeps its default. On
// failure the result's conditions are current, unchanged.
ConditionFileResult ReadConditionFile(const std::string &path, const SearchConditions &current);

}  // namespace zr::search
