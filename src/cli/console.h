#pragma once
// The batch program's side of the toolkit seam and of the run view.
#include "common/toolkit.h"
#include "engine/run_view.h"

#include <csignal>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace morvelan {

class Session;

// Each distinct message text is printed at most this many times.
inline constexpr std::uint64_t kMessageRepeatLimit = 100;

// Prints every message box as one line on stderr and answers OK. A Ctrl-C
// noticed at a yield sets the Abort flag, so the run ends as an abort.
// Unless `allMessages`, a text is printed kMessageRepeatLimit times at most,
// so an absurd input cannot flood the terminal or fill a log's disk.
class ConsoleToolkit : public Toolkit {
public:
    ConsoleToolkit(Session& session, volatile std::sig_atomic_t& interrupted)
        : session_(session), interrupted_(interrupted)
    {
    }
    void setAllMessages(bool all) { allMessages_ = all; }
    Answer showMessage(std::string_view text, std::string_view caption, Buttons buttons) override;
    // A run of one message counts in one step, so billions of them cost
    // nothing beyond the lines printed.
    void showErrorRepeated(std::string_view text, std::int64_t count) override;
    void yield() override;
    void setBusyPointer(bool) override {}
    std::optional<std::string> chooseOpenFile(std::string_view) override { return std::nullopt; }
    // One line per capped text, saying how many prints were left out, in
    // the order the texts first appeared.
    void printLeftOut();

private:
    Session& session_;
    volatile std::sig_atomic_t& interrupted_;
    bool allMessages_ = false;
    std::unordered_map<std::string, std::uint64_t> shown_;
    std::vector<std::string> capped_; // texts that reached the limit, in order

    // Counts `count` more of `text`; the number of them still to print.
    std::uint64_t countShown(std::string_view text, std::uint64_t count);
    static void printLine(std::string_view text);
};

// "以降 N 回の同じメッセージを省略しました：<text>"
std::string leftOutLine(std::uint64_t count, std::string_view text);

// Window lines to stdout (without the CR), a progress bar on stderr.
class ConsoleView : public RunView {
public:
    ConsoleView(bool printLines, bool showProgress) : printLines_(printLines), showProgress_(showProgress) {}
    void setProgressRange(std::int32_t min, std::int32_t max) override;
    void setProgressValue(std::int32_t value) override;
    void appendResultLine(std::string_view line) override;
    void showFoundCount(std::int32_t count) override { found_ = count; }
    bool wantsResultLines() const override { return printLines_; }
    bool wantsRecords() const override { return false; }
    // Ends the progress line so later messages start on a line of their own.
    void finish();

private:
    void drawProgress();
    bool printLines_;
    bool showProgress_;
    bool drawn_ = false;
    std::int64_t min_ = 0, max_ = 0, value_ = 0;
    std::int32_t found_ = 0;
    int lastPermille_ = -1;
};

} // namespace morvelan
