#include "bigview/bigview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <qdrawutil.h>
#include <algorithm>
#include <cmath>

#include "bigview/bv_caret_keys.h"
#include "bigview/bv_selection.h"
#include "platform/mbchar.h"

namespace zr {

namespace {

constexpr int kAutoScrollMs = 30;
constexpr int kFrameMs = 16;

std::string FirstChars(const std::string &text, int maxChars)
{
    std::size_t end = 0;
    for (int n = 0; n < maxChars && end < text.size(); ++n)
        end += platform::CharLengthAt(text, end);
    return text.substr(0, end);
}

}  // namespace

TBigView::TBigView(QWidget *parent)
    : QWidget(parent), measurer_(font(), logicalDpiY()), doc_(measurer_), page_(doc_, measurer_),
      vbar_(new QScrollBar(Qt::Vertical, this)), hbar_(new QScrollBar(Qt::Horizontal, this)),
      copyAction_(new QAction(QStringLiteral("コピー(&C)"), this)), color_(palette().color(QPalette::Base))
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    vbar_->hide();
    hbar_->hide();
    copyAction_->setShortcut(QKeySequence::Copy);
    connect(copyAction_, &QAction::triggered, this, [this] { CopySelection(); });
    connect(vbar_, &QScrollBar::actionTriggered, this, [this](int action) { OnVerticalAction(action); });
    connect(vbar_, &QScrollBar::valueChanged, this, [this](int value) {
        SyncScrollBars();
        SetTopLine(
            TBvScrollModel::TopForPosition(value, vbar_->maximum(), LineCount(), scOver_, visibleLines_));
    });
    connect(hbar_, &QScrollBar::actionTriggered, this, [this](int action) { OnHorizontalAction(action); });
    connect(hbar_, &QScrollBar::valueChanged, this, [this](int value) { SetHorizontalOffset(value); });
    connect(&autoScroll_, &QTimer::timeout, this, [this] { AutoScrollTick(); });
    frameTimer_.setSingleShot(true);
    connect(&frameTimer_, &QTimer::timeout, this, [this] {
        SyncScrollBars();
        if (paintWaiting_)
            update();
        paintWaiting_ = false;
    });
    autoScroll_.setInterval(kAutoScrollMs);
    connect(&caretBlink_, &QTimer::timeout, this, [this] {
        caretShown_ = !caretShown_;
        update();
    });
    clock_.start();
    resize(65, 65);
    Relayout();
}

TBigView::~TBigView() = default;

// ---- properties ----

void TBigView::SetBvStyle(TBvStyle style)
{
    if (OnBvStyleChanging)
        OnBvStyleChanging(*this, style);
    style_ = style;
    Relayout();
    update();
    if (OnBvStyleChanged)
        OnBvStyleChanged(*this);
}

void TBigView::SetCaption(const std::string &caption)
{
    caption_ = FirstChars(caption, MaxCaptionChars);
    Relayout();
    update();
}

void TBigView::SetCaret(bool on)
{
    caret_ = on;
    RestartCaretBlink();
}

void TBigView::SetCRMark(bool on)
{
    crMark_ = on;
    RedrawPage();
}

void TBigView::SetMaxChar(int maxChar)
{
    maxChar_ = std::max(maxChar, 1);
    SetHorizontalOffset(hOffset_);
    UpdateScrollRanges();
}

void TBigView::SetScOver(bool on)
{
    scOver_ = on;
    UpdateScrollRanges();
}

void TBigView::SetScrollBar(TBvScrollBars bars)
{
    scrollBars_ = bars;
    vbar_->setVisible(bars == TBvScrollBars::ssVertical || bars == TBvScrollBars::ssBoth);
    hbar_->setVisible(bars == TBvScrollBars::ssHorizontal || bars == TBvScrollBars::ssBoth);
    Relayout();
}

void TBigView::SetScrollSense(int sense)
{
    if (sense >= 1 && sense <= 10)
        scrollSense_ = sense;
}

