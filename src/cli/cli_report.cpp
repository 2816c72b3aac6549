#include "cli/cli_report.h"

#include "cli/cli_options.h"

#include "files/file_messages.h"
#include "files/png_file.h"
#include "files/session.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cstdio>
#include "platform/system.h"

namespace morvelan::cli {

std::optional<RasterTarget> parseRasterTarget(std::string_view text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto read = [](std::string_view digits, std::int64_t& value) {
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return !digits.empty() && ec == std::errc{} && end == digits.data() + digits.size();
    };
    RasterTarget t;
    if (!read(text.substr(0, colon), t.interval) || !read(text.substr(colon + 1), t.offset)) return std::nullopt;
    if (t.interval < 1 || t.interval > kBitBufferCells) return std::nullopt;
    if (t.offset < -2 * std::int64_t{kBitBufferCells} || t.offset > 2 * std::int64_t{kBitBufferCells}) return std::nullopt;
    return t;
}

void addReportOptions(CLI::App& app, ReportOptions& o)
{
    app.add_option_function<std::string>(
           "--format",
           [&o](const std::string& name) {
               const std::string lower = CLI::detail::to_lower(name);
               o.format = lower == "csv" ? OutputFormat::Csv : lower == "json" ? OutputFormat::Json : OutputFormat::Text;
           },
           "Rows on stdout: text (the window lines, the default), csv or json (interval, index, pattern, hex, "
           "count); json prints one object {\"candidates\": [...], \"summary\": [...]}")
        ->check(CLI::IsMember({"text", "csv", "json"}, CLI::ignore_case))
        ->type_name("text|csv|json");
    app.add_flag("--summary", o.summary,
                 "After the run, print the reported candidates grouped (an interval with its multiples, "
                 "neighbouring indexes), each with its sync offset, sync word (named when it is a published one), "
                 "polarity and fixed region, ranked by the expected number of chance hits");
    auto* raster = app.add_option_function<std::string>(
        "--raster",
        [&o](const std::string& text) {
            o.raster = parseRasterTarget(text);
            if (!o.raster)
                throw CLI::ValidationError("--raster", "expected INTERVAL:OFFSET, interval 1.." +
                                                           std::to_string(kBitBufferCells) + ", got '" + text + "'");
        },
        "Picture of the stream folded at INTERVAL from OFFSET (the candidate's index), written to --raster-out");
    raster->type_name("INTERVAL:OFFSET");
    auto* out = app.add_option("--raster-out", o.rasterOut, "PNG file for --raster")->check(
        [](const std::string& name) { return name.empty() ? std::string("expected a file name, got ''") : std::string(); },
        "FILE");
    raster->needs(out);
    out->needs(raster);
    app.add_option_function<std::string>(
           "--raster-zoom",
           [&o](const std::string& text) {
               const auto zoom = parseDecimal(text);
               if (!zoom || *zoom < kMinRasterCellSize || *zoom > kMaxRasterCellSize)
                   throw CLI::ValidationError("--raster-zoom", "expected " + std::to_string(kMinRasterCellSize) +
                                                                  ".." + std::to_string(kMaxRasterCellSize));
               o.rasterZoom = *zoom;
           },
           "Pixels per bit in the --raster picture (default 3)")
        ->type_name("INT");
}


ReportView::ReportView(RunView& console, const ReportOptions& options, bool printRows, Sink out,
                       const Session& session)
    : console_(console), options_(options), printRows_(printRows), out_(std::move(out)), session_(session)
{
}

void ReportView::clearResults()
{
    console_.clearResults();
    results_.clear();
}

StdoutWriter& ReportView::writer()
{
    // Nothing goes to stdout before the first row or the end of the run.
    if (!writer_) writer_ = makeStdoutWriter(options_.format, printRows_, out_);
    return *writer_;
}

void ReportView::candidateReported(const CandidateRecord& record)
{
    console_.candidateReported(record);
    // Only the summary and frames out look back at the records; without them
    // memory stays flat however many rows a run reports.
    if (options_.summary || options_.keepRecords) results_.push_back(record);
    if (!printRows_ || options_.format == OutputFormat::Text) return;
    writer().row(expandCandidate(session_.bits, session_.params, record));
}

std::vector<SummaryGroup> ReportView::summarise() const
{
    return summariseCandidates(results_, session_.bits, session_.params, session_.decodedBits);
}

bool ReportView::finish(bool runCompleted, const Sink& errors, const std::vector<SummaryGroup>* given,
                        const ExtractionResult* frames)
{
    std::vector<SummaryGroup> groups;
    if (options_.summary) groups = given ? *given : summarise();

    const SummaryParts parts{groups, results_.size(), session_.params, session_.input, frames};
    writer().finish(options_.summary ? &parts : nullptr);

    if (!options_.raster) return true;
    if (!runCompleted) {
        errors(kMsgRasterAfterAbort);
        return false;
    }
    const std::string message = writeRasterPng(session_, *options_.raster, options_.rasterZoom, options_.rasterOut);
    if (message.empty()) return true;
    errors(message);
    return false;
}

ReportView::Sink stdoutSink()
{
    const bool sharedTerminal = platform::isTerminal(1) && platform::isTerminal(2);
    return [sharedTerminal](std::string_view text) {
        if (sharedTerminal) std::fputs("\r\033[K", stderr);
        std::fwrite(text.data(), 1, text.size(), stdout);
    };
}

ReportView::Sink stderrSink()
{
    return [](std::string_view text) {
        std::fflush(stdout);
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fputc('\n', stderr);
    };
}

std::string writeRasterPng(const Session& session, const RasterTarget& target, int cellSize, const std::string& path)
{
    RasterRequest request;
    request.interval = target.interval;
    request.offset = target.offset;
    request.cellSize = cellSize;
    request.decodedBits = session.decodedBits;
    request.skipExclusions = session.options.skipExclusions;
    const Raster raster(session.bits, session.params, request);
    const RasterImage image = raster.render();
    if (image.empty()) return std::string(kMsgRasterTooLarge);
    if (!writePngFile(path, image.width, image.height, image.rgb.data())) return messageCannotWriteRaster(path);
    return {};
}

} // namespace morvelan::cli
