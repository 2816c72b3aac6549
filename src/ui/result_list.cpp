#include "ui/result_list.h"

#include "ui/qt_text.h"

#include <QPlainTextEdit>

namespace morvelan {

ResultList::ResultList(QPlainTextEdit& list) : list_(list)
{
    list_.setMaximumBlockCount(kMaxLines);
}

void ResultList::append(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    pending_.append(toQString(line));
    // Lines that would be pushed out of the list at the next flush anyway.
    if (pending_.size() >= 2 * kMaxLines) pending_.remove(0, pending_.size() - kMaxLines);
}

void ResultList::flush()
{
    if (pending_.isEmpty()) return;
    list_.appendPlainText(pending_.join(QLatin1Char('\n')));
    pending_.clear();
}

void ResultList::clear()
{
    pending_.clear();
    list_.clear();
}

} // namespace morvelan
