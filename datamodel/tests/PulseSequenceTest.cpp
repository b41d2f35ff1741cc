// Following the pulse indexes: a pulse fetched twice is taken once.
#include "PulseSequence.h"

#include <gtest/gtest.h>

namespace {

struct SequenceCase {
    const char* name;
    std::vector<long> indexes;
    std::vector<int> taken;
    int64_t repeats, restarts, skipped;
};

class PulseSequenceTest : public testing::TestWithParam<SequenceCase> {};

TEST_P(PulseSequenceTest, TakesEachPulseOnceAndCountsWhatItSaw)
{
    const SequenceCase& c = GetParam();
    CPulseSequence sequence;
    std::vector<int> taken;
    for (long index : c.indexes)
        taken.push_back(sequence.Accept(index));
    EXPECT_EQ(taken, c.taken);
    EXPECT_EQ(sequence.GetRepeats(), c.repeats);
    EXPECT_EQ(sequence.GetRestarts(), c.restarts);
    EXPECT_EQ(sequence.GetSkipped(), c.skipped);
    EXPECT_EQ(sequence.GetAccepted(), std::count(c.taken.begin(), c.taken.end(), 1));
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, PulseSequenceTest,
    testing::Values(SequenceCase{"EveryIndexOnce", {1, 2, 3}, {1, 1, 1}, 0, 0, 0},
                    SequenceCase{"FirstPulseMayHaveIndexZero", {0, 1}, {1, 1}, 0, 0, 0},
                    SequenceCase{"RepeatsRefused", {5, 5, 5, 6, 6}, {1, 0, 0, 1, 0}, 3, 0, 0},
                    SequenceCase{"GapsCounted", {10, 13, 14, 20}, {1, 1, 1, 1}, 0, 0, 7},
                    SequenceCase{
                        "RestartTakenAndCounted", {7, 8, 1, 2, 2}, {1, 1, 1, 1, 0}, 1, 1, 0},
                    SequenceCase{"SameIndexAfterOthersIsNew", {3, 4, 3}, {1, 1, 1}, 0, 1, 0}),
    [](const testing::TestParamInfo<SequenceCase>& info) { return std::string(info.param.name); });

TEST(PulseSequence, ResetForgetsTheLastIndex)
{
    CPulseSequence sequence;
    sequence.Accept(4);
    sequence.Reset();
    EXPECT_FALSE(sequence.HasLast());
    EXPECT_EQ(sequence.Accept(4), 1);
    EXPECT_EQ(sequence.GetAccepted(), 1);
}

} // namespace
