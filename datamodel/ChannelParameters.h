#pragma once
// Settings of the two detector channels.

class CGateChannelParameters {
public:
    CGateChannelParameters() = default;
    CGateChannelParameters(const CGateChannelParameters& other) = default;
    CGateChannelParameters& operator=(const CGateChannelParameters& other) = default;
    virtual ~CGateChannelParameters() = default;

    CGateChannelParameters& CopyFrom(const CGateChannelParameters& other) { return *this = other; }

    // Index of the channel's mode in the Monitor's mode list.
    int GetGateIndex() const { return m_nGateIndex; }
    void SetGateIndex(int value) { m_nGateIndex = value; }
    // 0 linear, 1 spline.
    int GetInterpolation() const { return m_nInterpolation; }
    void SetInterpolation(int value) { m_nInterpolation = value; }
    // Kept with the record; never exchanged with the board.
    int GetZeroChannel() const { return m_nZeroChannel; }
    void SetZeroChannel(int value) { m_nZeroChannel = value; }
    int GetScalarChannel() const { return m_nScalarChannel; }
    void SetScalarChannel(int value) { m_nScalarChannel = value; }
    int GetChannelZero() const { return m_nChannelZero; }
    void SetChannelZero(int value) { m_nChannelZero = value; }

    bool operator==(const CGateChannelParameters& other) const = default;

private:
    // Every holder fills these before use; zero keeps a fresh record harmless.
    int m_nGateIndex = 0;
    int m_nInterpolation = 0;
    int m_nZeroChannel = 0;
    int m_nScalarChannel = 0;
    int m_nChannelZero = 0;
};

class CChannelParameters {
public:
    static constexpr int kChannels = 2;

    CChannelParameters() = default;
    CChannelParameters(const CChannelParameters& other) = default;
    CChannelParameters& operator=(const CChannelParameters& other) = default;
    virtual ~CChannelParameters() = default;

    CChannelParameters& CopyFrom(const CChannelParameters& other) { return *this = other; }

    // Element 0 is channel 1. Callers pass 0 or 1; other indexes are clamped
    // into range rather than reaching outside the record.
    CGateChannelParameters& operator[](int index) { return m_channels[Clamp(index)]; }
    const CGateChannelParameters& operator[](int index) const { return m_channels[Clamp(index)]; }

    // 1 and the element copied out, or 0 and out untouched for an index
    // other than 0 or 1.
    int GetGateChannelParameters(int index, CGateChannelParameters& out) const;
    int SetGateChannelParameters(int index, const CGateChannelParameters& in);

    bool operator==(const CChannelParameters& other) const
    {
        return m_channels[0] == other.m_channels[0] && m_channels[1] == other.m_channels[1];
    }

private:
    static int Clamp(int index) { return index == 1 ? 1 : 0; }
    CGateChannelParameters m_channels[kChannels];
};