void TBigView::SetViewTabStop(int chars)
{
    const TBvLogicalPos top = doc_.ToLogical({1, top_});
    doc_.SetTabChars(chars);
    top_ = doc_.ToDisplay(top).Y;
    AfterLinesChanged(0);
}

void TBigView::SetWrapByte(int bytes)
{
    TBvWrapSettings settings = doc_.WrapSettings();
    settings.wrapByte = std::max(bytes, 0);
    doc_.SetWrapSettings(settings);
    CollapseSelection();
    AfterLinesChanged(0);
}

void TBigView::SetWordWrap(bool on)
{
    TBvWrapSettings settings = doc_.WrapSettings();
    settings.wordWrap = on;
    doc_.SetWrapSettings(settings);
    CollapseSelection();
    AfterLinesChanged(0);
}

void TBigView::SetColor(const QColor &color)
{
    color_ = color;
    update();
}

// ---- line operations ----

void TBigView::PutLine(int row, const std::string &text)
{
    doc_.PutLine(row, text);  // checks the row
    AfterLinesChanged(doc_.FirstRowOf(doc_.Row(std::min(row, LineCount() - 1)).line));
}

int TBigView::AddLine(const std::string &text)
{
    const int firstRow = doc_.AddLine(text);
    WidenMaxChar(doc_.LongestRowBytes(firstRow));
    bottom_ = TBvScrollModel::BottomOf(top_, visibleLines_, LineCount());
    SyncScrollBarsSoon();
    if (firstRow < top_ + visibleLines_)
        RedrawPage();
    return firstRow;
}

void TBigView::AddStrings(const std::vector<std::string> &lines)
{
    const int firstRow = LineCount();
    doc_.AddStrings(lines);
    AfterLinesChanged(firstRow);
}

void TBigView::Assign(const std::vector<std::string> &lines)
{
    doc_.Assign(lines);
    top_ = 0;
    CollapseSelection();
    AfterLinesChanged(0);
}

void TBigView::Clear()
{
    doc_.Clear();
    top_ = 0;
    hOffset_ = 0;
    CollapseSelection();
    AfterLinesChanged(0);
}

void TBigView::Delete(int row)
{
    doc_.Delete(row);
    CollapseSelection();
    AfterLinesChanged(std::min(row, LineCount()));
}

void TBigView::Exchange(int rowA, int rowB)
{
    doc_.Exchange(rowA, rowB);
    AfterLinesChanged(std::min(rowA, rowB));
}

void TBigView::Insert(int row, const std::string &text)
{
    doc_.Insert(row, text);
    AfterLinesChanged(std::min(row, LineCount()));
}

void TBigView::LoadFromFile(const std::string &fileName)
{
    doc_.LoadFromFile(fileName);
    top_ = 0;
    CollapseSelection();
    AfterLinesChanged(0);
}

void TBigView::LoadFromStream(std::istream &in)
{
    doc_.LoadFromStream(in);
    top_ = 0;
    CollapseSelection();
    AfterLinesChanged(0);
}

void TBigView::CollapseSelection()
{
    anchor_ = {0, 0};
    end_ = {0, 0};
}

void TBigView::AfterLinesChanged(int firstChangedRow)
{
    WidenMaxChar(doc_.LongestRowBytes(firstChangedRow));
    top_ = TBvScrollModel::ClampTop(top_, LineCount());
    bottom_ = TBvScrollModel::BottomOf(top_, visibleLines_, LineCount());
    anchor_ = doc_.ClampPos(anchor_);
    end_ = doc_.ClampPos(end_);
    UpdateScrollRanges();
    RedrawPage();
}

void TBigView::WidenMaxChar(int bytes)
{
    if (bytes > maxChar_)
        maxChar_ = bytes;
}

// ---- selection and clipboard ----

