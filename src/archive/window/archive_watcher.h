#pragma once
// Reports a changed or vanished archive file once changes have been quiet
// for a while (3000 ms by default). Runs on the thread that owns it, through
// its event loop; without a Qt application it stays idle.

#include <QDateTime>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QFileSystemWatcher;
class QTimer;

namespace zr::archive {

class TArchiveWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultQuietMs = 3000;

    explicit TArchiveWatcher(std::function<void()> onNotification, QObject *parent = nullptr);
    ~TArchiveWatcher() override;

    // Watches the folder of file (empty: nothing) and records its size and time.
    void PointAt(const std::string &file);
    // Forgets file and folder until the next PointAt.
    void Stop();

    const QString &WatchedFile() const { return file_; }
    void SetQuietInterval(int ms);
    int QuietInterval() const { return quietMs_; }

private:
    void OnFolderOrFileChanged();
    void OnQuiet();
    void RecordState();
    bool EnsureWatcher();

    std::function<void()> onNotification_;
    QFileSystemWatcher *watcher_ = nullptr;
    QTimer *quietTimer_ = nullptr;
    QString file_;
    QString folder_;
    bool exists_ = false;
    qint64 size_ = -1;
    QDateTime lastWrite_;
    int quietMs_ = kDefaultQuietMs;
};

}  // namespace zr::archive
