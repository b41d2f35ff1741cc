#pragma once
// The measurement cursor's readout in the status bar: the position under the
// mouse, or - once a base point is set - the base and the offset from it.
//
//   "12.35 , 1234.5"
//   "Base:10.20 , 1000.0;   Offset:2.15 , 234.5"
//
// With runs laid over each other, the trace nearest the cursor is named
// after it, with its value at the cursor's time:
//
//   "12.35 , 1234.5   run-0002.KLYN (Mode S): 1180.2"
//
// Each value has one decimal more than its axis labels show, so the readout
// is always a step finer than the grid it is read against.

#include <string>

class OCursorText {
public:
    // The cursor at (x, y); xAxisDecimals and yAxisDecimals as the axes show them.
    static std::string Position(double x, double y, int xAxisDecimals, int yAxisDecimals);
    // The base point and the offset of (x, y) from it.
    static std::string FromBase(double baseX, double baseY, double x, double y, int xAxisDecimals,
                                int yAxisDecimals);
    // The nearest trace's name and its value, to follow a readout.
    static std::string Trace(const std::string& name, double value, int yAxisDecimals);
    // value with decimals places; a value that rounds to zero has no sign.
    static std::string Number(double value, int decimals);
};
