#include "app/filter_table.h"

#include "platform/text_case.h"
#include "util/settings_list.h"
#include "util/settings_store.h"

#include <algorithm>

namespace zr {
namespace {

std::vector<std::string> LoadParallelList(const std::string &section)
{
    const int count = std::clamp(ReadSettingInteger(section, "Count", 0), 0, kFilterMaximum);
    std::vector<std::string> list;
    for (int i = 0; i < count; ++i)
        list.push_back(ReadSettingString(section, std::to_string(i), ""));
    return list;
}

}  // namespace

std::vector<TFilterEntry> DefaultFilters()
{
    return {{"文書ファイル", "*.txt;*.doc;*.1st;*.log"},
            {"Delphiファイル", "*.pas;*.bpg;*.dpr;*.dpk"},
            {"SQLファイル", "*.sql;*.txt"}};
}

TFilterTable LoadFilterTable(const std::string &namesKey, const std::string &masksKey)
{
    return {LoadParallelList(namesKey), LoadParallelList(masksKey)};
}

void SaveFilterTable(const std::string &namesKey, const std::string &masksKey, const TFilterTable &table)
{
    SaveSettingList(namesKey, kFilterMaximum, table.names);
    SaveSettingList(masksKey, kFilterMaximum, table.masks);
}

void InstallFilterDefaults(const std::string &namesKey, const std::string &masksKey, bool force)
{
    if (!force && ReadSettingInteger(namesKey, "Count", 0) > 0)
        return;
    TFilterTable table;
    for (const TFilterEntry &entry : DefaultFilters()) {
        table.names.push_back(entry.name);
        table.masks.push_back(entry.mask);
    }
    SaveFilterTable(namesKey, masksKey, table);
}

int AddFilter(const std::string &namesKey, const std::string &masksKey, const std::string &pattern)
{
    if (pattern.empty())
        return -1;
    TFilterTable table = LoadFilterTable(namesKey, masksKey);
    for (const std::string &mask : table.masks)
        if (platform::SameTextLocale(mask, pattern))
            return -1;
    // A names list shorter than the masks list would shift the new pair apart.
    table.names.resize(table.masks.size());
    table.names.push_back(pattern);
    table.masks.push_back(pattern);
    SaveFilterTable(namesKey, masksKey, table);
    return static_cast<int>(table.masks.size()) - 1;
}

TFilterRows FilterRowsFromTable(const TFilterTable &table)
{
    TFilterRows result;
    result.rows.resize(kFilterMaximum);
    int row = 0;
    bool full = false;
    for (std::size_t i = 0; i < table.names.size() && !full; ++i) {
        if (table.names[i].empty() || i >= table.masks.size() || table.masks[i].empty())
            continue;
        result.rows[static_cast<std::size_t>(row)] = {table.names[i], table.masks[i]};
        if (row + 1 < kFilterMaximum)
            ++row;
        else
            full = true;
    }
    result.cursorRow = row;
    return result;
}

TFilterTable FilterTableFromRows(const std::vector<TFilterEntry> &rows)
{
    TFilterTable table;
    for (const TFilterEntry &row : rows) {
        if (row.mask.empty())
            continue;
        table.names.push_back(row.name.empty() ? row.mask : row.name);
        table.masks.push_back(row.mask);
    }
    return table;
}

}  // namespace zr
