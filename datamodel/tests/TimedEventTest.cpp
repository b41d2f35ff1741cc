// The timed-event table: insertion by time, replacement and texts.
#include "TimedEvent.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

CTimedEventData Event(double time, EventCode code = EC_RECORD, double value = 0.0)
{
    CTimedEventData event;
    event.SetEventTime(time);
    event.SetEventCode(code);
    event.SetEventValue(value);
    return event;
}

std::vector<double> Times(const CTimedEvent& table)
{
    std::vector<double> times;
    for (int i = 0; i < table.GetCount(); ++i)
        times.push_back(table[i].GetEventTime());
    return times;
}

CTimedEvent TableOf(const std::vector<double>& times)
{
    CTimedEvent table;
    for (double t : times)
        table.AddTimedEvent(Event(t));
    return table;
}

TEST(TimedEventTable, KeepsEventsSortedAndReportsWhereEachLanded)
{
    CTimedEvent table;
    EXPECT_EQ(table.AddTimedEvent(Event(5)), 0);
    EXPECT_EQ(table.AddTimedEvent(Event(1)), 0);
    EXPECT_EQ(table.AddTimedEvent(Event(3)), 1);
    EXPECT_EQ(Times(table), (std::vector<double>{1, 3, 5}));
}

TEST(TimedEventTable, AnEqualTimeGoesBeforeTheEventsAlreadyThere)
{
    CTimedEvent table = TableOf({1, 3, 5});
    EXPECT_EQ(table.AddTimedEvent(Event(3, EC_AUTOZERO)), 1);
    EXPECT_EQ(table[1].GetEventCode(), EC_AUTOZERO);
    EXPECT_EQ(table[2].GetEventCode(), EC_RECORD);
}

TEST(TimedEventTable, ATimeThatIsNotANumberGoesLast)
{
    CTimedEvent table = TableOf({1, 3});
    EXPECT_EQ(table.AddTimedEvent(Event(std::numeric_limits<double>::quiet_NaN())), 2);
    EXPECT_TRUE(std::isnan(table[2].GetEventTime()));
    // An event stored without a number is never passed over by a later one.
    EXPECT_EQ(table.AddTimedEvent(Event(7)), 3);
    EXPECT_EQ(table.AddTimedEvent(Event(2)), 1);
}

TEST(TimedEventTable, SetReplacesAndRepositionsByTime)
{
    CTimedEvent table = TableOf({1, 3, 5});
    EXPECT_EQ(table.SetTimedEvent(0, Event(4)), 1);
    EXPECT_EQ(Times(table), (std::vector<double>{3, 4, 5}));
    EXPECT_EQ(table.SetTimedEvent(3, Event(0)), 0); // index == count is a plain add
    EXPECT_EQ(Times(table), (std::vector<double>{0, 3, 4, 5}));
    EXPECT_EQ(table.SetTimedEvent(5, Event(9)), -1);
    EXPECT_EQ(table.SetTimedEvent(-1, Event(9)), -1);
    EXPECT_EQ(Times(table), (std::vector<double>{0, 3, 4, 5}));
}

TEST(TimedEventTable, RemoveAndAccessOutsideTheTableAreSafe)
{
    CTimedEvent table;
    EXPECT_EQ(table.RemoveTimedEvent(0), 0);
    EXPECT_EQ(table.GetTimedEventDataAt(0), nullptr);
    EXPECT_EQ(table[3].GetEventCode(), EC_INVALID);
    CTimedEventData out = Event(8, EC_SCALAR);
    EXPECT_EQ(table.GetTimedEvent(0, out), 0);
    EXPECT_EQ(out.GetEventCode(), EC_SCALAR);

    table = TableOf({1, 2, 3});
    EXPECT_EQ(table.RemoveTimedEvent(3), 0);
    EXPECT_EQ(table.RemoveTimedEvent(1), 1);
    EXPECT_EQ(Times(table), (std::vector<double>{1, 3}));
    EXPECT_EQ(table.GetTimedEvent(1, out), 1);
    EXPECT_EQ(out.GetEventTime(), 3);
    table.CleanUp();
    EXPECT_EQ(table.GetCount(), 0);
}

TEST(TimedEventTable, CopiesAreDeep)
{
    CTimedEvent source = TableOf({1, 2});
    CTimedEvent copy(source);
    copy[0].SetEventValue(42);
    copy.AddTimedEvent(Event(9));
    EXPECT_EQ(source[0].GetEventValue(), 0);
    EXPECT_EQ(source.GetCount(), 2);
    copy = source;
    EXPECT_EQ(copy, source);
    copy = copy;
    EXPECT_EQ(copy.GetCount(), 2);
}

TEST(TimedEventCodes, TextsAreExactAndCaseSensitive)
{
    EXPECT_EQ(CTimedEventData::ToEventCode("Record"), EC_RECORD);
    EXPECT_EQ(CTimedEventData::ToEventCode("record"), EC_INVALID);
    EXPECT_EQ(CTimedEventData::ToEventCode("Reset to Ready"), EC_RESET_TO_READY);
    EXPECT_EQ(CTimedEventData::ToString(EC_NA), "N/A");
    EXPECT_EQ(CTimedEventData::ToString(static_cast<EventCode>(8)), "");
    CTimedEventData event;
    event.SetEventCode(std::string("Gate Selection"));
    EXPECT_EQ(event.GetEventCodeString(), "Gate Selection");
    event.Initialize();
    EXPECT_EQ(event, CTimedEventData());
}

} // namespace
