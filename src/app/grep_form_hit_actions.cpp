// The actions on hits, new search, quit, help and about. Each action has one
// handler here; the window calls them through its action list.

#include "app/about_box.h"
#include "app/grep_form.h"
#include "app/help_window.h"
#include "app/options_panel.h"
#include "app/pattern_combo_box.h"
#include "util/message_box.h"

#include <QTreeView>

namespace zr {

void TGrepForm::OnNewGrep()
{
    if (runState_ == TRunState::rsSearching) {
        StopSearch();
        if (runState_ == TRunState::rsSearching)
            return;
    }
    if (runState_ == TRunState::rsFinished &&
        ShowMessageBox(this, "現在の検索条件と結果をクリアしますか？", mtConfirmation, mbYesNo) != mrYes)
        return;
    // The four boxes start over; the option switches stay as the user set them.
    hisChar_->setEditText(QString());
    hisName_->setEditText(QStringLiteral("*.*"));
    hisPath_->setCurrentIndex(-1);
    hisPath_->setEditText(QString());
    hisItem_->setEditText(QString());
    options_->SetOpen(false);
    SetRunState(TRunState::rsIdle);
    SetConditionsChanged(false);
    ShowSelectionCount();
    hisChar_->setFocus();
}

void TGrepForm::OnView() { ViewSelectedHit(); }
void TGrepForm::OnOpenZiZiv() { OpenSelectedInZiZiv(); }
void TGrepForm::OnFileCopy() { CopyOrMoveSelected(TCopyMoveKind::cmCopy); }
void TGrepForm::OnFileMove() { CopyOrMoveSelected(TCopyMoveKind::cmMove); }

void TGrepForm::OnFinish() { close(); }

void TGrepForm::OnHelpTopic() { ShowHelpWindow(this); }

void TGrepForm::OnAbout() { ShowAboutBox(this); }

}  // namespace zr
