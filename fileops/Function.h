#pragma once
// OFunction: a function y(x) given by samples (X[i], Y[i]), linear between
// samples and integrated with the composite Simpson rule. X must increase
// with i; the integration takes it as evenly spaced.
//
// Points are asked for in the units of the X samples themselves: EvaluateAt
// and Integrate never rescale x.

#include "FloatArray.h"
#include "FunctionPoint.h"

#include <memory>

class OFunction {
public:
    // Takes both arrays and owns them when both are given; otherwise the
    // function holds no arrays and owns nothing.
    explicit OFunction(OFloatArray* x = nullptr, OFloatArray* y = nullptr);
    OFunction(const OFunction&) = delete;
    OFunction& operator=(const OFunction&) = delete;
    virtual ~OFunction() = default;

    // Holds x and y when both are given, else neither. Ownership follows the
    // function: an owning function takes the new arrays and frees the ones it
    // lets go; a borrowing one only points at them.
    void SetValues(OFloatArray* x, OFloatArray* y);
    OFloatArray* GetXValues() const { return m_pX; }
    OFloatArray* GetyValues() const { return m_pY; }
    int GetOwns() const { return m_bOwns; }
    // Number of samples: the shorter of the two arrays' counts.
    int GetSampleCount() const;

    // The function at x with the samples that bracket it. Left of the first
    // sample the first two samples are extended as a line; right of the last
    // sample, or with no samples, the result is (0, 0, -1, -1).
    OFunctionPoint EvaluateAt(float x) const;
    // Integral of y from a to b; b < a gives the negated integral from b to
    // a. 0 without samples or when either end lies right of the last sample.
    float Integrate(float a, float b) const;

protected:
    // Sample i with its neighbours' indexes (-1 past either end); (0, 0, -1,
    // -1) when i names no sample.
    OFunctionPoint GetPoint(int i) const;
    static float TrapezoidalRule(const OFunctionPoint& p, const OFunctionPoint& q);
    // Samples first to last: Simpson over an even number of intervals, the
    // odd one left over (if any) as a trapezoid at the end. 0 when the range
    // names no interval.
    float CompositeSimpsonsRule(int first, int last) const;

private:
    OFloatArray* m_pX = nullptr;
    OFloatArray* m_pY = nullptr;
    int m_bOwns = 0;
    // Hold the arrays while the function owns them.
    std::unique_ptr<OFloatArray> m_ownedX;
    std::unique_ptr<OFloatArray> m_ownedY;
};
