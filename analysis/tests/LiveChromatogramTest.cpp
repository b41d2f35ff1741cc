// The live chromatogram against the Analyzer: a simulated GC run (the board
// simulator's pulse shapes and compounds) recorded through the recording
// session, the file opened as an Analyzer document, and the live points of
// the same pulses compared value for value; then run boundaries and a
// change of the gate set-up.
#include "LiveChromatogram.h"

#include "DVDocData.h"
#include "GcRun.h"
#include "PulseGenerator.h"
#include "RecordingSession.h"
#include "Recordings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

using recordings::Gate;

// Three gates as an operator sets them on the simulator's pulses: an early
// window for the fast emitter, a later one with a background window taken
// off, and a late one as a square root; channel 2 zeroes gate 1.
CConfigBlockSet ThreeGates()
{
    CConfigBlockSet records;
    for (int g = 0; g < 5; ++g)
        records.gates[g].SetType(static_cast<unsigned short>(40 + g)); // no mode
    records.gates[0] = Gate(GM_S, 0.5, 2.0, 20.0, 24.0, GO_MINUS, 1.0);
    records.gates[1] = Gate(GM_P, 1.5, 6.0, 22.0, 24.9, GO_MINUS, 0.8);
    records.gates[2] = Gate(GM_C, 4.0, 18.0, 0.0, 0.3, GO_PLUS, 0.0, true);
    records.channels[1].SetGateIndex(1);
    records.channels[1].SetChannelZero(300);
    records.channels[0].SetGateIndex(4);
    return records;
}

// Pulses first..last of a simulated run at 7 a second, as the board sends them.
std::vector<CPulseData> SimulatedRun(uint32_t first, uint32_t last, uint32_t seed = 1)
{
    const CPulseGenerator generator(CSimOptions::DefaultProgram(), seed);
    std::vector<CPulseData> pulses;
    for (uint32_t k = first; k <= last; ++k) {
        const double seconds = static_cast<double>(k) / 7.0;
        const CSimPulse sim = generator.Generate(k, CGcRun::Hundredths(seconds), seconds);
        CPulseData pulse;
        pulse.SetPulseIndex(sim.index);
        pulse.SetPulseTime(sim.time);
        pulse.SetTDelay(sim.tDelay);
        pulse.SetDarkCurrent(sim.darkCurrent);
        pulse.SetCh1Offset(sim.ch1Offset);
        pulse.SetCh2Offset(sim.ch2Offset);
        pulse.SetFrequencyPulse(7.0);
        for (uint32_t sample : sim.samples)
            pulse.AddData(static_cast<int>(sample));
        pulses.push_back(pulse);
    }
    return pulses;
}

class BoardHost : public IRecordingHost {
public:
    CConfigBlockSet records;
    std::vector<std::string> messages;

    HeaderSource GetHeaderRecords(RecordingCause, CConfigBlockSet& out, std::string&) override
    {
        out = records;
        return HeaderSource::Board;
    }
    OverwriteAnswer AskOverwrite(const CRecordingQuestion&) override
    {
        return OverwriteAnswer::NextFreeName;
    }
    void AddRunLogEntry(const std::string&) override {}
    void ShowMessage(const std::string& text, MessageIcon) override { messages.push_back(text); }
    void ResetToReady(RecordingCause) override {}
};

class LiveChromatogramTest : public testing::Test {
protected:
    // Records pulses [from, to) of run through a session whose header holds
    // records; the path of the file.
    std::string Record(const std::vector<CPulseData>& run, size_t from, size_t to,
                       const CConfigBlockSet& records)
    {
        BoardHost host;
        host.records = records;
        CRecordingSession session(host);
        session.SetSettingsPath(dir.File("Config/settings.cfg"));
        session.Recorder().SetDefaultFolder(dir.File("Data"));
        session.ManualStart();
        EXPECT_TRUE(session.IsRecording()) << (host.messages.empty() ? "" : host.messages[0]);
        for (size_t k = from; k < to; ++k)
            session.OnPulse(run[k], true, records.events);
        const std::string path = session.GetFilePath();
        session.ManualStop();
        return path;
    }

    CTempDir dir;
};

