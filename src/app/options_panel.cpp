#include "app/options_panel.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace zr {

namespace {

QCheckBox *NewCheckBox(const char *caption, bool checked, QWidget *parent)
{
    auto *box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setChecked(checked);
    return box;
}

}  // namespace

TOptionsPanel::TOptionsPanel(QWidget *parent) : QWidget(parent)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(2);
    lblOptions = new QLabel(this);
    lblOptions->setCursor(Qt::PointingHandCursor);
    // A Tab stop: Space or Enter opens and closes the panel as a click does.
    lblOptions->setFocusPolicy(Qt::StrongFocus);
    lblOptions->installEventFilter(this);
    outer->addWidget(lblOptions);

    body_ = new QWidget(this);
    auto *body = new QVBoxLayout(body_);
    body->setContentsMargins(4, 2, 4, 2);
    chbSubDir = NewCheckBox("サブフォルダも検索する(&R)", true, body_);
    body->addWidget(chbSubDir);
    chbNested = NewCheckBox("書庫内の書庫も検索", true, body_);
    chbNested->setToolTip(QString::fromUtf8("書庫に格納された書庫も開いて、その中のファイルを検索します"));
    body->addWidget(chbNested);
    lblArchiveTypes = new QLabel(QString::fromUtf8("検索対象の書庫形式"), body_);
    body->addWidget(lblArchiveTypes);
    frame = new QGroupBox(body_);
    auto *grid = new QGridLayout(frame);
    grid->setContentsMargins(6, 4, 6, 4);
    chbAlltype = NewCheckBox("すべての書庫", true, frame);
    chbLha = NewCheckBox("Lha書庫", false, frame);
    chbZip = NewCheckBox("Zip書庫", false, frame);
    chbArj = NewCheckBox("Arj書庫", false, frame);
    chbCab = NewCheckBox("Cab書庫", false, frame);
    chbTar = NewCheckBox("Tar書庫", false, frame);
    chbRar = NewCheckBox("Rar書庫", false, frame);
    chbSevenZip = NewCheckBox("7z書庫", false, frame);
    chbDocuments = NewCheckBox("Office/PDF文書", true, frame);
    chbSfx = NewCheckBox("自己解凍書庫も検索する(&X)", false, frame);
    grid->addWidget(chbAlltype, 0, 0, 1, 2);
    grid->addWidget(chbLha, 1, 0);
    grid->addWidget(chbZip, 1, 1);
    grid->addWidget(chbArj, 2, 0);
    grid->addWidget(chbCab, 2, 1);
    grid->addWidget(chbTar, 3, 0);
    grid->addWidget(chbRar, 3, 1);
    grid->addWidget(chbSevenZip, 4, 0);
    grid->addWidget(chbDocuments, 4, 1);
    grid->addWidget(chbSfx, 5, 0, 1, 2);
    body->addWidget(frame);
    lblMatching = new QLabel(QString::fromUtf8("文字列の照合"), body_);
    body->addWidget(lblMatching);
    auto *matching = new QGroupBox(body_);
    auto *matchingLayout = new QVBoxLayout(matching);
    matchingLayout->setContentsMargins(6, 4, 6, 4);
    chbRegExp = NewCheckBox("正規表現", true, matching);
    chbRegExp->setToolTip(QString::fromUtf8("オフにすると . や ( も入力どおりの文字として検索します"));
    chbFuzzy = NewCheckBox("あいまい検索", true, matching);
    chbFuzzy->setToolTip(QString::fromUtf8("全角と半角、ひらがなとカタカナなどを同じ文字とみなします"));
    matchingLayout->addWidget(chbRegExp);
    matchingLayout->addWidget(chbFuzzy);
    body->addWidget(matching);
    outer->addWidget(body_);

    connect(chbAlltype, &QCheckBox::clicked, this, [this] { ApplyTypeSwitchRule(); });
    ApplyTypeSwitchRule();
    body_->hide();
    StyleCaption();
}

void TOptionsPanel::SetOpen(bool open)
{
    if (open == open_)
        return;
    open_ = open;
    body_->setVisible(open);
    StyleCaption();
    emit OpenChanged(open);
}

void TOptionsPanel::ApplyTypeSwitchRule()
{
    const bool enabled = !chbAlltype->isChecked();
    for (QCheckBox *box : {chbLha, chbZip, chbArj, chbCab, chbTar, chbRar, chbSevenZip, chbDocuments})
        box->setEnabled(enabled);
}

void TOptionsPanel::SetCaptionEnabled(bool enabled) { lblOptions->setEnabled(enabled); }

std::vector<QWidget *> TOptionsPanel::Controls() const
{
    return {chbSubDir, chbNested, chbAlltype, chbLha, chbZip, chbArj, chbCab, chbTar, chbRar, chbSevenZip, chbDocuments, chbSfx};
}

void TOptionsPanel::StyleCaption()
{
    // Closed it reads as a link; open it reads as the title bar of the frame.
    if (open_) {
        lblOptions->setText(QString::fromUtf8("検索オプション <<"));
        lblOptions->setStyleSheet(QStringLiteral("QLabel { background: palette(highlight); color: white; "
                                                 "padding: 1px 3px; border: 1px solid transparent; }"
                                                 "QLabel:focus { border: 1px dotted white; }"));
        lblOptions->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    } else {
        lblOptions->setText(QString::fromUtf8("検索オプション >>"));
        lblOptions->setStyleSheet(QStringLiteral("QLabel { color: blue; padding: 1px 3px; "
                                                 "border: 1px solid transparent; }"
                                                 "QLabel:focus { border: 1px dotted blue; }"));
        lblOptions->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    }
}

bool TOptionsPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lblOptions && event->type() == QEvent::MouseButtonRelease && lblOptions->isEnabled()) {
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            Toggle();
        return true;
    }
    if (watched == lblOptions && event->type() == QEvent::KeyPress && lblOptions->isEnabled()) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
            Toggle();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace zr
