#pragma once
// The texts of the window's own message boxes.
#include "files/run_analysis.h" // the run's own reports

#include <string_view>

namespace morvelan {

inline constexpr std::string_view kMsgEnterInputFile = "入力ファイルを入力してください。";
inline constexpr std::string_view kMsgRunQuestion = "同期データの分析を始めます。よろしいですか？";
inline constexpr std::string_view kMsgResetQuestion = "設定を初期値にもどします。";
// A numeric field left blank.
inline constexpr std::string_view kMsgEnterValue = "値を入力してください。";

} // namespace morvelan
