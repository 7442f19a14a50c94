#pragma once
// The window's side of an archive control: the hourglass cursor while a
// library call is slow, and the watcher that reports a changed archive.

#include <functional>
#include <memory>
#include <vector>

#include "archive/control_window_side.h"
#include "archive/window/archive_watcher.h"
#include "archive/window/busy_cursor.h"

namespace zr::archive {

class TArchiveWindowSide : public TControlWindowSide {
public:
    TArchiveWindowSide();

    void SetOnArchiveChanged(std::function<void()> onChanged) override { onChanged_ = std::move(onChanged); }
    void BeginBusy() override;
    void EndBusy() override;
    void WatchArchive(const std::string &file) override { watcher_.PointAt(file); }
    void StopWatching() override { watcher_.Stop(); }

    // Tests shorten its quiet interval.
    TArchiveWatcher &Watcher() { return watcher_; }

private:
    std::function<void()> onChanged_;
    TArchiveWatcher watcher_;
    std::vector<std::unique_ptr<ScopedBusyCursor>> cursors_;
};

// From now on every window control (TControlSurface::Window) of this program
// gets a TArchiveWindowSide. The window program calls it once at start.
void InstallArchiveWindowSide();

}  // namespace zr::archive
