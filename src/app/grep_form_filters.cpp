// The stored-file filter table from the main window: first-run defaults, the
// filter pop-up's "add the current pattern" and "edit the filters".

#include "app/filter_form.h"
#include "app/filter_table.h"
#include "app/grep_form.h"
#include "app/pattern_combo_box.h"
#include "util/message_box.h"

#include <exception>

namespace zr {

void TGrepForm::SetUpFilterTable()
{
    if (!dialogs_.editFilters)
        dialogs_.editFilters = [](QWidget *owner) {
            return EditFilterTable(owner, kFilterNamesKey, kFilterMasksKey);
        };
    try {
        InstallFilterDefaults(kFilterNamesKey, kFilterMasksKey, false);
    } catch (const std::exception &e) {
        ShowMessageBox(nullptr, e.what(), mtError, mbOKOnly);
    }
}

void TGrepForm::OnAddCurrentFilter()
{
    try {
        AddFilter(kFilterNamesKey, kFilterMasksKey, hisItem_->currentText().toStdString());
    } catch (const std::exception &e) {
        ShowMessageBox(this, e.what(), mtError, mbOKOnly);
    }
}

void TGrepForm::OnEditFilters() { dialogs_.editFilters(this); }

}  // namespace zr
