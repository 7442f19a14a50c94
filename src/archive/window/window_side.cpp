#include "archive/window/window_side.h"

#include "archive/archive_control.h"

namespace zr::archive {

TArchiveWindowSide::TArchiveWindowSide()
    : watcher_([this] {
          if (onChanged_)
              onChanged_();
      })
{
}

void TArchiveWindowSide::BeginBusy() { cursors_.push_back(std::make_unique<ScopedBusyCursor>()); }

void TArchiveWindowSide::EndBusy()
{
    if (!cursors_.empty())
        cursors_.pop_back();
}

void InstallArchiveWindowSide()
{
    TArchiveControl::SetWindowSideFactory([] { return std::make_unique<TArchiveWindowSide>(); });
}

}  // namespace zr::archive
