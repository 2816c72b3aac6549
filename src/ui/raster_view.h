#pragma once
// Paints the folded stream of one candidate. Only the part in sight is
// rendered, so a 2000-bit interval at high zoom stays quick. The wheel zooms
// about the point under the pointer (Shift + wheel scrolls), dragging with
// the left button pans, and the scroll bars scroll.
#include "engine/bit_buffer.h"
#include "engine/parameters.h"
#include "analysis/raster.h"

#include <QAbstractScrollArea>
#include <QPoint>

#include <array>
#include <memory>
#include <optional>

namespace morvelan {

class RasterView : public QAbstractScrollArea {
    Q_OBJECT

public:
    // Pixels per bit the zoom steps through.
    static constexpr std::array<int, 10> kCellSizes = {1, 2, 3, 4, 6, 8, 12, 16, 24, 32};

    explicit RasterView(QWidget* parent = nullptr);

    // The stream to fold. `bits` must outlive the view.
    void setSource(const BitBuffer* bits, const AnalysisParameters& params, std::int32_t decodedBits,
                   bool skipExclusions);
    // Folds at (interval, offset), keeping the zoom and the scroll position.
    void showCandidate(std::int64_t interval, std::int64_t offset);

    int cellSize() const { return cellSize_; }
    // Sets the zoom; the picture point under `anchor` (viewport coordinates,
    // the centre when absent) stays where it is.
    void setCellSize(int cellSize, std::optional<QPoint> anchor = std::nullopt);
    void zoomIn(std::optional<QPoint> anchor = std::nullopt);
    void zoomOut(std::optional<QPoint> anchor = std::nullopt);

    // The current picture's layout and marks; null before the first candidate.
    const Raster* raster() const { return raster_.get(); }
    // Top-left picture pixel in sight.
    QPoint scrollOffset() const;

signals:
    void cellSizeChanged(int cellSize);
    void cellHovered(qint64 row, qint64 column, qint64 position);
    void cellLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void rebuild();
    void updateScrollBars();

    const BitBuffer* bits_ = nullptr;
    AnalysisParameters params_;
    RasterRequest request_;
    int cellSize_ = kDefaultRasterCellSize;
    std::unique_ptr<Raster> raster_;
    std::optional<QPoint> dragFrom_;
};

} // namespace morvelan
