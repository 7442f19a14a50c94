#pragma once
// TGrepForm: the main window. The conditions on the left, the run's header,
// the archive tree and the result list on the right. The rules it follows
// live in plain classes (action_enabling, result_panel_layout, hit_models,
// window_placement, ...); this class wires widgets to them.
//
// Files: grep_form.cpp (building, showing, closing), grep_form_actions.cpp
// (actions, menus, toolbar, keys), grep_form_conditions.cpp (the condition
// boxes and their buttons and pop-ups), grep_form_results.cpp (header, tree,
// list), grep_form_run.cpp (starting, stopping and finishing a run),
// grep_form_hit_actions.cpp (the actions on hits), grep_form_condition_files.cpp
// (condition and archive-set files), grep_form_filters.cpp (the filter table).

#include "app/action_enabling.h"
#include "app/file_dialog_request.h"
#include "app/hit_action_hooks.h"
#include "app/progress_feed.h"
#include "app/run_state.h"
#include "search/hit_list.h"
#include "search/run_options.h"
#include "search/run_sink.h"
#include "search/run_summary.h"
#include "search/search_conditions.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

class QAction;
class QActionGroup;
class QCheckBox;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QSplitter;
class QToolBar;
class QToolButton;
class QTreeView;
class QItemSelection;
class QKeyEvent;
class QTimer;

namespace zr {

class TBigView;
class TGrepStatusBar;
class THistoryComboBox;
class THistoryMenu;
class TOptionsPanel;
class TPatternComboBox;
class TArchiveTreeModel;
class THitLineDelegate;
class TResultListModel;
class TRunController;
struct RunBatch;

struct TGrepActions {
    QAction *ActF = nullptr;
    QAction *ActF_NewGrep = nullptr;
    QAction *ActF_GrepStart = nullptr;
    QAction *ActF_GrepStop = nullptr;
    QAction *ActF_SaveAs = nullptr;
    QAction *ActF_SaveHits = nullptr;
    QAction *ActF_OpenParam = nullptr;
    QAction *ActF_SaveParm = nullptr;
    QAction *ActF_Fin = nullptr;
    QAction *ActE = nullptr;
    QAction *ActE_View = nullptr;
    QAction *ActE_OpenZiZiv = nullptr;
    QAction *ActE_FileCopy = nullptr;
    QAction *ActE_FileMove = nullptr;
    QAction *ActE_AllSelect = nullptr;
    QAction *ActE_Close = nullptr;
    QAction *ActO = nullptr;
    QAction *ActO_DispLineNo = nullptr;
    QAction *ActO_Setting = nullptr;
    QAction *ActH = nullptr;
    QAction *ActH_Topic = nullptr;
    QAction *ActH_About = nullptr;
};

// Ways to replace the window's dialogs (tests, and the next layer of dialogs).
struct TGrepDialogs {
    // Folder picker: caption, prompt, start folder -> the chosen folder.
    std::function<std::optional<std::string>(QWidget *, const std::string &, const std::string &,
                                             const std::string &)>
        pickFolder;
    // Archive open dialog: start folder (may be empty) -> the chosen file.
    std::function<std::optional<std::string>(QWidget *, const std::string &)> pickArchive;
    // Condition-file and archive-set dialogs -> the chosen file.
    std::function<std::optional<std::string>(QWidget *, const TFileDialogRequest &)> pickFile;
    // The filter table dialog -> 1 after OK, 2 otherwise.
    std::function<int(QWidget *)> editFilters;
};

struct TGrepStartOptions {
    bool maximized = false;  // opened maximised: the stored placement is not applied
};

class TGrepForm : public QMainWindow {
    Q_OBJECT
public:
    using StartOptions = TGrepStartOptions;

    explicit TGrepForm(StartOptions options = StartOptions(), QWidget *parent = nullptr);
    ~TGrepForm() override;

    static constexpr const char *kCaption = "ZuRivo ";

    // ---- state ----
    TRunState RunState() const { return runState_; }
    void SetRunState(TRunState state);
    bool ConditionsChanged() const { return conditionsChanged_; }
    void SetConditionsChanged(bool changed);
    bool BusyFlag() const { return busy_; }
    void UpdateActions();
    ActionEnablingInput EnablingInput() const;

    // ---- conditions ----
    search::SearchConditions Conditions() const;
    // Puts conditions into the boxes (loading a condition file): the type rule
    // runs and the conditions count as edited.
    void SetConditions(const search::SearchConditions &conditions);
    std::string ArchiveNamePatternText() const;
    void LoadConditionFile(const std::string &path);

