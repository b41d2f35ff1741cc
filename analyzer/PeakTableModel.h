#pragma once
// OPeakTableModel: one trace's peak list as table rows, one per peak in time
// order: #, RT (s), Start (s), End (s), Height, Area, Area %, Width 1/2 (s),
// S/N, Type ("auto" or "manual"). The display role holds the text the table
// shows; kSortRole the value to sort by (numbers as numbers, so that 10
// follows 9). The rows follow the document's peaksChanged at once.

#include <QAbstractTableModel>
#include <QPointer>

class ODocPeaks;
struct OPeak;

class OPeakTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column : int {
        kNumber,
        kRetentionTime,
        kStart,
        kEnd,
        kHeight,
        kArea,
        kAreaPercent,
        kWidth,
        kSignalToNoise,
        kType,
        kColumns
    };
    static constexpr int kSortRole = Qt::UserRole + 1;

    explicit OPeakTableModel(QObject* parent = nullptr);

    // The document's lists (null: none) and the trace shown.
    void SetPeaks(ODocPeaks* peaks);
    void SetTrace(int trace);
    ODocPeaks* GetPeaks() const { return m_pPeaks; }
    int GetTrace() const { return m_nTrace; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The rows (model rows, in the order given) as tab-separated lines under
    // a header line, each line ended by "\n": what Copy puts on the clipboard.
    QString Text(const QList<int>& rows) const;
    // A cell's text and value.
    static QString CellText(const OPeak& peak, int row, int column);
    static QVariant CellValue(const OPeak& peak, int row, int column);

private:
    void OnPeaksChanged(int trace);
    const OPeak* At(int row) const;

    QPointer<ODocPeaks> m_pPeaks;
    int m_nTrace = 0;
    int m_nRows = 0;
};
