#pragma once
// OChromatogram: what a document's chromatogram load produces - one time and
// five gate values per pulse, their extremes and the bounds the view starts
// from. Plain values: views, the export and the command line only read them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct OChromatogramBounds {
    float xMin = 0.0f;
    float xMax = 0.0f;
    float yMin = 0.0f;
    float yMax = 0.0f;
    bool operator==(const OChromatogramBounds& other) const = default;
};

struct OChromatogram {
    static constexpr int kTraces = 5;

    std::vector<float> times; // seconds, one per pulse, shared by the five traces
    std::array<std::vector<float>, kTraces> traces;
    int first = 0; // index range shown: 0 and pulse count - 1
    int last = -1;
    float minimum = 0.0f; // over all five values of all pulses
    float maximum = 0.0f;
    OChromatogramBounds bounds;
    // Gates whose window had to be clamped to the pulse's samples.
    std::array<bool, kTraces> clamped{};

    int GetCount() const { return static_cast<int>(times.size()); }
    bool IsEmpty() const { return times.empty(); }

    // The full extent: x from the first time to the last plus 5 % of the
    // span, y from 0 to the maximum plus 5 %. Single precision, as drawn.
    static OChromatogramBounds ComputeBounds(const std::vector<float>& times, int first, int last,
                                             float maximum);
};
