#include "files/parameter_table.h"

#include <algorithm>

namespace morvelan {
namespace {

using P = AnalysisParameters;
using F = ParameterField;

constexpr std::array<ParameterEntry, kParameterCount> kTable{{
    {F::StartSyncInterval, &P::START_SYNC_INTERVAL, "START_SYNC_INTERVAL", "txtStartSyncInterval",
     "--start-interval", "First frame interval in bits", 300, "エラー：開始インターバル値は100～2000です。",
     FieldMessageBox::Error, FieldCorrection::None, 0},
    {F::EndSyncInterval, &P::END_SYNC_INTERVAL, "END_SYNC_INTERVAL", "txtEndSyncInterval", "--end-interval",
     "Last frame interval in bits", 700, "エラー：バッファサイズを超えるビットは処理できません。",
     FieldMessageBox::Confirm, FieldCorrection::EndFromBuffer, 0},
    {F::SyncBitSize, &P::SYNC_BIT_SIZE, "SYNC_BIT_SIZE", "txtSyncBitSize", "--sync-bits",
     "Sync word width: 4, 8, ..., 64", 20, kMsgSyncBitSize, FieldMessageBox::Confirm, FieldCorrection::ToValue, 20},
    {F::AllowErrBits, &P::ALLOW_ERR_BITS, "ALLOW_ERR_BITS", "txtAllowErrBits", "--allow-errors",
     "Tolerated bit errors", 2, "エラー：エラー許容ビット数は0～15です。", FieldMessageBox::Confirm,
     FieldCorrection::ToValue, 15},
    {F::BufSize, &P::BUF_SIZE, "BUF_SIZE", "txtBufSize", "--buffer-size", "Buffer size in bits", 300000,
     "エラー：バッファサイズは50000以上です。", FieldMessageBox::Confirm, FieldCorrection::ToValue, 50000},
    {F::FrameRounds, &P::FRAME_ROUNDS, "FRAME_ROUNDS", "txtFrameRounds", "--frames",
     "Frames compared with the first one", 20, kMsgFrameRounds, FieldMessageBox::Error, FieldCorrection::None, 0},
    {F::Threshold, &P::THRESHOLD, "THRESHOLD", "txtThreshold", "--threshold", "Least recurrence count reported", 10,
     "エラー：出力しきい値はフレーム数を超えられません。", FieldMessageBox::ConfirmOkCancel,
     FieldCorrection::ToFrameRounds, 0},
    {F::IgnoreStartBits, &P::IGNORE_START_BITS, "IGNORE_START_BITS", "txtIgnoreStartBits", "--ignore-bits",
     "Leading bits to skip", 0, "エラー：初期無視ビット数の値は0～100です。", FieldMessageBox::Error,
     FieldCorrection::None, 0},
}};

// Keys are read in this order, and saved in the next: files written by
// earlier versions list them so.
constexpr F kReadOrder[] = {F::StartSyncInterval, F::EndSyncInterval, F::SyncBitSize, F::AllowErrBits,
                            F::IgnoreStartBits,   F::FrameRounds,     F::BufSize,     F::Threshold};
constexpr F kSaveOrder[] = {F::StartSyncInterval, F::EndSyncInterval, F::SyncBitSize, F::AllowErrBits,
                            F::IgnoreStartBits,   F::FrameRounds,     F::Threshold,   F::BufSize};

// The Result header's lines after the intervals' one.
struct HeaderLine {
    F field;
    std::string_view label;
};
constexpr HeaderLine kHeaderLines[] = {
    {F::SyncBitSize, "; 同期Bitサイズ  : "},   {F::AllowErrBits, "; エラー許容Bit数: "},
    {F::FrameRounds, "; フレーム数     : "},   {F::Threshold, "; 判定しきい値   : "},
    {F::IgnoreStartBits, "; 初期無視Bit数  : "}, {F::BufSize, "; バッファサイズ : "},
};
constexpr std::string_view kIntervalsLabel = "; 同期間隔       : ";

struct Range {
    std::int64_t min, max;
    bool contains(std::int64_t v) const { return v >= min && v <= max; }
};
constexpr Range kClassicIntervals{100, 2000};
constexpr Range kExtendedIntervals{16, 65536};

} // namespace

const std::array<ParameterEntry, kParameterCount>& parameterTable()
{
    return kTable;
}

const ParameterEntry& entryOf(ParameterField field)
{
    return kTable[static_cast<std::size_t>(field)];
}

std::span<const ParameterField> settingsReadOrder()
{
    return kReadOrder;
}

std::span<const ParameterField> settingsSaveOrder()
{
    return kSaveOrder;
}

bool isInRange(ParameterField field, std::int32_t value, const AnalysisParameters& p, RangeSet ranges)
{
    const bool classic = ranges == RangeSet::Classic;
    const std::int64_t v = value;
    switch (field) {
    case F::StartSyncInterval: return (classic ? kClassicIntervals : kExtendedIntervals).contains(v);
    case F::EndSyncInterval:
        // The frames compared must fit the buffer: END x FRAME_ROUNDS <= BUF_SIZE, exactly.
        return classic ? std::int64_t{p.FRAME_ROUNDS} * v <= p.BUF_SIZE : kExtendedIntervals.contains(v);
    case F::SyncBitSize: return isValidSyncBitSize(v);
    case F::AllowErrBits: return Range{0, 15}.contains(v);
    case F::BufSize: return v >= 50000;
    case F::FrameRounds: return Range{5, 200}.contains(v);
    case F::Threshold: return v >= 2 && v <= p.FRAME_ROUNDS;
    case F::IgnoreStartBits: return Range{0, 100}.contains(v);
    }
    return false;
}

std::string_view rangeMessage(ParameterField field, RangeSet ranges)
{
    if (ranges == RangeSet::Extended) {
        // In the words of the classic messages, with the wider limits.
        if (field == F::StartSyncInterval) return "エラー：開始インターバル値は16～65536です。";
        if (field == F::EndSyncInterval) return "エラー：終了インターバル値は16～65536です。";
    }
    return entryOf(field).message;
}

RangeSet rangesFor(InputFormat format)
{
    return format == InputFormat::Tdm || format == InputFormat::Auto ? RangeSet::Classic : RangeSet::Extended;
}

void ResetParameters(AnalysisParameters& params)
{
    for (const ParameterEntry& entry : kTable) params.*entry.member = entry.resetValue;
}

std::vector<std::string> parameterHeaderLines(const AnalysisParameters& p)
{
    using std::to_string;
    std::vector<std::string> lines{std::string(kIntervalsLabel) + to_string(p.START_SYNC_INTERVAL) + "～" +
                                   to_string(p.END_SYNC_INTERVAL)};
    for (const HeaderLine& line : kHeaderLines)
        lines.push_back(std::string(line.label) + to_string(p.*entryOf(line.field).member));
    return lines;
}

} // namespace morvelan
