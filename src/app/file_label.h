#pragma once
// TFileLabel: shows a path in one line; a path wider than the label loses
// middle elements to "..." (see path_shortening.h).

#include <QLabel>
#include <string>

namespace zr {

class TFileLabel : public QLabel {
    Q_OBJECT
public:
    explicit TFileLabel(QWidget *parent = nullptr);
    void SetPath(const std::string &path);
    const std::string &Path() const { return path_; }
    void SetSeparator(char separator);
    char Separator() const { return separator_; }
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void Refit();
    std::string path_;
    char separator_ = '/';
};

}  // namespace zr
