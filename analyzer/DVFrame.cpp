#include "DVFrame.h"

#include "AiaSettingsProfile.h"
#include "DVDoc.h"
#include "DVViewPulse.h"
#include "DVViewScan.h"
#include "ExportAIA.h"
#include "GraphToolbar.h"
#include "MessageService.h"
#include "QuillonBoardChanDialog.h"
#include "QuillonGatesModesDialog.h"
#include "QuillonSetEventDialog.h"
#include "ReportPdf.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

using K = OToolIcons::Kind;

QWidget* MakePane(QToolBar* toolbar, QWidget* view, QWidget* parent)
{
    auto* pane = new QWidget(parent);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(view, 1);
    return pane;
}

CDialogOptions AnalyzerOptions()
{
    CDialogOptions options;
    options.variant = DialogVariant::Analyzer;
    options.caption = ODVDoc::kCaption;
    return options;
}

} // namespace

ODVFrame::ODVFrame(ODVDoc* doc, QWidget* parent) : QWidget(parent), m_pDoc(doc)
{
    m_pDoc->setParent(this);
    setWindowTitle(m_pDoc->GetTitle());
    m_pPulse = new ODVViewPulse(m_pDoc, this);
    m_pScan = new ODVViewScan(m_pDoc, this);

    m_pSplitter = new QSplitter(Qt::Vertical, this);
    m_pSplitter->setChildrenCollapsible(false);
    m_pSplitter->addWidget(BuildPulsePane());
    m_pSplitter->addWidget(BuildScanPane());
    m_pSplitter->setStretchFactor(0, 1);
    m_pSplitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pSplitter);

    for (ODVPlot* plot : {static_cast<ODVPlot*>(m_pPulse), static_cast<ODVPlot*>(m_pScan)}) {
        connect(plot, &OPlot::cursorText, this, &ODVFrame::cursorText);
        connect(plot, &OPlot::historyChanged, this, &ODVFrame::UpdateToolbarState);
    }
    ConnectDocument();
    m_pScan->OnUpdate();
    m_pPulse->OnUpdate();
    UpdateToolbarState();
}

ODVFrame::~ODVFrame()
{
    // The dialogs go before the document whose backing they use.
    delete m_pGateDialog;
    delete m_pBoardDialog;
    delete m_pEventDialog;
    m_pDoc->OnCloseDocument();
}

void ODVFrame::closeEvent(QCloseEvent* event)
{
    // The document closes with its window, not when the window is finally
    // deleted: its intermediate file goes and it no longer counts as open.
    for (QDialog* dialog :
         {static_cast<QDialog*>(m_pGateDialog), static_cast<QDialog*>(m_pBoardDialog),
          static_cast<QDialog*>(m_pEventDialog)})
        if (dialog)
            dialog->hide();
    if (m_pExport)
        m_pExport->reject();
    const bool wasOpen = m_pDoc->IsOpen();
    m_pDoc->OnCloseDocument();
    event->accept();
    if (wasOpen)
        emit documentClosed();
}

QWidget* ODVFrame::BuildPulsePane()
{
    m_pPulseBar = new CPulseToolBar(this);
    CPulseToolBar* bar = m_pPulseBar;
    connect(bar->Button(K::ZoomIn), &QAction::triggered, m_pPulse, &OPlot::ZoomIn);
    connect(bar->Button(K::ZoomOut), &QAction::triggered, m_pPulse, &OPlot::ZoomOut);
    connect(bar->Button(K::ZoomToFit), &QAction::triggered, m_pPulse, &OPlot::ZoomToFit);
    connect(bar->Button(K::Previous), &QAction::triggered, this, &ODVFrame::PreviousPulse);
    connect(bar->Button(K::Next), &QAction::triggered, this, &ODVFrame::NextPulse);
    connect(bar->Button(K::Restore), &QAction::triggered, m_pPulse, &OPlot::Restore);
    connect(bar->Button(K::Grid), &QAction::toggled, this, [this](bool on) { SetGrid(0, on); });
    connect(bar->Button(K::SnapToTrace), &QAction::toggled, this,
            [this](bool on) { SetSnapToTrace(0, on); });
    connect(bar->Button(K::Copy), &QAction::triggered, this, &ODVFrame::CopyPulse);
    connect(bar->Button(K::Print), &QAction::triggered, this, &ODVFrame::printRequested);
    return MakePane(bar, m_pPulse, this);
}

