// The runs a chromatogram view lays over its own, without a window: their
// colours, the two transforms with numbers worked out by hand, documents
// leaving the set when they close, and reference recordings loaded through
// the document's calculation.

#include "DVDoc.h"
#include "DataFile.h"
#include "OverlaySet.h"
#include "RunLog.h"
#include "TempFolder.h"
#include "TracePainter.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>

namespace {

// How far apart two colours are, summed over the channels.
int Distance(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
           std::abs(a.blue() - b.blue());
}

// A reference run of three pulses whose gate 1 reads values.
OOverlaySet::OReference Reference(std::vector<float> times, std::vector<float> values)
{
    OOverlaySet::OReference r;
    r.chromatogram.times = std::move(times);
    r.chromatogram.traces[1] = std::move(values);
    r.chromatogram.traces[0].assign(r.chromatogram.times.size(), 1.0f);
    r.gateNames = {"Mode S", "Mode P"};
    return r;
}

// A finished recording of n pulses a second apart, gate S over samples 10-20.
std::string Recording(const testsupport::CTempDir& dir, const std::string& name, int n)
{
    CDataFileHeader header;
    header.year = 2024;
    header.month = 5;
    header.day = 6;
    for (int g = 0; g < 5; ++g)
        header.config.gates[g].SetType(static_cast<unsigned short>(40 + g));
    CGateParameter& s = header.config.gates[0];
    s.SetType(GM_S);
    s.SetStartA(1.0);
    s.SetStopA(2.0);
    s.SetOperator(GO_MINUS);
    header.config.board.SetTriggerLevel(1);
    const std::string path = dir.File(name);
    CDataFileWriter writer;
    std::string message;
    bool ok = writer.Create(path, header, message) == 1;
    for (int k = 0; k < n; ++k) {
        CPulseData p;
        p.SetPulseIndex(k + 1);
        p.SetPulseTime(1000 + 100 * k);
        p.SetFrequencyPulse(7.0);
        for (int i = 0; i < 250; ++i)
            p.AddData(100 * (k + 1) + i);
        ok = ok && writer.Append(p, message) == 1;
    }
    ok = ok && writer.Close(message) == 1;
    EXPECT_TRUE(ok) << message;
    return path;
}

class OverlayDocuments : public ::testing::Test {
protected:
    // A document shows a wait cursor while it calculates: that needs the
    // GUI's application object (on the offscreen platform).
    static void SetUpTestSuite()
    {
        if (QCoreApplication::instance())
            return;
        static int argc = 1;
        static char name[] = "analyzer_tests";
        static char* argv[] = {name, nullptr};
        s_app = new QGuiApplication(argc, argv);
    }
    static void TearDownTestSuite()
    {
        delete s_app;
        s_app = nullptr;
    }
    static inline QGuiApplication* s_app = nullptr;

    void SetUp() override
    {
        ORunLog::SetFilePath(dir.File("analyzer.log"));
        options.cacheFolder = dir.File("cache");
    }
    void TearDown() override { ORunLog::SetFilePath({}); }

    std::unique_ptr<ODVDoc> Open(const std::string& name)
    {
        auto doc = std::make_unique<ODVDoc>(options, nullptr);
        EXPECT_EQ(doc->OnOpenDocument(QString::fromStdString(Recording(dir, name, 12))), 1);
        return doc;
    }

    testsupport::CTempDir dir{"tarvolin-overlay"};
    ODVDocData::Options options;
};

} // namespace

TEST(OverlayColours, DistinctFromEachOtherAndFromTheGates)
{
    for (int a = 0; a < OOverlaySet::kMaxRuns; ++a) {
        for (int b = a + 1; b < OOverlaySet::kMaxRuns; ++b)
            EXPECT_GT(Distance(OOverlaySet::Palette(a), OOverlaySet::Palette(b)), 90)
                << a << " and " << b;
        for (int g = 0; g < 5; ++g)
            EXPECT_GT(Distance(OOverlaySet::Palette(a), OTracePainter::GateColor(g)), 90)
                << "run colour " << a << " and gate " << g;
    }
}

