#pragma once
// The entry list: every entry a listing returned, in the library's order.

#include <memory>
#include <string>
#include <vector>

#include "archive/archive_records.h"

namespace zr::archive {

class TIndividualList;

class TIndividualItem {
public:
    // Throws EInvalidOperation when owner is null.
    TIndividualItem(const TIndividualList *owner, const TIndividualInfo &info);

    const TIndividualInfo &Info() const { return info_; }
    std::string FileName() const { return InfoFileName(info_); }
    const std::string &Name() const;
    const std::string &Path() const;
    std::uint32_t Size() const { return InfoOriginalSize(info_); }

private:
    const TIndividualList *owner_;
    TIndividualInfo info_;
    mutable std::string name_;
    mutable std::string path_;
    mutable bool namesSplit_ = false;

    void SplitName() const;
};

class TIndividualList {
public:
    // owner: the control the list belongs to (opaque here).
    explicit TIndividualList(const void *owner = nullptr) : owner_(owner) {}

    const void *Owner() const { return owner_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // Null for an index outside 0..Count-1.
    TIndividualItem *Items(int index) const;
    TIndividualItem &Add(const TIndividualInfo &info);
    void Clear() { items_.clear(); }
    void SetCapacity(int capacity);

    int ArcFileCount = 0;

private:
    const void *owner_;
    std::vector<std::unique_ptr<TIndividualItem>> items_;
};

}  // namespace zr::archive
