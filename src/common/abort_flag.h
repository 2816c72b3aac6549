#pragma once
// The request to abort a run. The window or the console requests it (a
// button, a box, a signal noticed at a yield); the run reads it at its abort
// points and withdraws it when the user declines to abort. Atomic, so the
// side that requests needs no lock against the side that reads.
#include <atomic>

namespace morvelan {

class AbortFlag {
public:
    AbortFlag() = default;
    // A copy of a run's state (the frame table's snapshot) takes the value.
    AbortFlag(const AbortFlag& other) : requested_(other.requested()) {}
    AbortFlag& operator=(const AbortFlag& other)
    {
        requested_.store(other.requested(), std::memory_order_relaxed);
        return *this;
    }

    void request() { requested_.store(true, std::memory_order_relaxed); }
    // Before a run starts, and after the user answered "go on".
    void clear() { requested_.store(false, std::memory_order_relaxed); }
    bool requested() const { return requested_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> requested_{false};
};

} // namespace morvelan