QWidget* ODVFrame::BuildScanPane()
{
    m_pScanBar = new CChromatogramToolBar(this);
    CChromatogramToolBar* bar = m_pScanBar;
    CiPlotXControl* chart = m_pScan->Chart();
    connect(bar->Button(K::ScrollAxes), &QAction::triggered, this,
            [chart] { chart->SetMouseMode(CiPlotXControl::MouseMode::Scroll); });
    connect(bar->Button(K::ZoomAxes), &QAction::triggered, this,
            [chart] { chart->SetMouseMode(CiPlotXControl::MouseMode::ZoomAxes); });
    connect(bar->Button(K::ZoomBox), &QAction::triggered, this,
            [chart] { chart->SetMouseMode(CiPlotXControl::MouseMode::ZoomBox); });
    connect(bar->Button(K::ZoomToFit), &QAction::triggered, m_pScan, &OPlot::ZoomToFit);
    connect(bar->Button(K::Recalculate), &QAction::triggered, m_pScan, &ODVViewScan::Recalculate);
    connect(bar->Button(K::PreviousView), &QAction::triggered, m_pScan, &OPlot::PreviousView);
    connect(bar->Button(K::Restore), &QAction::triggered, m_pScan, &OPlot::Restore);
    connect(bar->Button(K::Grid), &QAction::toggled, this, [this](bool on) { SetGrid(1, on); });
    connect(bar->Button(K::SnapToTrace), &QAction::toggled, this,
            [this](bool on) { SetSnapToTrace(1, on); });
    connect(bar->Button(K::Copy), &QAction::triggered, this, &ODVFrame::CopyChromatogram);
    connect(bar->Button(K::Print), &QAction::triggered, this, &ODVFrame::printRequested);
    return MakePane(bar, m_pScan, this);
}

void ODVFrame::ConnectDocument()
{
    connect(m_pDoc, &ODVDoc::pulseChanged, this, [this] {
        m_pPulse->OnUpdate();
        m_pScan->ShowMarker();
        UpdateToolbarState();
    });
    connect(m_pDoc, &ODVDoc::chromatogramChanged, this, [this] {
        setWindowTitle(m_pDoc->GetTitle());
        m_pScan->OnUpdate();
        m_pPulse->OnUpdate();
        UpdateToolbarState();
    });
}

void ODVFrame::UpdateToolbarState()
{
    m_pPulseBar->Button(K::Next)->setEnabled(m_pDoc->HasNextPulse());
    m_pPulseBar->Button(K::Previous)->setEnabled(m_pDoc->HasPreviousPulse());
    m_pScanBar->Button(K::PreviousView)->setEnabled(m_pScan->HasPreviousView());
    emit commandStateChanged();
}

ODVPlot* ODVFrame::Pane(int pane) const
{
    return pane == 0 ? static_cast<ODVPlot*>(m_pPulse) : static_cast<ODVPlot*>(m_pScan);
}

void ODVFrame::CopyPulse()
{
    m_pPulse->CopyToClipboard();
}

void ODVFrame::CopyChromatogram()
{
    m_pScan->CopyToClipboard();
}

QImage ODVFrame::Stack(const QImage& top, const QImage& bottom)
{
    QImage both(std::max(top.width(), bottom.width()), top.height() + bottom.height(),
                QImage::Format_RGB32);
    both.fill(Qt::white);
    QPainter painter(&both);
    painter.drawImage(0, 0, top);
    painter.drawImage(0, top.height(), bottom);
    return both;
}

void ODVFrame::CopyBoth()
{
    QGuiApplication::clipboard()->setImage(Stack(m_pPulse->Picture(), m_pScan->Picture()));
}

void ODVFrame::NextPulse()
{
    m_pDoc->NextPulse();
}

void ODVFrame::PreviousPulse()
{
    m_pDoc->PreviousPulse();
}

void ODVFrame::SetSnapToTrace(int pane, bool bSnap)
{
    Pane(pane)->SetSnapToTrace(bSnap);
    CGraphToolbar* bar = pane == 0 ? static_cast<CGraphToolbar*>(m_pPulseBar)
                                   : static_cast<CGraphToolbar*>(m_pScanBar);
    bar->Button(K::SnapToTrace)->setChecked(bSnap);
    emit commandStateChanged();
}

void ODVFrame::SetGrid(int pane, bool bGrid)
{
    Pane(pane)->SetGrid(bGrid);
    CGraphToolbar* bar = pane == 0 ? static_cast<CGraphToolbar*>(m_pPulseBar)
                                   : static_cast<CGraphToolbar*>(m_pScanBar);
    bar->Button(K::Grid)->setChecked(bGrid);
    emit commandStateChanged();
}

bool ODVFrame::IsSnapToTrace(int pane) const
{
    return Pane(pane)->IsSnapToTrace();
}

bool ODVFrame::IsGrid(int pane) const
{
    return Pane(pane)->IsGrid();
}

