#pragma once
// TBigView: the read-only result text view. The text rules live in the plain
// classes it owns (TBvDocument, TBvGeometry, TBvScrollModel, ...); this
// widget keeps the view state, draws through its page and forwards input.

#include <QElapsedTimer>
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "bigview/bv_document.h"
#include "bigview/bv_geometry.h"
#include "bigview/bv_page.h"
#include "bigview/bv_qt_text.h"
#include "bigview/bv_scroll.h"
#include "bigview/bv_style.h"

class QAction;
class QMenu;
class QScrollBar;

namespace zr {

class TBigView : public QWidget {
    Q_OBJECT

public:
    // Events: the sender comes first, in/out values by reference.
    using TNotifyEvent = std::function<void(TBigView &)>;
    using TStyleChangingEvent = std::function<void(TBigView &, TBvStyle &)>;
    using TViewLineChangingEvent = std::function<void(TBigView &, int &)>;
    using TKeyEvent = std::function<void(TBigView &, int &key, Qt::KeyboardModifiers)>;
    using TKeyPressEvent = std::function<void(TBigView &, QString &text)>;
    using TMouseEvent = std::function<void(TBigView &, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)>;
    using TMouseMoveEvent = std::function<void(TBigView &, Qt::KeyboardModifiers, int x, int y)>;
    // Dragging onto the view: source is the dragging object (null from
    // another program); OnDragOver sets accept to take the drop.
    using TDragOverEvent = std::function<void(TBigView &, QObject *source, int x, int y, bool &accept)>;
    using TDragDropEvent = std::function<void(TBigView &, QObject *source, int x, int y)>;

    static constexpr int MaxCaptionChars = 255;

    explicit TBigView(QWidget *parent = nullptr);
    ~TBigView() override;

    // Published properties.
    TBvStyle BvStyle() const { return style_; }
    void SetBvStyle(TBvStyle style);
    int Capacity() const { return doc_.Store().Capacity(); }
    void SetCapacity(int capacity) { doc_.Store().SetCapacity(capacity); }
    const std::string &Caption() const { return caption_; }
    void SetCaption(const std::string &caption);
    bool Caret() const { return caret_; }
    void SetCaret(bool on);
    bool CRMark() const { return crMark_; }
    void SetCRMark(bool on);
    int MaxChar() const { return maxChar_; }
    void SetMaxChar(int maxChar);
    int PCanLimit() const { return pCanLimit_; }
    void SetPCanLimit(int limit) { pCanLimit_ = std::max(limit, 0); }
    bool ScOver() const { return scOver_; }
    void SetScOver(bool on);
    TBvScrollBars ScrollBar() const { return scrollBars_; }
    void SetScrollBar(TBvScrollBars bars);
    int ScrollSense() const { return scrollSense_; }
    void SetScrollSense(int sense);
    bool Select() const { return select_; }
    void SetSelect(bool on) { select_ = on; }
    int ViewTabStop() const { return doc_.TabChars(); }
    void SetViewTabStop(int chars);
    int WrapByte() const { return doc_.WrapSettings().wrapByte; }
    void SetWrapByte(int bytes);
    bool WordWrap() const { return doc_.WrapSettings().wordWrap; }
    void SetWordWrap(bool on);
    QColor Color() const { return color_; }
    void SetColor(const QColor &color);
    QMenu *PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu *menu) { popupMenu_ = menu; }

    TStyleChangingEvent OnBvStyleChanging;
    TNotifyEvent OnBvStyleChanged;
    TViewLineChangingEvent OnViewLineChanging;
    TNotifyEvent OnViewLineChanged;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;

    // Line operations (overridable); indexes are display rows.
    virtual std::string GetLine(int row) const { return doc_.GetLine(row); }
    virtual void PutLine(int row, const std::string &text);
    virtual int AddLine(const std::string &text);
    virtual void AddStrings(const std::vector<std::string> &lines);
    virtual void Assign(const std::vector<std::string> &lines);
    virtual void Clear();
    virtual void AssignTo(std::vector<std::string> &target) const { doc_.AssignTo(target); }
    virtual void Delete(int row);
    virtual void Exchange(int rowA, int rowB);
    virtual void Insert(int row, const std::string &text);
    virtual bool Find(const std::string &text, int &row, int &column) const
    {
        return doc_.Find(text, row, column);
    }
    virtual int IndexOf(const std::string &text) const { return doc_.IndexOf(text); }
    virtual void LoadFromFile(const std::string &fileName);
    virtual void LoadFromStream(std::istream &in);
    virtual void SaveToFile(const std::string &fileName) const { doc_.SaveToFile(fileName); }
    virtual void SaveToStream(std::ostream &out) const { doc_.SaveToStream(out); }
    int LineCount() const { return doc_.LineCount(); }
    int LogicalLineCount() const { return doc_.LogicalLineCount(); }