// Live points of gate m from point first on, against the document's trace m.
void ExpectSameAsDocument(const OLiveChromatogram& live, size_t first, const ODVDocData& doc)
{
    const OChromatogram& c = doc.GetChromatogram();
    ASSERT_EQ(live.GetGateCount(), doc.GetWorkingConfiguration().GetNumGateModes());
    for (int m = 0; m < live.GetGateCount(); ++m) {
        EXPECT_EQ(live.GetGateName(m), doc.GetGateDescriptors()[m].name);
        const OLiveChromatogram::Trace& trace = live.GetTrace(m);
        ASSERT_EQ(trace.times.size() - first, c.times.size()) << "gate " << m;
        for (size_t k = 0; k < c.times.size(); ++k) {
            // Bit for bit: the same calculation on the same pulses.
            ASSERT_EQ(trace.times[first + k], c.times[k]) << "gate " << m << " point " << k;
            ASSERT_EQ(trace.values[first + k], c.traces[static_cast<size_t>(m)][k])
                << "gate " << m << " point " << k;
        }
    }
}

} // namespace

TEST_F(LiveChromatogramTest, ARecordingStartedDuringTheRunHoldsTheValuesShownLive)
{
    // Thirty seconds of run through all four compounds; the recording
    // starts 40 pulses in, as an operator pressing Record during the run.
    const std::vector<CPulseData> run = SimulatedRun(1, 210);
    const CConfigBlockSet records = ThreeGates();
    OLiveChromatogram live;
    live.SetSetUp(records);
    for (const CPulseData& pulse : run)
        EXPECT_TRUE(live.OnPulse(pulse, true).appended);
    const std::string path = Record(run, 40, run.size(), records);

    ODVDocData doc;
    std::string message;
    ASSERT_EQ(doc.Open(path, message), 1) << message << " " << doc.GetLastError();
    EXPECT_TRUE(doc.GetTimeAxisNote().empty()) << "the board's own times are the axis";
    ASSERT_EQ(live.GetPulseCount(), 210);
    ExpectSameAsDocument(live, 40, doc);

    // The peaks are there: the fast emitter (6 s) lifts gate 0 well above its start.
    const OLiveChromatogram::Trace& s = live.GetTrace(0);
    EXPECT_GT(*std::max_element(s.values.begin(), s.values.end()), 2.0f * s.values.front());
    EXPECT_FLOAT_EQ(live.GetMaximum(),
                    std::max({*std::max_element(s.values.begin(), s.values.end()),
                              *std::max_element(live.GetTrace(1).values.begin(),
                                                live.GetTrace(1).values.end()),
                              *std::max_element(live.GetTrace(2).values.begin(),
                                                live.GetTrace(2).values.end())}));
}

TEST_F(LiveChromatogramTest, ARunStartEmptiesThePointsAndARunEndKeepsThem)
{
    const std::vector<CPulseData> first = SimulatedRun(1, 30);
    OLiveChromatogram live;
    live.SetSetUp(ThreeGates());

    // Before the run the board stamps nothing: no point.
    EXPECT_FALSE(live.OnPulse(first[0], false).appended);
    EXPECT_EQ(live.GetPulseCount(), 0);

    EXPECT_TRUE(live.OnRunState(true).restarted);
    for (const CPulseData& pulse : first)
        live.OnPulse(pulse, true);
    EXPECT_EQ(live.GetPulseCount(), 30);
    EXPECT_EQ(live.GetLastTime(), OLiveChromatogram::Seconds(first.back().GetPulseTime()));

    // The end: the trace stays, later pulses are not added, the state again is no restart.
    EXPECT_FALSE(live.OnRunState(false).restarted);
    EXPECT_FALSE(live.OnPulse(first.back(), false).appended);
    EXPECT_EQ(live.GetTrace(2).times.size(), 30u);
    EXPECT_FALSE(live.OnRunState(false).restarted);

    // The next run, announced by the first pulse that carries the run bit.
    const std::vector<CPulseData> second = SimulatedRun(1, 5, 2);
    const OLiveChromatogram::Step step = live.OnPulse(second[0], true);
    EXPECT_TRUE(step.restarted);
    EXPECT_TRUE(step.appended);
    EXPECT_EQ(live.GetPulseCount(), 1);
    EXPECT_EQ(live.GetTrace(0).times.front(), OLiveChromatogram::Seconds(second[0].GetPulseTime()));
    EXPECT_FALSE(live.OnRunState(true).restarted) << "the same run, told by the status too";
}

