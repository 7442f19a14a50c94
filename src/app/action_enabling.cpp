#include "app/action_enabling.h"

namespace zr {

ActionEnabling ComputeActionEnabling(const ActionEnablingInput &in)
{
    const bool searching = in.runState == TRunState::rsSearching;
    const bool finished = in.runState == TRunState::rsFinished;
    ActionEnabling e;
    e.newGrep = in.conditionsChanged && !searching;
    e.saveParam = e.newGrep;
    e.grepStart = !searching;
    e.openParam = !searching;
    e.grepStop = !e.grepStart;
    e.saveAs = finished;
    e.view = finished && in.archiveNodeSelected && in.selectedListItems == 1;
    const bool onArchives = finished && in.treeHasArchives;
    e.openZiZiv = onArchives;
    e.fileCopy = onArchives;
    e.fileMove = onArchives;
    e.allSelect = onArchives;
    return e;
}

}  // namespace zr
