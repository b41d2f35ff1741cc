#include "FaultPlan.h"

#include <algorithm>

const char* SimFaultName(SimFault kind)
{
    switch (kind) {
    case SimFault::Split:
        return "split";
    case SimFault::Garbage:
        return "garbage";
    case SimFault::BadCrc:
        return "bad CRC";
    case SimFault::WrongCode:
        return "wrong code";
    case SimFault::Silence:
        return "silence";
    case SimFault::Drop:
        return "drop";
    case SimFault::Mixed:
        return "mixed";
    }
    return "unknown";
}

namespace {

// What one strike of a Mixed rule applies, in turn.
enum class MixStep { Split, Garbage, BadCrc, WrongCode, Silence, GarbageAndSplit, Count };

} // namespace

int CFaultPlan::AddRule(const CSimFaultRule& rule)
{
    CActiveRule active;
    active.id = m_nextId++;
    active.rule = rule;
    m_rules.push_back(active);
    return active.id;
}

void CFaultPlan::RemoveRule(int id)
{
    std::erase_if(m_rules, [id](const CActiveRule& active) { return active.id == id; });
}

bool CFaultPlan::Strikes(CActiveRule& active)
{
    const CSimFaultRule& rule = active.rule;
    ++active.seen;
    if (rule.count > 0 && active.hits >= static_cast<uint64_t>(rule.count))
        return false;
    if (rule.every > 0 && active.seen % static_cast<uint64_t>(rule.every) != 0)
        return false;
    ++active.hits;
    return true;
}

CFaultPlan::CDecision CFaultPlan::Decide(uint8_t command)
{
    CDecision decision;
    for (CActiveRule& active : m_rules) {
        const CSimFaultRule& rule = active.rule;
        if (rule.command >= 0 && rule.command != command)
            continue;
        if (!Strikes(active))
            continue;
        SimFault kind = rule.kind;
        if (kind == SimFault::Mixed) {
            const auto step =
                static_cast<MixStep>(active.mixTurn++ % static_cast<uint64_t>(MixStep::Count));
            if (step == MixStep::GarbageAndSplit) {
                ++m_counts[static_cast<size_t>(SimFault::Garbage)];
                decision.garbageBytes += std::max(0, rule.garbageBytes);
                kind = SimFault::Split;
            } else {
                kind = static_cast<SimFault>(static_cast<int>(step));
            }
        }
        ++m_counts[static_cast<size_t>(kind)];
        switch (kind) {
        case SimFault::Split:
            decision.split = true;
            decision.splitAt = rule.splitAt;
            decision.pauseMs = std::max(0, rule.pauseMs);
            break;
        case SimFault::Garbage:
            decision.garbageBytes += std::max(0, rule.garbageBytes);
            break;
        case SimFault::BadCrc:
            decision.badCrc = true;
            break;
        case SimFault::WrongCode:
            decision.wrongCode = true;
            break;
        case SimFault::Silence:
            decision.silence = true;
            break;
        case SimFault::Drop:
            decision.drop = true;
            decision.dropMs = std::max(decision.dropMs, std::max(0, rule.pauseMs));
            break;
        case SimFault::Mixed:
            break;
        }
    }
    return decision;
}
