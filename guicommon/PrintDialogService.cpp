#include "PrintDialogService.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <atomic>

namespace {

class CDesktopPrintDialog : public IPrintDialogSink {
public:
    bool Ask(QPrinter& printer, int minPage, int maxPage, QWidget* parent) override
    {
        QPrintDialog dialog(&printer, parent);
        dialog.setMinMax(minPage, maxPage);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, maxPage > minPage);
        return dialog.exec() == QDialog::Accepted;
    }

    void Preview(QPrinter& printer, const std::function<void(QPrinter&)>& paint,
                 QWidget* parent) override
    {
        QPrintPreviewDialog dialog(&printer, parent);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                         [&paint](QPrinter* pages) { paint(*pages); });
        dialog.exec();
    }
};

CDesktopPrintDialog g_desktop;
std::atomic<IPrintDialogSink*> g_sink{&g_desktop};

} // namespace

IPrintDialogSink* CPrintDialogService::SetSink(IPrintDialogSink* sink)
{
    return g_sink.exchange(sink ? sink : &g_desktop);
}

bool CPrintDialogService::Ask(QPrinter& printer, int minPage, int maxPage, QWidget* parent)
{
    return g_sink.load()->Ask(printer, minPage, maxPage, parent);
}

void CPrintDialogService::Preview(QPrinter& printer, const std::function<void(QPrinter&)>& paint,
                                  QWidget* parent)
{
    g_sink.load()->Preview(printer, paint, parent);
}

CPdfPrintAnswer::CPdfPrintAnswer(QString pdfPath) : m_strPath(std::move(pdfPath))
{
    m_previous = CPrintDialogService::SetSink(this);
}

CPdfPrintAnswer::~CPdfPrintAnswer()
{
    CPrintDialogService::SetSink(m_previous);
}

bool CPdfPrintAnswer::Ask(QPrinter& printer, int minPage, int maxPage, QWidget*)
{
    ++m_nCount;
    m_nLastMin = minPage;
    m_nLastMax = maxPage;
    if (m_bCancel)
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_strPath);
    if (m_nFrom > 0 && m_nTo >= m_nFrom) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(m_nFrom, m_nTo);
    } else {
        printer.setPrintRange(QPrinter::AllPages);
        printer.setFromTo(0, 0);
    }
    return true;
}

void CPdfPrintAnswer::SetPageRange(int from, int to)
{
    m_nFrom = from;
    m_nTo = to;
}

void CPdfPrintAnswer::Preview(QPrinter& printer, const std::function<void(QPrinter&)>& paint,
                              QWidget*)
{
    ++m_nPreviews;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_strPath);
    printer.setPrintRange(QPrinter::AllPages);
    paint(printer);
}
