#pragma once
// What the batch program makes of a run beyond the Result file: the rows on
// stdout as text, CSV or JSON, the ranked summary of the reported
// candidates, and the raster picture of one candidate as a PNG file.
#include "analysis/raster.h"
#include "engine/reported_candidate.h"
#include "engine/run_view.h"
#include "analysis/summary.h"
#include "cli/stdout_writers.h"
#include "files/frame_extraction.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
}

namespace morvelan {
class Session;
}

namespace morvelan::cli {


struct RasterTarget {
    std::int64_t interval = 0;
    std::int64_t offset = 0;
};

struct ReportOptions {
    OutputFormat format = OutputFormat::Text;
    bool summary = false;
    bool keepRecords = false; // frames out need the summary's first entry
    std::optional<RasterTarget> raster;
    std::string rasterOut;
    int rasterZoom = kDefaultRasterCellSize;
};

// Adds --format, --summary, --raster, --raster-out and --raster-zoom.
void addReportOptions(CLI::App& app, ReportOptions& options);

// "INTERVAL:OFFSET", e.g. "512:36"; the interval 1 .. 300101, the offset any
// whole number from -600202 to 600202.
std::optional<RasterTarget> parseRasterTarget(std::string_view text);

// Passes everything on to the console view and keeps each reported
// candidate; prints CSV or JSON records as they come.
class ReportView : public RunView {
public:
    using Sink = std::function<void(std::string_view)>;
    // `printRows`: false under --quiet. `out` receives the stdout text.
    ReportView(RunView& console, const ReportOptions& options, bool printRows, Sink out, const Session& session);

    void setProgressRange(std::int32_t min, std::int32_t max) override { console_.setProgressRange(min, max); }
    void setProgressValue(std::int32_t value) override { console_.setProgressValue(value); }
    void showInterval(std::int32_t interval) override { console_.showInterval(interval); }
    void showIndex(std::int32_t index) override { console_.showIndex(index); }
    void clearResults() override;
    void appendResultLine(std::string_view line) override { console_.appendResultLine(line); }
    void showFoundCount(std::int32_t count) override { console_.showFoundCount(count); }
    void candidateReported(const CandidateRecord& record) override;
    bool wantsResultLines() const override { return console_.wantsResultLines(); }
    // Records feed the summary and the CSV or JSON rows; nothing else reads them.
    bool wantsRecords() const override
    {
        return options_.summary || options_.keepRecords || (printRows_ && options_.format != OutputFormat::Text) ||
               console_.wantsRecords();
    }

    const CandidateRecords& results() const { return results_; }

    // The ranked summary of the records kept.
    std::vector<SummaryGroup> summarise() const;

    // After the run: ends the CSV or JSON rows, prints the summary when asked
    // (`groups`, or the one summarise() gives; with the segments of `frames`
    // when given) and writes the raster PNG when asked and the run completed.
    // Messages go to `errors`. False when the PNG was asked for and not
    // written.
    bool finish(bool runCompleted, const Sink& errors, const std::vector<SummaryGroup>* groups = nullptr,
                const ExtractionResult* frames = nullptr);

private:
    StdoutWriter& writer();

    RunView& console_;
    const ReportOptions& options_;
    bool printRows_;
    Sink out_;
    const Session& session_;
    CandidateRecords results_;
    std::unique_ptr<StdoutWriter> writer_;
};

// Writers of the batch program's stdout and stderr text. The stdout one first
// wipes the progress bar when both streams share a terminal.
ReportView::Sink stdoutSink();
ReportView::Sink stderrSink();

// Renders the raster of `target` from the session's Bit buffer and writes it.
// Returns an empty text on success, else the message to show.
std::string writeRasterPng(const Session& session, const RasterTarget& target, int cellSize, const std::string& path);

inline constexpr std::string_view kMsgRasterTooLarge =
    "ラスター画像が大きすぎます。--raster-zoom を小さくしてください。";
inline constexpr std::string_view kMsgRasterAfterAbort = "処理が完了しなかったため、ラスター画像は書き出しません。";

} // namespace morvelan::cli
