#pragma once
// OPeakTableDock: the peak table at the bottom of the main window - a choice
// of the active document's traces (its gates), the table of the chosen
// trace's peaks (sortable by any column, by value), Ctrl+C to copy the
// selected rows as tab-separated text with a header, and "Export CSV..."
// to write the trace's table as OPeakTableCsv writes it.
//
// Picking a row picks that peak in the document (the chromatogram view
// highlights it); a peak picked in the view selects its row, showing its
// trace first when another one is shown.

#include <QDockWidget>
#include <QPointer>

class ODVDoc;
class OPeakTableModel;
class QComboBox;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

class OPeakTableDock : public QDockWidget {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Peak Table";
    static constexpr const char* kCsvFilter = "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*||";

    explicit OPeakTableDock(QWidget* parent = nullptr);

    // The document the table shows (null: none).
    void SetDocument(ODVDoc* doc);
    ODVDoc* GetDocument() const { return m_pDoc; }

    // The trace shown (0-based gate); nothing for one the document does not have.
    void SetTrace(int trace);
    int GetTrace() const;

    // The selected rows' text (as Ctrl+C copies it) and the copy itself.
    QString SelectedText() const;
    void Copy();
    // "Export CSV...": asks for the file and writes the trace's table. 1 when written.
    int ExportCsv();

    QTableView* Table() const { return m_pTable; }
    QComboBox* TraceBox() const { return m_pTraces; }
    OPeakTableModel* Model() const { return m_pModel; }
    QSortFilterProxyModel* Proxy() const { return m_pProxy; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillTraces();
    void OnRowSelected();
    void OnDocumentSelection(int trace, int index);
    void UpdateCount();

    QPointer<ODVDoc> m_pDoc;
    QComboBox* m_pTraces = nullptr;
    QTableView* m_pTable = nullptr;
    QLabel* m_pCount = nullptr;
    QPushButton* m_pExport = nullptr;
    OPeakTableModel* m_pModel = nullptr;
    QSortFilterProxyModel* m_pProxy = nullptr;
    bool m_bFollowing = false; // selecting a row because the document asked
};
