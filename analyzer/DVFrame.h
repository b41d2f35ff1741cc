#pragma once
// ODVFrame: the child window of one document, split in two panes: the pulse
// view above, the chromatogram view below, each under its toolbar. It owns
// the document (closing the window closes it) and the parameter dialogs
// that edit it, and carries out the commands the main window routes to the
// active child: copies to the clipboard, restore, grid, snap to trace, next
// and previous pulse, previous view, recalculation. The gate dialog's
// "Export AIA..." opens the export dialog on this document; the report the
// views print is built here.

#include "AiaProfile.h"
#include "ReportPrinter.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <memory>

class CChromatogramToolBar;
class CPulseToolBar;
class CQuillonBoardChanDialog;
class CQuillonGatesModesDialog;
class CQuillonSetEventDialog;
class ODVDoc;
class OExportAIA;
class ODVPlot;
class ODVViewPulse;
class ODVViewScan;
class QAction;
class QDialog;
class QSplitter;

class ODVFrame : public QWidget {
    Q_OBJECT
public:
    // Takes an opened document.
    explicit ODVFrame(ODVDoc* doc, QWidget* parent = nullptr);
    ~ODVFrame() override;

    ODVDoc* GetDocument() const { return m_pDoc; }
    ODVViewPulse* PulseView() const { return m_pPulse; }
    ODVViewScan* ScanView() const { return m_pScan; }
    CPulseToolBar* PulseToolBar() const { return m_pPulseBar; }
    CChromatogramToolBar* ChromatogramToolBar() const { return m_pScanBar; }
    QSplitter* Splitter() const { return m_pSplitter; }

    // Commands of the Edit and View menus.
    void CopyPulse();
    void CopyChromatogram();
    // Both panes as one picture, the pulse above the chromatogram.
    void CopyBoth();
    static QImage Stack(const QImage& top, const QImage& bottom);
    void NextPulse();
    void PreviousPulse();
    void SetSnapToTrace(int pane, bool bSnap); // pane 0 pulse, 1 chromatogram
    void SetGrid(int pane, bool bGrid);
    bool IsSnapToTrace(int pane) const;
    bool IsGrid(int pane) const;

    // The parameter dialogs on this document (created on first use).
    CQuillonGatesModesDialog* GateDialog();
    CQuillonBoardChanDialog* BoardDialog();
    CQuillonSetEventDialog* EventDialog();
    void ShowGateDialog();
    void ShowBoardDialog();
    void ShowEventDialog();

    // Where the export dialog keeps what the user typed (the Analyzer's
    // profile file); empty: kept in memory for as long as the window lives.
    void SetProfilePath(const QString& path);
    IAiaProfile& AiaProfile();
    // "Export AIA...": the export dialog on the gate of the gate dialog's
    // selected row, modal, with that dialog's texts. Without a selected row
    // it refuses with a message (null).
    OExportAIA* ShowExportDialog();
    OExportAIA* ExportDialog() const;

    // The configuration report of the document; with pictures of the
    // chromatogram and the pulse as the panes show them on a page after it.
    OReportPrinter Report(bool bWithPictures) const;

signals:
    // A pane's Print button.
    void printRequested();
    // The window was closed and its document with it (the window itself
    // goes a moment later).
    void documentClosed();
    // The measurement readout of either pane (empty: none).
    void cursorText(const QString& text);
    // Next/Previous or Previous View may have changed their enabling.
    void commandStateChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* BuildPulsePane();
    QWidget* BuildScanPane();
    void ConnectDocument();
    void UpdateToolbarState();
    void ShowDialog(QDialog* dialog);
    ODVPlot* Pane(int pane) const;

    ODVDoc* m_pDoc;
    QSplitter* m_pSplitter = nullptr;
    ODVViewPulse* m_pPulse = nullptr;
    ODVViewScan* m_pScan = nullptr;
    CPulseToolBar* m_pPulseBar = nullptr;
    CChromatogramToolBar* m_pScanBar = nullptr;
    CQuillonGatesModesDialog* m_pGateDialog = nullptr;
    CQuillonBoardChanDialog* m_pBoardDialog = nullptr;
    CQuillonSetEventDialog* m_pEventDialog = nullptr;
    QPointer<OExportAIA> m_pExport;
    QString m_strProfilePath;
    std::unique_ptr<IAiaProfile> m_pProfile;
};
