// Shows the result view with Japanese and ASCII lines, wrapped at the window
// width, with a selection, line-end marks and both scroll bars.
// Usage: bigview_demo [screenshot.png [scrolled.png [wheeled.png]]]  (with
// file names it saves a grab of the window, then one scrolled to the end,
// then one after a wheel notch up, and quits).
#include <QApplication>
#include <QTimer>
#include <QWheelEvent>
#include <QVBoxLayout>
#include <QWidget>
#include <string>

#include "bigview/bigview.h"

namespace {

void FillSummary(zr::TBigView &view)
{
    view.AddLine("検索した文字： 圧縮ファイル");
    view.AddLine("検索した場所： /home/user/archives");
    view.AddLine("検索したファイル： *.txt;*.doc");
    view.AddLine("");
    // A decomposed name as macOS archives store it: the marks stay on their base.
    view.AddLine("mac.zip  テ\u3099スト\u3099のファイル/ハ\u309Aン\u309Aの記録テ\u3099ータ\u3099.txt  "
                 "テ\u3099テ\u3099テ\u3099テ\u3099テ\u3099テ\u3099テ\u3099テ\u3099テ\u3099テ\u3099テ\u3099");
    for (int i = 1; i <= 30; ++i) {
        view.AddLine("sample" + std::to_string(i) + ".lzh  readme.txt  " + std::to_string(i * 3) +
                     " 件\tこの行は長いので、ウィンドウの幅で折り返されて表示されます。 ASCII text follows: "
                     "the quick brown fox jumps over the lazy dog.");
        view.SetTopLine(view.LineCount() - view.VisibleLines());
    }
    view.AddLine("検索終了： 30 個の書庫で 90 件見つかりました。");
    view.SetTopLine(0);
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("ZuRivo result view"));
    auto *layout = new QVBoxLayout(&window);
    auto *view = new zr::TBigView(&window);
    layout->addWidget(view);
    view->SetCRMark(true);
    view->SetCaret(true);
    view->SetScrollBar(zr::TBvScrollBars::ssBoth);
    view->SetBvStyle(zr::TBvStyleFlag::bvClientLow | zr::TBvStyleFlag::bvCaption);
    view->SetCaption("検索結果");
    window.resize(640, 420);
    window.show();
    FillSummary(*view);
    view->SetSelection({8, 0}, {10, 1});
    window.activateWindow();
    view->setFocus();
    if (argc > 1) {
        const QString file = QString::fromLocal8Bit(argv[1]);
        const QString scrolled = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
        const QString wheeled = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
        QTimer::singleShot(500, &window, [&window, view, file, scrolled, wheeled] {
            window.grab().save(file);
            if (!scrolled.isEmpty()) {
                view->SetTopLine(view->LineCount() - view->VisibleLines());
                window.grab().save(scrolled);
            }
            if (!wheeled.isEmpty()) {
                const QPointF at(40, 60);
                QWheelEvent notch(at, view->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                                  Qt::NoModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(view, &notch);
                window.grab().save(wheeled);
            }
            QApplication::quit();
        });
    }
    return app.exec();
}
