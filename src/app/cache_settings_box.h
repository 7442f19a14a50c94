#pragma once
// The settings dialog's section for the content cache: on or off, where it
// lives, how large it may grow and for how many days a pack is kept, what
// it holds now and a button that empties it.

#include <QGroupBox>

#include "search/content_cache_setup.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace zr {

class TCacheSettingsBox : public QGroupBox {
    Q_OBJECT
public:
    explicit TCacheSettingsBox(QWidget *parent = nullptr);

    void SetValues(const search::CacheSettingValues &values);
    search::CacheSettingValues Values() const;

    // Empties the cache folder shown now; a failure is reported.
    void ClearCache();
    // Shows what the folder holds now.
    void UpdateUsage();

    QCheckBox *OnBox() const { return chbOn_; }
    QLineEdit *FolderEdit() const { return edFolder_; }
    QSpinBox *SizeBox() const { return spnSize_; }
    QSpinBox *DaysBox() const { return spnDays_; }
    QPushButton *ClearButton() const { return btnClear_; }
    QLabel *UsageLabel() const { return lblUsage_; }

private:
    QCheckBox *chbOn_ = nullptr;
    QLineEdit *edFolder_ = nullptr;
    QSpinBox *spnSize_ = nullptr;
    QSpinBox *spnDays_ = nullptr;
    QLabel *lblUsage_ = nullptr;
    QPushButton *btnClear_ = nullptr;
};

}  // namespace zr