CQuillonGatesModesDialog* ODVFrame::GateDialog()
{
    if (!m_pGateDialog) {
        m_pGateDialog = new CQuillonGatesModesDialog(m_pDoc->Backing(), AnalyzerOptions(), this);
        connect(m_pGateDialog, &CQuillonGatesModesDialog::exportAiaRequested, this,
                &ODVFrame::ShowExportDialog);
    }
    return m_pGateDialog;
}

CQuillonBoardChanDialog* ODVFrame::BoardDialog()
{
    if (!m_pBoardDialog)
        m_pBoardDialog = new CQuillonBoardChanDialog(m_pDoc->Backing(), AnalyzerOptions(), this);
    return m_pBoardDialog;
}

CQuillonSetEventDialog* ODVFrame::EventDialog()
{
    if (!m_pEventDialog)
        m_pEventDialog = new CQuillonSetEventDialog(m_pDoc->Backing(), AnalyzerOptions(), this);
    return m_pEventDialog;
}

void ODVFrame::ShowDialog(QDialog* dialog)
{
    const QString title = dialog->property("baseTitle").toString().isEmpty()
                              ? dialog->windowTitle()
                              : dialog->property("baseTitle").toString();
    dialog->setProperty("baseTitle", title);
    // Several documents may each have a dialog open: the title says whose it is.
    dialog->setWindowTitle(title + QStringLiteral(" - ") + m_pDoc->GetTitle());
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->adjustSize();
    const QRect frame = window()->geometry();
    dialog->move(frame.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void ODVFrame::ShowGateDialog()
{
    CQuillonGatesModesDialog* dialog = GateDialog();
    ShowDialog(dialog);
    dialog->Refresh();
}

void ODVFrame::ShowBoardDialog()
{
    CQuillonBoardChanDialog* dialog = BoardDialog();
    ShowDialog(dialog);
    dialog->Refresh();
}

void ODVFrame::ShowEventDialog()
{
    CQuillonSetEventDialog* dialog = EventDialog();
    ShowDialog(dialog);
    dialog->Refresh();
}

void ODVFrame::SetProfilePath(const QString& path)
{
    m_strProfilePath = path;
    m_pProfile.reset();
}

IAiaProfile& ODVFrame::AiaProfile()
{
    if (!m_pProfile) {
        if (m_strProfilePath.isEmpty())
            m_pProfile = std::make_unique<OAiaMapProfile>();
        else
            m_pProfile = std::make_unique<OAiaSettingsProfile>(m_strProfilePath);
    }
    return *m_pProfile;
}

OExportAIA* ODVFrame::ExportDialog() const
{
    return m_pExport.data();
}

OExportAIA* ODVFrame::ShowExportDialog()
{
    const CQuillonGatesModesDialog::CExportTexts texts = GateDialog()->GetExportTexts();
    if (texts.gate < 0) {
        // Which trace to export is the operator's choice, never a guess.
        CMessageService::Show(OAiaExportModel::kNoGate, ODVDoc::kCaption, MessageIcon::Warning);
        return nullptr;
    }
    OAiaExportModel::Inputs inputs = OAiaExportModel::InputsFrom(m_pDoc->Data(), texts.gate);
    inputs.detectorMode = texts.mode;
    inputs.gateParameters =
        OAiaExportModel::GateParametersText(texts.startA, texts.stopA, texts.op, texts.alpha,
                                            texts.startB, texts.stopB, texts.squareRoot);
    delete m_pExport;
    m_pExport = new OExportAIA(m_pDoc, inputs, texts.gate, AiaProfile(), m_pGateDialog);
    m_pExport->setAttribute(Qt::WA_DeleteOnClose);
    m_pExport->setWindowModality(Qt::ApplicationModal);
    m_pExport->adjustSize();
    m_pExport->open();
    return m_pExport;
}

OReportPrinter ODVFrame::Report(bool bWithPictures) const
{
    const ODVDocData& data = m_pDoc->Data();
    std::vector<OReportPicture> pictures;
    if (bWithPictures) {
        ODVViewScan* scan = m_pScan;
        ODVViewPulse* pulse = m_pPulse;
        pictures.push_back(
            {OReportPdf::ChromatogramCaption(data), [scan](QPainter& painter, const QRect& target) {
                 scan->Chart()->Render(painter, target);
             }});
        pictures.push_back(
            {OReportPdf::PulseCaption(data), [pulse](QPainter& painter, const QRect& target) {
                 pulse->Chart()->Render(painter, target);
             }});
    }
    std::vector<std::string> lines = OReportPdf::ReportLines(data);
    const std::vector<std::string> peaks = OReportPdf::PeakLines(data);
    lines.insert(lines.end(), peaks.begin(), peaks.end());
    return OReportPrinter(std::move(lines), std::move(pictures));
}
