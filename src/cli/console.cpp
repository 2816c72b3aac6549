#include "cli/console.h"

#include "files/session.h"

#include <algorithm>
#include <cstdio>

namespace morvelan {

std::string leftOutLine(std::uint64_t count, std::string_view text)
{
    return "以降 " + std::to_string(count) + " 回の同じメッセージを省略しました：" + std::string(text);
}

std::uint64_t ConsoleToolkit::countShown(std::string_view text, std::uint64_t count)
{
    if (allMessages_) return count;
    std::uint64_t& shown = shown_[std::string(text)];
    const std::uint64_t before = shown;
    shown += count;
    if (before <= kMessageRepeatLimit && shown > kMessageRepeatLimit) capped_.emplace_back(text);
    return before >= kMessageRepeatLimit ? 0 : std::min(count, kMessageRepeatLimit - before);
}

void ConsoleToolkit::printLine(std::string_view text)
{
    std::fflush(stdout);
    // Written as bytes: a NUL inside a text (a NUL digit's message) is part of it.
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
}

Answer ConsoleToolkit::showMessage(std::string_view text, std::string_view, Buttons)
{
    if (countShown(text, 1) > 0) printLine(text);
    return Answer::Ok;
}

void ConsoleToolkit::showErrorRepeated(std::string_view text, std::int64_t count)
{
    if (count <= 0) return;
    for (std::uint64_t n = countShown(text, static_cast<std::uint64_t>(count)); n > 0; --n) printLine(text);
}

void ConsoleToolkit::printLeftOut()
{
    for (const std::string& text : capped_) printLine(leftOutLine(shown_[text] - kMessageRepeatLimit, text));
    capped_.clear();
}

void ConsoleToolkit::yield()
{
    // A signal, or a stdout that can no longer be written (a closed pipe, a
    // full disk), ends the run as an abort.
    if (interrupted_ || std::ferror(stdout) != 0) {
        interrupted_ = 0;
        session_.abortFlag.request();
    }
}

void ConsoleView::setProgressRange(std::int32_t min, std::int32_t max)
{
    min_ = min;
    max_ = max;
}

void ConsoleView::setProgressValue(std::int32_t value)
{
    value_ = value;
    if (showProgress_) drawProgress();
}

void ConsoleView::appendResultLine(std::string_view line)
{
    if (!printLines_) return;
    if (line.size() >= 2 && line.substr(line.size() - 2) == "\r\n") line.remove_suffix(2);
    if (drawn_) {
        std::fputs("\r\033[K", stderr); // keep the bar off the lines
        drawn_ = false;
        lastPermille_ = -1;
    }
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

void ConsoleView::drawProgress()
{
    const std::int64_t span = max_ - min_;
    const int permille = span <= 0 ? 1000 : static_cast<int>((value_ - min_) * 1000 / span);
    if (permille == lastPermille_) return;
    lastPermille_ = permille;
    constexpr int kWidth = 40;
    const int filled = std::clamp(permille, 0, 1000) * kWidth / 1000;
    std::fflush(stdout);
    std::fprintf(stderr, "\r[%.*s%*s] %5.1f%%  interval %lld  found %d", filled,
                 "########################################", kWidth - filled, "", permille / 10.0,
                 static_cast<long long>(value_), found_);
    std::fflush(stderr);
    drawn_ = true;
}

void ConsoleView::finish()
{
    if (drawn_) std::fputs("\n", stderr);
    drawn_ = false;
}

} // namespace morvelan
