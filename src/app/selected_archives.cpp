#include "app/selected_archives.h"

#include <algorithm>

namespace zr {

std::vector<TSelectedArchive> CollectSelectedArchives(const TArchiveSelectionState &state,
                                                      const search::HitList &hits)
{
    std::vector<TSelectedArchive> out;
    const auto add = [&](std::size_t record) {
        if (record < hits.Size())
            out.push_back({hits.At(record).ArchivePath, record});
    };
    switch (state.tree) {
    case TTreeSelection::tsNone:
        break;
    case TTreeSelection::tsArchive:
        add(state.archiveRecord);
        break;
    case TTreeSelection::tsRoot: {
        if (state.selectedRows.empty()) {
            for (std::size_t record : state.listRecords)
                add(record);
            break;
        }
        std::vector<int> rows = state.selectedRows;
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        for (int row : rows)
            if (row >= 0 && static_cast<std::size_t>(row) < state.listRecords.size())
                add(state.listRecords[static_cast<std::size_t>(row)]);
        break;
    }
    }
    return out;
}

}  // namespace zr
