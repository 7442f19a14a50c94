#include "archive/archive_item_list.h"

#include <QString>
#include <algorithm>

#include "archive/dos_time.h"
#include "archive/item_type_name.h"
#include "archive/stored_name.h"

namespace zr::archive {
namespace {

int LocaleCompare(const std::string &a, const std::string &b)
{
    return QString::localeAwareCompare(QString::fromStdString(a), QString::fromStdString(b));
}

template <typename T> int CompareValues(T a, T b) { return a < b ? -1 : (a > b ? 1 : 0); }

}  // namespace

std::uint32_t AttributeBitsFromText(const std::string &text)
{
    std::uint32_t bits = 0;
    if (text.size() > 0 && text[0] == 'A')
        bits |= kAttrArchive;
    if (text.size() > 1 && text[1] == 'S')
        bits |= kAttrSystem;
    if (text.size() > 2 && text[2] == 'H')
        bits |= kAttrHidden;
    if (text.size() > 3 && text[3] == 'R')
        bits |= kAttrReadOnly;
    return bits;
}

TArchiveItem::TArchiveItem(const TArchiveList *owner, const TIndividualInfo &info)
    : owner_(owner), info_(info)
{
    if (!owner)
        throw EInvalidOperation(kOwnerParameterError);
}

void TArchiveItem::Update(const TIndividualInfo &info)
{
    info_ = info;
    DropCaches();
}

void TArchiveItem::DropCaches()
{
    attributes_ = 0;
    fileTimeKnown_ = false;
    fileTime_ = 0;
    iconIndex_ = -1;
    typeName_.clear();
    typeNameKnown_ = false;
    name_.clear();
    path_.clear();
    namesSplit_ = false;
}

const std::string &TArchiveItem::Name() const
{
    static const std::string kParentName = "../";
    if (IsParentFolder)
        return kParentName;
    if (!namesSplit_) {
        const std::string fileName = FileName();
        name_ = StoredBaseName(fileName);
        path_ = StoredFolderPart(fileName);
        namesSplit_ = true;
    }
    return name_;
}

const std::string &TArchiveItem::Path() const
{
    if (!namesSplit_) {
        const std::string fileName = FileName();
        name_ = StoredBaseName(fileName);
        path_ = StoredFolderPart(fileName);
        namesSplit_ = true;
    }
    return path_;
}

std::uint32_t TArchiveItem::Attributes() const
{
    if (attributes_ == 0)
        attributes_ = AttributeBitsFromText(AttributeText());
    return attributes_;
}

std::string TArchiveItem::AttributeText() const { return InfoAttributeText(info_); }

QDateTime TArchiveItem::DateTime() const
{
    return DosDateTimeToDateTime(InfoDosDate(info_), InfoDosTime(info_));
}

std::int64_t TArchiveItem::FileTime() const
{
    if (!fileTimeKnown_) {
        fileTime_ = DosDateTimeToFileTime(InfoDosDate(info_), InfoDosTime(info_));
        fileTimeKnown_ = true;
    }
    return fileTime_;
}

const std::string &TArchiveItem::TypeName() const
{
    if (!typeNameKnown_) {
        const bool folder = IsVirtualFolder || IsParentFolder || IsStoredFolderName(FileName());
        typeName_ = TypeNameForStoredName(FileName(), folder);
        typeNameKnown_ = true;
    }
    return typeName_;
}

int TArchiveItem::Index() const { return owner_->IndexOf(this); }

char TArchiveItem::SortGroup() const
{
    if (IsParentFolder)
        return '1';
    if (IsVirtualFolder)
        return '2';
    return '3';
}

TArchiveList::TArchiveList(const void *owner) : owner_(owner) { directions_.fill(1); }

TArchiveItem *TArchiveList::Items(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return items_[static_cast<std::size_t>(index)].get();
}

int TArchiveList::IndexOf(const TArchiveItem *item) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == item)
            return static_cast<int>(i);
    return -1;
}

TArchiveItem &TArchiveList::Add(const TIndividualInfo &info)
{
    items_.push_back(std::make_unique<TArchiveItem>(this, info));
    totalSize_ = 0;
    return *items_.back();
}

void TArchiveList::Clear()
{
    items_.clear();
    totalSize_ = 0;
}

std::uint64_t TArchiveList::TotalSize() const
{
    if (totalSize_ == 0)
        for (const auto &item : items_)
            totalSize_ += item->Size();
    return totalSize_;
}

int TArchiveList::Direction(TArcSortType key) const
{
    return (key >= 0 && key < kSortKeyCount) ? directions_[static_cast<std::size_t>(key)] : 1;
}

int CompareArchiveItems(const TArchiveItem &a, const TArchiveItem &b, TArcSortType key)
{
    switch (key) {
    case stName:
        if (a.SortGroup() != b.SortGroup())
            return CompareValues(a.SortGroup(), b.SortGroup());
        return LocaleCompare(a.Name(), b.Name());
    case stType:
        return LocaleCompare(a.TypeName(), b.TypeName());
    case stTime:
        if (a.SortGroup() != b.SortGroup())
            return CompareValues(a.SortGroup(), b.SortGroup());
        return CompareValues(a.FileTime(), b.FileTime());
    case stSize:
        return CompareValues(a.Size(), b.Size());
    case stRate:
        return CompareValues(a.Ratio(), b.Ratio());
    case stCompSize:
        return CompareValues(a.CompressedSize(), b.CompressedSize());
    case stMode:
        return LocaleCompare(a.Mode(), b.Mode());
    case stAttr:
        return CompareValues(a.Attributes(), b.Attributes());
    case stPath:
        return LocaleCompare(a.Path(), b.Path());
    case stNoSort:
        break;
    }
    return 0;
}

void TArchiveList::Sort(TArcSortType key)
{
    if (key < 0 || key >= kSortKeyCount)
        return;
    const int direction = Direction(key);
    std::stable_sort(items_.begin(), items_.end(), [key, direction](const auto &a, const auto &b) {
        return CompareArchiveItems(*a, *b, key) * direction < 0;
    });
}

TArcSortType TArchiveList::ChooseSortKey(TArcSortType current, TArcSortType key)
{
    if (key == stNoSort)
        return stNoSort;
    if (key == current) {
        directions_[static_cast<std::size_t>(key)] *= -1;
        Sort(key);
        return current;
    }
    directions_.fill(1);
    Sort(key);
    return key;
}

}  // namespace zr::archive
