#pragma once
// The Analysis parameters: eight 32-bit numbers, five exclusion patterns and
// four values carried only because the settings file holds them.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace morvelan {

struct AnalysisParameters {
    // Initial values are 0 / empty: what stays when the settings file lacks a key.
    std::int32_t START_SYNC_INTERVAL = 0;
    std::int32_t END_SYNC_INTERVAL = 0;
    std::int32_t SYNC_BIT_SIZE = 0;
    std::int32_t ALLOW_ERR_BITS = 0;
    std::int32_t IGNORE_START_BITS = 0;
    std::int32_t FRAME_ROUNDS = 0;
    std::int32_t BUF_SIZE = 0;
    std::int32_t THRESHOLD = 0;

    // EXCLUDE_PAT01 .. EXCLUDE_PAT05, as text from the settings file.
    std::array<std::string, 5> EXCLUDE_PAT{};

    std::string USER_ID;
    std::string PASSWORD;
    std::int32_t PASSWORD_ENC = 0;
    std::string RES_OUT_PATH;

    bool operator==(const AnalysisParameters&) const = default;
};

// Reset values of the reset command.
inline constexpr std::int32_t kResetStartSyncInterval = 300;
inline constexpr std::int32_t kResetEndSyncInterval = 700;
inline constexpr std::int32_t kResetSyncBitSize = 20;
inline constexpr std::int32_t kResetAllowErrBits = 2;
inline constexpr std::int32_t kResetIgnoreStartBits = 0;
inline constexpr std::int32_t kResetFrameRounds = 20;
inline constexpr std::int32_t kResetThreshold = 10;
inline constexpr std::int32_t kResetBufSize = 300000;

// Puts the eight numbers back to their reset values; patterns and carried
// values stay as they are.
void ResetParameters(AnalysisParameters& params);

// Valid ranges, as the window's field checks enforce them.
bool isValidStartSyncInterval(std::int64_t value);
bool isValidSyncBitSize(std::int64_t value);
bool isValidAllowErrBits(std::int64_t value);
bool isValidIgnoreStartBits(std::int64_t value);
bool isValidFrameRounds(std::int64_t value);
bool isValidBufSize(std::int64_t value);
// END_SYNC_INTERVAL x FRAME_ROUNDS must not exceed BUF_SIZE (exact product).
bool isValidEndSyncInterval(std::int32_t end, std::int32_t frameRounds, std::int32_t bufSize);
// 2 to FRAME_ROUNDS inclusive.
bool isValidThreshold(std::int32_t threshold, std::int32_t frameRounds);

// The field messages that go with each range.
inline constexpr std::string_view kMsgStartSyncInterval = "エラー：開始インターバル値は100～2000です。";
inline constexpr std::string_view kMsgEndSyncInterval = "エラー：バッファサイズを超えるビットは処理できません。";
inline constexpr std::string_view kMsgSyncBitSize =
    "同期ビット数は4,8,12,16,20,24,28,32,36,40,44,48,52,56,60,64のいずれかです。";
inline constexpr std::string_view kMsgAllowErrBits = "エラー：エラー許容ビット数は0～15です。";
inline constexpr std::string_view kMsgIgnoreStartBits = "エラー：初期無視ビット数の値は0～100です。";
inline constexpr std::string_view kMsgFrameRounds = "フレーム数は5～200の範囲です。";
inline constexpr std::string_view kMsgBufSize = "エラー：バッファサイズは50000以上です。";
inline constexpr std::string_view kMsgThreshold = "エラー：出力しきい値はフレーム数を超えられません。";

} // namespace morvelan
