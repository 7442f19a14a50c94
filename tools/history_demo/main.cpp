// history_demo [--screenshots DIR]
// A window with a folder history, a search-string history and a history menu,
// and a button that copies a few generated files with the progress window.
// With --screenshots it saves the open folder list, the menu and the running
// copy as PNG files in DIR and quits. Settings go to a private database.

#include "fileop/file_operator.h"
#include "fileop/file_progress_dialog.h"
#include "history/history_combo_box.h"
#include "history/history_menu.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <fstream>

namespace {

void Snap(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return;
    QApplication::processEvents();
    QApplication::primaryScreen()->grabWindow(0).save(folder + "/" + name);
}

// Progress that goes slowly enough to be seen, and takes one picture midway.
class ShownProgress : public zr::TFileProgressDialog {
public:
    ShownProgress(QWidget *parent, const std::string &title, QString shots)
        : TFileProgressDialog(parent, title, true), shots_(std::move(shots))
    {
        Dialog()->setMinimumDuration(0);
    }
    void Begin(std::uint64_t total) override
    {
        total_ = total;
        TFileProgressDialog::Begin(total);
    }
    bool Advance(const std::string &file, std::uint64_t done) override
    {
        const bool go = TFileProgressDialog::Advance(file, done);
        QThread::msleep(40);
        if (!snapped_ && done * 2 >= total_) {
            snapped_ = true;
            Snap(shots_, "copy_progress.png");
        }
        return go;
    }

private:
    QString shots_;
    std::uint64_t total_ = 0;
    bool snapped_ = false;
};

struct Demo {
    QTemporaryDir scratch;
    QMainWindow window;
    zr::THistoryComboBox *folders = nullptr;
    zr::THistoryComboBox *texts = nullptr;
    QMenu *recent = nullptr;
    zr::THistoryMenu history;
    QString shots;

    std::string Scratch(const std::string &name) const { return scratch.path().toStdString() + "/" + name; }

    void Build()
    {
        auto *central = new QWidget;
        auto *layout = new QVBoxLayout(central);
        layout->addWidget(new QLabel("検索文字列"));
        texts = new zr::THistoryComboBox;
        texts->SetKey("Software\\Quib\\ZiZiv\\history\\Grep\\Char");
        layout->addWidget(texts);
        layout->addWidget(new QLabel("検索フォルダ"));
        folders = new zr::THistoryComboBox;
        folders->SetKey("Software\\Quib\\ZiZiv\\history\\Grep\\Path");
        folders->SetStyle(zr::TComboBoxStyle::csOwnerDrawFixed);
        folders->SetMaxHistoryLength(19);
        layout->addWidget(folders);
        auto *copy = new QPushButton("見つかった書庫をコピー(&C)...");
        QObject::connect(copy, &QPushButton::clicked, [this] { RunCopy(); });
        layout->addWidget(copy);
        window.setCentralWidget(central);
        window.setWindowTitle("ZuRivo - 履歴とファイル操作");
        window.resize(560, 260);

        recent = window.menuBar()->addMenu("ファイル(&F)")->addMenu("最近使った書庫(&R)");
        history.SetKeyName("Software\\Quib\\ZiZiv\\history\\Grep\\ArchiveFile");
        history.SetTargetMenuItem(recent);
        history.SetActive(true);
    }

    void Fill()
    {
        for (const char *text : {"ハードディスク", "zlib", "検索", "TODO|FIXME"})
            texts->PushText(text);
        texts->SaveHistory(true);
        const std::string home = QDir::homePath().toStdString();
        for (const std::string &path :
             {Scratch("never-made"), std::string("/usr/share"), home, std::string("/tmp"), std::string("/")})
            folders->PushText(path);
        folders->SaveHistory(true);
        for (int i = 0; i < 12; ++i) {
            const std::string file =
                Scratch("arc/set" + std::to_string(i % 3) + "/archive" + std::to_string(i) + ".lzh");
            QDir().mkpath(QString::fromStdString(file).section('/', 0, -2));
            std::ofstream(file) << "x";
            history.AddFile(file);
        }
        history.RebuildMenu();
    }

    void RunCopy()
    {
        std::string sources;
        for (int i = 0; i < 6; ++i) {
            const std::string file = Scratch("big/archive" + std::to_string(i) + ".lzh");
            QDir().mkpath(QString::fromStdString(Scratch("big")));
            std::ofstream(file, std::ios::binary) << std::string(8 << 20, static_cast<char>('a' + i));
            sources += file + ",";
        }
        zr::TFileOperator op;
        op.SetParentForm(&window);
        op.SetOperation(zr::TFileOperation::foCopy);
        op.SetProgressTitle("書庫のコピー");
        op.SetSource(sources);
        op.SetDestination(Scratch("copied/here") + ",");
        const QString shotFolder = shots;
        op.SetProgressFactory([this, shotFolder](const zr::TFileOperator &o) {
            return std::make_unique<ShownProgress>(&window, o.ProgressTitle(), shotFolder);
        });
        const bool ok = op.Execute();
        window.statusBar()->showMessage(ok && !op.Aborted() ? "コピーしました" : "コピーは完了していません");
    }
};

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Demo demo;
    if (!demo.scratch.isValid())
        return 1;
    qputenv("ZURIVO_REGISTRY", QByteArray::fromStdString(demo.Scratch("registry.sqlite3")));
    const QStringList args = app.arguments();
    const int at = args.indexOf("--screenshots");
    if (at >= 0 && at + 1 < args.size())
        demo.shots = args[at + 1];

    demo.Build();
    demo.Fill();
    demo.window.show();
    if (demo.shots.isEmpty())
        return app.exec();

    QTimer::singleShot(300, [&] {
        demo.folders->showPopup();
        QTimer::singleShot(300, [&] {
            Snap(demo.shots, "history_combo.png");
            demo.folders->hidePopup();
            demo.recent->popup(demo.window.mapToGlobal(QPoint(20, 40)));
            QTimer::singleShot(300, [&] {
                Snap(demo.shots, "history_menu.png");
                demo.recent->hide();
                demo.RunCopy();
                QTimer::singleShot(300, [&] {
                    Snap(demo.shots, "after_copy.png");
                    // Again into the same folder: the overwrite question
                    // comes up over the progress window and is answered.
                    auto *poll = new QTimer(&demo.window);
                    QObject::connect(poll, &QTimer::timeout, [&demo, poll] {
                        for (QWidget *w : QApplication::topLevelWidgets()) {
                            auto *box = qobject_cast<QMessageBox *>(w);
                            if (!box || !box->isVisible())
                                continue;
                            poll->stop();
                            Snap(demo.shots, "copy_question.png");
                            for (QAbstractButton *b : box->buttons())
                                if (b->text().startsWith(QStringLiteral("すべて")))
                                    b->click();
                        }
                    });
                    poll->start(200);
                    demo.RunCopy();
                    Snap(demo.shots, "after_second_copy.png");
                    app.quit();
                });
            });
        });
    });
    return app.exec();
}
