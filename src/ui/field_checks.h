#pragma once
// The checks made when the focus leaves one of the eight parameter fields:
// store the field's number in its parameter, test it, report a failure and
// correct the value where the field has a correction. Free of widgets: the
// window reads the field, calls the check and writes back what it returns.
#include "files/parameter_table.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvelan {

struct AnalysisParameters;
class Toolkit;

// What the window has to show after a check.
struct FieldCheckOutcome {
    // New text of the checked field after a correction.
    std::optional<std::string> fieldText;
    // New text of txtThresholdRef (frame-count check only).
    std::optional<std::string> thresholdGuide;
    // New text of txtThreshold (frame-count check lowering the threshold).
    std::optional<std::string> thresholdText;
    // The window is repainted at once.
    bool repaint = false;
    // A message box was shown.
    bool messageShown = false;
};

// Runs the check of one field on its text against the ranges of the input's
// format. The number is stored before the test, so a failing value is
// already in the parameter while the message is up. Text that is no 32-bit
// number gets the field's message and correction and leaves the parameter as
// it was; blank text asks for a value and leaves it too. The field then
// shows the value the run will use.
FieldCheckOutcome CheckParameterField(ParameterField field, std::string_view text, AnalysisParameters& params,
                                      Toolkit& toolkit, RangeSet ranges = RangeSet::Classic);

// The threshold guide: the frame-count text read as a decimal number, times
// 0.86, fraction dropped. Blank or non-numeric text gives "0".
std::string ThresholdGuide(std::string_view frameRoundsText);

} // namespace morvelan
