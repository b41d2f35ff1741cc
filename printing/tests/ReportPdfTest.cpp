// The report's pages: a document's report and pictures as a PDF file, page
// breaks of a long report, the font that keeps 80 characters on the page,
// the refusals of a target that cannot take the file, and the chart's ticks.

#include "ReportPdf.h"
#include "ConfigReport.h"
#include "DVDocData.h"
#include "Recordings.h"
#include "TempFolder.h"
#include "TracePainter.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPdfWriter>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <sys/stat.h>

namespace {

// Fonts need a graphical application; files need no screen.
class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "printing_tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QGuiApplication> m_app;
};

const auto* const g_gui = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Page objects of a PDF, counted in its bytes (not through a PDF library).
int PageCount(const std::string& path)
{
    const std::string bytes = ReadAll(path);
    const std::regex page("/Type\\s*/Page[^s]");
    return static_cast<int>(
        std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), page), {}));
}

// The text of pages first..last through pdftotext; nothing when it is not installed.
std::optional<std::string> PdfText(const std::string& path, int first = 1, int last = 99)
{
    const std::string tool = TARVOLIN_PDFTOTEXT;
    if (tool.empty())
        return std::nullopt;
    const std::string command = tool + " -layout -f " + std::to_string(first) + " -l " +
                                std::to_string(last) + " '" + path + "' - 2>/dev/null";
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            text.append(buffer, n);
        pclose(pipe);
    }
    return text;
}

class ReportPdf : public ::testing::Test {
protected:
    // A recording of 40 ramps with one S gate, opened.
    void Open(CDataFileHeader header = recordings::SimpleHeader())
    {
        const std::string path = dir.File("run.KLYN");
        recordings::Write(path, header, recordings::Ramps(40));
        ODVDocData::Options options;
        options.cacheFolder = dir.File("cache");
        document = std::make_unique<ODVDocData>(options);
        std::string message;
        ASSERT_EQ(document->Open(path, message), 1) << message;
    }

    testsupport::CTempDir dir{"tarvolin-printing"};
    std::unique_ptr<ODVDocData> document;
};

} // namespace

TEST_F(ReportPdf, TheReportAndThenAPageOfPictures)
{
    Open();
    const std::string pdf = dir.File("run.pdf");
    std::string message;
    ASSERT_EQ(OReportPdf::WriteDocument(*document, pdf, message), 1) << message;
    EXPECT_EQ(ReadAll(pdf).substr(0, 5), "%PDF-");
    EXPECT_EQ(PageCount(pdf), 2);
    // No temporary file is left beside it.
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "run.pdf" || name.rfind("run.pdf", 0) != 0) << name;
    }

    const auto first = PdfText(pdf, 1, 1);
    if (!first)
        GTEST_SKIP() << "pdftotext is not installed";
    for (const char* text : {"Tarvolin Configuration Report", "File Name:", "run.KLYN",
                             "PMT Voltage:", "Zero Value", "A-Start", "Event Type"})
        EXPECT_NE(first->find(text), std::string::npos) << text << " in\n" << *first;
    const auto second = PdfText(pdf, 2, 2);
    EXPECT_NE(second->find("Chromatogram - run.KLYN"), std::string::npos) << *second;
    EXPECT_NE(second->find("Pulse 1 at 10.00 s"), std::string::npos) << *second;
    EXPECT_NE(second->find("Seconds"), std::string::npos) << "the chart's axis title";
}

TEST_F(ReportPdf, ALongReportGoesOnToMorePages)
{
    CDataFileHeader header = recordings::SimpleHeader();
    for (int e = 0; e < 100; ++e) {
        CTimedEventData event;
        event.SetEventTime(0.1 * e);
        event.SetEventCode(EC_SCALAR);
        event.SetEventValue(1000 + e);
        header.config.events.AddTimedEvent(event);
    }
    Open(header);
    const std::vector<std::string> lines = OReportPdf::ReportLines(*document);
    ASSERT_GT(lines.size(), 110u);
    const std::string pdf = dir.File("long.pdf");
    std::string message;
    ASSERT_EQ(OReportPdf::Write(pdf, OReportPrinter(lines), message), 1) << message;
    const int pages = PageCount(pdf);
    EXPECT_GE(pages, 2);
    const auto text = PdfText(pdf);
    if (!text)
        GTEST_SKIP() << "pdftotext is not installed";
    // Every event row made it, the last on the last page.
    for (int e : {1, 50, 100})
        EXPECT_NE(text->find(std::to_string(999 + e)), std::string::npos) << e;
    EXPECT_NE(PdfText(pdf, pages, pages)->find("1099"), std::string::npos);
}

