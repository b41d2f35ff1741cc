// The configuration report, line by line, against lines worked out from the
// report's printf formats.

#include "ConfigReport.h"
#include "Recordings.h"
#include "TextReport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

namespace {

using recordings::Gate;

CTimedEventData Event(double time, EventCode code, unsigned char channel, double value)
{
    CTimedEventData e;
    e.SetEventTime(time);
    e.SetEventCode(code);
    e.SetEventChannel(channel);
    e.SetEventValue(value);
    return e;
}

OReportInputs FullConfiguration()
{
    OReportInputs in;
    in.fileName = "run001.KLYN";
    in.date = "03/05/24";
    in.gates[0] = Gate(GM_S, 1.0, 2.0, 3.0, 4.0, GO_MINUS, 0.5);
    in.gates[1] = Gate(GM_P, 5.5, 6.25, 7.0, 8.0, GO_DIVIDE, 1.25, true);
    in.gates[2] = Gate(GM_S, 10.0, 12.0, 0.0, 0.1, GO_PLUS, 0.0);
    in.gates[3].SetType(40);
    in.gates[4].SetType(41);
    in.gates.Sort();
    in.channels[0].SetGateIndex(0);
    in.channels[0].SetChannelZero(25);
    in.channels[0].SetScalarChannel(10);
    in.channels[1].SetGateIndex(2);
    in.channels[1].SetInterpolation(1);
    in.channels[1].SetChannelZero(300);
    in.channels[1].SetScalarChannel(100);
    CBoardParameters board;
    board.SetpmtVolts(650);
    board.SetIgnitor(1500);
    board.SetAdcTriggerLevel(2048);
    const CTimedEventData events[] = {Event(0.5, EC_GATE_SELECTION, 1, 2),
                                      Event(1.0, EC_RECORD, 0, 1),
                                      Event(2.0, EC_IGNITOR_CURRENT, 0, 1.5),
                                      Event(3.0, EC_AUTOZERO, 2, 0),
                                      Event(4.0, EC_NA, 0, 9),
                                      Event(5.0, EC_RESET_TO_READY, 0, 0),
                                      Event(6.0, EC_SCALAR, 1, 100),
                                      Event(7.0, EC_RECORD, 0, 0.7),
                                      Event(8.0, EC_INVALID, 0, 3),
                                      Event(9.0, EC_GATE_SELECTION, 0, 4),
                                      Event(9.5, EC_GATE_SELECTION, 0, 0)};
    for (const CTimedEventData& e : events)
        in.events.AddTimedEvent(e);
    in.cfg.Derive(in.gates, in.channels, board, in.events);
    return in;
}

const std::string kUnderline(80, '_');

TEST(ConfigReport, EveryLineOfAFullConfiguration)
{
    const std::vector<std::string> expected{
        "",
        "",
        "                          Tarvolin Configuration Report",
        "                                    03/05/24",
        "",
        "",
        "",
        "     Mode:             Offline",
        "     File Name:        run001.KLYN",
        "     PMT Voltage:      650",
        "     Ignitor Current:  1.50",
        "     Trigger Level:    2048",
        "",
        "",
        "",
        "",
        "     Channel     Zero Value    Interpolation Mode   Attenuation    Gate Mode",
        kUnderline,
        "        1             25             Linear              10             S",
        "        2            300             Spline             100           S-2",
        "",
        "",
        "",
        "      Gate    Mode    A-Start  A-Stop  Operator  Alpha  B-Start  B-Stop Sqrt",
        kUnderline,
        "        1        S     1.00     2.00      -      0.500   3.00     4.00   OFF",
        "        2        P     5.50     6.25      /      1.250   7.00     8.00    ON",
        "        3      S-2    10.00    12.00      +      0.000   0.00     0.10   OFF",
        "",
        "",
        "",
        "      Event       Start Time       Event Type        Channel           Value",
        kUnderline,
        "        1          0.50 MIN    Gate Selection            1                 P",
        "        2          1.00 MIN            Record            0                ON",
        "        3          2.00 MIN   Ignitor Current            0         1.50 AMPS",
        "        4          3.00 MIN          Autozero            2               OFF",
        "        5          4.00 MIN               N/A            0               n/a",
        "        6          5.00 MIN    Reset to Ready            0               n/a",
        "        7          6.00 MIN            Scalar            1               100",
        "        8          7.00 MIN            Record            0               OFF",
        "        9          8.00 MIN               ***            0                 3",
        "       10          9.00 MIN    Gate Selection            0               ***",
        "       11          9.50 MIN    Gate Selection            0               ***",
    };
    const std::vector<std::string> lines = OConfigReport::Build(FullConfiguration());
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], expected[i]) << "line " << i;
    std::string text;
    for (const std::string& line : expected)
        text += line + "\n";
    EXPECT_EQ(OConfigReport::Text(FullConfiguration()), text);
}

