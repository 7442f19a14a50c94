#pragma once
// Models over the run's HitList for the archive tree and the result list.
// They hold record indices only, so a hundred thousand hits fill and scroll
// at once; the texts and icons are made when a row is drawn.

#include "app/list_sort_cycle.h"
#include "search/hit_list.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>
#include <optional>
#include <vector>

namespace zr {

// The root "すべての書庫" with one child per archive with hits, in run order.
class TArchiveTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit TArchiveTreeModel(QObject *parent = nullptr);

    // Rebuilds the archive nodes from hits (kept by the caller; nullptr clears).
    void SetHits(const search::HitList *hits);
    void ClearArchives() { SetHits(nullptr); }
    // Adds nodes for the archives appended to hits since the last call (a
    // run in progress); other hits than the ones shown start over.
    void AppendHits(const search::HitList *hits);
    int ArchiveCount() const { return static_cast<int>(starts_.size()); }

    QModelIndex RootIndex() const;
    bool IsRoot(const QModelIndex &index) const;
    // The index of the archive's first record for an archive node.
    std::optional<std::size_t> ArchiveStart(const QModelIndex &index) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    static const char *RootText();

private:
    const search::HitList *hits_ = nullptr;
    std::vector<std::size_t> starts_;
    std::size_t seen_ = 0;  // records looked at for new archives
    mutable QHash<int, QIcon> icons_;
};

enum class TResultListMode { rlRoot, rlArchive };

class TResultListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TResultListModel(QObject *parent = nullptr);

    // The archives of the run, each once, with their folders.
    void ShowArchives(const search::HitList *hits);
    // The records of one archive: every line, or one row per stored file.
    void ShowArchive(const search::HitList *hits, std::size_t archiveStart, bool lineDisplay);
    // Adds the rows that records appended to the shown hits since the last
    // call bring: new archives at the root, new lines or stored files when
    // the shown archive is the one still being searched.
    void AppendHits();
    void Clear();
    // The folder the run searched: the root's folder column shows paths below it.
    void SetSearchFolder(const std::string &folder) { searchFolder_ = folder; }
    // Orders the rows by a column, or back into run order. Rows with equal
    // keys keep their run order; the sort stays for lists shown later until
    // run order is asked for again. Rows appended afterwards go to the end
    // until Sort is called again.
    void Sort(TListSort sort);
    TListSort CurrentSort() const { return sort_; }

    TResultListMode Mode() const { return mode_; }
    bool LineDisplay() const { return lineDisplay_; }
    std::size_t RecordIndex(int row) const { return rows_.at(static_cast<std::size_t>(row)); }
    const search::THitRecord &Record(int row) const { return hits_->At(RecordIndex(row)); }
    // The designed widths of the current mode's columns.
    std::vector<int> ColumnWidths() const;
    // The largest line number shown (0 when none is), so its column can fit it.
    int LargestLineNumber() const;
    // The longest document place shown instead of a line number ("" if none).
    QString LongestLocation() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QVariant ArchiveRowData(const search::THitRecord &record, int column, int role) const;
    QVariant StoredFileRowData(const search::THitRecord &record, int column, int role) const;
    QIcon IconForName(const std::string &name) const;
    QString FolderText(const std::string &archivePath) const;
    void ApplySort();

    const search::HitList *hits_ = nullptr;
    std::vector<std::size_t> rows_;
    std::vector<std::size_t> runRows_;  // the same rows in run order
    std::size_t seen_ = 0;      // records looked at for rows
    bool archiveOpen_ = false;  // the list may still grow
    std::string searchFolder_;
    TListSort sort_;
    TResultListMode mode_ = TResultListMode::rlRoot;
    bool lineDisplay_ = true;
    mutable QHash<QString, QIcon> icons_;
};

// "開いている書庫: " + path, the header above the result list.
std::string OpenArchiveHeaderText(const std::string &pathOrRootText);

}  // namespace zr
