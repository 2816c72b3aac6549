#pragma once
// The engine's events worded as the window's message boxes and questions:
// the one place their texts live.
#include "common/toolkit.h"
#include "engine/run_events.h"

#include <string>
#include <string_view>

namespace morvelan {

inline constexpr std::string_view kMsgAbortQuestion = "中止してよろしいですか？";

// "Error in hexconv(c)", "HexConvert2 Error(group)", "Error in HexConvert(bits)".
std::string conversionMessage(Conversion conversion, std::string_view text);

// Each event as a box of `toolkit`: a conversion failure as an OK box under
// the application title (a run of them as one repeated box), an abort as the
// OK/Cancel question, a yield as a yield.
class ToolkitRunEvents : public RunEvents {
public:
    explicit ToolkitRunEvents(Toolkit& toolkit) : toolkit_(toolkit) {}
    void conversionFailed(Conversion conversion, std::string_view text, std::int64_t times = 1) override;
    bool confirmAbort() override;
    void yield() override { toolkit_.yield(); }

private:
    Toolkit& toolkit_;
};

} // namespace morvelan