void TBigView::SetSelection(TBvPos anchor, TBvPos end)
{
    // Positions never split a character: a continuation byte moves to its start.
    const auto snap = [this](TBvPos pos) {
        pos = doc_.ClampPos(pos);
        if (LineCount() > 0 && pos.X > 0)
            pos.X = SnapColumn(doc_.RowText(pos.Y), pos.X, false);
        return pos;
    };
    anchor_ = snap(anchor);
    end_ = snap(end);
    RedrawPage();
}

std::string TBigView::SelectedText() const { return zr::SelectedText(doc_, anchor_, end_); }

void TBigView::CopySelection() const
{
    if (anchor_ == end_)
        return;
    QApplication::clipboard()->setText(SystemBytesToQString(SelectedText()));
}

// ---- layout ----

QRect TBigView::TextArea() const
{
    const int frame = TBvFrameRules::FrameWidth(style_);
    const int caption = TBvFrameRules::CaptionHeightOf(style_);
    const int vbarWidth = vbar_->isVisibleTo(this) ? vbar_->sizeHint().width() : 0;
    const int hbarHeight = hbar_->isVisibleTo(this) ? hbar_->sizeHint().height() : 0;
    return QRect(frame, frame + caption, std::max(0, width() - 2 * frame - vbarWidth),
                 std::max(0, height() - 2 * frame - caption - hbarHeight));
}

TBvViewport TBigView::Viewport() const { return {top_, hOffset_, visibleLines_, TextArea().width()}; }

void TBigView::Relayout(bool fontChanged)
{
    measurer_.SetFont(font(), logicalDpiY());
    const QRect area = TextArea();
    vbar_->setGeometry(area.right() + 1, area.top(), vbar_->sizeHint().width(), area.height());
    hbar_->setGeometry(area.left(), area.bottom() + 1, area.width(), hbar_->sizeHint().height());
    const int charWidth = measurer_.CharWidth();
    if (maxChar_ * charWidth < area.width())
        maxChar_ = static_cast<int>(std::lrint(static_cast<double>(area.width()) / charWidth)) + 1;
    visibleLines_ = std::max(0, area.height() / measurer_.LineHeight());
    RewrapKeepingPositions(fontChanged);
    page_.Resize(area.width(), visibleLines_, devicePixelRatioF());
    top_ = TBvScrollModel::ClampTop(top_, LineCount());
    bottom_ = TBvScrollModel::BottomOf(top_, visibleLines_, LineCount());
    UpdateScrollRanges();
    ++suspendDrawing_;
    if (LineCount() > visibleLines_)
        SetBottomLine(top_ + visibleLines_ - 1);
    --suspendDrawing_;
    RedrawPage();
}

void TBigView::RewrapKeepingPositions(bool fontChanged)
{
    TBvWrapSettings settings = doc_.WrapSettings();
    const int width = std::max(TextArea().width() - TBvGeometry::LeftMargin - TBvGeometry::RightMargin, 0);
    const bool widthMatters = settings.wordWrap && settings.wrapByte == 0;
    const bool widthChanged = settings.clientWidth != width;
    settings.clientWidth = width;
    if (!widthMatters || doc_.LineCount() == 0 || !(widthChanged || fontChanged)) {
        doc_.SetWrapSettings(settings);  // re-wraps only when the width matters
        return;
    }
    const TBvLogicalPos top = doc_.ToLogical({1, top_});
    const TBvLogicalPos anchor = doc_.ToLogical(anchor_);
    const TBvLogicalPos end = doc_.ToLogical(end_);
    const bool collapsed = anchor_ == end_;
    if (widthChanged)
        doc_.SetWrapSettings(settings);
    else
        doc_.Rewrap();  // same width, new font
    top_ = doc_.ToDisplay(top).Y;
    anchor_ = doc_.ClampPos(doc_.ToDisplay(anchor));
    end_ = collapsed ? anchor_ : doc_.ClampPos(doc_.ToDisplay(end));
}

// Setting a scroll bar repaints it, which costs as much as a line of text
// when a run adds lines one by one: that waits for the next frame too.
void TBigView::SyncScrollBarsSoon()
{
    scrollBarsStale_ = true;
    StartFrameTimer();
}

