#include "cli/stdout_writers.h"

#include "analysis/setup_check.h"
#include "engine/run_state.h"
#include "files/candidate_text.h"
#include "files/input_messages.h"
#include "files/segment_text.h"

namespace morvelan::cli {
namespace {

// What the summary adds below its table about the input: the recording's
// setup, frames past the data, and for the classic format, lines that are
// not 80 digits.
std::string summaryNotes(const SummaryParts& s)
{
    std::string notes;
    if (const auto agrees = setupAgrees(s.input.setup, s.groups))
        notes += messageSetupAgreement(s.input.setup, *agrees) + "\n";
    if (s.input.framesPastDataFrom) notes += messageFramesPastData(*s.input.framesPastDataFrom) + "\n";
    if (s.input.format == InputFormat::Tdm && s.input.irregularLines) notes += std::string(kMsgSuggestHex) + "\n";
    return notes;
}

class TextWriter final : public StdoutWriter {
public:
    TextWriter(bool rows, Sink out) : rows_(rows), out_(std::move(out)) {}
    void row(const ReportedCandidate&) override {}
    void finish(const SummaryParts* s) override
    {
        if (!s) return;
        out_((rows_ ? "\n" : "") + summaryText(s->groups, s->reported, s->params) + summaryNotes(*s) +
             (s->frames ? segmentsText(s->frames->segments, s->frames->majorFrame,
                                   s->frames->wholeCapture ? 0 : s->frames->bitsRead)
                      : std::string()));
    }

private:
    bool rows_;
    Sink out_;
};

class CsvWriter final : public StdoutWriter {
public:
    CsvWriter(bool rows, Sink out) : rows_(rows), out_(std::move(out))
    {
        if (rows_) out_(std::string(kCsvHeader) + "\n");
    }
    void row(const ReportedCandidate& c) override { out_(csvRecord(c) + "\n"); }
    void finish(const SummaryParts* s) override
    {
        if (!s) return;
        out_((rows_ ? "\n" : "") + summaryCsv(s->groups) +
             (s->frames ? "\n" + segmentsCsv(s->frames->segments) : std::string()));
    }

private:
    bool rows_;
    Sink out_;
};

// One object: {"candidates": [...], "summary": [...], ...}.
class JsonWriter final : public StdoutWriter {
public:
    JsonWriter(bool rows, Sink out) : rows_(rows), out_(std::move(out)) { out_(rows_ ? "{\"candidates\":[" : "{"); }
    void row(const ReportedCandidate& c) override { out_((printed_++ == 0 ? "\n" : ",\n") + jsonRecord(c)); }
    void finish(const SummaryParts* s) override
    {
        if (rows_) out_(printed_ == 0 ? "]" : "\n]");
        if (s) {
            const auto agrees = setupAgrees(s->input.setup, s->groups);
            const auto& past = s->input.framesPastDataFrom;
            out_(std::string(rows_ ? "," : "") + "\n\"summary\":" + summaryJsonArray(s->groups) +
                 ",\n\"framesPastDataFrom\":" + (past ? std::to_string(*past) : std::string("null")) +
                 ",\n\"setupAgrees\":" + (agrees ? (*agrees ? "true" : "false") : "null") +
                 (s->frames ? ",\n\"segments\":" + segmentsJsonArray(s->frames->segments) : std::string()));
        }
        out_("}\n");
    }

private:
    bool rows_;
    Sink out_;
    std::size_t printed_ = 0;
};

} // namespace

std::unique_ptr<StdoutWriter> makeStdoutWriter(OutputFormat format, bool rows, StdoutWriter::Sink out)
{
    switch (format) {
    case OutputFormat::Csv: return std::make_unique<CsvWriter>(rows, std::move(out));
    case OutputFormat::Json: return std::make_unique<JsonWriter>(rows, std::move(out));
    case OutputFormat::Text: break;
    }
    return std::make_unique<TextWriter>(rows, std::move(out));
}

} // namespace morvelan::cli
