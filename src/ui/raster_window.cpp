#include "ui/widget_factory.h"
#include "ui/raster_window.h"

#include "files/file_messages.h"
#include "files/png_file.h"
#include "common/toolkit.h"
#include "files/candidate_text.h"
#include "analysis/raster.h"
#include "files/session.h"
#include "ui/qt_text.h"
#include "ui/qt_toolkit.h"
#include "ui/flow_layout.h"
#include "ui/frame_table_window.h"
#include "ui/raster_view.h"
#include "ui/run_report.h"
#include "ui/window_fonts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QVBoxLayout>

#include <limits>

#include <filesystem>

namespace morvelan {
namespace {

// The size the viewer asks for, at most the screen's room less its frame.
constexpr QSize kPreferredSize(1100, 720);
constexpr int kFrameAllowance = 16;

int toSpinLimit(std::int64_t value)
{
    return static_cast<int>(std::min<std::int64_t>(value, std::numeric_limits<int>::max()));
}

QString colourSquare(Rgb c)
{
    return QStringLiteral("<span style=\"color:#%1%2%3\">■</span>")
        .arg(c.r, 2, 16, QLatin1Char('0'))
        .arg(c.g, 2, 16, QLatin1Char('0'))
        .arg(c.b, 2, 16, QLatin1Char('0'));
}

} // namespace

RasterSource makeRasterSource(const Session& session, const AnalysisParameters& params, CandidateRecords results)
{
    RasterSource s;
    s.capture = snapshotCapture(session);
    s.bits = std::shared_ptr<const BitBuffer>(s.capture, &s.capture->bits);
    s.params = params;
    s.decodedBits = session.decodedBits;
    s.skipExclusions = session.options.skipExclusions;
    s.results = std::move(results);
    s.inputPath = session.inputPath;
    return s;
}

RasterWindow::RasterWindow(RasterSource source, Toolkit* toolkit, QWidget* parent)
    : QWidget(parent, Qt::Window), source_(std::move(source)), toolkit_(toolkit)
{
    setObjectName(QStringLiteral("RasterWindow"));
    applyWindowFace(*this);
    if (toolkit_ == nullptr) {
        ownToolkit_ = std::make_unique<QtToolkit>();
        ownToolkit_->setParentWindow(this);
        toolkit_ = ownToolkit_.get();
    }
    if (!source_.bits) source_.bits = std::make_shared<const BitBuffer>();
    summary_ = summariseCandidates(source_.results, *source_.bits, source_.params, source_.decodedBits);
    buildControls();
    connectControls();
    fillSummary();
    view_->setSource(source_.bits.get(), source_.params, source_.decodedBits, source_.skipExclusions);
    fitToScreen();
    if (!summary_.empty())
        showCandidate(summary_.front().interval, summary_.front().syncOffset);
    else
        showCandidate(std::max(source_.params.START_SYNC_INTERVAL, 1), 0);
}

RasterWindow::~RasterWindow() = default;

void RasterWindow::buildControls()
{
    interval_ = new QSpinBox(this);
    interval_->setObjectName(QStringLiteral("txtRasterInterval"));
    // Any interval and offset over the whole Bit buffer, however long.
    interval_->setRange(1, toSpinLimit(std::max<std::int64_t>(kBitBufferCells, source_.bits->last())));
    offset_ = new QSpinBox(this);
    offset_->setObjectName(QStringLiteral("txtRasterOffset"));
    const int farthest = toSpinLimit(rasterFarthestOffset(*source_.bits));
    offset_->setRange(-farthest, farthest);
    for (QSpinBox* s : {interval_, offset_}) {
        s->setButtonSymbols(QAbstractSpinBox::NoButtons);
        s->setKeyboardTracking(false); // fold when the typing is done, not at each digit
        s->setAlignment(Qt::AlignRight);
        s->setMinimumWidth(80);
    }
    intervalDown_ = makeButton(this, "cmdRasterIntervalDown", QStringLiteral("−1"), true);
    intervalUp_ = makeButton(this, "cmdRasterIntervalUp", QStringLiteral("+1"), true);
    offsetDown_ = makeButton(this, "cmdRasterOffsetDown", QStringLiteral("−1"), true);
    offsetUp_ = makeButton(this, "cmdRasterOffsetUp", QStringLiteral("+1"), true);
    for (QPushButton* b : {intervalDown_, intervalUp_, offsetDown_, offsetUp_})
        b->setMaximumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("+10")) + 24);
    zoomOut_ = makeButton(this, "cmdRasterZoomOut", QStringLiteral("縮小"));
    zoomIn_ = makeButton(this, "cmdRasterZoomIn", QStringLiteral("拡大"));
    zoom_ = makeLabel(this, "lblRasterZoom", QString());
    zoom_->setMinimumWidth(80);
    zoom_->setAlignment(Qt::AlignCenter);
    export_ = makeButton(this, "cmdRasterExport", QStringLiteral("PNG保存…"));
    frameTable_ = makeButton(this, "btnFrameTable", QStringLiteral("フレーム表示"));
    frameTable_->setEnabled(source_.capture != nullptr);

    view_ = new RasterView(this);
    view_->setObjectName(QStringLiteral("viewRaster"));

    summaryList_ = new QListWidget(this);
    summaryList_->setObjectName(QStringLiteral("lstRasterSummary"));
    applyFixedPitchFace(*summaryList_);
    summaryList_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Whole lines however narrow the list: they wrap, and each tip holds one.
    summaryList_->setWordWrap(true);
    summaryList_->setTextElideMode(Qt::ElideNone);
    summaryList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    summaryList_->setResizeMode(QListView::Adjust);
    summaryList_->setMinimumWidth(summaryList_->fontMetrics().averageCharWidth() * 12);

    info_ = makeLabel(this, "lblRasterInfo", QString());
    info_->setTextFormat(Qt::RichText);
    info_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    info_->setWordWrap(true);
    hover_ = makeLabel(this, "lblRasterHover", QString());
    hover_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    hover_->setWordWrap(true);
    layOutControls();
}

