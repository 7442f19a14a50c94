#include "app/pattern_combo_box.h"

#include <QSignalBlocker>

namespace zr {

void TPatternComboBox::showPopup()
{
    const QString text = currentText();
    {
        // Rearranging the list is no edit of the condition.
        const QSignalBlocker block(this);
        PushText("*.*");
        setEditText(text);
    }
    THistoryComboBox::showPopup();
}

}  // namespace zr