TEST_F(OverlayDocuments, ColoursStableAndFreedColourReused)
{
    auto a = Open("a.KLYN");
    auto b = Open("b.KLYN");
    auto c = Open("c.KLYN");
    OOverlaySet set;
    ASSERT_EQ(set.AddDocument(a.get()), 1);
    ASSERT_EQ(set.AddDocument(b.get()), 1);
    ASSERT_EQ(set.AddDocument(c.get()), 1);
    EXPECT_EQ(set.AddDocument(b.get()), 0) << "a document is overlaid once";
    const QColor ca = set.GetColor(0);
    const QColor cb = set.GetColor(1);
    const QColor cc = set.GetColor(2);

    ASSERT_EQ(set.RemoveDocument(b.get()), 1);
    ASSERT_EQ(set.GetCount(), 2);
    EXPECT_EQ(set.GetLabel(1), "c.KLYN");
    EXPECT_EQ(set.GetColor(0), ca);
    EXPECT_EQ(set.GetColor(1), cc);

    // The next run takes the colour b gave up, not one in use.
    ASSERT_EQ(set.AddReference("ref.KLYN", Reference({0, 1, 2}, {1, 2, 3})), 1);
    EXPECT_EQ(set.GetColor(2), cb);
}

TEST(OverlayTransforms, AlignStartShiftsTheFirstPointToTheViewsStart)
{
    std::vector<double> x{10.0, 11.0, 12.5};
    OOverlaySet::AlignStart(x, 2.0);
    EXPECT_EQ(x, (std::vector<double>{2.0, 3.0, 4.5}));
    std::vector<double> none;
    OOverlaySet::AlignStart(none, 2.0);
    EXPECT_TRUE(none.empty());
    OOverlaySet::AlignStart(x, std::nan(""));
    EXPECT_EQ(x, (std::vector<double>{2.0, 3.0, 4.5})) << "a view without points aligns nothing";
}

TEST(OverlayTransforms, NormaliseScalesTheHighestValueToTheViews)
{
    std::vector<double> y{0.0, 50.0, 200.0, 100.0};
    OOverlaySet::Normalise(y, 1000.0);
    EXPECT_EQ(y, (std::vector<double>{0.0, 250.0, 1000.0, 500.0}));

    std::vector<double> flat{0.0, -5.0, 0.0};
    OOverlaySet::Normalise(flat, 1000.0);
    EXPECT_EQ(flat, (std::vector<double>{0.0, -5.0, 0.0})) << "nothing above zero to scale";

    std::vector<double> run{1.0, 4.0};
    OOverlaySet::Normalise(run, 0.0);
    EXPECT_EQ(run, (std::vector<double>{1.0, 4.0})) << "a view without a peak scales nothing";

    EXPECT_EQ(OOverlaySet::Highest({3.0, NAN, INFINITY, 7.0, -1.0}), 7.0);
}

TEST(OverlayTransforms, TraceOfTheOverlaidGateWithBothTransforms)
{
    OOverlaySet set;
    set.AddReference("ref", Reference({5.0f, 6.0f, 7.0f}, {1.0f, 4.0f, 2.0f}));
    std::vector<double> x;
    std::vector<double> y;
    set.SetGate(1);
    ASSERT_TRUE(set.GetTrace(0, 0.0, 8.0, x, y));
    EXPECT_EQ(x, (std::vector<double>{5.0, 6.0, 7.0})) << "both transforms start off";
    EXPECT_EQ(y, (std::vector<double>{1.0, 4.0, 2.0}));

    set.SetAlignStarts(true);
    set.SetNormalise(true);
    ASSERT_TRUE(set.GetTrace(0, 0.0, 8.0, x, y));
    EXPECT_EQ(x, (std::vector<double>{0.0, 1.0, 2.0}));
    EXPECT_EQ(y, (std::vector<double>{2.0, 8.0, 4.0}));

    set.SetGate(2);
    EXPECT_FALSE(set.GetTrace(0, 0.0, 8.0, x, y)) << "the run uses two gates only";
    EXPECT_TRUE(x.empty());
    EXPECT_FALSE(set.GetTrace(1, 0.0, 8.0, x, y)) << "no such run";
}