TEST(ConfigReport, NoEventsLeavesHeaderAndUnderline)
{
    OReportInputs in = FullConfiguration();
    in.events.CleanUp();
    const std::vector<std::string> lines = OConfigReport::Build(in);
    EXPECT_EQ(lines.back(), kUnderline);
    EXPECT_EQ(lines[lines.size() - 2],
              "      Event       Start Time       Event Type        Channel           Value");
}

TEST(ConfigReport, ChannelEdgeCases)
{
    OReportInputs in = FullConfiguration();
    CChannelParameters channels = in.channels;
    channels[0].SetInterpolation(2);
    channels[1].SetGateIndex(7);
    in.cfg.Derive(in.gates, channels, CBoardParameters(), in.events);
    const std::vector<std::string> lines = OConfigReport::Build(in);
    EXPECT_EQ(lines[18],
              "        1             25                ***              10             S");
    EXPECT_EQ(lines[19],
              "        2            300             Spline             100           ***");
}

struct ValueCase {
    const char* name;
    EventCode code;
    double value;
    const char* text;
};

class EventValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(EventValue, ReadsAsTheReportShowsIt)
{
    CGateParameters gates = FullConfiguration().gates;
    CTimedEventData e = Event(1.0, GetParam().code, 0, GetParam().value);
    EXPECT_EQ(OConfigReport::EventValueText(e, gates), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    ConfigReport, EventValue,
    ::testing::Values(ValueCase{"SecondGate", EC_GATE_SELECTION, 2, "P"},
                      ValueCase{"ThirdGate", EC_GATE_SELECTION, 3.9, "S-2"},
                      ValueCase{"NoGateZero", EC_GATE_SELECTION, 0, "***"},
                      ValueCase{"NoGateSix", EC_GATE_SELECTION, 6, "***"},
                      ValueCase{"NoGateNaN", EC_GATE_SELECTION, NAN, "***"},
                      ValueCase{"RecordOn", EC_RECORD, 1, "ON"},
                      ValueCase{"RecordTruncated", EC_RECORD, 0.7, "OFF"},
                      ValueCase{"RecordTwo", EC_RECORD, 2, "***"},
                      ValueCase{"RecordHuge", EC_RECORD, 1e300, "***"},
                      ValueCase{"Autozero", EC_AUTOZERO, 1, "ON"},
                      ValueCase{"Ignitor", EC_IGNITOR_CURRENT, 1.5, "1.50 AMPS"},
                      ValueCase{"NotApplicable", EC_NA, 7, "n/a"},
                      ValueCase{"Reset", EC_RESET_TO_READY, 7, "n/a"},
                      ValueCase{"Scalar", EC_SCALAR, 99.6, "100"},
                      ValueCase{"Unknown", static_cast<EventCode>(12), 4, "4"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConfigReport, TableBlockAndShortDate)
{
    OTextReport report;
    report.AddLine("a");
    report.BeginTable("head");
    EXPECT_EQ(report.Lines(), (std::vector<std::string>{"a", "", "head", kUnderline}));
    EXPECT_EQ(report.Text(), "a\n\nhead\n" + kUnderline + "\n");
    std::tm local{};
    local.tm_year = 124;
    local.tm_mon = 2;
    local.tm_mday = 5;
    local.tm_hour = 12;
    local.tm_isdst = -1;
    EXPECT_EQ(OConfigReport::ShortDate(std::mktime(&local)), "03/05/24");
}

} // namespace
