#include "app/about_box.h"

#include "app/action_icons.h"
#include "util/placement_qt.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace zr {

void ShowAboutBox(QWidget *owner)
{
    QDialog box(owner);
    box.setWindowTitle(QString::fromUtf8("バージョン情報"));
    auto *layout = new QVBoxLayout(&box);
    auto *row = new QHBoxLayout;
    auto *icon = new QLabel(&box);
    icon->setPixmap(FallbackActionIcon(aiGrepStart).pixmap(32, 32));
    auto *text = new QLabel(QStringLiteral("<b>ZuRivo</b><br>") + QString::fromUtf8(kVersionText) +
                                QString::fromUtf8("<br>書庫の中のファイルから文字列を探します"),
                            &box);
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(text, 1);
    layout->addLayout(row);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    box.adjustSize();
    PlaceFormNear(pkCentre, owner, &box);
    box.exec();
}

}  // namespace zr
