#include "PrintDialogService.h"

#include <QPrintDialog>
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
