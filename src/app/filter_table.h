#pragma once
// The stored-file filter table: named wildcard lists kept as two parallel
// numbered lists in the settings store (names and masks, same index), at
// most ten. Also the rules of the filter dialog's grid, without the grid.

#include <string>
#include <vector>

namespace zr {

inline constexpr const char *kFilterNamesKey = "history\\Grep\\FavItem\\Name";
inline constexpr const char *kFilterMasksKey = "history\\Grep\\FavItem\\Masked";
inline constexpr int kFilterMaximum = 10;

struct TFilterEntry {
    std::string name;
    std::string mask;
    bool operator==(const TFilterEntry &) const = default;
};

struct TFilterTable {
    std::vector<std::string> names;
    std::vector<std::string> masks;
    bool operator==(const TFilterTable &) const = default;
};

// The three filters of a first run.
std::vector<TFilterEntry> DefaultFilters();

// Both lists, at most ten entries each, index for index. Unlike the history
// lists, blank and repeated entries are kept: dropping one would pair the
// following names with the wrong masks.
TFilterTable LoadFilterTable(const std::string &namesKey, const std::string &masksKey);
// Writes both lists with "Count" capped at ten. Throws when the store fails.
void SaveFilterTable(const std::string &namesKey, const std::string &masksKey, const TFilterTable &table);

// Writes the defaults; without force only when the names list is empty.
void InstallFilterDefaults(const std::string &namesKey, const std::string &masksKey, bool force);

// Appends pattern as a filter named by itself; -1 for an empty pattern or one
// that a mask already holds (ignoring case), else the new index. An eleventh
// entry is written beyond the stored count and stays out of sight.
int AddFilter(const std::string &namesKey, const std::string &masksKey, const std::string &pattern);

// The dialog's ten rows filled from a table: each filter with a name and a
// mask takes the next row. cursorRow (0-based) is the row after the last
// filled one, or the last row when all are filled.
struct TFilterRows {
    std::vector<TFilterEntry> rows;  // always kFilterMaximum rows
    int cursorRow = 0;
};
TFilterRows FilterRowsFromTable(const TFilterTable &table);

// The table from the dialog's rows: rows without a mask are dropped, a mask
// without a name names itself.
TFilterTable FilterTableFromRows(const std::vector<TFilterEntry> &rows);

}  // namespace zr
