#pragma once
// Decides which faults strike each reply, by the rules in force, and counts them.

#include "SimOptions.h"

#include <array>
#include <cstdint>
#include <vector>

class CFaultPlan {
public:
    // The faults for one reply. Silence and Drop mean no reply at all.
    struct CDecision {
        bool split = false;
        int splitAt = 0;
        int pauseMs = 0;
        int garbageBytes = 0;
        bool badCrc = false;
        bool wrongCode = false;
        bool silence = false;
        bool drop = false;
        int dropMs = 0;
        bool Any() const
        {
            return split || garbageBytes > 0 || badCrc || wrongCode || silence || drop;
        }
    };

    // Returns the rule's id, for RemoveRule.
    int AddRule(const CSimFaultRule& rule);
    void RemoveRule(int id);
    void Clear() { m_rules.clear(); }

    // Called once per request the board answers (or would answer), in order.
    CDecision Decide(uint8_t command);

    uint64_t Count(SimFault kind) const { return m_counts[static_cast<size_t>(kind)]; }
    const std::array<uint64_t, kSimFaultKinds>& Counts() const { return m_counts; }

private:
    struct CActiveRule {
        int id = 0;
        CSimFaultRule rule;
        uint64_t seen = 0; // matching replies so far
        uint64_t hits = 0;
        uint64_t mixTurn = 0; // Mixed: which fault the next strike applies
    };
    static bool Strikes(CActiveRule& active);

    std::vector<CActiveRule> m_rules;
    int m_nextId = 1;
    std::array<uint64_t, kSimFaultKinds> m_counts{};
};
