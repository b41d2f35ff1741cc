#pragma once
// The live plot's zoom history and the rules around it, kept apart from the
// widget so that they can be checked without a chart.
//
// An entry is the view before an accepted zoom box: x min, x max, y min, y max.
// At most ten entries are kept; a push onto a full history is ignored, so the
// oldest views survive and the most recent ones are lost (the operator can
// always get back to the whole pulse with zoom to fit).

#include "AxisRanges.h"

#include <array>

class CZoomHistory {
public:
    static constexpr int kCapacity = 10;

    // 1 when stored, 0 when the history is full and the entry was ignored.
    int Push(const CAxisRanges& ranges);
    // 1 with the newest entry removed into ranges, 0 when empty.
    int Pop(CAxisRanges& ranges);
    // One step of "zoom out": pops the newest entry into target and returns 1
    // when that view is to be shown, or 0 when the view should fit the data
    // instead: the history was empty or has just become empty. The first
    // saved view is therefore never restored; it is the wide view the
    // operator started from, and fitting the data is the more useful end.
    int PopForZoomOut(CAxisRanges& target);
    void Clear() { m_nTop = -1; }

    bool IsEmpty() const { return m_nTop < 0; }
    int GetCount() const { return m_nTop + 1; }
    // Index of the newest entry, -1 when empty.
    int GetTopIndex() const { return m_nTop; }

private:
    std::array<CAxisRanges, kCapacity> m_entries{};
    int m_nTop = -1;
};

// The zoom box rule. The box (in axis units, corners in any order) is first
// clamped to limits, the plot ranges of the INI file; a box narrower than 1
// on either axis is then refused (0) because it would show less than one
// unit, which the integer axis spans cannot represent. 1 when accepted, with
// box normalised and clamped.
int ClampZoomBox(CAxisRanges& box, const CAxisRanges& limits);

// What the chart is given: the minimum and an integer span, at least 1, so
// that a degenerate fit (a flat pulse) still leaves a drawable range.
CAxisRanges ApplicableRanges(const CAxisRanges& ranges);

// After a fit to the data, the x maximum goes up to the next whole
// millisecond so that the last sample is not on the frame.
CAxisRanges RefitRanges(const CAxisRanges& fitted);
