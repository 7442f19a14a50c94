#pragma once
// Which of the main window's actions are enabled, from the run state, the
// selection and whether the conditions were edited. One rule table, applied
// after every state, selection and menu change.

#include "app/run_state.h"

namespace zr {

struct ActionEnablingInput {
    TRunState runState = TRunState::rsIdle;
    bool conditionsChanged = false;
    bool treeHasArchives = false;      // the tree holds more than its root
    bool archiveNodeSelected = false;  // a tree node other than the root is selected
    int selectedListItems = 0;
};

struct ActionEnabling {
    bool newGrep = false;
    bool saveParam = false;
    bool grepStart = false;
    bool openParam = false;
    bool grepStop = false;
    bool saveAs = false;
    bool view = false;
    bool openZiZiv = false;
    bool fileCopy = false;
    bool fileMove = false;
    bool allSelect = false;
    bool operator==(const ActionEnabling &) const = default;
};

ActionEnabling ComputeActionEnabling(const ActionEnablingInput &in);

}  // namespace zr
