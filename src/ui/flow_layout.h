#pragma once
// A layout that sets its items in a row and wraps them onto further rows
// when the width runs out, so a bar of controls fits a narrow window or a
// large text scale without a minimum wider than the screen.
#include <QLayout>
#include <QList>

namespace morvelan {

class FlowLayout : public QLayout {
public:
    explicit FlowLayout(QWidget* parent = nullptr) : QLayout(parent) {}
    ~FlowLayout() override;
    FlowLayout(const FlowLayout&) = delete;
    FlowLayout& operator=(const FlowLayout&) = delete;

    // A gap of `width` pixels before the next item.
    void addSpacing(int width);

    void addItem(QLayoutItem* item) override;
    int count() const override { return static_cast<int>(items_.size()); }
    QLayoutItem* itemAt(int index) const override { return items_.value(index); }
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Places the items in `rect` (only measures when `place` is false) and
    // gives the height used.
    int arrange(const QRect& rect, bool place) const;

    QList<QLayoutItem*> items_;
};

} // namespace morvelan
