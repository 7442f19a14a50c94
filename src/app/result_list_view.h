#pragma once
// The result list and the archive tree as views: a click or a key scrolls
// them up and down to the current row but never sideways (the names in the
// first columns stay in sight). The archive tree also keeps its selection
// when empty space is clicked, since the list goes on showing that node.

#include <QTreeView>

namespace zr {

class TResultListView : public QTreeView {
    Q_OBJECT
public:
    using QTreeView::QTreeView;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    void SetKeepsSelectionOnEmptyClick(bool keeps) { keepsSelection_ = keeps; }

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool keepsSelection_ = false;
};

}  // namespace zr
