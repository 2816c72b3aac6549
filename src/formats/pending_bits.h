#pragma once
// Bits a reader produced past the caller's limit, handed out first by the
// next call so that no bit is lost or reordered.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace morvelan {

// The size `out` may reach in one read() call; a step of SIZE_MAX means
// "no limit" rather than wrapping around.
inline std::size_t bitLimit(const std::vector<std::uint8_t>& out, std::size_t maxBits)
{
    return maxBits > SIZE_MAX - out.size() ? SIZE_MAX : out.size() + maxBits;
}

class PendingBits {
public:
    bool empty() const { return position_ == bits_.size(); }

    // Moves held bits to `out` until it holds `limit` bits.
    void drain(std::vector<std::uint8_t>& out, std::size_t limit)
    {
        while (position_ < bits_.size() && out.size() < limit) out.push_back(bits_[position_++]);
        if (position_ == bits_.size()) clear();
    }

    // Takes the bits of `out` beyond `limit` into the queue (which is empty).
    void holdExcess(std::vector<std::uint8_t>& out, std::size_t limit)
    {
        if (out.size() <= limit) return;
        bits_.insert(bits_.end(), out.begin() + static_cast<std::ptrdiff_t>(limit), out.end());
        out.resize(limit);
    }

    void clear()
    {
        bits_.clear();
        position_ = 0;
    }

private:
    std::vector<std::uint8_t> bits_;
    std::size_t position_ = 0;
};

} // namespace morvelan
