#include "ui/field_checks.h"

#include "common/text.h"
#include "common/toolkit.h"
#include "files/parameter_table.h"
#include "ui/window_messages.h"

#include <cmath>
#include <cstdio>

namespace morvelan {
namespace {

constexpr double kGuideFactor = 0.86;
constexpr double kLoweredThresholdFactor = 0.85;


// END_SYNC_INTERVAL := BUF_SIZE / FRAME_ROUNDS, rounded. Without a frame
// count, or when the quotient has no 32-bit value, the end goes back to the
// value it had before the check.
std::int32_t correctedEndSyncInterval(const AnalysisParameters& p, std::int32_t previousEnd)
{
    if (p.FRAME_ROUNDS == 0) return previousEnd;
    const auto quotient = roundToInt32(static_cast<double>(p.BUF_SIZE) / static_cast<double>(p.FRAME_ROUNDS));
    return quotient.value_or(previousEnd);
}

void showFieldMessage(Toolkit& toolkit, const ParameterEntry& entry, std::string_view message)
{
    switch (entry.box) {
    case FieldMessageBox::Error: showError(toolkit, message); break;
    case FieldMessageBox::Confirm: toolkit.showMessage(message, kConfirmCaption, Buttons::Ok); break;
    case FieldMessageBox::ConfirmOkCancel:
        // Either button closes the box; the answer changes nothing.
        toolkit.showMessage(message, kConfirmCaption, Buttons::OkCancel);
        break;
    }
}

// Sets the parameter to the correction and shows it in the field.
void correct(FieldCheckOutcome& out, std::int32_t& target, std::int32_t value)
{
    target = value;
    out.fieldText = std::to_string(value);
    out.repaint = true;
}

} // namespace

std::string ThresholdGuide(std::string_view frameRoundsText)
{
    const double guide = std::trunc(ParseDecimal(frameRoundsText).value_or(0.0) * kGuideFactor);
    if (guide == 0.0) return "0"; // no "-0" for small negative counts
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.0f", guide);
    return buffer;
}

FieldCheckOutcome CheckParameterField(ParameterField field, std::string_view text, AnalysisParameters& params,
                                      Toolkit& plainToolkit, RangeSet ranges)
{
    FieldCheckOutcome out;
    // Notes whether the check showed its message.
    class Noticing : public ForwardingToolkit {
    public:
        Noticing(Toolkit& inner, bool& shown) : ForwardingToolkit(inner), shown_(shown) {}
        Answer showMessage(std::string_view t, std::string_view c, Buttons b) override
        {
            shown_ = true;
            return ForwardingToolkit::showMessage(t, c, b);
        }

    private:
        bool& shown_;
    } toolkit(plainToolkit, out.messageShown);

    const ParameterEntry& entry = entryOf(field);
    std::int32_t& target = params.*entry.member;
    // Blank is no value at all, not 0: the field asks for one and keeps its own.
    if (NullToTrimmedText(text).empty()) {
        showError(toolkit, kMsgEnterValue);
        out.fieldText = std::to_string(target);
        out.repaint = true;
        return out;
    }
    const std::optional<std::int32_t> number = NullToNumber(text);
    const std::int32_t previous = target;
    if (number) target = *number;

    if (!number || !isInRange(field, target, params, ranges)) {
        showFieldMessage(toolkit, entry, rangeMessage(field, ranges));
        switch (entry.correction) {
        case FieldCorrection::None: break;
        case FieldCorrection::ToValue: correct(out, target, entry.correctedValue); break;
        case FieldCorrection::EndFromBuffer: correct(out, target, correctedEndSyncInterval(params, previous)); break;
        case FieldCorrection::ToFrameRounds: correct(out, target, params.FRAME_ROUNDS); break;
        }
    }
    if (field == ParameterField::FrameRounds) {
        // The guide and the threshold follow the frame count in every case.
        out.thresholdGuide = ThresholdGuide(text);
        if (params.FRAME_ROUNDS < params.THRESHOLD) {
            // FRAME_ROUNDS x 0.85 always fits: its magnitude is below 2^31.
            params.THRESHOLD = roundToInt32(params.FRAME_ROUNDS * kLoweredThresholdFactor).value_or(params.THRESHOLD);
            out.thresholdText = std::to_string(params.THRESHOLD);
        }
        out.repaint = true;
    }
    // The field shows the number the run will use, not "12.5" or "abc".
    if (const std::string shown = std::to_string(target); shown != text) out.fieldText = shown;
    return out;
}

} // namespace morvelan
