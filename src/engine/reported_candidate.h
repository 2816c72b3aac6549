#pragma once
// One reported candidate in full: where it lies, its reference pattern and
// hex text as the run reported them, and its count.
#include <cstdint>
#include <string>

namespace morvelan {

struct ReportedCandidate {
    std::int64_t interval = 0;
    std::int64_t index = 0;
    std::string pattern; // "0"/"1" text of the reference pattern
    std::string hex;     // its hexadecimal text
    std::int64_t count = 0; // recurrence count, reference frame included

    bool operator==(const ReportedCandidate&) const = default;
};

} // namespace morvelan