void TBigView::SyncScrollBars()
{
    if (scrollBarsStale_)
        UpdateScrollRanges();
}

void TBigView::StartFrameTimer()
{
    if (frameTimer_.isActive())
        return;
    const qint64 sinceLast = lastPaint_.isValid() ? lastPaint_.elapsed() : kFrameMs;
    frameTimer_.start(static_cast<int>(std::max<qint64>(0, kFrameMs - sinceLast)));
}

void TBigView::UpdateScrollRanges()
{
    scrollBarsStale_ = false;
    const QSignalBlocker blockV(vbar_);
    const QSignalBlocker blockH(hbar_);
    vbar_->setRange(0, TBvScrollModel::VerticalMax(LineCount(), visibleLines_, scOver_));
    vbar_->setPageStep(std::max(visibleLines_, 1));
    vbar_->setValue(top_);
    const int charWidth = measurer_.CharWidth();
    hbar_->setRange(0, TBvScrollModel::HorizontalMax(maxChar_, TextArea().width(), charWidth));
    hbar_->setPageStep(std::max(TextArea().width() / charWidth, 1));
    hbar_->setValue(hOffset_);
}

void TBigView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Relayout();
}

void TBigView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        Relayout(true);
    else if (event->type() == QEvent::PaletteChange)
        RedrawPage();
}

// ---- drawing ----

TBvPageLook TBigView::PageLook() const
{
    return {color_, palette().color(QPalette::Text),  font(),  crMark_,
            top_,   hOffset_ * measurer_.CharWidth(), anchor_, end_};
}

// The page is brought up to date only when it is about to be painted: a run
// that adds and scrolls thousands of lines between two paints pays for one
// page, not for thousands of pixel moves.
void TBigView::RedrawPage()
{
    if (suspendDrawing_ > 0)
        return;
    pageStale_ = true;
    pendingScroll_ = 0;
    PaintNow();
}

// Scrolls add up until the next paint, which moves the pixels once and draws
// only the rows that came into view.
void TBigView::ScrollPage(int rows)
{
    if (suspendDrawing_ > 0)
        return;
    if (!pageStale_)
        pendingScroll_ += rows;
    PaintNow();
}

// Painted at once unless PCanLimit lets paints queue up, and at most once a
// frame either way: a run that adds a line and lets messages through for
// every hit would otherwise spend its time painting what no one can see.
bool TBigView::PaintsAtOnce() const
{
    return pendingPaints_ >= pCanLimit_ && !(lastPaint_.isValid() && lastPaint_.elapsed() < kFrameMs);
}

void TBigView::PaintNow()
{
    if (PaintsAtOnce()) {
        repaint();
        return;
    }
    if (pendingPaints_ < pCanLimit_)
        ++pendingPaints_;
    paintWaiting_ = true;
    StartFrameTimer();
}

