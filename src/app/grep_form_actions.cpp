// The action list of the main window, its menus, toolbar, pop-ups and keys,
// and the one routine that enables the actions.

#include "app/action_icons.h"
#include "app/grep_form.h"
#include "app/grep_status_bar.h"
#include "app/hit_models.h"
#include "app/options_panel.h"
#include "app/pattern_combo_box.h"
#include "history/history_combo_box.h"
#include "util/message_box.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

namespace zr {

namespace {

QAction *NewAction(QObject *owner, const char *name, const char *caption, const char *hint, int image)
{
    auto *action = new QAction(QString::fromUtf8(caption), owner);
    action->setObjectName(QString::fromLatin1(name));
    if (hint && *hint) {
        action->setStatusTip(QString::fromUtf8(hint));
        action->setToolTip(QString::fromUtf8(hint));
    }
    if (image >= 0)
        action->setIcon(ActionIcon(static_cast<TActionImage>(image)));
    return action;
}

}  // namespace

void TGrepForm::CreateActions()
{
    EnsureIconTheme();
    act_.ActF = NewAction(this, "ActF", "ファイル(&F)", nullptr, -1);
    act_.ActF_NewGrep =
        NewAction(this, "ActF_NewGrep", "新しい検索(&N)", "新しい検索条件を入力します", aiNewGrep);
    act_.ActF_GrepStart = NewAction(this, "ActF_GrepStart", "検索開始(&S)", "検索を開始します", aiGrepStart);
    act_.ActF_GrepStop = NewAction(this, "ActF_GrepStop", "検索終了(&Q)", "検索を中断します", aiGrepStop);
    act_.ActF_SaveAs = NewAction(this, "ActF_SaveAs", "検索結果を書庫セットで保存(&W)",
                                 "検索結果の書庫リストを書庫セットとして保存します", aiSaveAs);
    act_.ActF_SaveHits = NewAction(this, "ActF_SaveHits", "ヒット行を保存(&T)...",
                                   "見つかった行を CSV または TSV で保存します", -1);
    act_.ActF_OpenParam = NewAction(this, "ActF_OpenParam", "検索条件を開く(&O)",
                                    "登録済みの検索条件を開いて設定します", aiOpenParam);
    act_.ActF_SaveParm =
        NewAction(this, "ActF_SaveParm", "検索条件を保存(&P)", "検索条件を保存します", aiSaveParam);
    act_.ActF_Fin = NewAction(this, "ActF_Fin", "終了(&X)", "ZrSearchを終了します", aiFin);
    act_.ActE = NewAction(this, "ActE", "編集(&E)", nullptr, -1);
    act_.ActE_View =
        NewAction(this, "ActE_View", "閲覧(&V)", "検索結果の格納ファイル内容を閲覧します", aiView);
    act_.ActE_OpenZiZiv =
        NewAction(this, "ActE_OpenZiZiv", "ZiZivで開く(&O)", "検索結果の書庫をZiZivで開きます", aiOpenZiZiv);
    act_.ActE_FileCopy =
        NewAction(this, "ActE_FileCopy", "フォルダへ複写(&C)", "指定の書庫を複写します", aiFileCopy);
    act_.ActE_FileMove = NewAction(this, "ActE_FileMove", "フォルダへ移動(&M)", "指定の書庫を移動します", -1);
    act_.ActE_AllSelect =
        NewAction(this, "ActE_AllSelect", "すべて選択(&A)", "全項目を選択状態にします", aiAllSelect);
    act_.ActE_Close = NewAction(this, "ActE_Close", "閉じる(&C)", "書庫を閉じます", aiClose);
    act_.ActE_Close->setVisible(false);
    act_.ActO = NewAction(this, "ActO", "オプション(&O)", nullptr, -1);
    act_.ActO_DispLineNo =
        NewAction(this, "ActO_DispLineNo", "行位置を表示する", "見つかった行位置と行内容を表示します", -1);
    act_.ActO_DispLineNo->setCheckable(true);
    act_.ActO_DispLineNo->setChecked(true);
    act_.ActO_Setting =
        NewAction(this, "ActO_Setting", "設定(&S)...", "ビューアや作業フォルダなどを設定します", -1);
    act_.ActH = NewAction(this, "ActH", "ヘルプ(&H)", nullptr, -1);
    act_.ActH_Topic = NewAction(this, "ActH_Topic", "トピックの検索(&T)", "ヘルプを表示します", aiTopic);
    act_.ActH_Topic->setShortcut(QKeySequence(Qt::Key_F1));
    act_.ActH_Topic->setShortcutContext(Qt::WindowShortcut);
    act_.ActH_About = NewAction(this, "ActH_About", "バージョン情報(&V)", "バージョン情報を表示します", -1);

    connect(act_.ActF_NewGrep, &QAction::triggered, this, &TGrepForm::OnNewGrep);
    connect(act_.ActF_GrepStart, &QAction::triggered, this, &TGrepForm::StartSearch);
    connect(act_.ActF_GrepStop, &QAction::triggered, this, &TGrepForm::StopSearch);
    connect(act_.ActF_SaveAs, &QAction::triggered, this, &TGrepForm::OnSaveAs);
    connect(act_.ActF_SaveHits, &QAction::triggered, this, &TGrepForm::OnSaveHits);
    connect(act_.ActF_OpenParam, &QAction::triggered, this, &TGrepForm::OnOpenParam);
    connect(act_.ActF_SaveParm, &QAction::triggered, this, &TGrepForm::OnSaveParam);
    connect(act_.ActF_Fin, &QAction::triggered, this, &TGrepForm::OnFinish);
    connect(act_.ActE_View, &QAction::triggered, this, &TGrepForm::OnView);
    connect(act_.ActE_OpenZiZiv, &QAction::triggered, this, &TGrepForm::OnOpenZiZiv);
    connect(act_.ActE_FileCopy, &QAction::triggered, this, &TGrepForm::OnFileCopy);
    connect(act_.ActE_FileMove, &QAction::triggered, this, &TGrepForm::OnFileMove);
    connect(act_.ActE_AllSelect, &QAction::triggered, this, &TGrepForm::SelectAllOrNone);
    connect(act_.ActO_DispLineNo, &QAction::triggered, this, [this] {
        if (runState_ == TRunState::rsFinished && tree_->currentIndex().isValid())
            FillResultList(tree_->currentIndex());
    });
    connect(act_.ActO_Setting, &QAction::triggered, this, &TGrepForm::OnSettings);
    connect(act_.ActH_Topic, &QAction::triggered, this, &TGrepForm::OnHelpTopic);
    connect(act_.ActH_About, &QAction::triggered, this, &TGrepForm::OnAbout);
    addActions({act_.ActF_NewGrep, act_.ActF_GrepStart, act_.ActF_GrepStop, act_.ActF_SaveAs,
                act_.ActF_SaveHits, act_.ActF_OpenParam, act_.ActF_SaveParm, act_.ActF_Fin, act_.ActE_View,
                act_.ActE_OpenZiZiv, act_.ActE_FileCopy, act_.ActE_FileMove, act_.ActE_AllSelect,
                act_.ActO_DispLineNo, act_.ActH_Topic, act_.ActH_About});
}

void TGrepForm::CreateMenus()
{
    auto header = [this](QAction *headerAction) {
        QMenu *menu = menuBar()->addMenu(headerAction->text());
        menu->menuAction()->setObjectName(headerAction->objectName());
        // Opening a menu re-checks every action.
        connect(menu, &QMenu::aboutToShow, this, [this] { UpdateActions(); });
        return menu;
    };
    QMenu *file = header(act_.ActF);
    file->addAction(act_.ActF_NewGrep);
    file->addAction(act_.ActF_GrepStart);
    file->addAction(act_.ActF_GrepStop);
    file->addSeparator();
    file->addAction(act_.ActF_SaveAs);
    file->addAction(act_.ActF_SaveHits);
    file->addSeparator();
    file->addAction(act_.ActF_OpenParam);
    file->addAction(act_.ActF_SaveParm);
    file->addSeparator();
    file->addAction(act_.ActF_Fin);

    QMenu *edit = header(act_.ActE);
    edit->addAction(act_.ActE_View);
    edit->addAction(act_.ActE_OpenZiZiv);
    edit->addSeparator();
    edit->addAction(act_.ActE_Close);
    edit->addSeparator()->setVisible(false);
    edit->addAction(act_.ActE_FileCopy);
    edit->addSeparator();
    edit->addAction(act_.ActE_AllSelect);

    QMenu *options = menuBar()->addMenu(act_.ActO->text());
    options->addAction(act_.ActO_DispLineNo);
    options->addSeparator();
    options->addAction(act_.ActO_Setting);

    QMenu *help = header(act_.ActH);
    help->addAction(act_.ActH_Topic);
    help->addAction(act_.ActH_About);

    btnNewGrep_->setText(act_.ActF_NewGrep->text());
    btnStart_->setText(act_.ActF_GrepStart->text());
    btnStop_->setText(act_.ActF_GrepStop->text());
    connect(btnNewGrep_, &QPushButton::clicked, act_.ActF_NewGrep, &QAction::trigger);
    connect(btnStart_, &QPushButton::clicked, act_.ActF_GrepStart, &QAction::trigger);
    connect(btnStop_, &QPushButton::clicked, act_.ActF_GrepStop, &QAction::trigger);
    btnStart_->setDefault(true);
}

void TGrepForm::CreateToolBar()
{
    toolBar_ = addToolBar(QStringLiteral("ToolBar"));
    toolBar_->setObjectName("ToolBar");
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolBar_->setIconSize(QSize(20, 20));
    toolBar_->toggleViewAction()->setEnabled(false);
    toolBar_->addAction(act_.ActF_NewGrep);
    toolBar_->addSeparator();
    toolBar_->addAction(act_.ActF_GrepStart);
    toolBar_->addAction(act_.ActF_GrepStop);
    toolBar_->addSeparator();
    toolBar_->addAction(act_.ActF_SaveAs);
    toolBar_->addSeparator();
    toolBar_->addAction(act_.ActF_OpenParam);
    toolBar_->addAction(act_.ActF_SaveParm);
    toolBar_->addSeparator();
    toolBar_->addAction(act_.ActE_View);
    toolBar_->addAction(act_.ActE_OpenZiZiv);
    toolBar_->addSeparator();
    toolBar_->addAction(act_.ActE_FileCopy);
    toolBar_->addAction(act_.ActE_AllSelect);
    toolBar_->addSeparator();
    toolBar_->addAction(act_.ActF_Fin);
    setContextMenuPolicy(Qt::NoContextMenu);
}

void TGrepForm::CreatePopups()
{
    popTree_ = new QMenu(this);
    popTree_->addAction(act_.ActE_OpenZiZiv);
    popTree_->addSeparator();
    popTree_->addAction(act_.ActE_Close);
    popTree_->addSeparator();
    popTree_->addAction(act_.ActE_FileCopy);

    popList_ = new QMenu(this);
    popList_->addAction(act_.ActE_View);
    popList_->addAction(act_.ActE_OpenZiZiv);
    popList_->addSeparator();
    popList_->addAction(act_.ActE_Close);
    popList_->addSeparator()->setVisible(false);
    popList_->addAction(act_.ActE_FileCopy);
    popList_->addSeparator();
    popList_->addAction(act_.ActO_DispLineNo);

    popFilter_ = new QMenu(this);
    addFilterItem_ = popFilter_->addAction(QString::fromUtf8("いまのフィルタを追加(&A)"));
    editFilterItem_ = popFilter_->addAction(QString::fromUtf8("フィルタの編集(&E)"));
    filterSeparator_ = popFilter_->addSeparator();
    connect(addFilterItem_, &QAction::triggered, this, &TGrepForm::OnAddCurrentFilter);
    connect(editFilterItem_, &QAction::triggered, this, &TGrepForm::OnEditFilters);
    connect(popFilter_, &QMenu::aboutToShow, this, [this] { PrepareFilterMenu(); });
    btnItem_->setMenu(popFilter_);

    popReOpen_ = new QMenu(this);
    connect(popReOpen_, &QMenu::aboutToShow, this, [this] { PrepareReOpenMenu(); });
    btnName_->setMenu(popReOpen_);

    for (QMenu *menu : {popTree_, popList_})
        connect(menu, &QMenu::aboutToShow, this, [this] { UpdateActions(); });
}

void TGrepForm::CreateKeys()
{
    // Esc belongs to the window wherever the focus is (a combo box's open list keeps its own).
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] { EscapePressed(); });
    // Shift+F10 is the keyboard's way to a pop-up menu, as the menu key is.
    auto *popupKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), this);
    popupKey->setContext(Qt::WindowShortcut);
    connect(popupKey, &QShortcut::activated, this, [this] { OpenPopupOfFocus(); });

    // Enter in a condition box starts the search, as the start button would.
    for (QComboBox *box : {static_cast<QComboBox *>(hisChar_), static_cast<QComboBox *>(hisName_),
                           static_cast<QComboBox *>(hisPath_), static_cast<QComboBox *>(hisItem_)})
        connect(box->lineEdit(), &QLineEdit::returnPressed, this, [this] {
            if (act_.ActF_GrepStart->isEnabled())
                act_.ActF_GrepStart->trigger();
        });
    list_->installEventFilter(this);
    // Esc is watched on its way to any widget, so a press that an open list or
    // menu took is known when the window's own Esc handling is reached.
    qApp->installEventFilter(this);
}