void RasterWindow::fitToScreen()
{
    QSize size = kPreferredSize;
    if (const QScreen* s = screen())
        size = size.boundedTo(s->availableGeometry().size() - QSize(kFrameAllowance, 3 * kFrameAllowance));
    resize(size.expandedTo(minimumSizeHint()));
}

void RasterWindow::layOutControls()
{
    // The bar wraps onto a second row when the window is narrow.
    auto* top = new FlowLayout;
    top->setSpacing(6);
    top->addWidget(makeLabel(this, "lblRasterInterval", QStringLiteral("インターバル")));
    top->addWidget(interval_);
    top->addWidget(intervalDown_);
    top->addWidget(intervalUp_);
    top->addSpacing(16);
    top->addWidget(makeLabel(this, "lblRasterOffset", QStringLiteral("オフセット")));
    top->addWidget(offset_);
    top->addWidget(offsetDown_);
    top->addWidget(offsetUp_);
    top->addSpacing(16);
    top->addWidget(zoomOut_);
    top->addWidget(zoom_);
    top->addWidget(zoomIn_);
    top->addSpacing(16);
    top->addWidget(export_);
    top->addWidget(frameTable_);

    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    QLabel* sideTitle = makeLabel(side, "lblRasterSummary", QStringLiteral("候補のまとめ（偶然では起こりにくい順）"));
    sideTitle->setWordWrap(true);
    sideLayout->addWidget(sideTitle);
    sideLayout->addWidget(summaryList_);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("splRaster"));
    split->addWidget(view_);
    split->addWidget(side);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    split->setChildrenCollapsible(false);
    split->setSizes({720, 360});

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(info_, 1);
    bottom->addWidget(hover_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    layout->addLayout(bottom);
}

