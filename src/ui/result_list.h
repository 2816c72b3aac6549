#pragma once
// The window's result list: one line per reported candidate, maybe millions
// in a run. It holds no text: it asks for the lines it paints (the window
// derives each from the run's compact records), so a row costs the window
// what the record costs. Read-only; whole lines are selected with the mouse
// or the keyboard and copied with Ctrl+C or the context menu, which also
// opens the frame table on the line under the pointer.
#include <QAbstractScrollArea>
#include <QString>

#include <cstddef>
#include <functional>
#include <optional>

namespace morvelan {

class ResultList : public QAbstractScrollArea {
    Q_OBJECT

public:
    using LineSource = std::function<QString(std::size_t)>;

    explicit ResultList(QWidget* parent = nullptr);

    // Where the text of line i comes from; asked only for lines shown or copied.
    void setLineSource(LineSource source);
    // The list now holds `count` lines. A list scrolled to its end follows
    // the new lines.
    void setLineCount(std::size_t count);
    std::size_t lineCount() const { return count_; }
    QString lineText(std::size_t line) const;
    // Empties the list.
    void clear();

    void selectAll();
    void selectLines(std::size_t first, std::size_t last);
    // The selected lines joined by line breaks; empty without a selection.
    QString selectedText() const;
    void copy() const;
    std::optional<std::size_t> lineAt(QPoint viewportPosition) const;

signals:
    // A double-click or Enter on a line.
    void lineActivated(std::size_t line);
    // The context menu's フレーム表示 on a line.
    void frameTableRequested(std::size_t line);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int lineHeight() const;
    int visibleLines() const;
    void updateScrollBars();
    void moveCurrent(std::ptrdiff_t to, bool extend);
    void ensureVisible(std::size_t line);

    LineSource source_;
    std::size_t count_ = 0;
    std::optional<std::size_t> anchor_;  // where the selection started
    std::optional<std::size_t> current_; // where it ends
    int widest_ = 0;                     // widest line painted so far, in pixels
};

} // namespace morvelan