void TBigView::paintEvent(QPaintEvent *)
{
    pendingPaints_ = 0;
    paintWaiting_ = false;
    lastPaint_.start();
    if (page_.PixelRatio() != devicePixelRatioF()) {  // moved to a screen of another resolution
        page_.Resize(TextArea().width(), visibleLines_, devicePixelRatioF());
        pageStale_ = true;
    }
    if (pageStale_ || page_.Background() != color_)
        page_.Redraw(PageLook());
    else if (pendingScroll_ != 0)
        page_.Scroll(pendingScroll_, PageLook());
    pageStale_ = false;
    pendingScroll_ = 0;
    QPainter painter(this);
    const QRect area = TextArea();
    const int sunken = style_.Has(TBvStyleFlag::bvClientLow) ? TBvFrameRules::SunkenEdge : 0;
    const int outer = TBvFrameRules::FrameWidth(style_) - sunken;
    // The page covers most of the text area: fill only around it.
    const QRegion around = QRegion(rect()) - QRegion(area);
    for (const QRect &r : around)
        painter.fillRect(r, palette().color(QPalette::Window));
    if (outer > 0)
        qDrawShadePanel(&painter, rect(), palette(), false, 1);
    if (sunken > 0) {
        const QRect inner =
            rect().adjusted(outer, outer + TBvFrameRules::CaptionHeightOf(style_), -outer, -outer);
        qDrawShadePanel(&painter, inner, palette(), true, sunken);
    }
    if (style_.Has(TBvStyleFlag::bvCaption)) {
        const QRect bar(outer, outer, width() - 2 * outer, TBvFrameRules::CaptionHeight);
        painter.fillRect(bar, palette().color(QPalette::Highlight));
        painter.setPen(palette().color(QPalette::HighlightedText));
        painter.drawText(bar.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
                         SystemBytesToQString(caption_));
    }
    const int pageHeight = page_.Image().isNull() ? 0 : page_.Rows() * measurer_.LineHeight();
    if (pageHeight > 0)
        painter.drawImage(area.topLeft(), page_.Image());
    painter.fillRect(QRect(area.left(), area.top() + pageHeight, area.width(), area.height() - pageHeight),
                     color_);
    if (caret_ && caretShown_ && hasFocus() && LineCount() > 0 && end_.Y >= top_ && end_.Y <= bottom_) {
        const TBvGeometry geometry(doc_, measurer_);
        const int x = area.left() + TBvGeometry::LeftMargin + geometry.WidthBeforeColumn(end_.Y, end_.X) -
                      hOffset_ * measurer_.CharWidth();
        const int y = area.top() + (end_.Y - top_) * measurer_.LineHeight();
        painter.fillRect(QRect(x, y, 2, measurer_.LineHeight()).intersected(area),
                         palette().color(QPalette::Text));
    }
}

void TBigView::RestartCaretBlink()
{
    // The caret shows at once after every move and blinks at the desktop's rate.
    caretShown_ = true;
    const int flashMs = QApplication::cursorFlashTime();
    if (caret_ && hasFocus() && flashMs > 0)
        caretBlink_.start(flashMs / 2);
    else
        caretBlink_.stop();
    update();
}

// ---- scrolling ----

void TBigView::SetTopLine(int row)
{
    row = TBvScrollModel::ClampTop(row, LineCount());
    if (OnViewLineChanging) {
        OnViewLineChanging(*this, row);
        row = TBvScrollModel::ClampTop(row, LineCount());
    }
    const int oldTop = top_;
    top_ = row;
    bottom_ = TBvScrollModel::BottomOf(top_, visibleLines_, LineCount());
    if (anchor_ == end_ && LineCount() > 0) {
        // With no visible line the bottom lies above the top.
        end_.Y = std::clamp(end_.Y, top_, std::max(top_, bottom_));
        end_ = doc_.ClampPos(end_);
        anchor_ = end_;
    }
    if (top_ == oldTop) {
        RedrawPage();
    } else {
        SyncScrollBarsSoon();
        ScrollPage(top_ - oldTop);
    }
    if (OnViewLineChanged)
        OnViewLineChanged(*this);
}

void TBigView::SetBottomLine(int row)
{
    SetTopLine(TBvScrollModel::TopForBottom(row, visibleLines_, top_, scOver_));
}

void TBigView::SetHorizontalOffset(int offset)
{
    offset = std::clamp(offset, 0, maxChar_ - 1);
    if (offset == hOffset_)
        return;
    hOffset_ = offset;
    const QSignalBlocker block(hbar_);
    hbar_->setValue(hOffset_);
    RedrawPage();
}

namespace {

bool ToScrollCmd(int action, TBvScrollCmd &cmd)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        cmd = TBvScrollCmd::LineDown;
        return true;
    case QAbstractSlider::SliderSingleStepSub:
        cmd = TBvScrollCmd::LineUp;
        return true;
    case QAbstractSlider::SliderPageStepAdd:
        cmd = TBvScrollCmd::PageDown;
        return true;
    case QAbstractSlider::SliderPageStepSub:
        cmd = TBvScrollCmd::PageUp;
        return true;
    case QAbstractSlider::SliderToMinimum:
        cmd = TBvScrollCmd::Top;
        return true;
    case QAbstractSlider::SliderToMaximum:
        cmd = TBvScrollCmd::Bottom;
        return true;
    case QAbstractSlider::SliderMove:
        cmd = TBvScrollCmd::Thumb;
        return true;
    default:
        return false;
    }
}

}  // namespace

