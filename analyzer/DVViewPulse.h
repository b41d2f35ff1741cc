#pragma once
// ODVViewPulse: the upper pane - the document's current pulse (trace 0, named
// after its time in the chromatogram) and, for each gate mode in use, the
// part of the pulse its gate covers (traces 1 to 5, "Mode S Gate"), placed
// after the pulse's trigger crossing. Bands mark each gate's A window as set
// (not shifted); a gate's band follows its legend box.
//
// Until the operator zooms or scrolls, every pulse is shown whole (0 to
// 25 ms, 0 to its highest sample); Restore goes back to that.

#include "DVPlot.h"

#include <array>

class ODVViewPulse : public ODVPlot {
    Q_OBJECT
public:
    static constexpr int kGates = 5;

    explicit ODVViewPulse(ODVDoc* doc, QWidget* parent = nullptr);

    void OnUpdate() override;
    // Back to the whole pulse: 0 to 25 ms, 0 to the highest sample and 5 %.
    void Restore() override;

    // The trigger crossing of gate mode m in the current pulse (ms; -1 for none).
    double GetTriggerTime(int m) const;
    // Band of gate mode m (0 to 4): the A window, and whether it is shown.
    bool IsGateBandShown(int m) const;
    void GetGateBand(int m, double& from, double& to) const;

    // True while each new pulse is shown whole.
    bool IsFollowingPulse() const { return m_bFollow; }

protected:
    void OnTraceToggled(int slot, bool bChecked) override;
    void OnViewChanging() override;

private:
    void UpdateBands();
    void ShowFullExtent();

    std::array<double, kGates> m_triggerTimes{};
    std::array<int, kGates> m_bandA{};
    std::array<int, kGates> m_bandB{};
    bool m_bFollow = true;
};
