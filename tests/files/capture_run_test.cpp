// Runs on captures in formats other than the classic one: the Bit buffer
// holds the compared frames and no more, frames past the data never match,
// and a refused capture leaves every file as it was.
#include "files/run_analysis.h"

#include "files/capture_reader.h"
#include "files/frame_extraction.h"
#include "files/file_test_support.h"
#include "files/parameter_table.h"
#include "files/session.h"
#include "support/collecting_view.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>

using namespace morvelan;
using namespace morvelan::testing;

namespace {

// `bits` 0/1 values as one byte each.
std::string u8Bytes(const std::vector<std::uint8_t>& bits) { return std::string(bits.begin(), bits.end()); }

std::vector<std::uint8_t> randomBits(std::size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> bits(n);
    for (auto& b : bits) b = rng() & 1;
    return bits;
}

class CaptureRunTest : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedToolkit tk;
    std::unique_ptr<Session> session = std::make_unique<Session>();

    void SetUp() override
    {
        ResetParameters(session->params);
        session->resultPath = dir.file("R.txt");
    }
    bool run(const std::string& bytes, InputFormat format = InputFormat::Auto)
    {
        session->inputPath = dir.write("capture", bytes);
        session->options.inputFormat = format;
        CollectingView view(session->bits, session->params);
        const bool ok = RunAnalysis(*session, tk, view);
        session->files.closeBoth();
        rows = view.results;
        return ok;
    }
    std::vector<ReportedCandidate> rows;
};

TEST_F(CaptureRunTest, TheBufferHoldsTheComparedFramesOfALongCaptureAndNoMore)
{
    AnalysisParameters& p = session->params;
    p.SYNC_BIT_SIZE = 32, p.FRAME_ROUNDS = 20, p.START_SYNC_INTERVAL = 1000, p.END_SYNC_INTERVAL = 1100;
    p.IGNORE_START_BITS = 13;
    ASSERT_TRUE(run(u8Bytes(randomBits(4'000'000, 1))));
    EXPECT_EQ(session->input.format, InputFormat::U8);
    EXPECT_TRUE(session->input.detected);
    EXPECT_EQ(session->bits.last(), lastComparedCell(p, 1100));
    EXPECT_EQ(session->decodedBits, session->bits.last());
    EXPECT_FALSE(session->input.endOfData);
    EXPECT_FALSE(session->input.framesPastDataFrom);
    EXPECT_TRUE(tk.messages.empty());
}

// All-zero data: every frame inside the data matches, none past it (a zero
// cell there would). Each
// candidate's count is its frames that end inside the capture, plus one.
TEST_F(CaptureRunTest, FramesPastTheDataNeverMatch)
{
    struct Case {
        std::int64_t captureBits;
        std::int32_t start, end;
    };
    for (const Case c : {Case{300, 16, 40}, Case{1000, 30, 90}, Case{64, 16, 20}}) {
        SCOPED_TRACE(c.captureBits);
        AnalysisParameters& p = session->params;
        p.SYNC_BIT_SIZE = 8, p.ALLOW_ERR_BITS = 0, p.FRAME_ROUNDS = 20, p.THRESHOLD = 2;
        p.START_SYNC_INTERVAL = c.start, p.END_SYNC_INTERVAL = c.end;
        ASSERT_TRUE(run(u8Bytes(std::vector<std::uint8_t>(static_cast<std::size_t>(c.captureBits), 0))));
        EXPECT_TRUE(session->input.endOfData);
        EXPECT_EQ(session->decodedBits, c.captureBits);
        EXPECT_EQ(session->input.framesPastDataFrom, firstIntervalPast(p, c.captureBits));
        std::size_t expectedRows = 0;
        for (std::int64_t interval = c.start; interval <= c.end; ++interval)
            for (std::int64_t x = 0; x < interval; ++x) {
                std::int64_t inside = 0;
                for (std::int64_t k = 0; k <= p.FRAME_ROUNDS; ++k) inside += 1 + x + k * interval + 7 <= c.captureBits;
                if (inside >= 2) ++expectedRows;
            }
        ASSERT_EQ(rows.size(), expectedRows);
        for (const ReportedCandidate& r : rows) {
            std::int64_t inside = 0;
            for (std::int64_t k = 0; k <= p.FRAME_ROUNDS; ++k) inside += 1 + r.index + k * r.interval + 7 <= c.captureBits;
            ASSERT_EQ(r.count, inside) << r.interval << ":" << r.index;
        }
    }
}

TEST_F(CaptureRunTest, ARefusedCaptureLeavesAnEarlierResultFileAsItWas)
{
    const std::string earlier = "an earlier Result file";
    dir.write("R.txt", earlier);
    std::string bytes = u8Bytes(randomBits(5000, 2));
    bytes[4321] = 7;
    EXPECT_FALSE(run(bytes, InputFormat::U8));
    EXPECT_EQ(readBytes(session->resultPath), earlier);
    ASSERT_EQ(tk.messages.size(), 1u);
    EXPECT_EQ(tk.messages[0].text, "バイト 0x07 は u8 形式（0 と 1 のみ）のデータではありません（オフセット 4321）：" +
                                       session->inputPath);
    EXPECT_FALSE(session->files.input.isOpen());
}

