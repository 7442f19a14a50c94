#pragma once
// The folding options panel of the conditions: a link-like caption that opens
// and closes it, the sub-folder switch, the archive-type switches and how the
// text is matched (as a regular expression, with the fuzzy-character table).

#include <QWidget>
#include <vector>

class QCheckBox;
class QLabel;
class QGroupBox;

namespace zr {

class TOptionsPanel : public QWidget {
    Q_OBJECT
public:
    explicit TOptionsPanel(QWidget *parent = nullptr);

    bool IsOpen() const { return open_; }
    void SetOpen(bool open);
    void Toggle() { SetOpen(!open_); }
    // The six type switches follow "すべての書庫": enabled exactly when it is off.
    void ApplyTypeSwitchRule();
    // The caption takes no clicks during a run.
    void SetCaptionEnabled(bool enabled);
    // The switches in Tab order.
    std::vector<QWidget *> Controls() const;

    QLabel *lblOptions = nullptr;
    QCheckBox *chbSubDir = nullptr;
    QLabel *lblArchiveTypes = nullptr;
    QGroupBox *frame = nullptr;
    QCheckBox *chbAlltype = nullptr;
    QCheckBox *chbLha = nullptr;
    QCheckBox *chbZip = nullptr;
    QCheckBox *chbArj = nullptr;
    QCheckBox *chbCab = nullptr;
    QCheckBox *chbTar = nullptr;
    QCheckBox *chbRar = nullptr;
    QCheckBox *chbSevenZip = nullptr;
    QCheckBox *chbSfx = nullptr;
    QCheckBox *chbDocuments = nullptr;
    QLabel *lblMatching = nullptr;
    QCheckBox *chbRegExp = nullptr;
    QCheckBox *chbFuzzy = nullptr;
    QCheckBox *chbNested = nullptr;  // archives inside archives

signals:
    void OpenChanged(bool open);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void StyleCaption();
    QWidget *body_ = nullptr;
    bool open_ = false;
};

}  // namespace zr
