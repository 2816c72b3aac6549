#pragma once
// The window's result list: lines arrive one per reported candidate, maybe
// hundreds of thousands in a run, so they are collected and appended in
// batches, and the list keeps only the newest kMaxLines.
#include <QString>
#include <QStringList>

#include <string_view>

class QPlainTextEdit;

namespace morvelan {

class ResultList {
public:
    static constexpr int kMaxLines = 20000;

    // Sets the list's line limit.
    explicit ResultList(QPlainTextEdit& list);

    // Takes one window line; its CR LF is the list's line break.
    void append(std::string_view line);
    // Appends the waiting lines to the list.
    void flush();
    // Empties the list and drops the waiting lines.
    void clear();

private:
    QPlainTextEdit& list_;
    QStringList pending_;
};

} // namespace morvelan
