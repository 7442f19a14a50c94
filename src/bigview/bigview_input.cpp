// TBigView input: mouse selection with auto-scroll, word selection, keys,
// the context menu and dragging the frame.
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

#include "bigview/bigview.h"
#include "bigview/bv_caret_keys.h"
#include "bigview/bv_scroll_keys.h"
#include "bigview/bv_selection.h"

namespace zr {

namespace {

bool ToCaretKey(int key, TBvKey &out)
{
    switch (key) {
    case Qt::Key_Up:
        out = TBvKey::Up;
        return true;
    case Qt::Key_Down:
        out = TBvKey::Down;
        return true;
    case Qt::Key_Left:
        out = TBvKey::Left;
        return true;
    case Qt::Key_Right:
        out = TBvKey::Right;
        return true;
    case Qt::Key_PageUp:
        out = TBvKey::PageUp;
        return true;
    case Qt::Key_PageDown:
        out = TBvKey::PageDown;
        return true;
    case Qt::Key_Home:
        out = TBvKey::Home;
        return true;
    case Qt::Key_End:
        out = TBvKey::End;
        return true;
    default:
        return false;
    }
}

Qt::CursorShape CursorForEdges(int edges)
{
    switch (edges) {
    case EdgeLeft:
    case EdgeRight:
        return Qt::SizeHorCursor;
    case EdgeTop:
    case EdgeBottom:
        return Qt::SizeVerCursor;
    case EdgeLeft | EdgeTop:
    case EdgeRight | EdgeBottom:
        return Qt::SizeFDiagCursor;
    default:
        return Qt::SizeBDiagCursor;
    }
}

}  // namespace

// ---- mouse ----

void TBigView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    const QPoint pos = event->position().toPoint();
    if (OnMouseDown)
        OnMouseDown(*this, event->button(), event->modifiers(), pos.x(), pos.y());
    if (event->button() != Qt::LeftButton || StartFrameDrag(event))
        return;
    if (!select_)
        return;
    const QRect area = TextArea();
    anchor_ = end_ =
        TBvGeometry(doc_, measurer_).HitTest(pos.x() - area.left(), pos.y() - area.top(), Viewport());
    selecting_ = true;
    lastMouse_ = pos;
    RedrawPage();
}

void TBigView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(*this, event->modifiers(), pos.x(), pos.y());
    if (frameDragging_) {
        DragFrame(event->globalPosition().toPoint());
        return;
    }
    if (!selecting_) {
        UpdateHoverCursor(pos);
        return;
    }
    lastMouse_ = pos;
    const QRect area = TextArea();
    if (!area.contains(pos)) {
        if (!autoScroll_.isActive())
            autoScroll_.start();
        return;
    }
    end_ = TBvGeometry(doc_, measurer_).HitTest(pos.x() - area.left(), pos.y() - area.top(), Viewport());
    RedrawPage();
}

void TBigView::AutoScrollTick()
{
    const QRect area = TextArea();
    if (!selecting_ || area.contains(lastMouse_)) {
        autoScroll_.stop();
        return;
    }
    if (lastMouse_.y() < area.top())
        ScrollLines(-1, TBvScrollAccel::KeyIntervalMs);
    else if (lastMouse_.y() > area.bottom() && bottom_ < LineCount() - 1)
        ScrollLines(1, TBvScrollAccel::KeyIntervalMs);
    if (lastMouse_.x() < area.left())
        ScrollColumns(-1, TBvScrollAccel::KeyIntervalMs);
    else if (lastMouse_.x() > area.right())
        ScrollColumns(1, TBvScrollAccel::KeyIntervalMs);
    end_ = TBvGeometry(doc_, measurer_)
               .HitTest(lastMouse_.x() - area.left(), lastMouse_.y() - area.top(), Viewport());
    RedrawPage();
}

void TBigView::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (frameDragging_) {
        frameDragging_ = false;
    } else if (selecting_ && event->button() == Qt::LeftButton) {
        selecting_ = false;
        autoScroll_.stop();
        const QRect area = TextArea();
        end_ = TBvGeometry(doc_, measurer_).HitTest(pos.x() - area.left(), pos.y() - area.top(), Viewport());
        RedrawPage();
        setFocus(Qt::MouseFocusReason);
        RestartCaretBlink();
    }
    if (OnMouseUp)
        OnMouseUp(*this, event->button(), event->modifiers(), pos.x(), pos.y());
    if (event->button() == Qt::LeftButton && OnClick)
        OnClick(*this);
}

