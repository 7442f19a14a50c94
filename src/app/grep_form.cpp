#include "app/grep_form.h"

#include "app/grep_status_bar.h"
#include "app/hit_line_delegate.h"
#include "app/hit_models.h"
#include "app/options_panel.h"
#include "app/pattern_combo_box.h"
#include "app/result_list_view.h"
#include "app/row_text_delegate.h"
#include "app/result_panel_layout.h"
#include "app/run_controller.h"
#include "app/window_placement.h"
#include "bigview/bigview.h"
#include "history/history_menu.h"
#include "search/stale_work_folders.h"
#include "search/work_folder.h"
#include "util/folder_delete.h"
#include "util/message_box.h"
#include "util/settings_store.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace zr {

namespace {

constexpr const char *kGrepSection = "Grep";
constexpr int kHistoryLength = 19;

QLabel *NewBuddyLabel(const char *caption, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(QString::fromUtf8(caption), parent);
    label->setBuddy(buddy);
    return label;
}

QToolButton *NewQuestionButton(QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setText(QString::fromUtf8("？"));
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

}  // namespace

TGrepForm::TGrepForm(StartOptions options, QWidget *parent) : QMainWindow(parent), startOptions_(options)
{
    setWindowTitle(QString::fromUtf8(kCaption));
    setMinimumSize(500, 170);
    setAttribute(Qt::WA_DeleteOnClose, false);
    run_ = new TRunController(this);
    run_->SetBatchHandler([this](RunBatch &batch) { HandleBatch(batch); });
    animation_ = new QTimer(this);
    animation_->setInterval(150);
    connect(animation_, &QTimer::timeout, this, [this] {
        static const char *const kFrames[] = {"◐", "◓", "◑", "◒"};
        lblAnimation_->setText(QString::fromUtf8(kFrames[animationStep_++ % 4]));
    });
    MakeWorkFolder();
    CreateActions();
    BuildWindow();
    CreateMenus();
    CreateToolBar();
    CreatePopups();
    CreateKeys();
    CreateReOpenMenu();
    ConnectConditionEdits();
    resize(760, 520);
}

TGrepForm::~TGrepForm()
{
    // A run still going is stopped and waited for before anything it reports to goes.
    delete run_;
    run_ = nullptr;
    // The header resizes its sections while the widgets below this form go,
    // after this object's own part has gone: its handlers must not run then.
    list_->header()->disconnect(this);
    // The models point into hits_, which goes before the views do.
    treeModel_->ClearArchives();
    listModel_->ShowArchives(nullptr);
    reOpen_.reset();
    if (!workFolder_.empty())
        DeleteFileOrFolder(workFolder_);
    // A window never shown never loaded its histories: saving would overwrite them.
    if (shown_) {
        SaveHistories();
        SavePlacementAndWidths();
    }
}

void TGrepForm::MakeWorkFolder()
{
    try {
        // Work folders of killed windows and zrgrep runs go at the start;
        // those of processes still running stay.
        search::RemoveStaleWorkFolders();
        workFolder_ = search::ClaimWorkFolder(search::RunSettings::FromRegistry());
    } catch (const std::exception &e) {
        // The window still works; the run reports the folder again when it needs it.
        ShowMessageBox(nullptr, e.what(), mtError, mbOKOnly);
    }
}

void TGrepForm::BuildWindow()
{
    mainSplitter_ = new QSplitter(Qt::Horizontal, this);
    mainSplitter_->setChildrenCollapsible(false);
    // In a low window the conditions scroll, and the control with the focus
    // is scrolled into sight.
    conditionsScroll_ = new QScrollArea(mainSplitter_);
    conditionsScroll_->setFrameShape(QFrame::NoFrame);
    conditionsScroll_->setWidgetResizable(true);
    conditionsScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    conditionsScroll_->setWidget(BuildConditionsPanel());
    conditionsScroll_->setMinimumWidth(conditionsScroll_->widget()->minimumWidth());
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && conditionsScroll_->widget()->isAncestorOf(now))
            conditionsScroll_->ensureWidgetVisible(now, 4, 4);
    });
    mainSplitter_->addWidget(conditionsScroll_);
    mainSplitter_->addWidget(BuildResultPanel());
    mainSplitter_->setStretchFactor(0, 0);
    mainSplitter_->setStretchFactor(1, 1);
    setCentralWidget(mainSplitter_);
    statusBar_ = new TGrepStatusBar(this);
    setStatusBar(statusBar_);
}