TEST_F(LiveChromatogramTest, ATimeGoingBackWithinARunIsANewRun)
{
    // The board ended one run and began the next between two polls: the
    // run bit never dropped where the Monitor could see it.
    const std::vector<CPulseData> first = SimulatedRun(1, 40);
    const std::vector<CPulseData> second = SimulatedRun(1, 3, 3);
    OLiveChromatogram live;
    live.SetSetUp(ThreeGates());
    for (const CPulseData& pulse : first)
        live.OnPulse(pulse, true);
    EXPECT_TRUE(live.OnPulse(second[0], true).restarted);
    EXPECT_FALSE(live.OnPulse(second[1], true).restarted);
    EXPECT_EQ(live.GetPulseCount(), 2);
    ASSERT_EQ(live.GetTrace(1).times.size(), 2u);
    EXPECT_LT(live.GetTrace(1).times[0], live.GetTrace(1).times[1]);
}

TEST_F(LiveChromatogramTest, ANewGateSetUpAppliesFromTheNextPulseAndKeepsThePointsSoFar)
{
    // The strip shows the dialogs' gates until a recording starts with the
    // board's (here: one gate), then the recording's three.
    CConfigBlockSet before;
    for (int g = 0; g < 5; ++g)
        before.gates[g].SetType(static_cast<unsigned short>(40 + g));
    before.gates[0] = Gate(GM_N, 10.0, 12.0, 0.0, 0.1, GO_MINUS, 0.0);
    const CConfigBlockSet after = ThreeGates();
    const std::vector<CPulseData> run = SimulatedRun(1, 120);

    OLiveChromatogram live;
    EXPECT_EQ(live.GetGateCount(), 0) << "no gate before any set-up";
    EXPECT_TRUE(live.SetSetUp(before));
    EXPECT_FALSE(live.SetSetUp(before)) << "the same set-up again changes nothing";
    EXPECT_EQ(live.GetGateCount(), 1);
    EXPECT_EQ(live.GetGateName(0), "Mode N");
    for (size_t k = 0; k < 25; ++k)
        live.OnPulse(run[k], true);
    const std::vector<float> earlier = live.GetTrace(0).values;

    EXPECT_TRUE(live.SetSetUp(after));
    EXPECT_EQ(live.GetGateCount(), 3);
    EXPECT_EQ(live.GetGateName(1), "Mode P");
    for (size_t k = 25; k < run.size(); ++k)
        live.OnPulse(run[k], true);

    // Gate 0's first 25 points are the old gate's; gates 1 and 2 begin at the change.
    const OLiveChromatogram::Trace& gate0 = live.GetTrace(0);
    ASSERT_EQ(gate0.values.size(), run.size());
    EXPECT_TRUE(std::equal(earlier.begin(), earlier.end(), gate0.values.begin()));
    EXPECT_EQ(live.GetTrace(1).times.size(), run.size() - 25);
    EXPECT_EQ(live.GetTrace(1).times.front(), OLiveChromatogram::Seconds(run[25].GetPulseTime()));

    // From the change on, the values are the Analyzer's for a recording made with the new gates.
    const std::string path = Record(run, 25, run.size(), after);
    ODVDocData doc;
    std::string message;
    ASSERT_EQ(doc.Open(path, message), 1) << message;
    const OChromatogram& c = doc.GetChromatogram();
    ASSERT_EQ(c.times.size(), run.size() - 25);
    for (int m = 0; m < 3; ++m) {
        const OLiveChromatogram::Trace& trace = live.GetTrace(m);
        const size_t offset = trace.values.size() - c.times.size();
        for (size_t k = 0; k < c.times.size(); ++k)
            ASSERT_EQ(trace.values[offset + k], c.traces[static_cast<size_t>(m)][k]) << m;
    }
}

TEST_F(LiveChromatogramTest, HostilePulsesGiveValuesNotFaults)
{
    // A pulse without samples, one far shorter than the gate windows, and a
    // T-delay that is not a number: clamped windows, values 0 or finite.
    OLiveChromatogram live;
    live.SetSetUp(ThreeGates());
    CPulseData empty;
    empty.SetPulseTime(10);
    CPulseData shortPulse = recordings::Ramp(100, 0.5, 10, 20);
    shortPulse.SetBufferSize(3);
    CPulseData damaged = recordings::Ramp(100, std::nan(""), 10, 30);
    for (const CPulseData* pulse : {&empty, &shortPulse, &damaged}) {
        ASSERT_TRUE(live.OnPulse(*pulse, true).appended);
        for (int m = 0; m < live.GetGateCount(); ++m)
            EXPECT_TRUE(std::isfinite(live.GetLastValues()[static_cast<size_t>(m)])) << m;
    }
    EXPECT_EQ(live.GetPulseCount(), 3);
}
