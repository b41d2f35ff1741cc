#pragma once
// What the pulse view draws around a pulse, worked out without a chart:
// where each gate's span lies once the pulse's trigger crossing is known,
// which of the pulse's points fall in it, and the pulse's time texts.
//
// A span is the gate's A window (from start A, width A long) shifted by the
// trigger time; when the descriptor says the B window is in use as well it
// runs from the earlier window start to the later window end. A span that
// starts after the pulse (25 ms) is not drawn; one that ends after it is cut
// at 25 ms. A pulse that never crosses the trigger level has no spans.

#include "DVChannels.h"
#include "PulseShape.h"

#include <optional>
#include <string>
#include <vector>

struct OGateSpan {
    double from = 0.0; // milliseconds
    double to = 0.0;
    bool operator==(const OGateSpan& other) const = default;
};

class OPulseGates {
public:
    static constexpr double kPulseEndMs = 25.0;

    // The span of gate descriptor d over a pulse triggered at triggerMs
    // (negative: no crossing); nothing when no span is drawn.
    static std::optional<OGateSpan> Span(const OGateDescriptor& d, double triggerMs);
    // The points of pulse whose time lies in span, ends included.
    static void Cut(const OPulseShape& pulse, const OGateSpan& span, std::vector<double>& x,
                    std::vector<double>& y);

    // A time on the chromatogram as the pulse's trace name, whole minutes
    // and seconds with two decimals: "01:23.45"; empty for a negative time.
    static std::string TimeText(double seconds);
    // "Pulse Start Time = 01:23.45"; empty for a negative time.
    static std::string StartTimeText(double seconds);
};
