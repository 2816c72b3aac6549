#include "cli/batch_setup.h"

#include "cli/console.h"
#include "cli/end_signals.h"
#include "files/session.h"
#include "platform/system.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

using namespace morvelan;
using namespace morvelan::testing;

namespace {

namespace fs = std::filesystem;

struct Prepared {
    std::optional<int> exit;
    std::string errors;
    cli::CliOptions options;
    Session session;
};

std::unique_ptr<Prepared> prepare(std::vector<std::string> args)
{
    args.insert(args.begin(), "morvelan-cli");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    auto p = std::make_unique<Prepared>();
    volatile std::sig_atomic_t interrupted = 0;
    ConsoleToolkit toolkit(p->session, interrupted);
    ::testing::internal::CaptureStderr();
    p->exit = cli::prepareRun(static_cast<int>(argv.size()), argv.data(), p->session, toolkit, p->options);
    p->errors = ::testing::internal::GetCapturedStderr();
    return p;
}

class BatchSetupTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedCwd cwd{dir.path()};
    std::string input = dir.write("in.txt", "xxTDM\r\n" + std::string(80, '0') + "\r\nlast");
};

// Every value is checked before the run: a refusal is exit 2 with a message
// naming what was refused, and nothing is created.
TEST_F(BatchSetupTest, RefusalsBeforeTheRunAreUsageErrors)
{
    dir.write("m.ini", "[Morvelan]\r\nTHRESHOLD=12\r\n");
    fs::create_directory("locked");
    struct Case {
        std::vector<std::string> args;
        std::string message; // part of stderr
    };
    const Case cases[] = {
        {{"--threads", "0x100", "in.txt"}, "--threads"},
        {{"--threads", " 5", "in.txt"}, "--threads"},
        {{"--threads", "0", "in.txt"}, "--threads"},
        {{"--threads", "257", "in.txt"}, "--threads"},
        {{"-o", "", "in.txt"}, "got ''"},
        {{""}, "got ''"},
        {{"--raster", "512:36", "--raster-out", "", "in.txt"}, "got ''"},
        {{"--settings", "", "in.txt"}, "got ''"},
        {{"-o", "./in.txt", "in.txt"}, "出力ファイルが入力ファイルと同じため処理できません："},
        {{"-o", "m.ini", "--settings", "m.ini", "in.txt"}, "出力ファイルが設定ファイルと同じため処理できません：m.ini"},
        {{"-o", "newdir/", "in.txt"}, "出力ファイルを作成できません："},
        {{"-o", "newdir/R.txt", "in.txt"}, "出力ファイルを作成できません："},
        {{"--raster", "512:36", "--raster-out", "newdir/r.png", "in.txt"},
         "ラスター画像の出力先に書き込めません：newdir/r.png"},
        {{"--raster", "512:36", "--raster-out", "newdir/", "in.txt"}, "ラスター画像の出力先に書き込めません："},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const std::string& a : c.args) joined += "[" + a + "] ";
        SCOPED_TRACE(joined);
        const auto p = prepare(c.args);
        EXPECT_EQ(p->exit, 2);
        EXPECT_NE(p->errors.find(c.message), std::string::npos) << p->errors;
    }
    EXPECT_FALSE(fs::exists("newdir"));
    EXPECT_FALSE(fs::exists("Rin.txt"));
    EXPECT_EQ(readBytes(input).substr(0, 5), "xxTDM");
}

