#pragma once
// The one description of the eight Analysis parameters: for each, its key
// in the settings file, its field in the window, its option of the batch
// program, its range and the message that goes with it, the correction the
// window makes, its reset value and its line in the Result header. Settings,
// field checks, the window, the batch program and the header are all driven
// from here.

#include "engine/parameters.h"
#include "formats/input_format.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace morvelan {

// In the order of the window's fields.
enum class ParameterField {
    StartSyncInterval,
    EndSyncInterval,
    SyncBitSize,
    AllowErrBits,
    BufSize,
    FrameRounds,
    Threshold,
    IgnoreStartBits,
};
inline constexpr std::size_t kParameterCount = 8;

// How the window shows a refused value's message.
enum class FieldMessageBox {
    Error,           // OK under the application title
    Confirm,         // OK under "確認"
    ConfirmOkCancel, // OK and Cancel under "確認"; the answer changes nothing
};

// What the window puts in a field after refusing its value.
enum class FieldCorrection {
    None,          // the value stays
    ToValue,       // `correctedValue`
    EndFromBuffer, // BUF_SIZE / FRAME_ROUNDS, rounded
    ToFrameRounds, // FRAME_ROUNDS
};

// The ranges differ by input: the classic hex capture keeps its historic
// limits; captures in other formats may be long and have long frames.
enum class RangeSet { Classic, Extended };

struct ParameterEntry {
    ParameterField field;
    std::int32_t AnalysisParameters::*member;
    std::string_view iniKey;
    std::string_view widget;     // the window field's object name
    std::string_view option;     // the batch program's option
    std::string_view optionHelp;
    std::int32_t resetValue;
    std::string_view message;    // shown when the value is out of range
    FieldMessageBox box;
    FieldCorrection correction;
    std::int32_t correctedValue; // for FieldCorrection::ToValue
};

// The eight, in the order of the window's fields.
const std::array<ParameterEntry, kParameterCount>& parameterTable();
const ParameterEntry& entryOf(ParameterField field);

// The orders stored files and readers rely on.
std::span<const ParameterField> settingsReadOrder();
std::span<const ParameterField> settingsSaveOrder();

// Whether `value`, put in place of the field's parameter in `params`, lies
// in its range (some ranges depend on other parameters).
bool isInRange(ParameterField field, std::int32_t value, const AnalysisParameters& params,
               RangeSet ranges = RangeSet::Classic);

// The message shown when a value lies outside the field's range of `ranges`.
std::string_view rangeMessage(ParameterField field, RangeSet ranges);
// The ranges that hold for an input of `format` (Auto: the classic ones
// until the format is known).
RangeSet rangesFor(InputFormat format);

// Puts the eight numbers back to their reset values; patterns and carried
// values stay as they are.
void ResetParameters(AnalysisParameters& params);

// Header lines 4 to 10 of the Result file: the intervals, then one line per
// parameter.
std::vector<std::string> parameterHeaderLines(const AnalysisParameters& params);

// The field messages, for the places that show one outside a field check.
inline constexpr std::string_view kMsgSyncBitSize =
    "同期ビット数は4,8,12,16,20,24,28,32,36,40,44,48,52,56,60,64のいずれかです。";
inline constexpr std::string_view kMsgFrameRounds = "フレーム数は5～200の範囲です。";

} // namespace morvelan
