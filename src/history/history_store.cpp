#include "history/history_store.h"

#include "util/dbcs.h"

#include <algorithm>

namespace zr {

namespace {

// A damaged "Count" must not make loading loop for ages.
constexpr int kMaxStoredCount = 4096;

int StoredCount(const platform::TRegistry &registry)
{
    if (registry.GetDataType("Count") != platform::RegDataType::DWord)
        return 0;
    return std::clamp(registry.ReadInteger("Count"), 0, kMaxStoredCount);
}

void WriteEntries(platform::TRegistry &registry, const std::vector<std::string> &entries)
{
    registry.WriteInteger("Count", static_cast<int>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i)
        registry.WriteString(std::to_string(i), entries[i]);
}

// "Count" or one of "0" .. count - 1.
bool IsEntryName(const std::string &name, std::size_t count)
{
    if (CompareNoCaseAscii(name, "Count") == 0)
        return true;
    for (std::size_t i = 0; i < count; ++i)
        if (name == std::to_string(i))
            return true;
    return false;
}

bool SameAscii(std::string_view a, std::string_view b) { return CompareNoCaseAscii(a, b) == 0; }

// A list is saved whole or not at all: each list's writes form one batch.
void CommitOrThrow(platform::RegistryBatch &batch)
{
    if (!batch.Commit())
        throw platform::ERegistryException("履歴を保存できませんでした");
}

}  // namespace

void LoadHistoryList(TRootKey root, std::string_view key, THistoryList &list)
{
    list.Clear();
    if (key.empty())
        return;
    platform::TRegistry registry;
    if (!OpenRootedKey(registry, root, key, false))
        return;
    for (int i = StoredCount(registry) - 1; i >= 0; --i) {
        const std::string name = std::to_string(i);
        if (registry.GetDataType(name) != platform::RegDataType::String)
            continue;
        const std::string entry = registry.ReadString(name);
        if (!entry.empty())
            list.Add(entry);
    }
}

void SaveHistoryList(TRootKey root, std::string_view key, const THistoryList &list)
{
    if (key.empty())
        return;
    platform::TRegistry registry;
    if (!OpenRootedKey(registry, root, key, true))
        return;
    platform::RegistryBatch batch(registry.Database());
    WriteEntries(registry, list.Items());
    CommitOrThrow(batch);
}

std::vector<std::string> ReadComboHistory(TRootKey root, std::string_view key, int maximum,
                                          bool mergeDuplicates)
{
    std::vector<std::string> entries;
    platform::TRegistry registry;
    if (!OpenRootedKey(registry, root, key, false))
        return entries;
    const int count = std::min(registry.ReadInteger("Count"), maximum);
    for (int i = 0; i < count; ++i) {
        std::string entry = registry.ReadString(std::to_string(i));
        if (entry.empty())
            break;
        if (mergeDuplicates)
            std::erase_if(entries, [&](const std::string &e) { return SameAscii(e, entry); });
        entries.push_back(std::move(entry));
    }
    return entries;
}

void WriteComboHistory(TRootKey root, std::string_view key, const std::vector<std::string> &entries)
{
    platform::TRegistry registry;
    if (!OpenRootedKey(registry, root, key, true))
        return;
    // One transaction: a failed write or a crash leaves the old list whole.
    platform::RegistryBatch batch(registry.Database());
    WriteEntries(registry, entries);
    for (const std::string &name : registry.GetValueNames())
        if (!IsEntryName(name, entries.size()))
            registry.DeleteValue(name);
    CommitOrThrow(batch);
}

void PushHistoryText(std::vector<std::string> &entries, std::string_view s, int maximum)
{
    if (s.empty())
        return;
    std::erase_if(entries, [&](const std::string &e) { return SameAscii(e, s); });
    entries.insert(entries.begin(), std::string(s));
    const std::size_t limit = static_cast<std::size_t>(std::max(maximum, 0));
    if (entries.size() > limit)
        entries.resize(limit);
}

}  // namespace zr
