#pragma once
// What the run says about its input: the format it read, why a capture was
// refused, and the notices that go with a finished read. The readers report
// typed facts; these are their words.
#include "engine/run_state.h"
#include "formats/bit_reader.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace morvelan {

// Frames of the run reach past the data read from interval `interval` on.
std::string messageFramesPastData(std::int64_t interval);
// Why a capture in `account.format` was not taken, naming the file and where.
std::string messageFormatProblem(std::string_view path, const InputAccount& account, const FormatProblem& problem);
// The format a run reads: "u8", "bin, lsb", "ch10, channel 52".
std::string formatDescription(const InputAccount& account, BitOrder order);
// "入力形式：u8（自動判別）": the batch program's line before a run in another format than tdm.
std::string messageFormatChosen(const InputAccount& account, BitOrder order);
// The suffix of the Result header's input line for formats other than tdm: " [u8]".
std::string headerFormatSuffix(const InputAccount& account, BitOrder order);

inline constexpr std::string_view kMsgLfAssumed = "改行が LF のみのため、LF の指定があるものとして読み込みます。";
// A tdm run met data lines that are not 80 digits long.
inline constexpr std::string_view kMsgSuggestHex =
    "80 桁でないデータ行があります。任意の行長の16進データは入力形式 hex（--input-format hex）で読めます。";
// Whether the found frame agrees with what the recording's setup record
// gives: "TMATS の設定（フレーム 224 ビット、同期 FE6B2840）と一致します。"
std::string messageSetupAgreement(const PcmSetup& setup, bool agrees);

// The count of bad digits a tdm run read as 1111.
std::string messageBadDigits(std::int64_t count);

} // namespace morvelan
