#include "app/result_list_view.h"

#include <QMouseEvent>
#include <QScrollBar>

namespace zr {

void TResultListView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    const int left = horizontalScrollBar()->value();
    QTreeView::scrollTo(index, hint);
    horizontalScrollBar()->setValue(left);
}

void TResultListView::mousePressEvent(QMouseEvent *event)
{
    // Nothing under the click: the current row stays selected.
    if (keepsSelection_ && !indexAt(event->position().toPoint()).isValid()) {
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

}  // namespace zr
