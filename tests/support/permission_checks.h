#pragma once
// Makes file permissions bind the test process even when it runs as root
// (as CI does): drops CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH from the
// effective capability set for the object's lifetime and raises them again
// afterwards (they stay permitted, so this is reversible).
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace morvelan::testing {

class ScopedPermissionChecks {
public:
    ScopedPermissionChecks()
    {
        if (::geteuid() != 0) {
            active_ = true; // an ordinary user is bound by permissions anyway
            return;
        }
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        if (::syscall(SYS_capget, &header, saved_) != 0) return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        dropped_ = ::syscall(SYS_capset, &header, reduced) == 0;
        active_ = dropped_;
    }
    ~ScopedPermissionChecks()
    {
        if (!dropped_) return;
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        ::syscall(SYS_capset, &header, saved_);
    }
    ScopedPermissionChecks(const ScopedPermissionChecks&) = delete;
    ScopedPermissionChecks& operator=(const ScopedPermissionChecks&) = delete;

    // False when the process could not give up its override (then a test of
    // permissions would prove nothing and should skip).
    bool active() const { return active_; }

private:
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
    bool active_ = false;
};

} // namespace morvelan::testing
