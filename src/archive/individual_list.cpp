#include "archive/individual_list.h"

#include <algorithm>

#include "archive/archive_types.h"
#include "archive/stored_name.h"

namespace zr::archive {

TIndividualItem::TIndividualItem(const TIndividualList *owner, const TIndividualInfo &info)
    : owner_(owner), info_(info)
{
    if (!owner)
        throw EInvalidOperation(kOwnerParameterError);
}

void TIndividualItem::SplitName() const
{
    if (namesSplit_)
        return;
    const std::string fileName = FileName();
    name_ = StoredBaseName(fileName);
    path_ = StoredFolderPart(fileName);
    namesSplit_ = true;
}

const std::string &TIndividualItem::Name() const
{
    SplitName();
    return name_;
}

const std::string &TIndividualItem::Path() const
{
    SplitName();
    return path_;
}

TIndividualItem *TIndividualList::Items(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return items_[static_cast<std::size_t>(index)].get();
}

TIndividualItem &TIndividualList::Add(const TIndividualInfo &info)
{
    items_.push_back(std::make_unique<TIndividualItem>(this, info));
    return *items_.back();
}

void TIndividualList::SetCapacity(int capacity)
{
    // The count comes from the library: a bogus huge value must not exhaust memory.
    constexpr int kMaxReserve = 1 << 16;
    if (capacity > 0)
        items_.reserve(static_cast<std::size_t>(std::min(capacity, kMaxReserve)));
}

}  // namespace zr::archive