void TGrepForm::NoteEscapeForPopup(QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride && type != QEvent::KeyRelease)
        return;
    if (static_cast<QKeyEvent *>(event)->key() != Qt::Key_Escape)
        return;
    if (type == QEvent::KeyRelease)
        escapeForPopup_ = false;
    else if (QApplication::activePopupWidget())
        escapeForPopup_ = true;
}

// Enter opens the hit; Ctrl+A selects every row (the view's own select-all
// walks all rows, ours is one range).
bool TGrepForm::HandleListKey(QKeyEvent *key)
{
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if ((key->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier)) != Qt::NoModifier)
            return false;
        if (act_.ActE_View->isEnabled())
            act_.ActE_View->trigger();
        return true;
    }
    if (key->matches(QKeySequence::SelectAll)) {
        SelectAllListRows();
        ShowSelectionCount();
        return true;
    }
    return false;
}

void TGrepForm::OpenPopupOfFocus()
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus || focus->window() != this)
        return;
    if (focus == list_ || focus == tree_) {
        auto *view = static_cast<QTreeView *>(focus);
        QRect cell = view->visualRect(view->currentIndex());
        const QRect area = view->viewport()->rect();
        const QPoint at = cell.isValid() && area.intersects(cell) ? cell.intersected(area).center() : area.topLeft();
        if (focus == list_)
            ListContextMenu(at);
        else
            TreeContextMenu(at);
        return;
    }
    // Edit boxes and the rest: their own menu, as the menu key would open it.
    const QPoint at = focus->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, at, focus->mapToGlobal(at));
    QApplication::sendEvent(focus, &event);
}

