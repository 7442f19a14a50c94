#pragma once
// Condition files (*.ZrSrh): the thirteen values of the conditions in the
// sections "Condition" and "Option".

#include <string>

#include "search/search_conditions.h"

namespace zr::search {

enum class ConditionFileStatus {
    Ok,
    NotText,         // missing, unreadable, or its start is not text
    MissingSection,  // "Condition" or "Option" is absent
};

struct ConditionFileResult {
    ConditionFileStatus status = ConditionFileStatus::Ok;
    SearchConditions conditions;
    bool Ok() const { return status == ConditionFileStatus::Ok; }
};

// Replaces any existing file with the thirteen values. Throws on write errors.
void WriteConditionFile(const std::string &path, const SearchConditions &conditions);

// Reads a condition file over current: an empty "Path" keeps current.folder,
// a boolean that is not a number keeps its default. On failure the result's
// conditions are current, unchanged.
ConditionFileResult ReadConditionFile(const std::string &path, const SearchConditions &current);

}  // namespace zr::search