void TBigView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && select_ && LineCount() > 0) {
        const QPoint pos = event->position().toPoint();
        const QRect area = TextArea();
        const TBvPos hit =
            TBvGeometry(doc_, measurer_).HitTest(pos.x() - area.left(), pos.y() - area.top(), Viewport());
        const TBvColumnRange word = WordAt(doc_.RowText(hit.Y), hit.X);
        anchor_ = {word.begin, hit.Y};
        end_ = {word.end, hit.Y};
        selecting_ = false;
        RedrawPage();
    }
    if (OnDblClick)
        OnDblClick(*this);
}

void TBigView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    copyAction_->setEnabled(anchor_ != end_);
    menu.addAction(copyAction_);
    if (popupMenu_ != nullptr && !popupMenu_->actions().isEmpty()) {
        menu.addSeparator();
        menu.addActions(popupMenu_->actions());
    }
    menu.exec(event->globalPos());
}

// ---- drag and drop (the owner decides through OnDragOver) ----

void TBigView::dragEnterEvent(QDragEnterEvent *event) { dragMoveEvent(event); }

void TBigView::dragMoveEvent(QDragMoveEvent *event)
{
    bool accept = false;
    const QPoint pos = event->position().toPoint();
    if (OnDragOver)
        OnDragOver(*this, event->source(), pos.x(), pos.y(), accept);
    if (accept)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TBigView::dropEvent(QDropEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (OnDragDrop)
        OnDragDrop(*this, event->source(), pos.x(), pos.y());
    event->acceptProposedAction();
}

// ---- keys ----

void TBigView::keyPressEvent(QKeyEvent *event)
{
    int key = event->key();
    if (OnKeyDown)
        OnKeyDown(*this, key, event->modifiers());
    if (key == 0)
        return;
    if (key == event->key() && event->matches(QKeySequence::Copy)) {
        CopySelection();
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool handled =
        LineCount() > 0 && ((caret_ && MoveCaretByKey(key, modifiers)) || ScrollByKey(key, modifiers));
    if (!handled) {
        QString text = event->text();
        if (!text.isEmpty() && OnKeyPress)
            OnKeyPress(*this, text);
        QWidget::keyPressEvent(event);
    }
}

void TBigView::keyReleaseEvent(QKeyEvent *event)
{
    int key = event->key();
    if (OnKeyUp)
        OnKeyUp(*this, key, event->modifiers());
    QWidget::keyReleaseEvent(event);
}

bool TBigView::MoveCaretByKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    TBvKey key;
    if (!ToCaretKey(qtKey, key))
        return false;
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    if (ctrl && key != TBvKey::Home && key != TBvKey::End)
        return false;
    const bool extend = select_ && modifiers.testFlag(Qt::ShiftModifier);
    const TBvCaretMove move = MoveCaret(doc_, end_, key, ctrl, visibleLines_);
    // Moving the top line pulls a collapsed selection into view; the anchor
    // of a Shift move must stay where it was.
    const TBvPos anchor = anchor_;
    if (move.topDelta != 0)
        SetTopLine(top_ + move.topDelta);
    end_ = move.pos;
    anchor_ = extend ? anchor : end_;
    ShowCaretPosition();
    RedrawPage();
    RestartCaretBlink();
    return true;
}

void TBigView::ShowCaretPosition()
{
    if (end_.Y < top_)
        SetTopLine(end_.Y);
    else if (end_.Y > bottom_)
        SetBottomLine(end_.Y);
    SetHorizontalOffset(TBvGeometry(doc_, measurer_).OffsetShowingColumn(end_.Y, end_.X, Viewport()));
}

bool TBigView::ScrollByKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    TBvKey key;
    if (!ToCaretKey(qtKey, key))
        return false;
    const TBvScrollKeyAction action =
        ScrollKeyAction(key, modifiers.testFlag(Qt::ControlModifier), scrollBars_);
    const int vmax = TBvScrollModel::VerticalMax(LineCount(), visibleLines_, scOver_);
    const int columns = TextArea().width() / measurer_.CharWidth();
    const int hmax = TBvScrollModel::HorizontalMax(maxChar_, TextArea().width(), measurer_.CharWidth());
    const auto page = [&](TBvScrollCmd cmd) {
        SetTopLine(TBvScrollModel::Position(cmd, top_, 1, visibleLines_, vmax));
    };
    const auto hpage = [&](TBvScrollCmd cmd) {
        SetHorizontalOffset(TBvScrollModel::Position(cmd, hOffset_, 1, columns, hmax));
    };
    using A = TBvScrollKeyAction;
    switch (action) {
    case A::None:
        return false;
    case A::LineUp:
        ScrollLines(-1, TBvScrollAccel::KeyIntervalMs);
        break;
    case A::LineDown:
        ScrollLines(1, TBvScrollAccel::KeyIntervalMs);
        break;
    case A::PageUp:
        page(TBvScrollCmd::PageUp);
        break;
    case A::PageDown:
        page(TBvScrollCmd::PageDown);
        break;
    case A::Top:
        SetTopLine(0);
        break;
    case A::Bottom:
        SetTopLine(vmax);
        break;
    case A::ColumnLeft:
        ScrollColumns(-1, TBvScrollAccel::KeyIntervalMs);
        break;
    case A::ColumnRight:
        ScrollColumns(1, TBvScrollAccel::KeyIntervalMs);
        break;
    case A::PageLeft:
        hpage(TBvScrollCmd::PageUp);
        break;
    case A::PageRight:
        hpage(TBvScrollCmd::PageDown);
        break;
    case A::Leftmost:
        SetHorizontalOffset(0);
        break;
    case A::Rightmost:
        SetHorizontalOffset(hmax);
        break;
    }
    return true;
}