void RasterWindow::connectControls()
{
    connect(interval_, &QSpinBox::valueChanged, this, &RasterWindow::redraw);
    connect(offset_, &QSpinBox::valueChanged, this, &RasterWindow::redraw);
    connect(intervalDown_, &QPushButton::clicked, this, [this] { interval_->setValue(interval_->value() - 1); });
    connect(intervalUp_, &QPushButton::clicked, this, [this] { interval_->setValue(interval_->value() + 1); });
    connect(offsetDown_, &QPushButton::clicked, this, [this] { offset_->setValue(offset_->value() - 1); });
    connect(offsetUp_, &QPushButton::clicked, this, [this] { offset_->setValue(offset_->value() + 1); });
    connect(zoomOut_, &QPushButton::clicked, this, [this] { view_->zoomOut(); });
    connect(zoomIn_, &QPushButton::clicked, this, [this] { view_->zoomIn(); });
    connect(view_, &RasterView::cellSizeChanged, this, &RasterWindow::showInfo);
    connect(view_, &RasterView::cellHovered, this, &RasterWindow::showHover);
    connect(view_, &RasterView::cellLeft, hover_, &QLabel::clear);
    connect(export_, &QPushButton::clicked, this, &RasterWindow::exportPng);
    connect(frameTable_, &QPushButton::clicked, this, &RasterWindow::openFrameTable);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setObjectName(QStringLiteral("keyRasterClose"));
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    connect(summaryList_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showGroup(summaryList_->row(item)); });
    connect(summaryList_, &QListWidget::currentRowChanged, this, &RasterWindow::showGroup);
}

namespace {

QString polarityText(const SummaryGroup& g)
{
    return toQString(groupPolarityText(g));
}

QString fixedText(const SummaryGroup& g)
{
    return toQString(groupFixedText(g));
}

QString nameText(const SummaryGroup& g)
{
    return toQString(groupNameText(g));
}

} // namespace

void RasterWindow::fillSummary()
{
    std::size_t rank = 0;
    for (const SummaryGroup& g : summary_) {
        const QString text = QStringLiteral("%1. %2/%3 %4 回数%5 %6行 偶然%7 極性%8 固定%9%10")
                                 .arg(++rank)
                                 .arg(g.interval)
                                 .arg(g.syncOffset)
                                 .arg(toQString(g.syncHex))
                                 .arg(g.best.count)
                                 .arg(g.rows)
                                 .arg(toQString(formatLog10(g.chanceLog10)), polarityText(g), fixedText(g), nameText(g));
        auto* item = new QListWidgetItem(text, summaryList_);
        QStringList intervals;
        for (const std::int64_t i : g.intervals) intervals << QString::number(i);
        item->setToolTip(QStringLiteral("%8\n同期語 %1(%2)%3\n固定領域 %4 %5\nインターバル %6\nインデックス %7")
                             .arg(toQString(g.syncBits), toQString(g.syncHex), nameText(g), fixedText(g),
                                  toQString(g.fixedHex), intervals.join(QStringLiteral(", ")),
                                  toQString(indexSpanText(g)), text));
    }
}

void RasterWindow::showCandidate(std::int64_t interval, std::int64_t offset)
{
    {
        const QSignalBlocker blockInterval(interval_);
        const QSignalBlocker blockOffset(offset_);
        interval_->setValue(static_cast<int>(std::clamp<std::int64_t>(interval, interval_->minimum(), interval_->maximum())));
        offset_->setValue(static_cast<int>(std::clamp<std::int64_t>(offset, offset_->minimum(), offset_->maximum())));
    }
    redraw();
}

std::int64_t RasterWindow::interval() const
{
    return interval_->value();
}

std::int64_t RasterWindow::offset() const
{
    return offset_->value();
}

void RasterWindow::redraw()
{
    view_->showCandidate(interval(), offset());
    // Mark the group whose sync offset is on show, without showing it again.
    int row = -1;
    for (std::size_t i = 0; i < summary_.size(); ++i) {
        if (summary_[i].interval == interval() && summary_[i].syncOffset == offset()) {
            row = static_cast<int>(i);
            break;
        }
    }
    {
        const QSignalBlocker block(summaryList_);
        summaryList_->setCurrentRow(row);
    }
    showInfo();
    updateTitle();
}

void RasterWindow::showGroup(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= summary_.size()) return;
    const SummaryGroup& g = summary_[static_cast<std::size_t>(row)];
    showCandidate(g.interval, g.syncOffset);
}

