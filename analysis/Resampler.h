#pragma once
// OResampler: a chromatogram (one value per pulse, at the pulses' times) onto
// the uniform time grid an AIA file stores: t = x(0), x(0) + step, ... up to
// the last pulse's time.
//
// The grid is walked window by window: the window of points i - 3 .. i
// (i = 3 .. N - 1) produces the grid times up to its third point (up to its
// fourth in the last window). With d1..d3 the window's steps:
//   - max d - min d <= 0.06 s: the spline between its second and third points,
//       h = x2 - x1, a = (x2 - t) / h, b = 1 - a,
//       a y1 + b y2 + (a^3 - a) h^2/6 (y0 - 2y1 + y2)/((x1 - x0) h)
//                   + (b^3 - b) h^2/6 (y1 - 2y2 + y3)/((x3 - x2) h)
//     (in the last window without its last term at t = x3);
//   - else, max d - min d <= 2 min d: the Lagrange polynomial through the four;
//   - else straight lines between neighbours, where a step longer than
//     3 min d is a gap: down to 0 one min d after its left point, zeros, and
//     up from 0 one min d before its right point.
//
// The values go into a block that grows with what the walk produces, so no
// grid length computed elsewhere can be overrun; the caller hands on the
// count actually produced.

#include <span>
#include <string>
#include <vector>

class OResampler {
public:
    enum class Method { Spline, Lagrange, Lines };

    static constexpr double kSplineSpread = 0.06;
    static constexpr const char* kTooFewPoints =
        "The chromatogram has fewer than four points and cannot be exported.";

    // 1 with the values in out; 0 with message when x and y differ in length,
    // hold fewer than four points, x does not rise or a value is not finite,
    // or step is not a positive number (out is then empty).
    static int Resample(std::span<const float> x, std::span<const float> y, double step,
                        std::vector<float>& out, std::string& message);

    // The rule a window's steps choose.
    static Method Choose(double d1, double d2, double d3);

    // One window (four points) at t. dropLast: the spline's last term is left out.
    static double Spline(const double* x, const double* y, double t, bool dropLast);
    static double Lagrange(const double* x, const double* y, double t);
    static double Lines(const double* x, const double* y, double t);
};