    // View state.
    int TopLine() const { return top_; }
    void SetTopLine(int row);
    int BottomLine() const { return bottom_; }
    void SetBottomLine(int row);
    int VisibleLines() const { return visibleLines_; }
    int HorizontalOffset() const { return hOffset_; }
    TBvPos SelStart() const { return anchor_; }
    TBvPos SelEnd() const { return end_; }
    void SetSelection(TBvPos anchor, TBvPos end);
    std::string SelectedText() const;
    // Puts the selected text on the clipboard (Ctrl+C, context menu).
    void CopySelection() const;
    const TBvDocument &Document() const { return doc_; }
    QRect TextArea() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // Layout and drawing.
    void Relayout(bool fontChanged = false);
    void RewrapKeepingPositions(bool fontChanged);
    void AfterLinesChanged(int firstChangedRow);
    void UpdateScrollRanges();
    void SyncScrollBarsSoon();
    void SyncScrollBars();
    void StartFrameTimer();
    void WidenMaxChar(int bytes);
    TBvPageLook PageLook() const;
    TBvViewport Viewport() const;
    void RedrawPage();
    void ScrollPage(int rows);
    void PaintNow();
    bool PaintsAtOnce() const;
    void CollapseSelection();
    // Scrolling.
    void OnVerticalAction(int action);
    void OnHorizontalAction(int action);
    void ScrollLines(int direction, int intervalMs);
    void ScrollColumns(int direction, int intervalMs);
    void SetHorizontalOffset(int offset);
    void AutoScrollTick();
    // Keys.
    // The key as OnKeyDown left it.
    bool MoveCaretByKey(int qtKey, Qt::KeyboardModifiers modifiers);
    bool ScrollByKey(int qtKey, Qt::KeyboardModifiers modifiers);
    void ShowCaretPosition();
    void RestartCaretBlink();
    // Frame dragging.
    bool StartFrameDrag(QMouseEvent *event);
    void DragFrame(QPoint globalPos);
    void UpdateHoverCursor(QPoint pos);

    TBvQtMeasurer measurer_;
    TBvDocument doc_;
    TBvPage page_;
    QScrollBar *vbar_ = nullptr;
    QScrollBar *hbar_ = nullptr;
    QMenu *popupMenu_ = nullptr;
    QAction *copyAction_ = nullptr;
    QTimer autoScroll_;
    QTimer caretBlink_;
    QTimer frameTimer_;       // a deferred paint
    bool caretShown_ = true;  // blink phase
    QElapsedTimer clock_;
    TBvScrollAccel vAccel_;
    TBvScrollAccel hAccel_;
    TBvWheelLines vWheel_;
    TBvWheelLines hWheel_;

    TBvStyle style_ = TBvStyleFlag::bvClientLow;
    std::string caption_;
    QColor color_;
    bool caret_ = false;
    bool crMark_ = false;
    int maxChar_ = 255;
    int pCanLimit_ = 0;
    bool scOver_ = false;
    TBvScrollBars scrollBars_ = TBvScrollBars::ssNone;
    int scrollSense_ = 1;
    bool select_ = true;

    int top_ = 0;
    int bottom_ = 0;
    int hOffset_ = 0;
    int visibleLines_ = 0;
    int pendingPaints_ = 0;
    bool pageStale_ = true;  // the page image no longer shows the view
    int pendingScroll_ = 0;  // rows the page still has to move
    bool paintWaiting_ = false;
    bool scrollBarsStale_ = false;
    QElapsedTimer lastPaint_;  // invalid until the first paint
    int suspendDrawing_ = 0;
    TBvPos anchor_;
    TBvPos end_;
    bool selecting_ = false;
    QPoint lastMouse_;
    // Frame drag: edges being resized, or moving when edges == 0.
    bool frameDragging_ = false;
    int dragEdges_ = 0;
    QPoint dragStartGlobal_;
    QRect dragStartGeometry_;
};

}  // namespace zr
