#pragma once
// The archive item list: a display copy of the entry list, sortable by nine
// keys, each with its own direction.

#include <QDateTime>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_records.h"
#include "archive/archive_types.h"

namespace zr::archive {

class TArchiveList;

// Attribute bits taken from the record's attribute text.
constexpr std::uint32_t kAttrArchive = 0x20;
constexpr std::uint32_t kAttrSystem = 0x04;
constexpr std::uint32_t kAttrHidden = 0x02;
constexpr std::uint32_t kAttrReadOnly = 0x01;
std::uint32_t AttributeBitsFromText(const std::string &attributeText);

class TArchiveItem {
public:
    // Throws EInvalidOperation when owner is null.
    TArchiveItem(const TArchiveList *owner, const TIndividualInfo &info);

    // Replaces the record and drops every cached value.
    void Update(const TIndividualInfo &info);

    const TIndividualInfo &Info() const { return info_; }
    std::string FileName() const { return InfoFileName(info_); }
    const std::string &Name() const;
    const std::string &Path() const;
    std::uint32_t Attributes() const;
    QDateTime DateTime() const;
    std::int64_t FileTime() const;
    std::uint32_t Size() const { return InfoOriginalSize(info_); }
    std::uint32_t CompressedSize() const { return InfoCompressedSize(info_); }
    std::uint16_t Ratio() const { return InfoRatio(info_); }
    std::string Mode() const { return InfoMethod(info_); }
    std::string AttributeText() const;
    const std::string &TypeName() const;
    int IconIndex() const { return iconIndex_; }
    void SetIconIndex(int index) { iconIndex_ = index; }
    // Position in its list; -1 when not in it.
    int Index() const;

    // Display-only entries of a one-folder-at-a-time view.
    bool IsParentFolder = false;
    bool IsVirtualFolder = false;
    int FolderEntryCount = 0;
    std::string BaseFolder;

    // "1" parent folder, "2" virtual folder, "3" anything else.
    char SortGroup() const;

private:
    void DropCaches();

    const TArchiveList *owner_;
    TIndividualInfo info_;
    mutable std::uint32_t attributes_ = 0;
    mutable bool fileTimeKnown_ = false;
    mutable std::int64_t fileTime_ = 0;
    mutable int iconIndex_ = -1;
    mutable std::string typeName_;
    mutable bool typeNameKnown_ = false;
    mutable std::string name_;
    mutable std::string path_;
    mutable bool namesSplit_ = false;
};

class TArchiveList {
public:
    explicit TArchiveList(const void *owner = nullptr);
    virtual ~TArchiveList() = default;
    TArchiveList(const TArchiveList &) = delete;
    TArchiveList &operator=(const TArchiveList &) = delete;

    const void *Owner() const { return owner_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // Null for an index outside 0..Count-1.
    TArchiveItem *Items(int index) const;
    int IndexOf(const TArchiveItem *item) const;
    TArchiveItem &Add(const TIndividualInfo &info);
    void Clear();
    // Sum of the uncompressed sizes (cached until Clear or Add).
    std::uint64_t TotalSize() const;

    int Direction(TArcSortType key) const;
    // Sorts by key in the key's current direction (stNoSort: unchanged).
    void Sort(TArcSortType key);
    // Applies the choice of a sort key against the current one and returns
    // the new current key: the same key reverses its direction, another key
    // sorts ascending and resets every direction to +1.
    TArcSortType ChooseSortKey(TArcSortType current, TArcSortType key);

protected:
    const void *owner_;
    std::vector<std::unique_ptr<TArchiveItem>> items_;
    std::array<int, kSortKeyCount> directions_;
    mutable std::uint64_t totalSize_ = 0;
};

// The list that owns and frees its items (the one the control keeps).
class TArchiveList2 : public TArchiveList {
public:
    using TArchiveList::TArchiveList;
};

// Comparison of two items by a key, before the direction is applied.
int CompareArchiveItems(const TArchiveItem &a, const TArchiveItem &b, TArcSortType key);

}  // namespace zr::archive