void TBigView::OnVerticalAction(int action)
{
    SyncScrollBars();
    TBvScrollCmd cmd;
    if (!ToScrollCmd(action, cmd))
        return;
    const int step = vAccel_.NextStep(clock_.elapsed(), TBvScrollAccel::ScrollBarIntervalMs, scrollSense_,
                                      visibleLines_ - 1);
    const int position = TBvScrollModel::Position(cmd, vbar_->value(), step, visibleLines_, vbar_->maximum(),
                                                  vbar_->sliderPosition());
    vAccel_.Record(position);
    vbar_->setSliderPosition(position);
}

void TBigView::OnHorizontalAction(int action)
{
    SyncScrollBars();
    TBvScrollCmd cmd;
    if (!ToScrollCmd(action, cmd))
        return;
    const int columns = TextArea().width() / measurer_.CharWidth();
    const int step =
        hAccel_.NextStep(clock_.elapsed(), TBvScrollAccel::ScrollBarIntervalMs, scrollSense_, columns);
    const int position = TBvScrollModel::Position(cmd, hbar_->value(), step, columns, hbar_->maximum(),
                                                  hbar_->sliderPosition());
    hAccel_.Record(position);
    hbar_->setSliderPosition(position);
}

void TBigView::ScrollLines(int direction, int intervalMs)
{
    const int step = vAccel_.NextStep(clock_.elapsed(), intervalMs, scrollSense_, visibleLines_ - 1);
    const int max = TBvScrollModel::VerticalMax(LineCount(), visibleLines_, scOver_);
    const int position = TBvScrollModel::Position(
        direction < 0 ? TBvScrollCmd::LineUp : TBvScrollCmd::LineDown, top_, step, visibleLines_, max);
    vAccel_.Record(position);
    SetTopLine(position);
}

// The wheel moves by the desktop's lines per notch, without the key and
// scroll-bar acceleration, and works without scroll bars too.
void TBigView::wheelEvent(QWheelEvent *event)
{
    const QPoint delta = event->angleDelta();
    const bool sideways = delta.x() != 0 && delta.y() == 0;
    const int lines = sideways ? hWheel_.Take(delta.x(), QApplication::wheelScrollLines())
                               : vWheel_.Take(delta.y(), QApplication::wheelScrollLines());
    event->accept();
    if (lines == 0 || LineCount() == 0)
        return;
    if (sideways || event->modifiers() & Qt::ShiftModifier) {
        const int max = TBvScrollModel::HorizontalMax(maxChar_, TextArea().width(), measurer_.CharWidth());
        SetHorizontalOffset(std::clamp(hOffset_ + lines, 0, std::max(max, 0)));
        return;
    }
    const int max = TBvScrollModel::VerticalMax(LineCount(), visibleLines_, scOver_);
    const int target = std::clamp(top_ + lines, 0, std::max(max, 0));
    if (target != top_)
        SetTopLine(target);
}

void TBigView::ScrollColumns(int direction, int intervalMs)
{
    const int columns = TextArea().width() / measurer_.CharWidth();
    const int step = hAccel_.NextStep(clock_.elapsed(), intervalMs, scrollSense_, columns);
    const int max = TBvScrollModel::HorizontalMax(maxChar_, TextArea().width(), measurer_.CharWidth());
    const int position = TBvScrollModel::Position(
        direction < 0 ? TBvScrollCmd::LineUp : TBvScrollCmd::LineDown, hOffset_, step, columns, max);
    hAccel_.Record(position);
    SetHorizontalOffset(position);
}

}  // namespace zr
