#pragma once
// Shows the hourglass cursor for a scope when there is a GUI application.

namespace zr::archive {

class ScopedBusyCursor {
public:
    // Does nothing when not enabled or without a GUI application.
    explicit ScopedBusyCursor(bool enabled = true);
    ~ScopedBusyCursor();
    ScopedBusyCursor(const ScopedBusyCursor &) = delete;
    ScopedBusyCursor &operator=(const ScopedBusyCursor &) = delete;

private:
    bool active_ = false;
};

}  // namespace zr::archive
