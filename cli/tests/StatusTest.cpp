// `tarvolin status` against the board simulator.
#include "BoardSimulator.h"
#include "Commands.h"
#include "SimulatedBoard.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Result {
    int code;
    std::string out;
    std::string err;
};

Result RunCli(std::vector<std::string> args)
{
    std::ostringstream out, err;
    int code = cli::Run(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(StatusCommand, PrintsWhatTheBoardHoldsAndFollowsLivePulses)
{
    testsupport::CPortsFolder ports;
    CSimOptions options;
    options.portsDir = ports.Dir();
    options.port = 4;
    options.baud = 0;
    options.clockSpeed = 5.0;
    options.runAtStart = true;
    CBoardSimulator sim(options);
    std::string error;
    ASSERT_EQ(sim.Start(error), 1) << error;
    CTimedEvent events;
    CTimedEventData e;
    e.SetEventTime(2.5);
    e.SetEventCode(EC_RECORD);
    e.SetEventValue(1);
    events.AddTimedEvent(e);
    sim.SetTimedEvents(events);

    Result r = RunCli({"status", "--port", "4", "--watch", "--count", "3", "--seconds", "30"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Instrument on COM4"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("GC Running"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Firmware revision: 21"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Gate 5"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Event 1: time 2.5, Record, channel 0, value 1"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("3 pulses shown"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("samples 250"), std::string::npos) << r.out;
}

TEST(StatusCommand, SaysWhenNoInstrumentAnswers)
{
    testsupport::CPortsFolder ports;
    testsupport::CFarEnd silentLine;
    ports.PointAt(6, silentLine.SlavePath());
    Result r = RunCli({"status", "--port", "6"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("no answer from the instrument on COM6"), std::string::npos) << r.err;
    r = RunCli({"status", "--port", "9"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("cannot open COM9"), std::string::npos) << r.err;
    EXPECT_EQ(RunCli({"status", "--port", "x"}).code, 2);
    EXPECT_EQ(RunCli({"status", "--bogus"}).code, 2);
}

} // namespace
