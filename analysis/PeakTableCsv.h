#pragma once
// OPeakTableCsv: a trace's peak table as CSV - one header row naming every
// column with its unit, then one row per peak in time order. Numbers are
// written with a point as decimal separator whatever the locale, times to a
// tenth of a millisecond and the rest to eight significant digits; flags as
// "yes" or "no". Lines end in "\n".
//
//   Peak,Retention time (s),Start (s),End (s),Height (counts),Area (counts*s),
//   Area (%),Width at half height (s),S/N,Baseline start (s),
//   Baseline start value (counts),Baseline end (s),Baseline end value (counts),
//   Manual,Perpendicular start,Perpendicular end

#include "Peak.h"

#include <string>
#include <vector>

class OPeakTableCsv {
public:
    // unit: the trace values' unit for the header ("counts", "nA", ...).
    static std::string Text(const std::vector<OPeak>& peaks, const std::string& unit = "counts");
    // The text written to path: under a temporary name beside it, renamed
    // over it when complete. 1, or 0 with message and an older file as it was.
    static int Write(const std::string& path, const std::vector<OPeak>& peaks, std::string& message,
                     const std::string& unit = "counts");
    // value as the table writes it: fixed with decimals digits after the
    // point, or with digits significant digits when decimals is negative.
    static std::string Number(double value, int decimals, int digits = 8);
};
