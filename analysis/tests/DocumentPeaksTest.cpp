// A document's peak lists: found on request with its own parameters, changed
// by hand, found again when the chromatogram is.

#include "DVDocData.h"
#include "ManualIntegration.h"
#include "Recordings.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// 600 pulses 0.14 s apart from 10 s on; every sample of pulse k is
// 100 + 1000 exp(-(t - 52)^2 / 8), t its time: gate 0 (samples 10..20
// less the dark current 10) sees a peak of 1000 at 52 s on a level of 90.
class DocumentPeaksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::vector<CPulseData> pulses;
        for (int k = 0; k < 600; ++k) {
            const int time = 1000 + 14 * k;
            const double t = time / 100.0;
            const int level = static_cast<int>(
                std::lround(100.0 + 1000.0 * std::exp(-(t - 52.0) * (t - 52.0) / 8.0)));
            CPulseData p;
            p.SetPulseIndex(k + 1);
            p.SetPulseTime(time);
            p.SetTDelay(0.0);
            p.SetDarkCurrent(10);
            p.SetFrequencyPulse(7.0);
            for (int i = 0; i < 250; ++i)
                p.AddData(level);
            pulses.push_back(p);
        }
        path = dir.File("peak.KLYN");
        recordings::Write(path, recordings::SimpleHeader(), pulses);
    }

    ODVDocData::Options Options() const
    {
        ODVDocData::Options options;
        options.cacheFolder = dir.File("cache");
        return options;
    }

    CTempDir dir;
    std::string path;
    std::string message;
};

TEST_F(DocumentPeaksTest, PeaksAreFoundOnRequestPerTrace)
{
    ODVDocData doc(Options());
    ASSERT_EQ(doc.Open(path, message), 1) << message;
    EXPECT_FALSE(doc.HasPeakList(0));
    EXPECT_TRUE(doc.GetPeaks(0).empty());
    ASSERT_EQ(doc.DetectPeaks(0, message), 1) << message;
    EXPECT_TRUE(doc.HasPeakList(0));
    EXPECT_FALSE(doc.HasPeakList(1));
    const std::vector<OPeak>& peaks = doc.GetPeaks(0);
    ASSERT_EQ(peaks.size(), 1u);
    EXPECT_NEAR(peaks[0].retentionTime, 52.0, 0.014);
    EXPECT_NEAR(peaks[0].area, 1000.0 * 2.0 * std::sqrt(2.0 * M_PI), 0.01 * 5013.0);
    EXPECT_NEAR(peaks[0].baselineStartValue, 90.0, 0.5);
    EXPECT_DOUBLE_EQ(peaks[0].areaPercent, 100.0);

    for (int trace : {-1, 5}) {
        EXPECT_EQ(doc.DetectPeaks(trace, message), 0);
        EXPECT_EQ(message, "There is no trace " + std::to_string(trace + 1) + ".");
        EXPECT_TRUE(doc.GetPeaks(trace).empty());
        EXPECT_EQ(doc.GetPeakIntegrator(trace).GetCount(), 0);
    }
    ASSERT_EQ(doc.DetectAllPeaks(message), 1) << message;
    for (int trace = 0; trace < OChromatogram::kTraces; ++trace)
        EXPECT_TRUE(doc.HasPeakList(trace)) << trace;
    EXPECT_EQ(doc.GetPeaks(0).size(), 1u);
}

TEST_F(DocumentPeaksTest, ParametersAreTheDocumentsOwn)
{
    ODVDocData::Options options = Options();
    options.peakParameters.threshold = 2000.0; // out of range, checked on use
    ODVDocData doc(options);
    EXPECT_EQ(doc.GetPeakParameters().threshold, 2000.0);
    ASSERT_EQ(doc.Open(path, message), 1) << message;
    ASSERT_EQ(doc.DetectPeaks(0, message), 1) << message;
    EXPECT_TRUE(doc.GetPeaks(0).empty()); // parameters out of range find nothing

    OPeakParameters strict;
    ASSERT_EQ(strict.Set("threshold", "1000", message), 1);
    ASSERT_EQ(doc.SetPeakParameters(strict, message), 1) << message;
    EXPECT_TRUE(doc.GetPeaks(0).empty());
    ASSERT_EQ(doc.SetPeakParameters(OPeakParameters(), message), 1) << message;
    EXPECT_EQ(doc.GetPeaks(0).size(), 1u); // found again with the new parameters

    OPeakParameters broken;
    broken.smoothing = 2;
    EXPECT_EQ(doc.SetPeakParameters(broken, message), 0);
    EXPECT_NE(message.find("smoothing"), std::string::npos);
    EXPECT_EQ(doc.GetPeakParameters(), OPeakParameters());
    EXPECT_EQ(doc.GetPeaks(0).size(), 1u);
}

// Changes by hand hold until the chromatogram is calculated again.
TEST_F(DocumentPeaksTest, ManualChangesLastUntilARecalculation)
{
    ODVDocData doc(Options());
    ASSERT_EQ(doc.Open(path, message), 1) << message;
    ASSERT_EQ(doc.DetectPeaks(0, message), 1) << message;
    std::vector<OPeak> peaks = doc.GetPeaks(0);
    const OPeakIntegrator trace = doc.GetPeakIntegrator(0);
    ASSERT_EQ(OManualIntegration::SplitPeak(peaks, trace, 52.0, message), 1) << message;
    ASSERT_EQ(doc.SetPeaks(0, peaks, message), 1) << message;
    ASSERT_EQ(doc.GetPeaks(0).size(), 2u);
    EXPECT_TRUE(doc.GetPeaks(0)[0].manual);
    EXPECT_NEAR(doc.GetPeaks(0)[0].area, doc.GetPeaks(0)[1].area, 0.02 * doc.GetPeaks(0)[0].area);
    EXPECT_EQ(doc.SetPeaks(7, peaks, message), 0);

    ASSERT_EQ(doc.Recalculate(message), 1) << message;
    ASSERT_EQ(doc.GetPeaks(0).size(), 1u);
    EXPECT_FALSE(doc.GetPeaks(0)[0].manual);
    EXPECT_FALSE(doc.HasPeakList(2));

    doc.Close();
    EXPECT_FALSE(doc.HasPeakList(0));
    EXPECT_TRUE(doc.GetPeaks(0).empty());
    EXPECT_EQ(doc.DetectPeaks(0, message), 0);
    EXPECT_EQ(message, "No document is open.");
    EXPECT_EQ(doc.SetPeaks(0, peaks, message), 0);
}

} // namespace