QWidget *TGrepForm::BuildConditionsPanel()
{
    auto *panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setMinimumWidth(180);
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setVerticalSpacing(3);

    hisChar_ = new THistoryComboBox(panel);
    hisChar_->setEditable(true);
    hisName_ = new TPatternComboBox(panel);
    hisName_->setEditable(true);
    hisPath_ = new THistoryComboBox(panel);
    hisPath_->SetStyle(TComboBoxStyle::csOwnerDrawFixed);
    hisItem_ = new TPatternComboBox(panel);
    hisItem_->setEditable(true);
    const std::pair<THistoryComboBox *, const char *> keys[] = {
        {hisChar_, "Software\\Quib\\ZiZiv\\history\\Grep\\Char"},
        {hisName_, "Software\\Quib\\ZiZiv\\history\\Grep\\Name"},
        {hisPath_, "Software\\Quib\\ZiZiv\\history\\Grep\\Path"},
        {hisItem_, "Software\\Quib\\ZiZiv\\history\\Grep\\Item"},
    };
    for (const auto &[box, key] : keys) {
        box->SetKey(key);
        box->SetMaxHistoryLength(kHistoryLength);
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(8);
        box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    hisChar_->setObjectName("hisChar");
    hisName_->setObjectName("hisName");
    hisPath_->setObjectName("hisPath");
    hisItem_->setObjectName("hisItem");

    btnNewGrep_ = new QPushButton(panel);
    btnName_ = NewQuestionButton(panel);
    btnName_->setPopupMode(QToolButton::MenuButtonPopup);
    btnName_->setToolTip(QString::fromUtf8("書庫を選択します（▼: 最近使った書庫）"));
    btnPath_ = NewQuestionButton(panel);
    btnPath_->setToolTip(QString::fromUtf8("検索する場所を選択します"));
    btnItem_ = NewQuestionButton(panel);
    btnItem_->setPopupMode(QToolButton::InstantPopup);
    btnItem_->setToolTip(QString::fromUtf8("格納ファイルのフィルタ"));

    int row = 0;
    grid->addWidget(btnNewGrep_, row++, 0, 1, 2, Qt::AlignRight);
    grid->addWidget(NewBuddyLabel("検索する文字列(&C)", hisChar_, panel), row++, 0, 1, 2);
    grid->addWidget(hisChar_, row++, 0, 1, 2);
    grid->addWidget(NewBuddyLabel("検索する書庫の名前(&M)", hisName_, panel), row++, 0, 1, 2);
    grid->addWidget(hisName_, row, 0);
    grid->addWidget(btnName_, row++, 1);
    grid->addWidget(NewBuddyLabel("検索する場所(&L)", hisPath_, panel), row++, 0, 1, 2);
    grid->addWidget(hisPath_, row, 0);
    grid->addWidget(btnPath_, row++, 1);
    grid->addWidget(NewBuddyLabel("検索する格納ファイル(&I)", hisItem_, panel), row++, 0, 1, 2);
    grid->addWidget(hisItem_, row, 0);
    grid->addWidget(btnItem_, row++, 1);

    options_ = new TOptionsPanel(panel);
    grid->addWidget(options_, row++, 0, 1, 2);

    auto *buttons = new QHBoxLayout;
    btnStart_ = new QPushButton(panel);
    btnStop_ = new QPushButton(panel);
    buttons->addWidget(btnStart_);
    buttons->addWidget(btnStop_);
    grid->addLayout(buttons, row++, 0, 1, 2);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(0, 1);

    // Each ？ button comes right after its box; the options follow the boxes.
    QWidget *const tabOrder[] = {btnNewGrep_, hisChar_,   hisName_,  btnName_, hisPath_,
                                 btnPath_,    hisItem_,   btnItem_,  options_->lblOptions};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    QWidget *previous = options_->lblOptions;
    for (QWidget *next : options_->Controls()) {
        QWidget::setTabOrder(previous, next);
        previous = next;
    }
    QWidget::setTabOrder(previous, btnStart_);
    QWidget::setTabOrder(btnStart_, btnStop_);

    connect(btnPath_, &QToolButton::clicked, this, [this] { ChooseFolder(); });
    connect(btnName_, &QToolButton::clicked, this, [this] { ChooseArchive(); });
    connect(options_->chbAlltype, &QCheckBox::clicked, this, [this] { UpdateActions(); });
    return panel;
}

QWidget *TGrepForm::BuildResultPanel()
{
    auto *panel = new QWidget(this);
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);

    // The header's parts are placed by hand: their heights follow the run state.
    header_ = new QFrame(panel);
    header_->setFrameShape(QFrame::StyledPanel);
    header_->setAutoFillBackground(true);
    lblAnimation_ = new QLabel(header_);
    lblAnimation_->setGeometry(6, 6, 24, 24);
    lblTitle_ = new QLabel(header_);
    lblResult_ = new QLabel(header_);
    lblResult_->setTextFormat(Qt::PlainText);
    resultView_ = new TBigView(header_);
    resultView_->SetMaxChar(255);
    resultView_->SetWordWrap(true);
    resultView_->SetWrapByte(0);
    resultView_->SetViewTabStop(8);
    resultView_->SetSelect(true);
    resultView_->SetCaret(false);
    resultView_->SetCRMark(false);
    resultView_->SetScOver(false);
    resultView_->SetScrollSense(1);
    resultView_->SetCapacity(0);
    resultView_->SetPCanLimit(0);
    header_->installEventFilter(this);
    column->addWidget(header_);

    resultSplitter_ = new QSplitter(Qt::Horizontal, panel);
    resultSplitter_->setChildrenCollapsible(false);
    auto *treePanel = new QWidget(resultSplitter_);
    auto *treeColumn = new QVBoxLayout(treePanel);
    treeColumn->setContentsMargins(0, 0, 0, 0);
    treeColumn->setSpacing(1);
    lblTreeHeader_ = new QLabel(QString::fromUtf8("書庫ファイル"), treePanel);
    lblTreeHeader_->setFrameShape(QFrame::Panel);
    lblTreeHeader_->setFrameShadow(QFrame::Raised);
    auto *tree = new TResultListView(treePanel);
    tree->SetKeepsSelectionOnEmptyClick(true);
    tree_ = tree;
    treeModel_ = new TArchiveTreeModel(this);
    tree_->setModel(treeModel_);
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    tree_->setItemDelegate(new TRowTextDelegate(tree_));
    tree_->setRootIsDecorated(false);
    tree_->setItemsExpandable(false);
    tree_->setIndentation(12);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->setMinimumWidth(60);
    // Archive names are read whole: the column is as wide as the longest one
    // and the tree scrolls sideways instead of cutting them.
    tree_->header()->setStretchLastSection(false);
    tree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    treeColumn->addWidget(lblTreeHeader_);
    treeColumn->addWidget(tree_);

    auto *listPanel = new QWidget(resultSplitter_);
    auto *listColumn = new QVBoxLayout(listPanel);
    listColumn->setContentsMargins(0, 0, 0, 0);
    listColumn->setSpacing(1);
    lblListHeader_ = new QLabel(listPanel);
    lblListHeader_->setFrameShape(QFrame::Panel);
    lblListHeader_->setFrameShadow(QFrame::Raised);
    lblListHeader_->setTextFormat(Qt::PlainText);
    lblListHeader_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    list_ = new TResultListView(listPanel);
    listModel_ = new TResultListModel(this);
    list_->setModel(listModel_);
    lineDelegate_ = new THitLineDelegate(listModel_, list_);
    list_->setItemDelegate(new TRowTextDelegate(list_));
    list_->setItemDelegateForColumn(2, lineDelegate_);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSortingEnabled(false);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    // The header asks whether each column is wholly selected whenever it paints,
    // which walks every row; it highlights nothing, so it gets a selection of its own.
    list_->header()->setSelectionModel(new QItemSelectionModel(listModel_, list_->header()));
    SetUpListColumns();
    listColumn->addWidget(lblListHeader_);
    listColumn->addWidget(list_);
    resultSplitter_->addWidget(treePanel);
    resultSplitter_->addWidget(listPanel);
    resultSplitter_->setStretchFactor(0, 0);
    resultSplitter_->setStretchFactor(1, 1);
    column->addWidget(resultSplitter_, 1);

    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { TreeSelectionChanged(); });
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { ShowSelectionCount(); });
    connect(list_, &QTreeView::customContextMenuRequested, this,
            [this](const QPoint &p) { ListContextMenu(p); });
    connect(tree_, &QTreeView::customContextMenuRequested, this,
            [this](const QPoint &p) { TreeContextMenu(p); });
    connect(list_, &QTreeView::doubleClicked, this, [this] {
        if (act_.ActE_View->isEnabled())
            act_.ActE_View->trigger();
    });
    return panel;
}

void TGrepForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shown_)
        FirstShow();
}

void TGrepForm::FirstShow()
{
    shown_ = true;
    if (!startOptions_.maximized)
        RestorePlacement();
    LayoutResultPanel(TRunState::rsIdle);
    const int grepWidth = ReadSettingInteger(kGrepSection, "PlaceGrepWidth", 232);
    const int treeWidth = ReadSettingInteger(kGrepSection, "PlaceTreeWidth", 150);
    mainSplitter_->setSizes({grepWidth, std::max(1, width() - grepWidth)});
    resultSplitter_->setSizes({treeWidth, std::max(1, width() - grepWidth - treeWidth)});
    for (THistoryComboBox *box : {hisChar_, static_cast<THistoryComboBox *>(hisName_), hisPath_,
                                  static_cast<THistoryComboBox *>(hisItem_)}) {
        try {
            box->LoadHistory(false);
        } catch (const std::exception &) {
            // No history stored yet.
        }
    }
    hisChar_->setEditText(QString());
    hisName_->setEditText(QStringLiteral("*.*"));
    hisItem_->setEditText(QStringLiteral("*.*"));
    hisPath_->setCurrentIndex(-1);
    options_->chbRegExp->setChecked(ReadSettingBool(kGrepSection, "RegExp", true));
    options_->chbFuzzy->setChecked(ReadSettingBool(kGrepSection, "Fuzzy", true));
    options_->chbNested->setChecked(ReadSettingBool(kGrepSection, "NestedArchives", true));
    ShowSelectionCount();
    UpdateActions();
    editsCount_ = true;
}

