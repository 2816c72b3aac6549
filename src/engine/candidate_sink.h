#pragma once
// Where the search hands each reported candidate, in report order. The
// files layer writes the rows and shows the window lines; the engine knows
// nothing of files.
#include "engine/candidate_record.h"

#include <string_view>

namespace morvelan {

class CandidateSink {
public:
    virtual ~CandidateSink() = default;
    // One reported candidate with its reference pattern and hex text. False
    // when it could not be handed on: the sink has shown why, and the search
    // stops.
    virtual bool take(const CandidateRecord& record, std::string_view pattern, std::string_view hex) = 0;
    // Hands on everything taken so far. The search calls it before every
    // message box, before every yield to the window and at the end, so what
    // the user sees is what the Result file holds. False as for take.
    virtual bool flush() = 0;
};

} // namespace morvelan