TEST(OverlaySet, RefusesRunsBeyondTheFreeSlotsAndClears)
{
    OOverlaySet set;
    int changes = 0;
    QObject::connect(&set, &OOverlaySet::changed, [&changes] { ++changes; });
    for (int i = 0; i < OOverlaySet::kMaxRuns; ++i)
        ASSERT_EQ(set.AddReference(QString::number(i), Reference({0}, {1})), 1);
    EXPECT_TRUE(set.IsFull());
    EXPECT_EQ(set.AddReference("one more", Reference({0}, {1})), 0);
    EXPECT_EQ(set.GetCount(), OOverlaySet::kMaxRuns);
    set.Clear();
    EXPECT_EQ(set.GetCount(), 0);
    EXPECT_EQ(changes, OOverlaySet::kMaxRuns + 1);
}

TEST_F(OverlayDocuments, AClosedOrDeletedDocumentLeavesTheSet)
{
    auto a = Open("a.KLYN");
    auto b = Open("b.KLYN");
    auto never = std::make_unique<ODVDoc>(options, nullptr); // never opened
    OOverlaySet set;
    set.AddDocument(a.get());
    set.AddDocument(b.get());
    set.AddDocument(never.get());
    ASSERT_EQ(set.GetCount(), 3);
    std::vector<double> x;
    std::vector<double> y;
    ASSERT_TRUE(set.GetTrace(0, 0.0, 0.0, x, y));
    EXPECT_EQ(x.size(), 12u);

    a->OnCloseDocument();
    ASSERT_EQ(set.GetCount(), 2);
    EXPECT_EQ(set.GetLabel(0), "b.KLYN");
    EXPECT_FALSE(set.HasDocument(a.get()));

    never.reset(); // destroyed without ever closing: only the guard sees it
    ASSERT_EQ(set.GetCount(), 1);
    b.reset();
    EXPECT_EQ(set.GetCount(), 0);
    // What is left of the closed document's window may still ask: nothing happens.
    EXPECT_EQ(set.RemoveDocument(a.get()), 0);
}

TEST_F(OverlayDocuments, ReferenceGoesThroughTheDocumentsCalculation)
{
    const std::string path = Recording(dir, "ref.KLYN", 12);
    OOverlaySet::OReference reference;
    std::string message;
    std::string reason;
    ASSERT_EQ(OOverlaySet::LoadReference(path, options, reference, message, reason), 1) << message;
    EXPECT_EQ(reference.gateNames, QStringList{"Mode S"});
    ASSERT_EQ(reference.chromatogram.GetCount(), 12);
    EXPECT_FLOAT_EQ(reference.chromatogram.times.front(), 10.0f);

    // The same numbers an open document shows.
    auto doc = Open("same.KLYN");
    EXPECT_EQ(reference.chromatogram.traces[0], doc->Data().GetChromatogram().traces[0]);
    EXPECT_FALSE(std::filesystem::exists(dir.File("ref.INTN")))
        << "the intermediate file goes with the load";
}

TEST_F(OverlayDocuments, DamagedReferenceIsRefusedWithAReason)
{
    testsupport::WriteText(dir.File("bad.KLYN"), "this is not a recording at all");
    Recording(dir, "short.KLYN", 3); // fewer pulses than a chromatogram needs
    for (const char* name : {"bad.KLYN", "short.KLYN", "missing.KLYN"}) {
        OOverlaySet::OReference reference;
        std::string message;
        std::string reason;
        EXPECT_EQ(OOverlaySet::LoadReference(dir.File(name), options, reference, message, reason),
                  0)
            << name;
        EXPECT_FALSE(message.empty()) << name;
        EXPECT_TRUE(reference.chromatogram.IsEmpty()) << name;
    }
}
