// The run-log dialog: loading the log in pieces with tab stops, Clear with
// its OK and Cancel, Save As, and printing into a PDF file whose pages are
// counted: 42 lines one page, 43 two, an empty log one blank page.

#include "DialogTestSupport.h"
#include "FileDialogService.h"
#include "PrintDialogService.h"
#include "QuillonRunLogDialog.h"
#include "RunLogPrinter.h"

#include <QFile>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace dialogtest;

namespace {

enum { kClear = 1037, kSaveAs = 1041, kPrint = 1038, kOk = 1, kCancel = 2 };

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray Lines(int count)
{
    QByteArray text;
    for (int i = 1; i <= count; ++i)
        text += "12.03.2024 10:" + QByteArray::number(i) + "\tManual Recording Start\n";
    return text;
}

// Pages of a PDF file: its page objects.
int PdfPages(const QString& path)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    const QString text = QString::fromLatin1(ReadFile(path));
    int count = 0;
    for (auto it = page.globalMatch(text); it.hasNext(); it.next())
        ++count;
    return count;
}

bool Clicked(CQuillonRunLogDialog& dialog, int id)
{
    auto* button =
        CResourceLibrary::Control<QAbstractButton>(dialog.findChild<QWidget*>("form162"), id);
    if (!button)
        return false;
    button->click();
    return true;
}

} // namespace

class TestRunLogDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(LoadResources()); }

    void init()
    {
        m_log = m_dir.filePath("Tarvolin Monitor.log");
        QFile::remove(m_log);
        CRunLogOptions options;
        options.logPath = m_log.toStdString();
        m_dialog = std::make_unique<CQuillonRunLogDialog>(options);
    }

    void cleanup() { m_dialog.reset(); }

    void loadingCreatesAMissingLogAndListsTheLinesInPieces()
    {
        m_dialog->Load();
        QVERIFY(QFile::exists(m_log));
        QCOMPARE(m_dialog->Lines().size(), 0);

        WriteFile(m_log, "first\t line   \r\n" + QByteArray(120, 'x') + "\nlast");
        m_dialog->Load();
        QCOMPARE(m_dialog->Lines(),
                 (QStringList{"first\t line", QString(99, 'x'), QString(21, 'x'), "last"}));
        const QList<qreal> stops = m_dialog->GetTabStops();
        QCOMPARE(stops.size(), 7);
        for (int i = 1; i < stops.size(); ++i)
            QVERIFY(stops[i] > stops[i - 1]);
    }

    void clearThenCancelKeepsTheFileAndClearThenOkEmptiesIt()
    {
        WriteFile(m_log, Lines(3));
        m_dialog->Load();
        m_dialog->show();
        QVERIFY(Clicked(*m_dialog, kClear));
        QCOMPARE(m_dialog->Lines().size(), 0);
        QVERIFY(m_dialog->IsCleared());
        QVERIFY(Clicked(*m_dialog, kCancel));
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(ReadFile(m_log), Lines(3));

        m_dialog->Load(); // showing again reloads and forgets the Clear
        QVERIFY(!m_dialog->IsCleared());
        QCOMPARE(m_dialog->Lines().size(), 3);
        m_dialog->show();
        QVERIFY(Clicked(*m_dialog, kClear));
        QVERIFY(Clicked(*m_dialog, kOk));
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(ReadFile(m_log), QByteArray());
    }

    void saveAsWritesTheListedLines()
    {
        WriteFile(m_log, "a\tb  \nc");
        m_dialog->Load();
        CFileDialogRecorder files;
        const QString target = m_dir.filePath("saved");
        files.QueueAnswer(target.toStdString());
        QVERIFY(Clicked(*m_dialog, kSaveAs));
        QCOMPARE(files.Count(), size_t(1));
        const CFileDialogRequest request = files.Requests()[0];
        QCOMPARE(QString::fromStdString(request.filter),
                 QString("Text Files (*.txt) | *.txt | All Files (*.*) | *.* ||"));
        QCOMPARE(QString::fromStdString(request.defaultExtension), QString("txt"));
        QVERIFY(request.flags & OFN_PROMPT_OVERWRITE);
        QCOMPARE(ReadFile(target + ".txt"), QByteArray("a\tb\nc\n"));
    }

    void saveAsIntoAFolderThatCannotBeWrittenSaysSo()
    {
        WriteFile(m_log, "a\n");
        m_dialog->Load();
        CFileDialogRecorder files;
        files.QueueAnswer(m_dir.filePath("no-such-folder/log.txt").toStdString());
        CMessageRecorder messages;
        QVERIFY(Clicked(*m_dialog, kSaveAs));
        QCOMPARE(messages.Count(), size_t(1));
        QVERIFY(MessageTexts(messages).at(0).contains("no-such-folder/log.txt"));
    }

    void printingIntoAPdfCountsFortyTwoLinesAPage_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("lastPage");
        QTest::addColumn<int>("pages");
        QTest::newRow("empty log: one blank page") << 0 << 0 << 1;
        QTest::newRow("one line") << 1 << 0 << 1;
        QTest::newRow("42 lines: one page") << 42 << 0 << 1;
        QTest::newRow("43 lines: two pages") << 43 << 0 << 2;
        QTest::newRow("85 lines: three pages") << 85 << 0 << 3;
        QTest::newRow("pages to 1 of 85 lines") << 85 << 1 << 1;
        QTest::newRow("pages to 2 of 85 lines") << 85 << 2 << 2;
    }

    void printingIntoAPdfCountsFortyTwoLinesAPage()
    {
        QFETCH(int, lines);
        QFETCH(int, lastPage);
        QFETCH(int, pages);
        WriteFile(m_log, Lines(lines));
        m_dialog->Load();
        const QString pdf =
            m_dir.filePath(QStringLiteral("log-%1-%2.pdf").arg(lines).arg(lastPage));
        CPdfPrintAnswer answer(pdf);
        if (lastPage > 0)
            answer.SetPageRange(1, lastPage);
        CMessageRecorder messages;
        QVERIFY(Clicked(*m_dialog, kPrint));
        QCOMPARE(answer.Count(), 1);
        QCOMPARE(answer.LastMinPage(), 1);
        QCOMPARE(answer.LastMaxPage(), 999);
        QCOMPARE(messages.Count(), size_t(0));
        QCOMPARE(PdfPages(pdf), pages);
    }

    void aCancelledPrintDialogPrintsNothing()
    {
        WriteFile(m_log, Lines(2));
        m_dialog->Load();
        const QString pdf = m_dir.filePath("cancelled.pdf");
        CPdfPrintAnswer answer(pdf);
        answer.SetCancel(true);
        QVERIFY(Clicked(*m_dialog, kPrint));
        QVERIFY(!QFile::exists(pdf));
    }

    void thePrinterReturnsThePagesItMade()
    {
        const QString pdf = m_dir.filePath("direct.pdf");
        QPdfWriter writer(pdf);
        QStringList lines;
        for (int i = 0; i < 43; ++i)
            lines << QStringLiteral("line %1\twith a tab").arg(i);
        QCOMPARE(CRunLogPrinter::Print(writer, lines, "Tuesday, March 05, 2024"), 2);
        QVERIFY(!CRunLogPrinter::Today().isEmpty());
    }

    void theAnalyzersCopyDoesNotClearAndHasItsOwnFilter()
    {
        WriteFile(m_log, Lines(2));
        CRunLogOptions options;
        options.variant = DialogVariant::Analyzer;
        options.logPath = m_log.toStdString();
        CQuillonRunLogDialog analyzer(options);
        analyzer.Load();
        CMessageRecorder messages;
        QVERIFY(Clicked(analyzer, kClear));
        QCOMPARE(MessageTexts(messages), QStringList{"Not implimented"});
        QCOMPARE(analyzer.Lines().size(), 2);
        CFileDialogRecorder files;
        QVERIFY(Clicked(analyzer, kSaveAs));
        QCOMPARE(QString::fromStdString(files.Requests().at(0).filter),
                 QString("MyType Files (*.txt)|*.txt|All Files (*.*)|*.*||"));
        QVERIFY(Clicked(analyzer, kOk));
        QCOMPARE(ReadFile(m_log), Lines(2));
    }

private:
    QTemporaryDir m_dir;
    QString m_log;
    std::unique_ptr<CQuillonRunLogDialog> m_dialog;
};

QTEST_MAIN(TestRunLogDialog)
#include "tst_runlogdialog.moc"
