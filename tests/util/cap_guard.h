#pragma once
// Makes permission bits bind for the calling thread even when the tests run
// as root or with file-access capabilities, by lowering the effective
// capabilities that bypass them for a scope.

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zr::test {

class ScopedPermissionChecks {
public:
    ScopedPermissionChecks()
    {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        if (::syscall(SYS_capget, &header_, saved_) != 0) {
            active_ = ::geteuid() != 0;
            return;
        }
        // Not only root: any process may hold these capabilities (ambient ones, containers).
        if ((saved_[0].effective & kBypassCaps) == 0) {
            active_ = true;
            return;
        }
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~kBypassCaps;
        active_ = ::syscall(SYS_capset, &header_, lowered) == 0;
        lowered_ = active_;
    }
    ~ScopedPermissionChecks()
    {
        if (lowered_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    ScopedPermissionChecks(const ScopedPermissionChecks &) = delete;
    ScopedPermissionChecks &operator=(const ScopedPermissionChecks &) = delete;

    // False when permission bits could not be made to bind.
    bool Active() const { return active_; }

private:
    static constexpr unsigned kBypassCaps =
        (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);

    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
    bool lowered_ = false;
};

}  // namespace zr::test
