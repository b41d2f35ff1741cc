#pragma once
// The texts the Monitor's main window shows, computed apart from the widgets.

#include "LinkStatus.h"

#include <cstdint>
#include <string>

namespace monitor {

// A pulse time in hundredths of a second as days:hours:minutes with two
// decimals of minutes: 75000 (12 min 30 s) gives "00:00:12.50".
std::string ElapsedTimeText(long hundredths);
// A frequency as the frequency fields show it ("%0.2lf").
std::string FrequencyText(double frequency);
// The live frequency: the INI correction factor (single precision) times
// the pulse's own frequency; a factor of 0 (none set) leaves it as it is.
double CorrectedFrequency(float correctionFactor, double pulseFrequency);
// "In Progress" while recording, else "Stopped".
std::string RecordingText(bool recording);
// What a recording has written: "512 pulses, 1.25 MB" ("1 pulse, 0.4 KB").
std::string WrittenText(int64_t bytes, int64_t pulses);
// "(%s)" with the instrument name, for the title bar.
std::string InstrumentText(const std::string& instrument);

// The link's state as the status area shows it: "Connected on COM2",
// "No response since 14:02:11" (local time), "Port COM2 is used by another
// program", "Port COM2 not present".
std::string LinkText(const CLinkStatus& link);
// What a tool tip adds: the device the port resolved to and the system's reason.
std::string LinkToolTip(const CLinkStatus& link);
// A recording's duration as hh:mm:ss (hours beyond 99 as they come).
std::string DurationText(int64_t seconds);
// A status word as the board's documents spell it: "0x0800".
std::string StatusWordText(unsigned word);

} // namespace monitor
