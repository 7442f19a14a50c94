#include "app/hit_models.h"

#include "app/list_row_order.h"
#include "search/stored_chain.h"

#include "util/file_type_info.h"
#include "util/path_names.h"

#include <QFileIconProvider>
#include <algorithm>
#include <string_view>

namespace zr {

namespace {

constexpr quintptr kRootId = 0;

QString Q(const std::string &text) { return QString::fromStdString(text); }

std::string FolderOf(const std::string &path)
{
    const auto pos = path.find_last_of('/');
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

// The part after the last separator, as a view into the record.
std::string_view AfterLast(std::string_view text, std::string_view separators)
{
    const auto pos = text.find_last_of(separators);
    return pos == std::string_view::npos ? text : text.substr(pos + 1);
}

std::string_view FolderView(std::string_view path)
{
    const auto pos = path.find_last_of('/');
    return pos == std::string_view::npos ? std::string_view() : path.substr(0, pos + 1);
}

QIcon FolderIcon()
{
    static const QIcon icon = QFileIconProvider().icon(QFileIconProvider::Folder);
    return icon;
}

}  // namespace

// ---- archive tree ----

TArchiveTreeModel::TArchiveTreeModel(QObject *parent) : QAbstractItemModel(parent) {}

const char *TArchiveTreeModel::RootText() { return "すべての書庫"; }

void TArchiveTreeModel::SetHits(const search::HitList *hits)
{
    const QModelIndex root = RootIndex();
    if (!starts_.empty()) {
        beginRemoveRows(root, 0, static_cast<int>(starts_.size()) - 1);
        starts_.clear();
        icons_.clear();
        endRemoveRows();
    }
    hits_ = hits;
    seen_ = hits ? hits->Size() : 0;
    std::vector<std::size_t> starts = hits ? hits->ArchiveStarts() : std::vector<std::size_t>{};
    if (!starts.empty()) {
        beginInsertRows(root, 0, static_cast<int>(starts.size()) - 1);
        starts_ = std::move(starts);
        endInsertRows();
    }
}

void TArchiveTreeModel::AppendHits(const search::HitList *hits)
{
    if (hits != hits_ || !hits || hits->Size() < seen_) {
        SetHits(hits);
        return;
    }
    std::vector<std::size_t> added;
    for (std::size_t i = seen_; i < hits->Size(); ++i)
        if (i == 0 || hits->At(i).ArchivePath != hits->At(i - 1).ArchivePath)
            added.push_back(i);
    seen_ = hits->Size();
    if (added.empty())
        return;
    const int first = ArchiveCount();
    beginInsertRows(RootIndex(), first, first + static_cast<int>(added.size()) - 1);
    starts_.insert(starts_.end(), added.begin(), added.end());
    endInsertRows();
}

QModelIndex TArchiveTreeModel::RootIndex() const { return createIndex(0, 0, kRootId); }

bool TArchiveTreeModel::IsRoot(const QModelIndex &index) const
{
    return index.isValid() && index.internalId() == kRootId;
}

std::optional<std::size_t> TArchiveTreeModel::ArchiveStart(const QModelIndex &index) const
{
    if (!index.isValid() || index.internalId() == kRootId)
        return std::nullopt;
    const auto row = static_cast<std::size_t>(index.row());
    if (row >= starts_.size())
        return std::nullopt;
    return starts_[row];
}

QModelIndex TArchiveTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row == 0 ? RootIndex() : QModelIndex();
    if (!IsRoot(parent) || row >= ArchiveCount())
        return {};
    return createIndex(row, 0, quintptr(1));
}

QModelIndex TArchiveTreeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == kRootId)
        return {};
    return RootIndex();
}

int TArchiveTreeModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return 1;
    return IsRoot(parent) ? ArchiveCount() : 0;
}

int TArchiveTreeModel::columnCount(const QModelIndex &) const { return 1; }

QVariant TArchiveTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (IsRoot(index)) {
        if (role == Qt::DisplayRole)
            return QString::fromUtf8(RootText());
        if (role == Qt::DecorationRole)
            return QIcon::fromTheme(QStringLiteral("drive-harddisk"), FolderIcon());
        return {};
    }
    const auto start = ArchiveStart(index);
    if (!start || !hits_)
        return {};
    const std::string &path = hits_->At(*start).ArchivePath;
    if (role == Qt::DisplayRole)
        return Q(FileNamePart(path));
    if (role == Qt::ToolTipRole)
        return Q(path);
    if (role == Qt::DecorationRole) {
        auto it = icons_.find(index.row());
        if (it == icons_.end()) {
            QIcon closed, open;
            FileIcons(path, closed, open);
            it = icons_.insert(index.row(), closed);
        }
        return *it;
    }
    return {};
}

