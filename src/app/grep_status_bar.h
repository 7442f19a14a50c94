#pragma once
// The main window's status bar: the count text in the first third; during a
// run a gauge over it, the caption "検索中 ...   " and the current file.
// Menu hints use the bar's own message, which hides the panels meanwhile.

#include <QStatusBar>
#include <string>

class QLabel;
class QProgressBar;
class QFrame;

namespace zr {

class TFileLabel;

class TGrepStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TGrepStatusBar(QWidget *parent = nullptr);

    void SetCountText(const std::string &text);
    std::string CountText() const;

    // Shows the gauge (0 of 100), the caption and the file label.
    void BeginRun(const std::string &caption, const std::string &path, char separator);
    void SetGauge(int position, int maximum);
    void SetFile(const std::string &path);
    void EndRun();
    bool RunPartsVisible() const;

    QProgressBar *Gauge() const { return gauge_; }
    TFileLabel *FileLabel() const { return fileLabel_; }
    QLabel *RunCaption() const { return caption_; }

private:
    class Panels;
    Panels *panels_;
    QLabel *count_;
    QProgressBar *gauge_;
    QFrame *runPanel_;
    QLabel *caption_;
    TFileLabel *fileLabel_;
};

}  // namespace zr
