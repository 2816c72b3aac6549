#pragma once
// The fuzzer's bytes read as small numbers and picks, zero once they run out.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace morvelan::fuzzing {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    int byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    bool flag() { return (byte() & 1) != 0; }
    // lo .. hi (lo <= hi, hi - lo below 2^63).
    std::int64_t range(std::int64_t lo, std::int64_t hi)
    {
        const auto span = static_cast<std::uint64_t>(hi - lo) + 1;
        // As few bytes as the span needs, so that one mutated byte moves one pick.
        std::uint64_t v = 0;
        for (std::uint64_t reach = 1; reach != 0 && reach < span; reach <<= 8)
            v = (v << 8) | static_cast<std::uint64_t>(byte());
        return lo + static_cast<std::int64_t>(v % span);
    }
    // One of `values`.
    std::int64_t pick(std::initializer_list<std::int64_t> values)
    {
        return *(values.begin() + byte() % static_cast<int>(values.size()));
    }
    // Eight bytes as a raw 64-bit number.
    std::uint64_t raw64()
    {
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v = (v << 8) | static_cast<std::uint64_t>(byte());
        return v;
    }
    std::string rest()
    {
        std::string out = pos_ < size_ ? std::string(reinterpret_cast<const char*>(data_ + pos_), size_ - pos_) : "";
        pos_ = size_;
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

} // namespace morvelan::fuzzing