// ---- result list ----

TResultListModel::TResultListModel(QObject *parent) : QAbstractTableModel(parent) {}

void TResultListModel::ShowArchives(const search::HitList *hits)
{
    beginResetModel();
    if (mode_ != TResultListMode::rlRoot)
        sort_ = {};  // the columns differ
    hits_ = hits;
    mode_ = TResultListMode::rlRoot;
    runRows_ = hits ? hits->ArchiveStarts() : std::vector<std::size_t>{};
    seen_ = hits ? hits->Size() : 0;
    archiveOpen_ = hits != nullptr;
    ApplySort();
    endResetModel();
}

void TResultListModel::ShowArchive(const search::HitList *hits, std::size_t archiveStart, bool lineDisplay)
{
    beginResetModel();
    if (mode_ != TResultListMode::rlArchive)
        sort_ = {};  // the columns differ
    hits_ = hits;
    mode_ = TResultListMode::rlArchive;
    lineDisplay_ = lineDisplay;
    runRows_.clear();
    if (hits && archiveStart < hits->Size()) {
        const search::HitRange range = hits->RecordsOfArchive(archiveStart);
        if (lineDisplay) {
            runRows_.reserve(range.size());
            for (std::size_t i = range.first; i < range.last; ++i)
                runRows_.push_back(i);
        } else {
            runRows_ = hits->StoredFileRows(range);
        }
        // Only the last archive of the list can still receive records.
        archiveOpen_ = range.last == hits->Size();
    } else {
        archiveOpen_ = false;
    }
    seen_ = hits ? hits->Size() : 0;
    ApplySort();
    endResetModel();
}

void TResultListModel::AppendHits()
{
    if (!hits_ || !archiveOpen_ || hits_->Size() <= seen_)
        return;
    const bool archiveMode = mode_ == TResultListMode::rlArchive;
    std::vector<std::size_t> added;
    for (std::size_t i = seen_; i < hits_->Size(); ++i) {
        const bool newArchive = i == 0 || hits_->At(i - 1).ArchivePath != hits_->At(i).ArchivePath;
        if (archiveMode && newArchive) {
            archiveOpen_ = false;  // the shown archive is complete
            break;
        }
        // A stored file's records are adjacent, so the record before tells
        // whether this one starts a stored-file row.
        bool startsRow = newArchive;
        if (archiveMode)
            startsRow = lineDisplay_ || hits_->At(i - 1).StoredName != hits_->At(i).StoredName ||
                        hits_->At(i - 1).Via != hits_->At(i).Via;
        if (startsRow)
            added.push_back(i);
    }
    seen_ = hits_->Size();
    if (added.empty())
        return;
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
    rows_.insert(rows_.end(), added.begin(), added.end());
    runRows_.insert(runRows_.end(), added.begin(), added.end());
    endInsertRows();
}

void TResultListModel::Sort(TListSort sort)
{
    if (sort.column >= columnCount())
        sort = {};
    beginResetModel();
    sort_ = sort;
    ApplySort();
    endResetModel();
}

void TResultListModel::ApplySort()
{
    if (sort_.RunOrder() || !hits_ || sort_.column >= columnCount()) {
        rows_ = runRows_;
        return;
    }
    const std::vector<search::THitRecord> &records = hits_->Records();
    const bool descending = sort_.order == Qt::DescendingOrder;
    if (mode_ == TResultListMode::rlArchive && sort_.column == 1) {
        rows_ = RowsOrderedByNumber(
            runRows_, [&](std::size_t row) { return std::int64_t{records[row].LineNo}; }, descending);
        return;
    }
    // Names after their last separator, folders, or the line's CP932 bytes
    // (which order kana and kanji by JIS code), as views into the records.
    const auto key = [&](std::size_t row) -> std::string_view {
        const search::THitRecord &r = records[row];
        if (mode_ == TResultListMode::rlRoot)
            return sort_.column == 0 ? AfterLast(r.ArchivePath, "/") : FolderView(r.ArchivePath);
        return sort_.column == 0 ? AfterLast(r.StoredName, "/\\:") : std::string_view(r.LineText);
    };
    rows_ = RowsOrderedByText(runRows_, key, descending);
}

