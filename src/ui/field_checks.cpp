#include "ui/field_checks.h"

#include "common/text.h"
#include "common/toolkit.h"
#include "engine/parameters.h"

#include <cmath>
#include <cstdio>

namespace morvelan {
namespace {

// Corrections applied after a refused value.
constexpr std::int32_t kCorrectedSyncBitSize = 20;
constexpr std::int32_t kCorrectedAllowErrBits = 15;
constexpr std::int32_t kCorrectedBufSize = 50000;

constexpr double kGuideFactor = 0.86;
constexpr double kLoweredThresholdFactor = 0.85;

std::int32_t& parameterOf(ParameterField field, AnalysisParameters& p)
{
    switch (field) {
    case ParameterField::StartSyncInterval: return p.START_SYNC_INTERVAL;
    case ParameterField::EndSyncInterval: return p.END_SYNC_INTERVAL;
    case ParameterField::SyncBitSize: return p.SYNC_BIT_SIZE;
    case ParameterField::AllowErrBits: return p.ALLOW_ERR_BITS;
    case ParameterField::BufSize: return p.BUF_SIZE;
    case ParameterField::FrameRounds: return p.FRAME_ROUNDS;
    case ParameterField::Threshold: return p.THRESHOLD;
    case ParameterField::IgnoreStartBits: return p.IGNORE_START_BITS;
    }
    return p.START_SYNC_INTERVAL; // not reached: every field is listed above
}

// Rounds half to even (the default rounding mode) into 32 bits, if it fits.
std::optional<std::int32_t> roundedToInt32(double value)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

// END_SYNC_INTERVAL := BUF_SIZE / FRAME_ROUNDS, rounded. Without a frame
// count, or when the quotient has no 32-bit value, the end goes back to the
// value it had before the check.
std::int32_t correctedEndSyncInterval(const AnalysisParameters& p, std::int32_t previousEnd)
{
    if (p.FRAME_ROUNDS == 0) return previousEnd;
    const auto quotient = roundedToInt32(static_cast<double>(p.BUF_SIZE) / static_cast<double>(p.FRAME_ROUNDS));
    return quotient.value_or(previousEnd);
}

void showWithConfirmCaption(Toolkit& toolkit, std::string_view message)
{
    toolkit.showMessage(message, kConfirmCaption, Buttons::Ok);
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
                                      Toolkit& plainToolkit)
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

    const std::optional<std::int32_t> number = NullToNumber(text);
    std::int32_t& target = parameterOf(field, params);
    const std::int32_t previous = target;
    if (number) target = *number;

    switch (field) {
    case ParameterField::StartSyncInterval:
        if (!number || !isValidStartSyncInterval(target)) showError(toolkit, kMsgStartSyncInterval);
        break;
    case ParameterField::EndSyncInterval:
        if (!number || !isValidEndSyncInterval(target, params.FRAME_ROUNDS, params.BUF_SIZE)) {
            showWithConfirmCaption(toolkit, kMsgEndSyncInterval);
            correct(out, target, correctedEndSyncInterval(params, previous));
        }
        break;
    case ParameterField::SyncBitSize:
        if (!number || !isValidSyncBitSize(target)) {
            showWithConfirmCaption(toolkit, kMsgSyncBitSize);
            correct(out, target, kCorrectedSyncBitSize);
        }
        break;
    case ParameterField::AllowErrBits:
        if (!number || !isValidAllowErrBits(target)) {
            showWithConfirmCaption(toolkit, kMsgAllowErrBits);
            correct(out, target, kCorrectedAllowErrBits);
        }
        break;
    case ParameterField::BufSize:
        if (!number || !isValidBufSize(target)) {
            showWithConfirmCaption(toolkit, kMsgBufSize);
            correct(out, target, kCorrectedBufSize);
        }
        break;
    case ParameterField::FrameRounds:
        if (!number || !isValidFrameRounds(target)) showError(toolkit, kMsgFrameRounds);
        // The guide and the threshold follow the frame count in every case.
        out.thresholdGuide = ThresholdGuide(text);
        if (params.FRAME_ROUNDS < params.THRESHOLD) {
            // FRAME_ROUNDS x 0.85 always fits: its magnitude is below 2^31.
            params.THRESHOLD = roundedToInt32(params.FRAME_ROUNDS * kLoweredThresholdFactor).value_or(params.THRESHOLD);
            out.thresholdText = std::to_string(params.THRESHOLD);
        }
        out.repaint = true;
        break;
    case ParameterField::Threshold:
        if (!number || !isValidThreshold(target, params.FRAME_ROUNDS)) {
            // Either button closes the box; the answer changes nothing.
            toolkit.showMessage(kMsgThreshold, kConfirmCaption, Buttons::OkCancel);
            correct(out, target, params.FRAME_ROUNDS);
        }
        break;
    case ParameterField::IgnoreStartBits:
        if (!number || !isValidIgnoreStartBits(target)) showError(toolkit, kMsgIgnoreStartBits);
        break;
    }
    return out;
}

} // namespace morvelan