TEST_F(BatchSetupTest, NumbersAreDecimalAndTheDerivedResultPathIsMarked)
{
    const auto p = prepare({"--threads", "010", "--frames", "020", "in.txt"});
    ASSERT_EQ(p->exit, std::nullopt) << p->errors;
    EXPECT_EQ(p->options.threads, 10);
    EXPECT_EQ(p->session.params.FRAME_ROUNDS, 20);
    EXPECT_TRUE(p->session.resultPathDerived);
    EXPECT_EQ(p->session.resultOpenName, "Rin.txt");
    const auto named = prepare({"-o", "out/R.txt", "in.txt"});
    EXPECT_EQ(named->exit, 2) << "out/ does not exist";
    fs::create_directory("out");
    const auto created = prepare({"-o", "out/R.txt", "in.txt"});
    ASSERT_EQ(created->exit, std::nullopt) << created->errors;
    EXPECT_FALSE(created->session.resultPathDerived);
}

// Each distinct text reaches stderr 100 times at most; the rest is counted
// on one line per text at the end, unless every message is asked for.
TEST(ConsoleToolkitTest, RepeatedTextsAreCappedAndCounted)
{
    for (const bool all : {false, true}) {
        Session session;
        volatile std::sig_atomic_t interrupted = 0;
        ConsoleToolkit toolkit(session, interrupted);
        toolkit.setAllMessages(all);
        ::testing::internal::CaptureStderr();
        for (int i = 0; i < 250; ++i) toolkit.showMessage("Error in hexconv(x)", {}, Buttons::Ok);
        for (int i = 0; i < 100; ++i) toolkit.showMessage("Error in hexconv(y)", {}, Buttons::Ok);
        toolkit.showMessage(std::string("Error in hexconv(\0)", 19), {}, Buttons::Ok);
        toolkit.printLeftOut();
        const std::string err = ::testing::internal::GetCapturedStderr();
        std::vector<std::string> lines;
        for (std::size_t from = 0, at; (at = err.find('\n', from)) != std::string::npos; from = at + 1)
            lines.push_back(err.substr(from, at - from));
        const auto count = [&](const std::string& line) { return std::count(lines.begin(), lines.end(), line); };
        EXPECT_EQ(count("Error in hexconv(x)"), all ? 250 : 100);
        EXPECT_EQ(count("Error in hexconv(y)"), 100) << "the limit itself is printed whole";
        EXPECT_EQ(lines.size(), all ? 351u : 202u);
        if (!all) {
            const std::string last = "以降 150 回の同じメッセージを省略しました：Error in hexconv(x)\n";
            EXPECT_EQ(err.substr(err.size() - last.size()), last);
        }
        EXPECT_EQ(count(std::string("Error in hexconv(\0)", 19)), 1) << "a NUL is part of the text";
    }
}

#ifndef _WIN32
// The first Ctrl-C asks the run to end at its next yield; the second ends
// the program at once.
TEST(EndSignalsTest, SecondInterruptEndsTheProgramAtOnce)
{
    EXPECT_EXIT(
        {
            cli::catchEndSignals();
            std::raise(SIGINT);
            if (cli::endRequested() != 1) std::_Exit(3);
            std::raise(SIGINT);
            std::_Exit(0);
        },
        ::testing::KilledBySignal(SIGINT), "");
    EXPECT_EXIT(
        {
            cli::catchEndSignals();
            std::raise(SIGTERM);
            std::raise(SIGTERM);
            std::_Exit(cli::endRequested() == 1 ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
}
#else
// Windows: the console's Ctrl-C asks the run to end; the second is left to
// the system, which ends the program; closing the console asks to end too.
TEST(EndSignalsTest, ConsoleEventsAskTheRunToEnd)
{
    cli::catchEndSignals();
    EXPECT_EQ(cli::endRequested(), 0);
    EXPECT_TRUE(platform::handleConsoleEventForTests(platform::ConsoleEvent::Interrupt));
    EXPECT_EQ(cli::endRequested(), 1);
    EXPECT_FALSE(platform::handleConsoleEventForTests(platform::ConsoleEvent::Interrupt));
    cli::endRequested() = 0;
    EXPECT_TRUE(platform::handleConsoleEventForTests(platform::ConsoleEvent::Close));
    EXPECT_EQ(cli::endRequested(), 1);
}
#endif

} // namespace
