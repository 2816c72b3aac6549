#include "ui/frame_table_model.h"

#include "ui/qt_text.h"

#include <QBrush>
#include <QColor>

#include <algorithm>
#include <map>

namespace morvelan {
namespace {

// Cell tints: a marked column keeps its colour, a darker one on the rows of
// every other major frame, so both read at once.
const QColor kSyncTint(0xDD, 0xEE, 0xDD), kSyncTintOdd(0xC6, 0xDE, 0xC6);
const QColor kConstantTint(0xDD, 0xE8, 0xF6), kConstantTintOdd(0xC4, 0xD6, 0xEE);
const QColor kCounterTint(0xFC, 0xE6, 0xD2), kCounterTintOdd(0xF4, 0xCF, 0xB0);
const QColor kOddMajor(0xEC, 0xEC, 0xEC);

QString hexText(std::uint64_t value, int bits)
{
    return QStringLiteral("%1").arg(value, (bits + 3) / 4, 16, QLatin1Char('0')).toUpper();
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// A CSV field: quoted when it holds a separator or a quote.
std::string csvField(const QString& text)
{
    std::string s = toStdString(text);
    if (s.find_first_of(",\"\n") == std::string::npos) return s;
    std::string out = "\"";
    for (const char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

} // namespace

FrameStore::FrameStore(std::int64_t maxFrames, std::int64_t maxBytes) : maxFrames_(maxFrames), maxBytes_(maxBytes) {}

void FrameStore::frame(const SyncedFrame& frame, std::span<const std::uint8_t> bits)
{
    const auto bytes = static_cast<std::int64_t>((bits.size() + 7) / 8);
    if (static_cast<std::int64_t>(kept_.size()) >= maxFrames_ ||
        static_cast<std::int64_t>(packed_.size()) + bytes > maxBytes_) {
        ++leftOut_;
        return;
    }
    kept_.push_back({frame, static_cast<std::int64_t>(bits.size()), packed_.size()});
    const std::size_t at = packed_.size();
    packed_.resize(at + static_cast<std::size_t>(bytes), 0);
    for (std::size_t i = 0; i < bits.size(); ++i)
        if (bits[i] & 1u) packed_[at + i / 8] |= static_cast<std::uint8_t>(0x80u >> (i % 8));
}

std::uint64_t FrameStore::word(std::size_t index, std::int64_t word, int wordBits) const
{
    const Kept& k = kept_[index];
    const std::uint8_t* data = packed_.data() + k.byteOffset;
    std::uint64_t value = 0;
    const std::int64_t from = word * wordBits;
    for (std::int64_t b = from; b < from + wordBits; ++b) {
        const unsigned bit = b < k.bits ? (data[b >> 3] >> (7 - (b & 7))) & 1u : 0u;
        value = (value << 1) | bit;
    }
    return value;
}

void FrameStore::unpack(std::size_t index, std::vector<std::uint8_t>& out) const
{
    const Kept& k = kept_[index];
    const std::uint8_t* data = packed_.data() + k.byteOffset;
    out.resize(static_cast<std::size_t>(k.bits));
    for (std::int64_t b = 0; b < k.bits; ++b)
        out[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>((data[b >> 3] >> (7 - (b & 7))) & 1u);
}

FrameTableModel::FrameTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void FrameTableModel::setFrames(FrameStore store, std::vector<SyncSegment> segments, int wordBits)
{
    beginResetModel();
    store_ = std::move(store);
    segments_ = std::move(segments);
    wordBits_ = std::clamp(wordBits, 1, 64);
    readWords();
    endResetModel();
}

void FrameTableModel::setWordBits(int wordBits)
{
    wordBits = std::clamp(wordBits, 1, 64);
    if (wordBits == wordBits_) return;
    beginResetModel();
    wordBits_ = wordBits;
    readWords();
    endResetModel();
}

void FrameTableModel::readWords()
{
    FrameWordStatistics statistics(wordBits_);
    std::vector<std::uint8_t> bits;
    std::int64_t longest = 0;
    for (std::size_t i = 0; i < store_.frames().size(); ++i) {
        const FrameStore::Kept& k = store_.frames()[i];
        longest = std::max(longest, k.bits);
        const auto segment = static_cast<std::size_t>(k.frame.segment);
        const std::int64_t syncBits =
            segment < segments_.size() ? static_cast<std::int64_t>(segments_[segment].format.sync.size()) : 0;
        store_.unpack(i, bits);
        statistics.add(k.frame, bits, syncBits);
    }
    wordColumns_ = wordsPerFrame(longest, wordBits_);
    words_ = statistics.words();
    major_ = statistics.majorFrame();
    findMajorPhases();
}

void FrameTableModel::findMajorPhases()
{
    majorPhase_.assign(segments_.size(), std::nullopt);
    if (!major_ || major_->length < 2) return;
    // The statistics read the segment with the most frames taken (the
    // first of equals); segments of its format share its counter.
    std::vector<std::int64_t> taken(segments_.size(), 0);
    for (const FrameStore::Kept& k : store_.frames())
        if (!k.frame.coasted && static_cast<std::size_t>(k.frame.segment) < taken.size()) ++taken[static_cast<std::size_t>(k.frame.segment)];
    const auto best = static_cast<std::size_t>(std::max_element(taken.begin(), taken.end()) - taken.begin());
    if (best >= segments_.size()) return;
    const FrameFormat format = segments_[best].format;
    std::uint64_t low = ~std::uint64_t{0};
    for (std::size_t i = 0; i < store_.frames().size(); ++i)
        if (!store_.frames()[i].frame.coasted && static_cast<std::size_t>(store_.frames()[i].frame.segment) == best)
            low = std::min(low, store_.word(i, major_->counterWord, wordBits_));
    // Each frame votes for the frame number its counter says began its
    // major frame: a counter word hit by a bit error is outvoted.
    std::vector<std::map<std::int64_t, std::int64_t>> votes(segments_.size());
    for (std::size_t i = 0; i < store_.frames().size(); ++i) {
        const SyncedFrame& f = store_.frames()[i].frame;
        const auto segment = static_cast<std::size_t>(f.segment);
        if (f.coasted || segment >= segments_.size() || !(segments_[segment].format == format)) continue;
        const std::uint64_t step = store_.word(i, major_->counterWord, wordBits_) - low;
        if (step >= static_cast<std::uint64_t>(major_->length)) continue;
        const std::int64_t phase = f.frame - static_cast<std::int64_t>(step);
        ++votes[segment][((phase % major_->length) + major_->length) % major_->length];
    }
    for (std::size_t s = 0; s < segments_.size(); ++s) {
        const auto top = std::max_element(votes[s].begin(), votes[s].end(),
                                          [](const auto& a, const auto& b) { return a.second < b.second; });
        if (top != votes[s].end()) majorPhase_[s] = top->first;
    }
}

WordKind FrameTableModel::columnKind(int column) const
{
    const std::int64_t word = column - kFirstWord;
    if (word < 0 || word >= static_cast<std::int64_t>(words_.size())) return WordKind::Other;
    return words_[static_cast<std::size_t>(word)].kind;
}

std::optional<std::int64_t> FrameTableModel::majorFrameOfRow(int row) const
{
    if (row < 0 || row >= rowCount() || !major_) return std::nullopt;
    const SyncedFrame& f = store_.frames()[static_cast<std::size_t>(row)].frame;
    const auto segment = static_cast<std::size_t>(f.segment);
    if (segment >= majorPhase_.size() || !majorPhase_[segment]) return std::nullopt;
    return floorDiv(f.frame - *majorPhase_[segment], major_->length);
}

std::optional<int> FrameTableModel::firstRowOfSegment(int segment) const
{
    const auto& frames = store_.frames();
    const auto at = std::lower_bound(frames.begin(), frames.end(), segment,
                                     [](const FrameStore::Kept& k, int s) { return k.frame.segment < s; });
    if (at == frames.end() || at->frame.segment != segment) return std::nullopt;
    return static_cast<int>(at - frames.begin());
}

int FrameTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(store_.frames().size());
}

int FrameTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kFirstWord + static_cast<int>(wordColumns_);
}

QString FrameTableModel::cellText(int row, int column) const
{
    const FrameStore::Kept& k = store_.frames()[static_cast<std::size_t>(row)];
    switch (column) {
    case kNumber: return QString::number(k.frame.frame);
    case kBit: return QString::number(k.frame.bit);
    case kState: return k.frame.coasted ? QStringLiteral("フライホイール") : QStringLiteral("ロック");
    case kErrors: return QString::number(k.frame.errors);
    case kSlip: return QString::number(k.frame.slip);
    default: break;
    }
    const std::int64_t word = column - kFirstWord;
    if (word >= wordsPerFrame(k.bits, wordBits_)) return {}; // a shorter frame of another format
    return hexText(store_.word(static_cast<std::size_t>(row), word, wordBits_), wordBits_);
}

QString FrameTableModel::headerText(int column) const
{
    switch (column) {
    case kNumber: return QStringLiteral("番号");
    case kBit: return QStringLiteral("ビット位置");
    case kState: return QStringLiteral("状態");
    case kErrors: return QStringLiteral("誤り");
    case kSlip: return QStringLiteral("スリップ");
    default: break;
    }
    const QString name = QStringLiteral("語%1").arg(column - kFirstWord);
    switch (columnKind(column)) {
    case WordKind::Sync: return name + QStringLiteral("（同期）");
    case WordKind::Constant: return name + QStringLiteral("（定数）");
    case WordKind::Counter: return name + QStringLiteral("（カウンタ）");
    default: return name;
    }
}

QVariant FrameTableModel::background(int row, int column) const
{
    const std::optional<std::int64_t> major = majorFrameOfRow(row);
    const bool odd = major && (*major & 1) != 0;
    switch (columnKind(column)) {
    case WordKind::Sync: return QBrush(odd ? kSyncTintOdd : kSyncTint);
    case WordKind::Constant: return QBrush(odd ? kConstantTintOdd : kConstantTint);
    case WordKind::Counter: return QBrush(odd ? kCounterTintOdd : kCounterTint);
    default: break;
    }
    return odd ? QVariant(QBrush(kOddMajor)) : QVariant();
}

QVariant FrameTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    switch (role) {
    case Qt::DisplayRole: return cellText(index.row(), index.column());
    case Qt::BackgroundRole: return background(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return index.column() == kState ? QVariant(Qt::AlignLeft | Qt::AlignVCenter) : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    default: return {};
    }
}

QVariant FrameTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole) return headerText(section);
    if (role == Qt::ToolTipRole && section >= kFirstWord) {
        const std::int64_t word = section - kFirstWord;
        QString tip = QStringLiteral("語%1：ビット %2 から %3 ビット").arg(word).arg(word * wordBits_).arg(wordBits_);
        if (word < static_cast<std::int64_t>(words_.size())) {
            const WordStatistic& w = words_[static_cast<std::size_t>(word)];
            tip += QStringLiteral("\n種類 %1").arg(toQString(wordKindName(w.kind)));
            if (w.value) tip += QStringLiteral("　値 %1").arg(hexText(*w.value, wordBits_));
            if (w.kind == WordKind::Counter) tip += QStringLiteral("　周期 %1").arg(w.modulus);
        }
        return tip;
    }
    return {};
}

QString FrameTableModel::copyText(const QModelIndexList& indexes) const
{
    if (indexes.isEmpty()) return {};
    int top = rowCount(), bottom = -1, left = columnCount(), right = -1;
    for (const QModelIndex& i : indexes) {
        top = std::min(top, i.row());
        bottom = std::max(bottom, i.row());
        left = std::min(left, i.column());
        right = std::max(right, i.column());
    }
    QString text;
    for (int r = top; r <= bottom; ++r) {
        for (int c = left; c <= right; ++c) {
            if (c > left) text += QLatin1Char('\t');
            text += cellText(r, c);
        }
        text += QLatin1Char('\n');
    }
    return text;
}

std::int64_t FrameTableModel::csvSizeEstimate() const
{
    const std::int64_t wordChars = (wordBits_ + 3) / 4 + 1;
    return static_cast<std::int64_t>(rowCount()) * (64 + wordColumns_ * wordChars);
}

std::string FrameTableModel::csvText() const
{
    std::string out;
    out.reserve(static_cast<std::size_t>(std::max<std::int64_t>(csvSizeEstimate(), 0)));
    out += "\xEF\xBB\xBF"; // a byte order mark: spreadsheet programs then read the Japanese headers as UTF-8
    const int columns = columnCount();
    for (int c = 0; c < columns; ++c) out += (c > 0 ? "," : "") + csvField(headerText(c));
    out += "\r\n";
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0) out += ',';
            out += csvField(cellText(r, c));
        }
        out += "\r\n";
    }
    return out;
}

} // namespace morvelan