// ---- focus ----

void TBigView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    if (style_.Has(TBvStyleFlag::bvMove))
        raise();
    if (OnEnter)
        OnEnter(*this);
    RestartCaretBlink();
}

void TBigView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    if (OnExit)
        OnExit(*this);
    RestartCaretBlink();
}

// ---- frame: resizing edges and moving ----

bool TBigView::StartFrameDrag(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const int edges = TBvFrameRules::EdgesAt(style_, pos.x(), pos.y(), width(), height());
    const int frame = TBvFrameRules::FrameWidth(style_);
    const QRect captionBar(frame, frame, width() - 2 * frame, TBvFrameRules::CaptionHeightOf(style_));
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    if (edges == EdgeNone && !TBvFrameRules::DragMoves(style_, captionBar.contains(pos), ctrl))
        return false;
    frameDragging_ = true;
    dragEdges_ = edges;
    dragStartGlobal_ = event->globalPosition().toPoint();
    dragStartGeometry_ = geometry();
    return true;
}

void TBigView::DragFrame(QPoint globalPos)
{
    const QPoint delta = globalPos - dragStartGlobal_;
    QRect g = dragStartGeometry_;
    if (dragEdges_ == EdgeNone) {
        move(g.topLeft() + delta);
        return;
    }
    const int minSize = 2 * TBvFrameRules::FrameWidth(style_) + TBvFrameRules::CaptionHeightOf(style_) + 8;
    if (dragEdges_ & EdgeLeft)
        g.setLeft(std::min(g.left() + delta.x(), g.right() - minSize));
    if (dragEdges_ & EdgeRight)
        g.setRight(std::max(g.right() + delta.x(), g.left() + minSize));
    if (dragEdges_ & EdgeTop)
        g.setTop(std::min(g.top() + delta.y(), g.bottom() - minSize));
    if (dragEdges_ & EdgeBottom)
        g.setBottom(std::max(g.bottom() + delta.y(), g.top() + minSize));
    setGeometry(g);
}

void TBigView::UpdateHoverCursor(QPoint pos)
{
    const int edges = TBvFrameRules::EdgesAt(style_, pos.x(), pos.y(), width(), height());
    if (edges == EdgeNone)
        unsetCursor();
    else
        setCursor(CursorForEdges(edges));
}

}  // namespace zr
