#include "ui/widget_factory.h"
#include "ui/frame_table_window.h"

#include "common/toolkit.h"
#include "engine/hex_convert.h"
#include "files/atomic_file.h"
#include "files/frame_extraction.h"
#include "files/session.h"
#include "ui/flow_layout.h"
#include "ui/qt_text.h"
#include "ui/qt_toolkit.h"
#include "ui/run_report.h"
#include "ui/window_fonts.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include <exception>
#include <filesystem>

namespace morvelan {
namespace {

// The size the table asks for, at most the screen's room less its frame.
constexpr QSize kPreferredSize(1100, 720);
constexpr int kFrameAllowance = 16;
constexpr std::string_view kMsgExtractionFailed = "フレームを取り出せませんでした。";

QString polarityText(bool inverted)
{
    return inverted ? QStringLiteral("反転") : QStringLiteral("正常");
}

QString segmentText(std::size_t index, const SyncSegment& s)
{
    return QStringLiteral("%1. 開始 %2　インターバル %3　同期語 %4　極性 %5　フレーム %6　スリップ %7　欠落 %8")
        .arg(index + 1)
        .arg(s.startBit)
        .arg(s.format.interval)
        .arg(toQString(bitsToHex(s.format.sync)), polarityText(s.inverted))
        .arg(s.frames)
        .arg(s.slips)
        .arg(s.lost);
}

} // namespace

std::string messageCannotWriteFramesCsv(const std::string& path)
{
    return "CSV ファイルに書き込めません：" + path;
}

std::shared_ptr<const Session> snapshotCapture(const Session& session)
{
    auto copy = std::make_shared<Session>();
    static_cast<RunState&>(*copy) = static_cast<const RunState&>(session);
    copy->inputPath = session.inputPath;
    copy->inputOpenName = session.inputOpenName;
    copy->inputOpened = session.inputOpened;
    return copy;
}

std::string capturedWord(const BitBuffer& bits, std::int64_t offset, int width)
{
    std::string word;
    for (std::int64_t p = offset + 1; p <= offset + width; ++p) word += bits.get(p) ? '1' : '0';
    return word;
}

FrameTableWindow::FrameTableWindow(FrameTableSource source, Toolkit* toolkit, QWidget* parent)
    : QWidget(parent, Qt::Window), source_(std::move(source)), toolkit_(toolkit)
{
    setObjectName(QStringLiteral("FrameTableWindow"));
    applyWindowFace(*this);
    if (toolkit_ == nullptr) {
        ownToolkit_ = std::make_unique<QtToolkit>();
        ownToolkit_->setParentWindow(this);
        toolkit_ = ownToolkit_.get();
    }
    buildControls();
    connectControls();
    fitToScreen();
    extract();
    fillSegments();
    showInfo();
    updateTitle();
}

FrameTableWindow::~FrameTableWindow() = default;

void FrameTableWindow::buildControls()
{
    model_ = new FrameTableModel(this);
    segments_ = new QComboBox(this);
    segments_->setObjectName(QStringLiteral("cmbSegment"));
    // Long segment lines are cut in the closed combo, never widen the window.
    segments_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    segments_->setMinimumContentsLength(36);
    wordBits_ = new QSpinBox(this);
    wordBits_->setObjectName(QStringLiteral("spnWordBits"));
    wordBits_->setRange(1, 64);
    wordBits_->setKeyboardTracking(false); // re-read when the typing is done
    wordBits_->setAlignment(Qt::AlignRight);
    copy_ = makeButton(this, "btnFrameCopy", QStringLiteral("コピー"));
    csv_ = makeButton(this, "btnFrameCsv", QStringLiteral("CSV保存…"));

    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("tblFrames"));
    applyFixedPitchFace(*table_);
    table_->setModel(model_);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setSelectionBehavior(QAbstractItemView::SelectItems);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table_->installEventFilter(this);

    info_ = makeLabel(this, "lblFrameTableInfo", QString());
    info_->setWordWrap(true);
    info_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layOutControls();
}

