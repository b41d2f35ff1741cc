#pragma once
// ODVChannels: the five gate descriptors a document's pulse view draws and its
// chromatogram traces are named after ("Mode S", "Mode P-2"), rebuilt from
// the working configuration after every change of it.

#include "CfgData.h"

#include <array>
#include <string>

struct OGateDescriptor {
    std::string name;    // "" for a gate mode the configuration does not use
    float startA = 0.0f; // milliseconds
    float widthA = 0.1f;
    float startB = 0.0f;
    float widthB = 0.1f;
    float bWindow = 0.0f; // above 0: the B window is in use as well

    bool operator==(const OGateDescriptor& other) const = default;
};

class ODVChannels {
public:
    static constexpr int kGates = 5;

    // Descriptors m below the configuration's number of gate modes take the
    // mode's name and windows; the others get an empty name and keep their numbers.
    void Rebuild(const OCfgData& cfg);

    const OGateDescriptor& operator[](int m) const { return m_gates[Clamp(m)]; }
    int GetCount() const { return kGates; }

    // The label of a gate mode: its element symbol, "%s-%d" with the type
    // number when that is above 1, "***" for a mode outside the table.
    static std::string ModeLabel(int mode, int typeNumber);

private:
    static size_t Clamp(int m)
    {
        return static_cast<size_t>(m < 0 ? 0 : (m >= kGates ? kGates - 1 : m));
    }
    std::array<OGateDescriptor, kGates> m_gates;
};