    // ---- run ----
    void StartSearch();  // ActF_GrepStart
    void StopSearch();   // ActF_GrepStop: asks, then stops
    // What a run does on its worker thread; the search core's run unless replaced.
    using RunJob = std::function<void(std::stop_token, search::RunSink &)>;
    using RunJobFactory = std::function<RunJob(const search::SearchConditions &, const search::RunOptions &)>;
    void SetRunJobFactory(RunJobFactory factory) { runJobFactory_ = std::move(factory); }
    // Waits for a running search and takes its last events (tests).
    void WaitForRun();
    const search::HitList &Hits() const { return hits_; }

    // ---- results ----
    void FillResultList(const QModelIndex &node);
    void ShowSelectionCount();
    void SelectAllOrNone();
    void SelectTreeRoot();
    std::string ResultLabelText() const;
    std::string TitleText() const;
    std::string ListHeaderText() const;
    std::vector<std::string> ResultViewLines() const;

    // ---- places and parts (for the hit actions and tests) ----
    const TGrepActions &Actions() const { return act_; }
    TGrepDialogs &Dialogs() { return dialogs_; }
    THitActionHooks &HitActionHooks() { return hitHooks_; }
    // The archives the archive actions work on, in list order.
    std::vector<std::string> SelectedArchivePaths() const;
    std::string WorkFolder() const { return workFolder_; }
    THistoryComboBox *HisChar() const { return hisChar_; }
    TPatternComboBox *HisName() const { return hisName_; }
    THistoryComboBox *HisPath() const { return hisPath_; }
    TPatternComboBox *HisItem() const { return hisItem_; }
    TOptionsPanel *Options() const { return options_; }
    TGrepStatusBar *GrepStatusBar() const { return statusBar_; }
    QTreeView *ArchiveTree() const { return tree_; }
    QTreeView *ResultList() const { return list_; }
    TArchiveTreeModel *TreeModel() const { return treeModel_; }
    TResultListModel *ListModel() const { return listModel_; }
    THitLineDelegate *LineDelegate() const { return lineDelegate_; }
    TBigView *ResultView() const { return resultView_; }
    QFrame *ResultHeader() const { return header_; }
    QMenu *FilterMenu() const { return popFilter_; }
    QMenu *ReOpenMenu() const { return popReOpen_; }
    QMenu *TreePopup() const { return popTree_; }
    QMenu *ListPopup() const { return popList_; }
    QSplitter *MainSplitter() const { return mainSplitter_; }
    QSplitter *ResultSplitter() const { return resultSplitter_; }
    bool InputsEnabled() const;

    // Chosen archive (archive dialog or re-open menu): name, folder, history.
    void UseArchive(const std::string &path);
    void ChooseFolder();                                      // the folder button
    void ChooseArchive(const std::string &startFolder = {});  // the archive button
    void ApplyFilter(int index);                              // a filter item of the pop-up

public slots:
    // Actions on hits and condition files (grep_form_hit_actions.cpp).
    void OnNewGrep();
    void OnSaveAs();
    void OnSaveHits();
    void OnOpenParam();
    void OnSaveParam();
    void OnFinish();
    void OnView();
    void OnOpenZiZiv();
    void OnFileCopy();
    void OnFileMove();
    void OnAddCurrentFilter();
    void OnEditFilters();
    void OnHelpTopic();
    void OnAbout();
    void OnSettings();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // grep_form.cpp
    void BuildWindow();
    QWidget *BuildConditionsPanel();
    QWidget *BuildResultPanel();
    void MakeWorkFolder();
    void FirstShow();
    void RestorePlacement();
    void SavePlacementAndWidths();
    void SaveHistories();

    // grep_form_actions.cpp
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreatePopups();
    void CreateKeys();
    void EscapePressed();
    bool HandleListKey(QKeyEvent *key);
    void NoteEscapeForPopup(QEvent *event);
    void OpenPopupOfFocus();

    // grep_form_conditions.cpp
    void ConnectConditionEdits();
    void ConditionEdited();
    void RememberUsedTexts();
    void CreateReOpenMenu();
    void PrepareReOpenMenu();
    void PrepareFilterMenu();
    void SetInputsEnabled(bool enabled);

    // grep_form_condition_files.cpp
    void SetUpFileDialogs();

    // grep_form_filters.cpp
    void SetUpFilterTable();

