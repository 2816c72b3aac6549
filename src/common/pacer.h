#pragma once
// The rhythm of long work: about every 20 ms the window gets a turn (and
// its Abort button a chance), whoever does the work.
#include <chrono>

namespace morvelan {

class Pacer {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr auto kPeriod = std::chrono::milliseconds(20);

    bool due() const { return Clock::now() >= next_; }
    Clock::time_point next() const { return next_; }
    void restart() { next_ = Clock::now() + kPeriod; }

private:
    Clock::time_point next_ = Clock::now() + kPeriod;
};

} // namespace morvelan
