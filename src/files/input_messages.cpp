#include "files/input_messages.h"

#include "engine/hex_convert.h"

#include <cstdio>

namespace morvelan {
namespace {

using Kind = FormatProblem::Kind;

std::string hex(std::uint64_t value, int digits)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

std::string at(const FormatProblem& p) { return "（オフセット " + std::to_string(p.offset) + "）"; }
std::string channel(const FormatProblem& p) { return "チャンネル " + std::to_string(p.channel) + " "; }

// The problem's own words, without the file.
std::string problemText(const InputAccount& account, const FormatProblem& p)
{
    const std::string format(formatName(account.format));
    switch (p.kind) {
    case Kind::None:
    case Kind::ReadFailed: return "入力ファイルを読み込めません" + at(p);
    case Kind::BadCharacter:
        return std::to_string(p.line) + " 行 " + std::to_string(p.column) + " 文字目（U+" +
               hex(p.value, 4).substr(2) + "）は " + format + " 形式のデータではありません";
    case Kind::BadByte: return "バイト " + hex(p.value, 2) + " は u8 形式（0 と 1 のみ）のデータではありません" + at(p);
    case Kind::Ch10Empty: return "Chapter 10 のパケットがありません";
    case Kind::Ch10BadSync: return "Chapter 10 パケットの同期（25 EB）がありません" + at(p);
    case Kind::Ch10Truncated: return "Chapter 10 パケットが途中で切れています" + at(p);
    case Kind::Ch10BadLength: return "Chapter 10 パケットの長さが合いません" + at(p);
    case Kind::Ch10HeaderChecksum: return "Chapter 10 パケットヘッダーのチェックサムが合いません" + at(p);
    case Kind::Ch10SecondaryHeaderChecksum: return "Chapter 10 二次ヘッダーのチェックサムが合いません" + at(p);
    case Kind::Ch10DataChecksum: return "Chapter 10 パケットデータのチェックサムが合いません" + at(p);
    case Kind::Ch10BadPcmMode: return channel(p) + "の PCM パケットのモード指定が不正です" + at(p);
    case Kind::Ch10PcmLength: return channel(p) + "の PCM データ長がワードやフレームの区切りに合いません" + at(p);
    case Kind::Ch10FrameSizeUnknown:
        return channel(p) + "のマイナーフレーム長が分かりません（TMATS にありません）" + at(p);
    case Kind::Ch10NoPcmChannel: return "PCM のチャンネルがありません";
    case Kind::Ch10ChannelMissing: return channel(p) + "はありません";
    case Kind::Ch10ChannelNotPcm: return channel(p) + "は PCM ではありません（データタイプ " + hex(p.value, 2) + "）";
    }
    return "入力ファイルを読み込めません";
}

} // namespace

std::string messageFramesPastData(std::int64_t interval)
{
    return "インターバル " + std::to_string(interval) + " 以上ではフレームがデータの外にかかります。";
}

std::string messageFormatProblem(std::string_view path, const InputAccount& account, const FormatProblem& problem)
{
    return problemText(account, problem) + "：" + std::string(path);
}

std::string formatDescription(const InputAccount& account, BitOrder order)
{
    std::string text(formatName(account.format));
    if (account.format == InputFormat::Bin && order == BitOrder::Lsb) text += ", lsb";
    if (account.format == InputFormat::Ch10 && account.channel >= 0) text += ", channel " + std::to_string(account.channel);
    return text;
}

std::string messageFormatChosen(const InputAccount& account, BitOrder order)
{
    return "入力形式：" + formatDescription(account, order) + (account.detected ? "（自動判別）" : "");
}

std::string headerFormatSuffix(const InputAccount& account, BitOrder order)
{
    if (account.format == InputFormat::Tdm) return {};
    return " [" + formatDescription(account, order) + "]";
}

std::string messageSetupAgreement(const PcmSetup& setup, bool agrees)
{
    std::string given;
    if (setup.frameBits) given = "フレーム " + std::to_string(*setup.frameBits) + " ビット";
    if (setup.syncPattern) given += (given.empty() ? "" : "、") + std::string("同期 ") + bitsToHex(*setup.syncPattern);
    return "TMATS の設定（" + given + "）と" + (agrees ? "一致します。" : "一致しません。");
}

std::string messageBadDigits(std::int64_t count)
{
    return "16進数でない " + std::to_string(count) + " 文字を 1111 として読み込みました。";
}

} // namespace morvelan
