// Pacing against a schedule, driven by made-up time points: no clock, no sleeping.
#include "PacedWriter.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using Clock = CPacedWriter::Clock;
using namespace std::chrono_literals;

// A device that takes up to `room` bytes per write (unlimited when negative).
struct Device {
    CByteArray written;
    long room = -1;
    ssize_t Write(const uint8_t* data, size_t count)
    {
        if (room == 0) {
            errno = EAGAIN;
            return -1;
        }
        const size_t n = room < 0 ? count : std::min(count, static_cast<size_t>(room));
        written.insert(written.end(), data, data + n);
        if (room > 0)
            room -= static_cast<long>(n);
        return static_cast<ssize_t>(n);
    }
    std::function<ssize_t(const uint8_t*, size_t)> Fn()
    {
        return [this](const uint8_t* data, size_t count) { return Write(data, count); };
    }
};

CByteArray Numbers(size_t count, uint8_t first = 0)
{
    CByteArray bytes;
    for (size_t i = 0; i < count; ++i)
        bytes.push_back(static_cast<uint8_t>(first + i));
    return bytes;
}

TEST(PacedWriter, ReleasesByteKAfterKPlusOneByteTimes)
{
    CPacedWriter writer(57600);
    const auto bt = writer.ByteTime();
    EXPECT_EQ(std::chrono::duration_cast<std::chrono::nanoseconds>(bt).count(), 173611);
    Device device;
    const Clock::time_point t0{1s};
    writer.Queue({Numbers(10)}, t0, 0ms);

    EXPECT_EQ(writer.Pump(t0 - 1ns, device.Fn()).bytes, 0u);
    EXPECT_EQ(writer.Pump(t0 + bt - 1ns, device.Fn()).bytes, 0u);
    EXPECT_EQ(writer.Pump(t0 + 3 * bt, device.Fn()).bytes, 3u);
    const auto last = writer.Pump(t0 + 10 * bt, device.Fn());
    EXPECT_EQ(last.bytes, 7u);
    EXPECT_EQ(last.repliesDone, 1);
    EXPECT_EQ(device.written, Numbers(10));
    EXPECT_TRUE(writer.Idle());
}

TEST(PacedWriter, PausesBetweenPiecesAndQueuesRepliesBehindEachOther)
{
    CPacedWriter writer(57600);
    const auto bt = writer.ByteTime();
    Device device;
    const Clock::time_point t0{1s};
    writer.Queue({Numbers(8), Numbers(2, 8)}, t0, 100ms);
    writer.Queue({Numbers(3, 10)}, t0, 0ms); // ready at once, but the line is busy

    auto r = writer.Pump(t0 + 8 * bt, device.Fn());
    EXPECT_EQ(r.bytes, 8u);
    EXPECT_EQ(r.repliesDone, 0);
    const auto secondPiece = t0 + 8 * bt + 100ms;
    EXPECT_EQ(writer.NextWake(t0 + 8 * bt), secondPiece);
    EXPECT_EQ(writer.Pump(secondPiece + bt - 1ns, device.Fn()).bytes, 0u);
    r = writer.Pump(secondPiece + 2 * bt, device.Fn());
    EXPECT_EQ(r.bytes, 2u);
    EXPECT_EQ(r.repliesDone, 1);
    // The next reply starts when the line is free, not when it was ready.
    EXPECT_EQ(writer.Pump(secondPiece + 4 * bt, device.Fn()).bytes, 2u);
    r = writer.Pump(secondPiece + 5 * bt, device.Fn());
    EXPECT_EQ(r.bytes, 1u);
    EXPECT_EQ(r.repliesDone, 1);
    EXPECT_EQ(device.written, Numbers(13));
}

TEST(PacedWriter, WakesInMillisecondChunksButNeverAfterTheLastByte)
{
    CPacedWriter writer(57600);
    const auto bt = writer.ByteTime();
    Device device;
    const Clock::time_point t0{1s};
    writer.Queue({Numbers(779)}, t0, 0ms);
    writer.Pump(t0, device.Fn());
    EXPECT_EQ(writer.NextWake(t0), t0 + 1ms);
    writer.Pump(t0 + 778 * bt, device.Fn());
    EXPECT_EQ(writer.NextWake(t0 + 778 * bt), t0 + 779 * bt);
    EXPECT_EQ(writer.Pump(t0 + 779 * bt, device.Fn()).repliesDone, 1);
    EXPECT_FALSE(writer.NextWake(t0 + 779 * bt).has_value());
}

TEST(PacedWriter, UnpacedWritesAtOnceAndABlockedDeviceGetsTheBacklogLater)
{
    CPacedWriter writer(0);
    Device device;
    device.room = 5;
    const Clock::time_point t0{1s};
    writer.Queue({Numbers(12)}, t0, 0ms);
    auto r = writer.Pump(t0, device.Fn());
    EXPECT_EQ(r.bytes, 5u);
    EXPECT_TRUE(r.blocked);
    device.room = 0;
    EXPECT_TRUE(writer.Pump(t0, device.Fn()).blocked);
    device.room = -1;
    r = writer.Pump(t0, device.Fn());
    EXPECT_EQ(r.bytes, 7u);
    EXPECT_EQ(r.repliesDone, 1);
    EXPECT_EQ(device.written, Numbers(12));
}

} // namespace
