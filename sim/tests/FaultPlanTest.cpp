// Which replies a fault rule strikes.
#include "FaultPlan.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The replies (1-based) that the rule strikes among `replies` requests of `command`,
// with requests of another command interleaved.
std::string Struck(const CSimFaultRule& rule, uint8_t command, int replies)
{
    CFaultPlan plan;
    plan.AddRule(rule);
    std::string struck;
    for (int i = 1; i <= replies; ++i) {
        plan.Decide(static_cast<uint8_t>(command ^ 0x7F)); // unrelated traffic
        if (plan.Decide(command).Any())
            struck += std::to_string(i) + " ";
    }
    return struck;
}

CSimFaultRule Rule(int count, int every, int command)
{
    CSimFaultRule rule;
    rule.kind = SimFault::BadCrc;
    rule.count = count;
    rule.every = every;
    rule.command = command;
    return rule;
}

TEST(FaultPlan, RulesStrikeTheNextNTheEveryKthOrAllOfOneCommand)
{
    EXPECT_EQ(Struck(Rule(2, 0, 0x40), 0x40, 5), "1 2 ");
    EXPECT_EQ(Struck(Rule(0, 3, 0x40), 0x40, 7), "3 6 ");
    EXPECT_EQ(Struck(Rule(1, 2, 0x40), 0x40, 7), "2 ");
    EXPECT_EQ(Struck(Rule(0, 0, 0x40), 0x40, 3), "1 2 3 ");
    // Without a command filter the unrelated traffic counts too.
    EXPECT_EQ(Struck(Rule(0, 2, -1), 0x40, 3), "1 2 3 ");
}

TEST(FaultPlan, CombinesFaultsCountsThemAndForgetsRemovedRules)
{
    CFaultPlan plan;
    CSimFaultRule split;
    split.kind = SimFault::Split;
    split.pauseMs = 150;
    split.splitAt = 4;
    CSimFaultRule garbage;
    garbage.kind = SimFault::Garbage;
    garbage.garbageBytes = 3;
    const int splitId = plan.AddRule(split);
    plan.AddRule(garbage);
    auto decision = plan.Decide(0x01);
    EXPECT_TRUE(decision.split);
    EXPECT_EQ(decision.splitAt, 4);
    EXPECT_EQ(decision.pauseMs, 150);
    EXPECT_EQ(decision.garbageBytes, 3);
    EXPECT_FALSE(decision.silence || decision.drop || decision.badCrc || decision.wrongCode);

    plan.RemoveRule(splitId);
    decision = plan.Decide(0x01);
    EXPECT_FALSE(decision.split);
    EXPECT_EQ(plan.Count(SimFault::Split), 1u);
    EXPECT_EQ(plan.Count(SimFault::Garbage), 2u);
    plan.Clear();
    EXPECT_FALSE(plan.Decide(0x01).Any());
}

TEST(FaultPlan, AMixedRuleAppliesEveryKindInTurnAndCountsWhatItApplied)
{
    CFaultPlan plan;
    CSimFaultRule mixed;
    mixed.kind = SimFault::Mixed;
    mixed.every = 2;
    plan.AddRule(mixed);
    std::string applied;
    for (int i = 0; i < 14; ++i) {
        const CFaultPlan::CDecision d = plan.Decide(0x01);
        if (!d.Any())
            continue;
        applied += std::string(d.split ? "S" : "") + (d.garbageBytes > 0 ? "G" : "") +
                   (d.badCrc ? "C" : "") + (d.wrongCode ? "W" : "") + (d.silence ? "Q" : "") + " ";
    }
    EXPECT_EQ(applied, "S G C W Q SG S ");
    EXPECT_EQ(plan.Count(SimFault::Split), 3u);
    EXPECT_EQ(plan.Count(SimFault::Garbage), 2u);
    EXPECT_EQ(plan.Count(SimFault::Mixed), 0u) << "counted under the kinds applied";
    EXPECT_STREQ(SimFaultName(SimFault::Mixed), "mixed");
    EXPECT_STREQ(SimFaultName(SimFault::BadCrc), "bad CRC");
}

} // namespace