void TGrepForm::RestorePlacement()
{
    const QRect g = normalGeometry().isValid() ? normalGeometry() : geometry();
    const TWindowPlacement current =
        PlacementFromState(TWindowShowState::wsNormal, {g.x(), g.y(), g.width(), g.height()}, false);
    const TWindowPlacement stored = ReadPlacement(kGrepSection, current);
    const Rect normal = NormalRect(stored);
    if (normal.width >= minimumWidth() && normal.height >= minimumHeight()) {
        const QRect wanted(normal.left, normal.top, normal.width, normal.height);
        // A rectangle on no screen (a monitor since removed) keeps the window's own place.
        bool onScreen = false;
        for (QScreen *screen : QGuiApplication::screens())
            if (screen->availableGeometry().intersects(wanted))
                onScreen = true;
        if (onScreen)
            setGeometry(wanted);
        else
            resize(wanted.size());
    }
    if (ShowStateToRestore(stored) == TWindowShowState::wsMaximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TGrepForm::SavePlacementAndWidths()
{
    const QRect g =
        (isMaximized() || isMinimized()) && normalGeometry().isValid() ? normalGeometry() : geometry();
    TWindowShowState state = TWindowShowState::wsNormal;
    if (isMinimized())
        state = TWindowShowState::wsMinimized;
    else if (isMaximized())
        state = TWindowShowState::wsMaximized;
    try {
        WritePlacement(kGrepSection, PlacementFromState(state, {g.x(), g.y(), g.width(), g.height()},
                                                        windowState().testFlag(Qt::WindowMaximized)));
        WriteSettingInteger(kGrepSection, "PlaceGrepWidth", mainSplitter_->sizes().value(0, 232));
        WriteSettingInteger(kGrepSection, "PlaceTreeWidth", resultSplitter_->sizes().value(0, 150));
    } catch (const std::exception &) {
        // The settings store has told the user already; closing goes on.
    }
}

void TGrepForm::SaveHistories()
{
    // How the text is matched is kept with the texts searched.
    try {
        WriteSettingInteger(kGrepSection, "RegExp", options_->chbRegExp->isChecked() ? 1 : 0);
        WriteSettingInteger(kGrepSection, "Fuzzy", options_->chbFuzzy->isChecked() ? 1 : 0);
        WriteSettingInteger(kGrepSection, "NestedArchives", options_->chbNested->isChecked() ? 1 : 0);
    } catch (const std::exception &) {
        // As below: the store reported it.
    }
    for (THistoryComboBox *box : {hisChar_, static_cast<THistoryComboBox *>(hisName_), hisPath_,
                                  static_cast<THistoryComboBox *>(hisItem_)}) {
        try {
            box->SaveHistory(true);
        } catch (const std::exception &) {
            // As above: the store reported it.
        }
    }
}

void TGrepForm::closeEvent(QCloseEvent *event)
{
    // A view's extraction asks like a run does.
    if (runState_ == TRunState::rsSearching || busy_)
        StopSearch();
    if (runState_ == TRunState::rsSearching || busy_) {
        event->ignore();
        return;
    }
    event->accept();
}

void TGrepForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    PlaceResultView();
}

bool TGrepForm::eventFilter(QObject *watched, QEvent *event)
{
    NoteEscapeForPopup(event);
    if (watched == header_ && event->type() == QEvent::Resize)
        PlaceResultView();
    if (watched == list_ && event->type() == QEvent::KeyPress && HandleListKey(static_cast<QKeyEvent *>(event)))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace zr
