#pragma once
// Which archives the archive actions (ZiZiv, copy, move) work on: with the
// tree root selected, the selected archives of the list (all of them when
// none is selected) in list order; with an archive node, that archive alone
// whatever the list selection; with no tree selection, none.

#include "search/hit_list.h"

#include <cstddef>
#include <string>
#include <vector>

namespace zr {

enum class TTreeSelection { tsNone, tsRoot, tsArchive };

struct TArchiveSelectionState {
    TTreeSelection tree = TTreeSelection::tsNone;
    std::vector<std::size_t> listRecords;  // root: the record of each list row, in list order
    std::vector<int> selectedRows;         // root: the selected list rows, in any order
    std::size_t archiveRecord = 0;         // archive node: its first record
};

struct TSelectedArchive {
    std::string path;
    std::size_t record = 0;
};

std::vector<TSelectedArchive> CollectSelectedArchives(const TArchiveSelectionState &state,
                                                      const search::HitList &hits);

}  // namespace zr