void RasterWindow::showInfo()
{
    zoom_->setText(QStringLiteral("%1 px/ビット").arg(view_->cellSize()));
    const Raster* raster = view_->raster();
    export_->setEnabled(raster != nullptr);
    if (raster == nullptr) {
        info_->clear();
        return;
    }
    info_->setText(QStringLiteral("基準 %1(%2)　回数 %3　　%4基準 %5一致 %6除外 %7不一致（淡色：比較しないフレーム）")
                       .arg(toQString(raster->referencePattern()).toHtmlEscaped(),
                            toQString(raster->referenceHex()).toHtmlEscaped())
                       .arg(raster->count())
                       .arg(colourSquare(raster_colour::kReference), colourSquare(raster_colour::kMatch),
                            colourSquare(raster_colour::kExcluded), colourSquare(raster_colour::kNoMatch)));
}

void RasterWindow::showHover(qint64 row, qint64 column, qint64 position)
{
    const bool data = position >= 1 && position <= source_.bits->last() &&
                      (source_.decodedBits <= 0 || position <= source_.decodedBits);
    hover_->setText(QStringLiteral("フレーム %1　列 %2　ビット位置 %3　%4")
                        .arg(row + 1)
                        .arg(column)
                        .arg(position)
                        .arg(data ? QStringLiteral("値 %1").arg(source_.bits->get(position))
                                  : QStringLiteral("データなし")));
}

void RasterWindow::updateTitle()
{
    const Raster* raster = view_->raster();
    QString title = QStringLiteral("ラスター表示　インターバル %1　オフセット %2").arg(interval()).arg(offset());
    if (raster != nullptr)
        title += QStringLiteral("　%1(%2)　回数 %3")
                     .arg(toQString(raster->referencePattern()), toQString(raster->referenceHex()))
                     .arg(raster->count());
    const int row = summaryList_->currentRow();
    if (row >= 0 && static_cast<std::size_t>(row) < summary_.size()) {
        const SummaryGroup& g = summary_[static_cast<std::size_t>(row)];
        title += QStringLiteral("　同期語 %1%2　極性 %3　固定 %4")
                     .arg(toQString(g.syncHex), nameText(g), polarityText(g), fixedText(g));
    }
    setWindowTitle(title);
}

void RasterWindow::exportPng()
{
    const Raster* raster = view_->raster();
    if (raster == nullptr) return;
    const std::string name = "raster-" + std::to_string(interval()) + "-" + std::to_string(offset()) + ".png";
    const std::filesystem::path folder = std::filesystem::path(source_.inputPath).parent_path();
    const std::optional<std::string> path = toolkit_->chooseSaveFile((folder / name).string());
    if (!path) return;
    const RasterImage image = raster->render();
    if (image.empty()) {
        showError(*toolkit_, kMsgRasterTooLargeToSave);
        return;
    }
    if (!writePngFile(*path, image.width, image.height, image.rgb.data()))
        showError(*toolkit_, messageCannotWriteRaster(*path));
}

void RasterWindow::openFrameTable()
{
    if (!source_.capture) return;
    std::string sync = capturedWord(*source_.bits, offset(), std::clamp(source_.params.SYNC_BIT_SIZE, 4, 64));
    for (const SummaryGroup& g : summary_) {
        if (g.interval == interval() && g.syncOffset == offset() && !g.syncBits.empty()) {
            sync = g.syncBits;
            break;
        }
    }
    // The table outlives the viewer: it belongs to the viewer's owner when
    // there is one, and keeps a toolkit of its own when the viewer does.
    QWidget* owner = parentWidget() != nullptr ? parentWidget() : this;
    openFrameTableWindow(owner, source_.capture, source_.params, interval(), sync, ownToolkit_ ? nullptr : toolkit_);
}

RasterWindow* openRasterWindow(QWidget* parent, const Session& session, const AnalysisParameters& params,
                               std::int64_t interval, std::int64_t offset,
                               const CandidateRecords& results, Toolkit* toolkit)
{
    auto* window = new RasterWindow(makeRasterSource(session, params, results), toolkit, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->showCandidate(interval, offset);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace morvelan