TEST_F(CaptureRunTest, AnAbortWhileReadingStopsBeforeTheResultFileIsMade)
{
    // The flag as Abort leaves it when pressed while the capture is read.
    session->abortFlag.request();
    EXPECT_FALSE(run(u8Bytes(randomBits(30'000, 3))));
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(session->resultPath));
}

// The same bits in every format give the same rows; the header names the format.
TEST_F(CaptureRunTest, EveryFormatGivesTheRowsOfTheSameBits)
{
    AnalysisParameters& p = session->params;
    p.SYNC_BIT_SIZE = 16, p.FRAME_ROUNDS = 10, p.THRESHOLD = 8, p.START_SYNC_INTERVAL = 100, p.END_SYNC_INTERVAL = 140;
    std::vector<std::uint8_t> bits = randomBits(128 * 12, 4);
    for (std::size_t f = 0; f < 12; ++f)
        for (std::size_t j = 0; j < 16; ++j) bits[5 + f * 128 + j] = (0xEB90 >> (15 - j)) & 1;
    bits.resize(bits.size() / 8 * 8);
    std::string msb, lsb, hex, text;
    for (std::size_t i = 0; i < bits.size(); i += 8) {
        unsigned m = 0, l = 0;
        for (unsigned k = 0; k < 8; ++k) m |= bits[i + k] << (7 - k), l |= bits[i + k] << k;
        msb += static_cast<char>(m), lsb += static_cast<char>(l);
        static const char* digits = "0123456789ABCDEF";
        hex += std::string{digits[m >> 4], digits[m & 15]} + (i % 64 == 56 ? "\n" : " ");
    }
    for (const auto b : bits) text += static_cast<char>('0' + b);
    ASSERT_TRUE(run(u8Bytes(bits), InputFormat::U8));
    const auto reference = rows;
    ASSERT_FALSE(reference.empty());
    struct Case {
        std::string bytes;
        InputFormat format;
        BitOrder order;
        std::string suffix;
    };
    for (const Case& c : {Case{msb, InputFormat::Bin, BitOrder::Msb, " [bin]"},
                          Case{lsb, InputFormat::Bin, BitOrder::Lsb, " [bin, lsb]"},
                          Case{"0x" + hex, InputFormat::Hex, BitOrder::Msb, " [hex]"},
                          Case{text, InputFormat::Bits, BitOrder::Msb, " [bits]"}}) {
        SCOPED_TRACE(c.suffix);
        session->options.bitOrder = c.order;
        ASSERT_TRUE(run(c.bytes, c.format));
        EXPECT_EQ(rows, reference);
        const std::string result = readBytes(session->resultPath);
        EXPECT_NE(result.find(session->inputPath + c.suffix + "\r\n"), std::string::npos);
    }
}

// Frames out read the whole capture again, or, for the summary alone, its
// beginning: the segments then end inside the bits looked at.
TEST_F(CaptureRunTest, FramesOutReadTheWholeCaptureOrItsBeginning)
{
    AnalysisParameters& p = session->params;
    p.SYNC_BIT_SIZE = 16, p.FRAME_ROUNDS = 10, p.THRESHOLD = 8, p.START_SYNC_INTERVAL = 200, p.END_SYNC_INTERVAL = 300;
    std::vector<std::uint8_t> bits = randomBits(256 * 400, 5);
    for (std::size_t f = 0; f < 400; ++f)
        for (std::size_t j = 0; j < 16; ++j) bits[9 + f * 256 + j] = (0xEB90 >> (15 - j)) & 1;
    ASSERT_TRUE(run(u8Bytes(bits)));
    const std::vector<SummaryGroup> groups{}; // nothing from the summary: acquisition on its own
    struct Case {
        std::int64_t maxBits;
        bool whole;
    };
    for (const Case c : {Case{0, true}, Case{20000, false}}) {
        SCOPED_TRACE(c.maxBits);
        ExtractionRequest request;
        request.maxBits = c.maxBits;
        ExtractionResult result;
        ASSERT_EQ(ExtractFrames(*session, p, request, groups, nullptr, result), "");
        EXPECT_EQ(result.wholeCapture, c.whole);
        EXPECT_EQ(result.bitsRead, c.whole ? static_cast<std::int64_t>(bits.size()) : c.maxBits);
        ASSERT_EQ(result.segments.size(), 1u);
        EXPECT_EQ(result.segments[0].format.interval, 256);
        EXPECT_EQ(result.segments[0].startBit % 256, 9);
        EXPECT_LE(result.segments[0].endBit, result.bitsRead);
        EXPECT_GE(result.segments[0].endBit, result.bitsRead - 256);
    }
}

} // namespace