void TGrepForm::EscapePressed()
{
    // An open drop-down list or menu takes Esc to close itself, nothing more.
    if (QWidget *popup = QApplication::activePopupWidget()) {
        popup->close();
        return;
    }
    if (escapeForPopup_)
        return;
    if (busy_) {
        // Directly: the stop action is disabled while a view extracts.
        StopSearch();
        return;
    }
    if (ShowMessageBox(this, "ZuRivoを終了しますか？", mtConfirmation, mbYesNo) == mrYes)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

ActionEnablingInput TGrepForm::EnablingInput() const
{
    ActionEnablingInput in;
    in.runState = runState_;
    in.conditionsChanged = conditionsChanged_;
    in.treeHasArchives = treeModel_->ArchiveCount() > 0;
    const QModelIndex node = tree_->currentIndex();
    in.archiveNodeSelected = node.isValid() && !treeModel_->IsRoot(node);
    in.selectedListItems = SelectedListRows();
    return in;
}

void TGrepForm::UpdateActions()
{
    const ActionEnabling e = ComputeActionEnabling(EnablingInput());
    act_.ActF_NewGrep->setEnabled(e.newGrep);
    act_.ActF_SaveParm->setEnabled(e.saveParam);
    act_.ActF_GrepStart->setEnabled(e.grepStart);
    act_.ActF_OpenParam->setEnabled(e.openParam);
    act_.ActF_GrepStop->setEnabled(e.grepStop);
    act_.ActF_SaveAs->setEnabled(e.saveAs);
    act_.ActF_SaveHits->setEnabled(e.saveAs);
    act_.ActE_View->setEnabled(e.view);
    act_.ActE_OpenZiZiv->setEnabled(e.openZiZiv);
    act_.ActE_FileCopy->setEnabled(e.fileCopy);
    act_.ActE_FileMove->setEnabled(e.fileMove);
    act_.ActE_AllSelect->setEnabled(e.allSelect);
    RefreshZiZivHint();
    btnNewGrep_->setEnabled(e.newGrep);
    btnStart_->setEnabled(e.grepStart);
    btnStop_->setEnabled(e.grepStop);
}

}  // namespace zr