TEST_F(ReportPdf, EightyCharactersFitAcrossThePage)
{
    for (const double widthMm : {210.0, 100.0}) {
        QPdfWriter writer(QString::fromStdString(dir.File("font.pdf")));
        writer.setPageSize(QPageSize(QSizeF(widthMm, 297.0), QPageSize::Millimeter));
        writer.setResolution(600);
        const double width = writer.width();
        const QFont font = OReportPrinter::ReportFont(writer, width);
        const QFontMetricsF metrics(font, &writer);
        EXPECT_LE(metrics.horizontalAdvance(QString(80, QLatin1Char('_'))), width) << widthMm;
        EXPECT_TRUE(font.fixedPitch());
        if (widthMm > 200.0) {
            EXPECT_EQ(font.pointSizeF(), OReportPrinter::kPointSize) << "A4 keeps 10 points";
        }
    }
}

struct Refusal {
    const char* name;
    std::function<std::string(testsupport::CTempDir&)> target;
    const char* says;
};

class ReportPdfRefusal : public ReportPdf, public ::testing::WithParamInterface<Refusal> {};

TEST_P(ReportPdfRefusal, SaysWhyAndWritesNothing)
{
    const std::string target = GetParam().target(dir);
    const OReportPrinter printer({"line"});
    std::string message;
    EXPECT_EQ(OReportPdf::Write(target, printer, message), 0);
    EXPECT_NE(message.find(GetParam().says), std::string::npos) << message;
    EXPECT_NE(message.find(target), std::string::npos) << "names the file: " << message;
}

INSTANTIATE_TEST_SUITE_P(
    Targets, ReportPdfRefusal,
    ::testing::Values(Refusal{"Folder",
                              [](testsupport::CTempDir& d) {
                                  std::filesystem::create_directory(d.File("folder.pdf"));
                                  return d.File("folder.pdf");
                              },
                              "is not a regular file"},
                      Refusal{"Fifo",
                              [](testsupport::CTempDir& d) {
                                  mkfifo(d.File("fifo.pdf").c_str(), 0600);
                                  return d.File("fifo.pdf");
                              },
                              "is not a regular file"},
                      Refusal{"MissingFolder",
                              [](testsupport::CTempDir& d) { return d.File("missing/out.pdf"); },
                              "does not exist"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReportPdf, AnOlderFileIsReplacedWhole)
{
    const std::string pdf = dir.File("old.pdf");
    std::ofstream(pdf) << std::string(100000, 'x');
    std::string message;
    ASSERT_EQ(OReportPdf::Write(pdf, OReportPrinter({"new report"}), message), 1) << message;
    const std::string bytes = ReadAll(pdf);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_EQ(bytes.find("xxxx"), std::string::npos);
    EXPECT_EQ(PageCount(pdf), 1);
}

struct TickCase {
    double min, max;
    int count;
    std::vector<double> ticks;
};

TEST(TracePainter, TicksAtOneTwoOrFiveTimesAPowerOfTen)
{
    const TickCase cases[] = {
        {0.0, 10.0, 5, {0, 2, 4, 6, 8, 10}},
        {12.0, 612.0, 8, {100, 200, 300, 400, 500, 600}},
        {0.0, 25.0, 5, {0, 5, 10, 15, 20, 25}},
        {-1.0, 1.0, 4, {-1.0, -0.5, 0.0, 0.5, 1.0}},
        {5.0, 5.0, 4, {}},
    };
    for (const TickCase& c : cases) {
        const std::vector<double> ticks = OTracePainter::Ticks(c.min, c.max, c.count);
        ASSERT_EQ(ticks.size(), c.ticks.size()) << c.min << " to " << c.max;
        for (size_t i = 0; i < ticks.size(); ++i)
            EXPECT_NEAR(ticks[i], c.ticks[i], 1e-9) << c.min << " to " << c.max;
    }
}
