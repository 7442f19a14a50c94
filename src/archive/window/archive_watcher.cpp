#include "archive/window/archive_watcher.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace zr::archive {

TArchiveWatcher::TArchiveWatcher(std::function<void()> onNotification, QObject *parent)
    : QObject(parent), onNotification_(std::move(onNotification))
{
}

TArchiveWatcher::~TArchiveWatcher() = default;

bool TArchiveWatcher::EnsureWatcher()
{
    if (watcher_)
        return true;
    // File-system notifications need the owner thread's event loop.
    if (!QCoreApplication::instance())
        return false;
    watcher_ = new QFileSystemWatcher(this);
    quietTimer_ = new QTimer(this);
    quietTimer_->setSingleShot(true);
    quietTimer_->setInterval(quietMs_);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &TArchiveWatcher::OnFolderOrFileChanged);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &TArchiveWatcher::OnFolderOrFileChanged);
    connect(quietTimer_, &QTimer::timeout, this, &TArchiveWatcher::OnQuiet);
    return true;
}

void TArchiveWatcher::SetQuietInterval(int ms)
{
    quietMs_ = ms;
    if (quietTimer_)
        quietTimer_->setInterval(ms);
}

void TArchiveWatcher::RecordState()
{
    const QFileInfo info(file_);
    exists_ = info.exists();
    size_ = exists_ ? info.size() : -1;
    lastWrite_ = exists_ ? info.lastModified() : QDateTime();
}

void TArchiveWatcher::Stop()
{
    if (quietTimer_)
        quietTimer_->stop();
    if (watcher_) {
        if (!watcher_->directories().isEmpty())
            watcher_->removePaths(watcher_->directories());
        if (!watcher_->files().isEmpty())
            watcher_->removePaths(watcher_->files());
    }
    file_.clear();
    folder_.clear();
}

void TArchiveWatcher::PointAt(const std::string &file)
{
    Stop();
    if (file.empty() || !EnsureWatcher())
        return;
    file_ = QString::fromStdString(file);
    folder_ = QFileInfo(file_).absolutePath();
    RecordState();
    watcher_->addPath(folder_);
    if (exists_)
        watcher_->addPath(file_);
}

void TArchiveWatcher::OnFolderOrFileChanged()
{
    if (file_.isEmpty())
        return;
    // Writers often replace a file by renaming: keep following the name.
    if (QFileInfo::exists(file_) && !watcher_->files().contains(file_))
        watcher_->addPath(file_);
    quietTimer_->start();
}

void TArchiveWatcher::OnQuiet()
{
    if (file_.isEmpty())
        return;
    const QFileInfo info(file_);
    if (!info.exists()) {
        Stop();
        if (onNotification_)
            onNotification_();
        return;
    }
    if (info.size() == size_ && info.lastModified() == lastWrite_)
        return;
    RecordState();
    if (onNotification_)
        onNotification_();
}

}  // namespace zr::archive
