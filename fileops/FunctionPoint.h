#pragma once
// OFunctionPoint: a point of a sampled function and the samples around it.

class OFunctionPoint {
public:
    OFunctionPoint() = default;
    OFunctionPoint(float x, float y) : m_fX(x), m_fY(y) {}

    void SetXValue(float x) { m_fX = x; }
    void SetYValue(float y) { m_fY = y; }
    void SetPoint(float x, float y)
    {
        m_fX = x;
        m_fY = y;
    }
    float GetXValue() const { return m_fX; }
    float GetyValue() const { return m_fY; }
    // Samples on each side of the point; -1 when there is none.
    int GetLeftIndex() const { return m_nLeftIndex; }
    int GetRightIndex() const { return m_nRightIndex; }

    bool operator==(const OFunctionPoint& other) const = default;

private:
    friend class OFunction;
    // Only the function knows which samples bracket a point.
    void SetIndex(int left, int right)
    {
        m_nLeftIndex = left;
        m_nRightIndex = right;
    }

    float m_fX = 0.0f;
    float m_fY = 0.0f;
    int m_nLeftIndex = -1;
    int m_nRightIndex = -1;
};
