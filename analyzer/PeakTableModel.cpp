#include "PeakTableModel.h"

#include "DocPeaks.h"
#include "PeakTableCsv.h"

#include <array>

namespace {

struct ColumnInfo {
    const char* heading;
    int decimals; // as OPeakTableCsv::Number: fixed decimals, or significant digits when negative
};

// Times to the millisecond and the rest to five significant digits: enough
// to tell peaks apart on screen; the CSV keeps the full precision.
constexpr std::array<ColumnInfo, OPeakTableModel::kColumns> kInfo{{
    {"#", 0},
    {"RT (s)", 3},
    {"Start (s)", 3},
    {"End (s)", 3},
    {"Height", -1},
    {"Area", -1},
    {"Area %", 2},
    {"Width 1/2 (s)", 3},
    {"S/N", 1},
    {"Type", 0},
}};

} // namespace

OPeakTableModel::OPeakTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void OPeakTableModel::SetPeaks(ODocPeaks* peaks)
{
    if (m_pPeaks == peaks)
        return;
    beginResetModel();
    if (m_pPeaks)
        disconnect(m_pPeaks, nullptr, this, nullptr);
    m_pPeaks = peaks;
    if (m_pPeaks)
        connect(m_pPeaks, &ODocPeaks::peaksChanged, this, &OPeakTableModel::OnPeaksChanged);
    m_nRows = m_pPeaks ? static_cast<int>(m_pPeaks->GetPeaks(m_nTrace).size()) : 0;
    endResetModel();
}

void OPeakTableModel::SetTrace(int trace)
{
    if (trace == m_nTrace)
        return;
    beginResetModel();
    m_nTrace = trace;
    m_nRows = m_pPeaks ? static_cast<int>(m_pPeaks->GetPeaks(m_nTrace).size()) : 0;
    endResetModel();
}

void OPeakTableModel::OnPeaksChanged(int trace)
{
    if (trace != m_nTrace)
        return;
    beginResetModel();
    m_nRows = m_pPeaks ? static_cast<int>(m_pPeaks->GetPeaks(m_nTrace).size()) : 0;
    endResetModel();
}

const OPeak* OPeakTableModel::At(int row) const
{
    if (!m_pPeaks || row < 0 || row >= m_nRows)
        return nullptr;
    const std::vector<OPeak>& peaks = m_pPeaks->GetPeaks(m_nTrace);
    return row < static_cast<int>(peaks.size()) ? &peaks[static_cast<size_t>(row)] : nullptr;
}

int OPeakTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_nRows;
}

int OPeakTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant OPeakTableModel::CellValue(const OPeak& peak, int row, int column)
{
    switch (column) {
    case kNumber:
        return row + 1;
    case kRetentionTime:
        return peak.retentionTime;
    case kStart:
        return peak.startTime;
    case kEnd:
        return peak.endTime;
    case kHeight:
        return peak.height;
    case kArea:
        return peak.area;
    case kAreaPercent:
        return peak.areaPercent;
    case kWidth:
        return peak.width;
    case kSignalToNoise:
        return peak.signalToNoise;
    case kType:
        return QString::fromLatin1(peak.manual ? "manual" : "auto");
    default:
        return {};
    }
}

QString OPeakTableModel::CellText(const OPeak& peak, int row, int column)
{
    const QVariant value = CellValue(peak, row, column);
    if (column == kNumber || column == kType)
        return value.toString();
    if (column < 0 || column >= kColumns)
        return {};
    const ColumnInfo& info = kInfo[static_cast<size_t>(column)];
    return QString::fromStdString(
        OPeakTableCsv::Number(value.toDouble(), info.decimals, info.decimals < 0 ? 5 : 8));
}

QVariant OPeakTableModel::data(const QModelIndex& index, int role) const
{
    const OPeak* peak = index.isValid() ? At(index.row()) : nullptr;
    if (!peak)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return CellText(*peak, index.row(), index.column());
    case kSortRole:
        return CellValue(*peak, index.row(), index.column());
    case Qt::TextAlignmentRole:
        return index.column() == kType ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                       : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant OPeakTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromLatin1(kInfo[static_cast<size_t>(section)].heading);
}

QString OPeakTableModel::Text(const QList<int>& rows) const
{
    QStringList headings;
    for (const ColumnInfo& info : kInfo)
        headings << QString::fromLatin1(info.heading);
    QString text = headings.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (int row : rows) {
        const OPeak* peak = At(row);
        if (!peak)
            continue;
        QStringList cells;
        for (int c = 0; c < kColumns; ++c)
            cells << CellText(*peak, row, c);
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}
