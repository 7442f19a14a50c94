#include "app/grep_status_bar.h"

#include "app/file_label.h"
#include "app/status_bar_geometry.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

namespace zr {

namespace {

QRect ToQRect(const Rect &r) { return {r.left, r.top, r.width, r.height}; }

}  // namespace

// Holds the parts and places them by the geometry rule on every resize.
class TGrepStatusBar::Panels : public QWidget {
public:
    explicit Panels(QWidget *parent) : QWidget(parent) {}
    QLabel *count = nullptr;
    QProgressBar *gauge = nullptr;
    QFrame *runPanel = nullptr;

protected:
    void resizeEvent(QResizeEvent *) override
    {
        const StatusBarGeometry g = ComputeStatusBarGeometry(width(), height());
        count->setGeometry(ToQRect(g.countPanel));
        gauge->setGeometry(ToQRect(g.gauge));
        runPanel->setGeometry(ToQRect(g.runPanel));
    }
};

TGrepStatusBar::TGrepStatusBar(QWidget *parent) : QStatusBar(parent)
{
    setSizeGripEnabled(true);
    panels_ = new Panels(this);
    panels_->setMinimumHeight(fontMetrics().height() + 8);
    count_ = new QLabel(panels_);
    count_->setFrameShape(QFrame::Panel);
    count_->setFrameShadow(QFrame::Sunken);
    count_->setIndent(3);
    gauge_ = new QProgressBar(panels_);
    gauge_->setRange(0, 100);
    gauge_->setTextVisible(false);
    runPanel_ = new QFrame(panels_);
    runPanel_->setFrameShape(QFrame::NoFrame);
    auto *layout = new QHBoxLayout(runPanel_);
    layout->setContentsMargins(2, 0, 2, 0);
    caption_ = new QLabel(runPanel_);
    fileLabel_ = new TFileLabel(runPanel_);
    layout->addWidget(caption_);
    layout->addWidget(fileLabel_, 1);
    panels_->count = count_;
    panels_->gauge = gauge_;
    panels_->runPanel = runPanel_;
    gauge_->hide();
    runPanel_->hide();
    addWidget(panels_, 1);
}

void TGrepStatusBar::SetCountText(const std::string &text) { count_->setText(QString::fromStdString(text)); }

std::string TGrepStatusBar::CountText() const { return count_->text().toStdString(); }

void TGrepStatusBar::BeginRun(const std::string &caption, const std::string &path, char separator)
{
    gauge_->setRange(0, 100);
    gauge_->setValue(0);
    caption_->setText(QString::fromStdString(caption));
    fileLabel_->SetSeparator(separator);
    fileLabel_->SetPath(path);
    gauge_->show();
    runPanel_->show();
    gauge_->raise();
    caption_->repaint();
}

void TGrepStatusBar::SetGauge(int position, int maximum)
{
    gauge_->setRange(0, std::max(1, maximum));
    gauge_->setValue(std::clamp(position, 0, std::max(1, maximum)));
}

void TGrepStatusBar::SetFile(const std::string &path) { fileLabel_->SetPath(path); }

void TGrepStatusBar::EndRun()
{
    gauge_->hide();
    runPanel_->hide();
}

bool TGrepStatusBar::RunPartsVisible() const { return !gauge_->isHidden() && !runPanel_->isHidden(); }

}  // namespace zr
