#pragma once
// What a window adds to an archive control: the busy cursor around slow
// library calls and a watch on the archive file. The archive library links
// no GUI; the window's implementation lives in archive/window, so programs
// without a window (the worker, zrgrep) never load Qt Gui.

#include <functional>
#include <memory>
#include <string>

namespace zr::archive {

class TControlWindowSide {
public:
    virtual ~TControlWindowSide() = default;

    // Called once by the control that owns this side; the function reports
    // a changed or vanished archive.
    virtual void SetOnArchiveChanged(std::function<void()> onChanged) = 0;
    // Busy cursor on (nests) and off.
    virtual void BeginBusy() = 0;
    virtual void EndBusy() = 0;
    // Watches file ("" watches nothing) or stops watching until the next call.
    virtual void WatchArchive(const std::string &file) = 0;
    virtual void StopWatching() = 0;
};

using TControlWindowSideFactory = std::function<std::unique_ptr<TControlWindowSide>()>;

}  // namespace zr::archive
