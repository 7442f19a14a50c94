#pragma once
// The archive-name and stored-file boxes: opening the list puts "*.*" on top
// of the history and leaves the text as it was.

#include "history/history_combo_box.h"

namespace zr {

class TPatternComboBox : public THistoryComboBox {
    Q_OBJECT
public:
    using THistoryComboBox::THistoryComboBox;
    void showPopup() override;
};

}  // namespace zr
