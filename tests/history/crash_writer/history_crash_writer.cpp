// Saves two histories over and over, switching each between an old and a new
// list, until it is killed. The crash-safety test kills it at random points.
#include <unistd.h>

#include <string>
#include <vector>

#include "history/history_store.h"
#include "history_crash_lists.h"

int main()
{
    using namespace zr;
    // Started: the test's kill clock begins now, not while the program loads.
    if (::write(1, "s", 1) != 1)
        return 1;
    for (unsigned round = 0;; ++round) {
        const bool fresh = round % 2 == 0;
        WriteComboHistory(TRootKey::hkCurrentUser, test::kComboKey,
                          fresh ? test::NewList() : test::OldList());
        THistoryList menu;
        for (const std::string &entry : fresh ? test::NewList() : test::OldList())
            menu.Add(entry);
        SaveHistoryList(TRootKey::hkCurrentUser, test::kMenuKey, menu);
    }
}
