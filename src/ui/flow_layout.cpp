#include "ui/flow_layout.h"

#include <QSpacerItem>
#include <QWidget>

#include <algorithm>

namespace morvelan {

FlowLayout::~FlowLayout()
{
    while (QLayoutItem* item = takeAt(0)) delete item;
}

void FlowLayout::addSpacing(int width)
{
    addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum));
}

void FlowLayout::addItem(QLayoutItem* item)
{
    items_.append(item);
}

QLayoutItem* FlowLayout::takeAt(int index)
{
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

int FlowLayout::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

QSize FlowLayout::minimumSize() const
{
    // The widest single item: everything else can wrap.
    QSize size;
    for (const QLayoutItem* item : items_) size = size.expandedTo(item->minimumSize());
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize FlowLayout::sizeHint() const
{
    // All in one row.
    int width = 0;
    int height = 0;
    for (const QLayoutItem* item : items_) {
        width += item->sizeHint().width() + (width > 0 ? spacing() : 0);
        height = std::max(height, item->sizeHint().height());
    }
    const QMargins m = contentsMargins();
    return {width + m.left() + m.right(), height + m.top() + m.bottom()};
}

void FlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowLayout::arrange(const QRect& rect, bool place) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int gap = std::max(spacing(), 0);
    int y = area.y();
    QList<std::pair<QLayoutItem*, QSize>> row; // the row being filled
    int rowWidth = 0;
    int rowHeight = 0;
    // Sets the row's items side by side, each centred on the row's height.
    const auto finishRow = [&] {
        int x = area.x();
        for (const auto& [item, size] : row) {
            if (place) item->setGeometry(QRect(QPoint(x, y + (rowHeight - size.height()) / 2), size));
            x += size.width() + gap;
        }
        if (!row.isEmpty()) y += rowHeight + gap;
        row.clear();
        rowWidth = 0;
        rowHeight = 0;
    };
    for (QLayoutItem* item : items_) {
        if (item->isEmpty() && item->widget() != nullptr) continue; // a hidden control
        const QSize size = item->sizeHint().boundedTo(QSize(area.width(), QWIDGETSIZE_MAX));
        if (!row.isEmpty() && rowWidth + gap + size.width() > area.width()) finishRow();
        rowWidth += (row.isEmpty() ? 0 : gap) + size.width();
        rowHeight = std::max(rowHeight, size.height());
        row.append({item, size});
    }
    finishRow();
    const int used = y > area.y() ? y - gap - rect.y() : 0;
    return used + contentsMargins().bottom() + (used == 0 ? contentsMargins().top() : 0);
}

} // namespace morvelan
