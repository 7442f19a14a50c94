#include "app/file_label.h"

#include "app/path_shortening.h"

#include <QFontMetrics>

namespace zr {

TFileLabel::TFileLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void TFileLabel::SetPath(const std::string &path)
{
    path_ = path;
    setToolTip(QString::fromStdString(path));
    Refit();
}

void TFileLabel::SetSeparator(char separator)
{
    separator_ = separator;
    Refit();
}

QSize TFileLabel::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

void TFileLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    Refit();
}

void TFileLabel::Refit()
{
    const QFontMetrics metrics(font());
    const auto width = [&metrics](const std::string &text) {
        return metrics.horizontalAdvance(QString::fromStdString(text));
    };
    setText(QString::fromStdString(ShortenPathMiddle(path_, separator_, contentsRect().width(), width)));
}

}  // namespace zr
