#pragma once
// The print dialog and the print preview, behind a service like the message
// and file-dialog services: programs ask it to set up a printer or to show
// pages before printing; the desktop's print dialog and preview window
// answer (the dialog also offers printing into a PDF file), and tests
// install a CPdfPrintAnswer that sends the pages to a PDF file without any
// window.

#include <QString>

#include <functional>

class QPrinter;
class QWidget;

class IPrintDialogSink {
public:
    virtual ~IPrintDialogSink() = default;
    // Sets up printer (device, output file, page range) and returns true, or
    // false when the user cancelled. Pages minPage..maxPage are selectable.
    virtual bool Ask(QPrinter& printer, int minPage, int maxPage, QWidget* parent) = 0;
    // Shows the pages paint draws onto printer (as often as the preview
    // needs them), from where the user may print them.
    virtual void Preview(QPrinter& printer, const std::function<void(QPrinter&)>& paint,
                         QWidget* parent) = 0;
};

class CPrintDialogService {
public:
    // nullptr restores the desktop's print dialog. Returns the previous sink.
    static IPrintDialogSink* SetSink(IPrintDialogSink* sink);
    static bool Ask(QPrinter& printer, int minPage, int maxPage, QWidget* parent);
    static void Preview(QPrinter& printer, const std::function<void(QPrinter&)>& paint,
                        QWidget* parent);
};

// Answers every request with PDF output into the given file, optionally
// with a page range, and counts the requests; a preview is painted once
// into the file. Installs itself for its lifetime.
class CPdfPrintAnswer : public IPrintDialogSink {
public:
    explicit CPdfPrintAnswer(QString pdfPath);
    ~CPdfPrintAnswer() override;
    CPdfPrintAnswer(const CPdfPrintAnswer&) = delete;
    CPdfPrintAnswer& operator=(const CPdfPrintAnswer&) = delete;

    bool Ask(QPrinter& printer, int minPage, int maxPage, QWidget* parent) override;
    void Preview(QPrinter& printer, const std::function<void(QPrinter&)>& paint,
                 QWidget* parent) override;
    // The next answers choose pages from..to (0, 0: all pages).
    void SetPageRange(int from, int to);
    void SetCancel(bool cancel) { m_bCancel = cancel; }
    int Count() const { return m_nCount; }
    int PreviewCount() const { return m_nPreviews; }
    int LastMinPage() const { return m_nLastMin; }
    int LastMaxPage() const { return m_nLastMax; }

private:
    QString m_strPath;
    int m_nFrom = 0;
    int m_nTo = 0;
    bool m_bCancel = false;
    int m_nCount = 0;
    int m_nPreviews = 0;
    int m_nLastMin = 0;
    int m_nLastMax = 0;
    IPrintDialogSink* m_previous = nullptr;
};