void TResultListModel::Clear()
{
    beginResetModel();
    rows_.clear();
    runRows_.clear();
    archiveOpen_ = false;
    endResetModel();
}

std::vector<int> TResultListModel::ColumnWidths() const
{
    if (mode_ == TResultListMode::rlRoot)
        return {100, 300};
    return {100, 50, 400};
}

int TResultListModel::LargestLineNumber() const
{
    if (mode_ != TResultListMode::rlArchive || !lineDisplay_ || !hits_)
        return 0;
    int largest = 0;
    for (const std::size_t row : rows_)
        largest = std::max(largest, hits_->At(row).LineNo);
    return largest;
}

QString TResultListModel::LongestLocation() const
{
    if (mode_ != TResultListMode::rlArchive || !lineDisplay_ || !hits_)
        return {};
    const std::string *longest = nullptr;
    for (const std::size_t row : rows_) {
        const std::string &location = hits_->At(row).Location;
        if (!location.empty() && (!longest || location.size() > longest->size()))
            longest = &location;
    }
    return longest ? QString::fromStdString(*longest) : QString();
}

int TResultListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TResultListModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return mode_ == TResultListMode::rlRoot ? 2 : 3;
}

QVariant TResultListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole && mode_ == TResultListMode::rlArchive && section == 1)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    static const char *const kRootCaptions[] = {"書庫ファイル", "フォルダ"};
    static const char *const kArchiveCaptions[] = {"格納ファイル", "行位置", "検索行データ"};
    if (section < 0 || section >= columnCount())
        return {};
    return QString::fromUtf8(mode_ == TResultListMode::rlRoot ? kRootCaptions[section]
                                                              : kArchiveCaptions[section]);
}

QVariant TResultListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !hits_ || index.row() >= rowCount())
        return {};
    const search::THitRecord &record = Record(index.row());
    return mode_ == TResultListMode::rlRoot ? ArchiveRowData(record, index.column(), role)
                                            : StoredFileRowData(record, index.column(), role);
}

QVariant TResultListModel::ArchiveRowData(const search::THitRecord &record, int column, int role) const
{
    if (role == Qt::DisplayRole) {
        if (column == 0)
            return Q(FileNamePart(record.ArchivePath));
        if (column == 1)
            return FolderText(record.ArchivePath);
    }
    if (role == Qt::DecorationRole && column == 0)
        return IconForName(FileNamePart(record.ArchivePath));
    if (role == Qt::ToolTipRole)
        return Q(record.ArchivePath);
    return {};
}

QVariant TResultListModel::StoredFileRowData(const search::THitRecord &record, int column, int role) const
{
    if (role == Qt::DisplayRole) {
        if (column == 0)
            return Q(search::StoredColumnText(record));
        if (!lineDisplay_)
            return QString();
        // A document's line is known by its place (cell, slide, page).
        if (column == 1 && !record.Location.empty())
            return Q(record.Location);
        if (column == 1)
            return record.LineNo > 0 ? QString::number(record.LineNo) : QString();
        if (column == 2)
            return Q(search::DisplayLineText(record));
    }
    if (role == Qt::TextAlignmentRole && column == 1)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::DecorationRole && column == 0) {
        if (search::IsFolderEntry(record.StoredName))
            return FolderIcon();
        return IconForName(search::StoredFileNamePart(record.StoredName));
    }
    if (role == Qt::ToolTipRole && column == 0)
        return Q(search::StoredChainText(record));
    // The whole line, for one too long for its column.
    if (role == Qt::ToolTipRole && column == 2 && lineDisplay_)
        return Q(search::DisplayLineText(record));
    return {};
}

QString TResultListModel::FolderText(const std::string &archivePath) const
{
    const std::string folder = FolderOf(archivePath);
    std::string base = searchFolder_;
    if (!base.empty() && base.back() != '/')
        base += '/';
    if (base.empty() || folder.compare(0, base.size(), base) != 0)
        return Q(folder);
    const std::string below = folder.substr(base.size());
    return Q(below.empty() ? "./" : below);
}

QIcon TResultListModel::IconForName(const std::string &name) const
{
    const auto dot = name.find_last_of('.');
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    const QString key = Q(extension).toLower();
    auto it = icons_.find(key);
    if (it == icons_.end())
        it = icons_.insert(key, FileTypeIcon(extension.empty() ? name : extension));
    return *it;
}

std::string OpenArchiveHeaderText(const std::string &pathOrRootText)
{
    return "開いている書庫: " + pathOrRootText;
}

}  // namespace zr
