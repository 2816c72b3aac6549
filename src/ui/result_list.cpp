#include "ui/result_list.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace morvelan {
namespace {

constexpr int kMargin = 4;

} // namespace

ResultList::ResultList(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
}

void ResultList::setLineSource(LineSource source)
{
    source_ = std::move(source);
    viewport()->update();
}

void ResultList::setLineCount(std::size_t count)
{
    if (count == count_) return;
    QScrollBar* bar = verticalScrollBar();
    const bool following = bar->value() >= bar->maximum();
    count_ = count;
    if (anchor_ && *anchor_ >= count_) anchor_.reset(), current_.reset();
    updateScrollBars();
    if (following) bar->setValue(bar->maximum());
    viewport()->update();
}

QString ResultList::lineText(std::size_t line) const
{
    return line < count_ && source_ ? source_(line) : QString();
}

void ResultList::clear()
{
    anchor_.reset();
    current_.reset();
    widest_ = 0;
    count_ = 0;
    updateScrollBars();
    viewport()->update();
}

void ResultList::selectAll()
{
    if (count_ > 0) selectLines(0, count_ - 1);
}

void ResultList::selectLines(std::size_t first, std::size_t last)
{
    if (count_ == 0) return;
    anchor_ = std::min(first, count_ - 1);
    current_ = std::min(last, count_ - 1);
    viewport()->update();
}

QString ResultList::selectedText() const
{
    if (!anchor_ || !current_) return {};
    const std::size_t first = std::min(*anchor_, *current_);
    const std::size_t last = std::max(*anchor_, *current_);
    QString text;
    for (std::size_t i = first; i <= last; ++i) {
        if (i > first) text += QLatin1Char('\n');
        text += lineText(i);
    }
    return text;
}

void ResultList::copy() const
{
    const QString text = selectedText();
    if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

std::optional<std::size_t> ResultList::lineAt(QPoint viewportPosition) const
{
    if (viewportPosition.y() < 0) return std::nullopt;
    const auto line = static_cast<std::size_t>(verticalScrollBar()->value()) +
                      static_cast<std::size_t>(viewportPosition.y() / lineHeight());
    if (line >= count_) return std::nullopt;
    return line;
}

int ResultList::lineHeight() const
{
    return std::max(1, fontMetrics().lineSpacing());
}

int ResultList::visibleLines() const
{
    return std::max(1, viewport()->height() / lineHeight());
}

void ResultList::updateScrollBars()
{
    // The bar counts lines: scrolling moves whole lines, whatever the count.
    const auto lines = static_cast<long long>(count_);
    const int maximum = static_cast<int>(std::clamp<long long>(lines - visibleLines(), 0, INT32_MAX));
    verticalScrollBar()->setRange(0, maximum);
    verticalScrollBar()->setPageStep(visibleLines());
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, std::max(0, widest_ + 2 * kMargin - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(fontMetrics().averageCharWidth());
}

void ResultList::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const int height = lineHeight();
    const auto top = static_cast<std::size_t>(verticalScrollBar()->value());
    const int x = kMargin - horizontalScrollBar()->value();
    std::size_t selFirst = 1, selLast = 0;
    if (anchor_ && current_) {
        selFirst = std::min(*anchor_, *current_);
        selLast = std::max(*anchor_, *current_);
    }
    const int rows = viewport()->height() / height + 1;
    int widest = widest_;
    for (int row = 0; row < rows; ++row) {
        const std::size_t line = top + static_cast<std::size_t>(row);
        if (line >= count_) break;
        const QString text = lineText(line);
        const QRect rect(0, row * height, viewport()->width(), height);
        const bool selected = line >= selFirst && line <= selLast;
        if (selected) painter.fillRect(rect, palette().brush(QPalette::Highlight));
        painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(QRect(x, row * height, INT32_MAX / 4, height), Qt::AlignLeft | Qt::AlignVCenter, text);
        widest = std::max(widest, fontMetrics().horizontalAdvance(text));
    }
    if (widest != widest_) {
        widest_ = widest;
        updateScrollBars();
    }
}

void ResultList::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ResultList::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) updateScrollBars();
}

void ResultList::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    const auto line = lineAt(event->position().toPoint());
    if (!line) return;
    if (!(event->modifiers() & Qt::ShiftModifier) || !anchor_) anchor_ = *line;
    current_ = *line;
    viewport()->update();
}

void ResultList::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || !anchor_ || count_ == 0) return;
    const int y = event->position().toPoint().y();
    const long long top = verticalScrollBar()->value();
    const long long line = std::clamp<long long>(top + (y < 0 ? -1 : y / lineHeight()), 0,
                                                 static_cast<long long>(count_) - 1);
    current_ = static_cast<std::size_t>(line);
    ensureVisible(*current_);
    viewport()->update();
}

void ResultList::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    if (const auto line = lineAt(event->position().toPoint())) emit lineActivated(*line);
}

void ResultList::ensureVisible(std::size_t line)
{
    QScrollBar* bar = verticalScrollBar();
    const auto top = static_cast<std::size_t>(bar->value());
    if (line < top)
        bar->setValue(static_cast<int>(line));
    else if (line >= top + static_cast<std::size_t>(visibleLines()))
        bar->setValue(static_cast<int>(line) - visibleLines() + 1);
}

void ResultList::moveCurrent(std::ptrdiff_t to, bool extend)
{
    if (count_ == 0) return;
    const auto line = static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(to, 0, static_cast<std::ptrdiff_t>(count_) - 1));
    if (!extend || !anchor_) anchor_ = line;
    current_ = line;
    ensureVisible(line);
    viewport()->update();
}

void ResultList::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const auto here = static_cast<std::ptrdiff_t>(current_.value_or(static_cast<std::size_t>(verticalScrollBar()->value())));
    const auto page = static_cast<std::ptrdiff_t>(visibleLines());
    switch (event->key()) {
    case Qt::Key_Up: moveCurrent(here - 1, extend); return;
    case Qt::Key_Down: moveCurrent(current_ ? here + 1 : here, extend); return;
    case Qt::Key_PageUp: moveCurrent(here - page, extend); return;
    case Qt::Key_PageDown: moveCurrent(here + page, extend); return;
    case Qt::Key_Home: moveCurrent(0, extend); return;
    case Qt::Key_End: moveCurrent(static_cast<std::ptrdiff_t>(count_) - 1, extend); return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (current_) emit lineActivated(*current_);
        return;
    default: QAbstractScrollArea::keyPressEvent(event); // Tab and the rest go on; no text is taken
    }
}

void ResultList::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuResult"));
    // The line under the pointer, or the current one for the menu key.
    const std::optional<std::size_t> line =
        event->reason() == QContextMenuEvent::Mouse ? lineAt(event->pos()) : current_;
    if (line) {
        QAction* frames = menu.addAction(QStringLiteral("フレーム表示(&F)"), this,
                                         [this, at = *line] { emit frameTableRequested(at); });
        frames->setObjectName(QStringLiteral("actFrameTable"));
        menu.addSeparator();
    }
    QAction* copyAction = menu.addAction(QStringLiteral("コピー(&C)"), this, &ResultList::copy);
    copyAction->setEnabled(anchor_.has_value());
    copyAction->setObjectName(QStringLiteral("actCopy"));
    QAction* all = menu.addAction(QStringLiteral("すべて選択(&A)"), this, &ResultList::selectAll);
    all->setObjectName(QStringLiteral("actSelectAll"));
    all->setEnabled(count_ > 0);
    menu.exec(event->globalPos());
}

} // namespace morvelan
