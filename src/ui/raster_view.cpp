#include "ui/raster_view.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace morvelan {

RasterView::RasterView(QWidget* parent) : QAbstractScrollArea(parent)
{
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::OpenHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void RasterView::setSource(const BitBuffer* bits, const AnalysisParameters& params, std::int32_t decodedBits,
                           bool skipExclusions)
{
    bits_ = bits;
    params_ = params;
    request_.decodedBits = decodedBits;
    request_.skipExclusions = skipExclusions;
    rebuild();
}

void RasterView::showCandidate(std::int64_t interval, std::int64_t offset)
{
    request_.interval = interval;
    request_.offset = offset;
    rebuild();
}

void RasterView::rebuild()
{
    request_.cellSize = cellSize_;
    if (bits_ == nullptr || request_.interval <= 0) {
        raster_.reset();
    } else {
        raster_ = std::make_unique<Raster>(*bits_, params_, request_);
        if (!raster_->valid()) raster_.reset();
    }
    updateScrollBars();
    viewport()->update();
}

QPoint RasterView::scrollOffset() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void RasterView::updateScrollBars()
{
    const QSize page = viewport()->size();
    const int w = raster_ ? raster_->width() : 0;
    const int h = raster_ ? raster_->height() : 0;
    horizontalScrollBar()->setRange(0, std::max(0, w - page.width()));
    horizontalScrollBar()->setPageStep(page.width());
    horizontalScrollBar()->setSingleStep(std::max(cellSize_ * 8, 16));
    verticalScrollBar()->setRange(0, std::max(0, h - page.height()));
    verticalScrollBar()->setPageStep(page.height());
    verticalScrollBar()->setSingleStep(std::max(cellSize_ * 4, 16));
}

void RasterView::setCellSize(int cellSize, std::optional<QPoint> anchor)
{
    cellSize = std::clamp(cellSize, kMinRasterCellSize, kMaxRasterCellSize);
    if (cellSize == cellSize_) return;
    const QPoint at = anchor.value_or(viewport()->rect().center());
    const QPoint picturePoint = scrollOffset() + at;
    // The bit under the anchor and where in it the anchor lies; without a
    // bit there (margin, outline), the point scaled with the zoom.
    const std::optional<RasterCell> cell = raster_ ? raster_->cellAt(picturePoint.x(), picturePoint.y()) : std::nullopt;
    double fracX = 0, fracY = 0;
    if (cell) {
        fracX = (picturePoint.x() - raster_->columnX(cell->column)) / static_cast<double>(cellSize_);
        fracY = (picturePoint.y() - raster_->rowY(cell->row)) / static_cast<double>(cellSize_);
    }
    const double scale = cellSize / static_cast<double>(cellSize_);
    cellSize_ = cellSize;
    rebuild();
    QPoint target(static_cast<int>(picturePoint.x() * scale), static_cast<int>(picturePoint.y() * scale));
    if (cell && raster_)
        target = QPoint(raster_->columnX(cell->column) + static_cast<int>(fracX * cellSize_),
                        raster_->rowY(cell->row) + static_cast<int>(fracY * cellSize_));
    horizontalScrollBar()->setValue(target.x() - at.x());
    verticalScrollBar()->setValue(target.y() - at.y());
    emit cellSizeChanged(cellSize_);
}

void RasterView::zoomIn(std::optional<QPoint> anchor)
{
    const auto next = std::upper_bound(kCellSizes.begin(), kCellSizes.end(), cellSize_);
    if (next != kCellSizes.end()) setCellSize(*next, anchor);
}

void RasterView::zoomOut(std::optional<QPoint> anchor)
{
    const auto below = std::lower_bound(kCellSizes.begin(), kCellSizes.end(), cellSize_);
    if (below != kCellSizes.begin()) setCellSize(*(below - 1), anchor);
}

void RasterView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Window));
    if (!raster_) return;
    const QPoint offset = scrollOffset();
    const RasterImage part = raster_->render(offset.x(), offset.y(), viewport()->width(), viewport()->height());
    if (part.empty()) return;
    const QImage image(part.rgb.data(), part.width, part.height, part.width * 3, QImage::Format_RGB888);
    painter.drawImage(QPoint(0, 0), image);
}

void RasterView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void RasterView::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (event->modifiers() & Qt::ShiftModifier) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    if (steps == 0) {
        event->ignore();
        return;
    }
    const QPoint at = event->position().toPoint();
    for (int i = 0; i < std::abs(steps); ++i) {
        if (steps > 0)
            zoomIn(at);
        else
            zoomOut(at);
    }
    event->accept();
}

void RasterView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
    dragFrom_ = event->position().toPoint();
    viewport()->setCursor(Qt::ClosedHandCursor);
}

void RasterView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (dragFrom_) {
        const QPoint moved = at - *dragFrom_;
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - moved.x());
        verticalScrollBar()->setValue(verticalScrollBar()->value() - moved.y());
        dragFrom_ = at;
    }
    const std::optional<RasterCell> cell =
        raster_ ? raster_->cellAt(at.x() + scrollOffset().x(), at.y() + scrollOffset().y()) : std::nullopt;
    if (cell)
        emit cellHovered(cell->row, cell->column, cell->position);
    else
        emit cellLeft();
}

void RasterView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mouseReleaseEvent(event);
    dragFrom_.reset();
    viewport()->setCursor(Qt::OpenHandCursor);
}

void RasterView::leaveEvent(QEvent* event)
{
    QAbstractScrollArea::leaveEvent(event);
    emit cellLeft();
}

} // namespace morvelan