    // grep_form_results.cpp
    void LayoutResultPanel(TRunState state);
    void PlaceResultView();
    void FitHeaderToResultView();
    void TreeSelectionChanged();
    void ListContextMenu(const QPoint &pos);
    void TreeContextMenu(const QPoint &pos);
    void ClearResults();
    int SelectedListRows() const;
    void SelectAllListRows();
    int LineNumberColumnWidth() const;

    // grep_form_list_columns.cpp
    void SetUpListColumns();
    void ListHeaderClicked(int column);
    void ShowSortIndicator();
    // Before the list changes mode: keeps the widths of the mode shown.
    void KeepListWidths();
    // After: the remembered widths of the new mode, or widths that fit the
    // contents when the mode has none yet since the last run.
    void ApplyListWidths();
    void KeepLineNumbersWhole();
    void KeepStoredNamesWhole();
    void FitListColumns();

    // grep_form_hit_view.cpp, grep_form_archive_actions.cpp
    void ViewSelectedHit();
    void LaunchViewer(const std::string &commandLine);
    void OpenSelectedInZiZiv();
    void CopyOrMoveSelected(TCopyMoveKind kind);
    void RefreshZiZivHint();
    void SetViewBusy(bool busy);

    // grep_form_run.cpp
    void KeepTypedFolder(const std::string &folder);
    void EnterRun(const search::SearchConditions &conditions);
    void HandleBatch(RunBatch &batch);
    void ShowArrivedHits();
    void FinishRun(const search::RunSummary &summary);
    void LeaveRun();

    TGrepActions act_;
    TGrepDialogs dialogs_;
    THitActionHooks hitHooks_;
    StartOptions startOptions_;

    // Conditions.
    THistoryComboBox *hisChar_ = nullptr;
    TPatternComboBox *hisName_ = nullptr;
    THistoryComboBox *hisPath_ = nullptr;
    TPatternComboBox *hisItem_ = nullptr;
    QToolButton *btnName_ = nullptr;
    QToolButton *btnPath_ = nullptr;
    QToolButton *btnItem_ = nullptr;
    QPushButton *btnNewGrep_ = nullptr;
    QPushButton *btnStart_ = nullptr;
    QPushButton *btnStop_ = nullptr;
    TOptionsPanel *options_ = nullptr;
    QScrollArea *conditionsScroll_ = nullptr;

    // Results.
    QSplitter *mainSplitter_ = nullptr;
    QSplitter *resultSplitter_ = nullptr;
    QFrame *header_ = nullptr;
    QLabel *lblTitle_ = nullptr;
    QLabel *lblAnimation_ = nullptr;
    QLabel *lblResult_ = nullptr;
    TBigView *resultView_ = nullptr;
    QLabel *lblTreeHeader_ = nullptr;
    QLabel *lblListHeader_ = nullptr;
    QTreeView *tree_ = nullptr;
    QTreeView *list_ = nullptr;
    TArchiveTreeModel *treeModel_ = nullptr;
    TResultListModel *listModel_ = nullptr;
    THitLineDelegate *lineDelegate_ = nullptr;  // marks the matches in 検索行データ
    TGrepStatusBar *statusBar_ = nullptr;
    QToolBar *toolBar_ = nullptr;

    // Pop-ups.
    QMenu *popTree_ = nullptr;
    QMenu *popList_ = nullptr;
    QMenu *popFilter_ = nullptr;
    QMenu *popReOpen_ = nullptr;
    QAction *addFilterItem_ = nullptr;
    QAction *editFilterItem_ = nullptr;
    QAction *filterSeparator_ = nullptr;
    std::unique_ptr<THistoryMenu> reOpen_;

    // State.
    TRunState runState_ = TRunState::rsIdle;
    bool conditionsChanged_ = false;
    bool busy_ = false;
    bool shown_ = false;
    bool editsCount_ = false;
    bool escapeForPopup_ = false;  // this Esc press was taken by an open list or menu  // edits set ConditionsChanged once the first show is over
    std::string workFolder_;
    search::HitList hits_;
    search::SearchConditions runConditions_;
    TRunController *run_ = nullptr;
    RunJobFactory runJobFactory_;
    TProgressFeed progressFeed_;
    // Result-list column widths by list mode (root, archive); empty = fit
    // the contents when the mode is next shown.
    std::vector<int> listWidths_[2];
    bool applyingWidths_ = false;
    // The user has set the stored-name column's width since the last fit.
    bool namesSizedByHand_ = false;
    QTimer *animation_ = nullptr;
    int animationStep_ = 0;
};

}  // namespace zr