void FrameTableWindow::layOutControls()
{
    auto* top = new FlowLayout;
    top->setSpacing(6);
    top->addWidget(makeLabel(this, "lblSegment", QStringLiteral("セグメント")));
    top->addWidget(segments_);
    top->addSpacing(16);
    top->addWidget(makeLabel(this, "lblWordBits", QStringLiteral("語のビット数")));
    top->addWidget(wordBits_);
    top->addSpacing(16);
    top->addWidget(copy_);
    top->addWidget(csv_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(table_, 1);
    layout->addWidget(info_);
}

void FrameTableWindow::connectControls()
{
    connect(segments_, &QComboBox::activated, this, &FrameTableWindow::showSegment);
    connect(wordBits_, &QSpinBox::valueChanged, this, [this](int bits) {
        model_->setWordBits(bits);
        table_->resizeColumnsToContents();
        showInfo();
    });
    connect(copy_, &QPushButton::clicked, this, &FrameTableWindow::copySelection);
    connect(csv_, &QPushButton::clicked, this, &FrameTableWindow::exportCsv);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setObjectName(QStringLiteral("keyFrameTableClose"));
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void FrameTableWindow::fitToScreen()
{
    QSize size = kPreferredSize;
    if (const QScreen* s = screen())
        size = size.boundedTo(s->availableGeometry().size() - QSize(kFrameAllowance, 3 * kFrameAllowance));
    resize(size.expandedTo(minimumSizeHint()));
}

void FrameTableWindow::extract()
{
    ExtractionRequest request;
    request.forced = source_.start;
    FrameStore store(source_.maxFrames, source_.maxBytes);
    ExtractionResult result;
    if (source_.capture) {
        toolkit_->setBusyPointer(true);
        try {
            problem_ = toQString(ExtractFrames(*source_.capture, source_.params, request, {}, &store, result));
        } catch (const std::exception&) { // memory ran out: the window stays, empty, and says so
            problem_ = toQString(kMsgExtractionFailed);
            store = FrameStore(source_.maxFrames, source_.maxBytes);
            result = {};
        }
        toolkit_->setBusyPointer(false);
        result.wordBits = extractionWordBits(request, *source_.capture);
    } else {
        problem_ = toQString(kMsgExtractionFailed);
    }
    {
        const QSignalBlocker block(wordBits_);
        wordBits_->setValue(result.wordBits);
    }
    model_->setFrames(std::move(store), std::move(result.segments), wordBits_->value());
    table_->resizeColumnsToContents();
}

void FrameTableWindow::fillSegments()
{
    const std::vector<SyncSegment>& segments = model_->segments();
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const QString text = segmentText(i, segments[i]);
        segments_->addItem(text);
        segments_->setItemData(static_cast<int>(i), text, Qt::ToolTipRole);
    }
    segments_->setEnabled(!segments.empty());
    if (!segments.empty()) showSegment(0);
}

void FrameTableWindow::showSegment(int index)
{
    if (index < 0 || index >= segments_->count()) return;
    segments_->setCurrentIndex(index);
    const std::optional<int> row = model_->firstRowOfSegment(index);
    if (!row) {
        showInfo();
        info_->setText(info_->text() + QStringLiteral("　このセグメントのフレームは保持していません。"));
        return;
    }
    const QModelIndex at = model_->index(*row, FrameTableModel::kNumber);
    table_->setCurrentIndex(at);
    table_->scrollTo(at, QAbstractItemView::PositionAtTop);
    showInfo();
}

void FrameTableWindow::showInfo()
{
    if (!problem_.isEmpty()) {
        info_->setText(problem_);
        return;
    }
    const FrameStore& store = model_->store();
    QString text = QStringLiteral("フレーム %1　セグメント %2").arg(model_->rowCount()).arg(model_->segments().size());
    if (const auto& major = model_->majorFrame())
        text += QStringLiteral("　主フレーム %1 フレーム（語%2 のカウンタ、背景は主フレームごとに交互）")
                    .arg(major->length)
                    .arg(major->counterWord);
    if (store.leftOut() > 0)
        text += QStringLiteral("　先頭の %1 フレームだけを保持しています（残り %2 フレームは表示しません）。")
                    .arg(model_->rowCount())
                    .arg(store.leftOut());
    if (model_->segments().empty()) text += QStringLiteral("　同期できるフレームは見つかりませんでした。");
    info_->setText(text);
}

void FrameTableWindow::updateTitle()
{
    setWindowTitle(QStringLiteral("フレーム表示　インターバル %1　同期語 %2")
                       .arg(source_.start.interval)
                       .arg(toQString(bitsToHex(source_.start.sync))));
}

void FrameTableWindow::copySelection()
{
    const QString text = model_->copyText(table_->selectionModel()->selectedIndexes());
    if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void FrameTableWindow::exportCsv()
{
    const std::string name = "frames-" + std::to_string(source_.start.interval) + ".csv";
    const std::string input = source_.capture ? source_.capture->inputPath : std::string();
    const std::filesystem::path folder = std::filesystem::path(input).parent_path();
    const std::optional<std::string> path = toolkit_->chooseSaveFile((folder / name).string());
    if (!path) return;
    if (model_->csvSizeEstimate() > static_cast<std::int64_t>(kMaxWholeFileBytes)) {
        showError(*toolkit_, kMsgFramesCsvTooLarge);
        return;
    }
    bool written = false;
    try {
        written = replaceFileContents(*path, model_->csvText());
    } catch (const std::exception&) { // memory ran out building the text
        written = false;
    }
    if (!written) showError(*toolkit_, messageCannotWriteFramesCsv(*path));
}

bool FrameTableWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == table_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        copySelection();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

FrameTableWindow* openFrameTableWindow(QWidget* parent, std::shared_ptr<const Session> capture,
                                       const AnalysisParameters& params, std::int64_t interval,
                                       const std::string& sync, Toolkit* toolkit)
{
    FrameTableSource source;
    source.capture = std::move(capture);
    source.params = params;
    source.start = FrameFormat{interval, sync};
    auto* window = new FrameTableWindow(std::move(source), toolkit, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace morvelan
