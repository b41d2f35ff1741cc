// Float arrays, sampled functions, the pulse shape and the file utilities.

#include "BaseDVPulse.h"
#include "FloatArray.h"
#include "Function.h"
#include "KLYNGenUtil.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

OFloatArray Filled(std::initializer_list<float> values)
{
    OFloatArray array;
    for (float v : values)
        array.Add(v);
    return array;
}

TEST(FloatArray, AddGrowsByHundredAndKeepsValues)
{
    OFloatArray array;
    for (int i = 0; i < 100; ++i)
        array.Add(static_cast<float>(i));
    EXPECT_EQ(array.GetAllocated(), 100);
    array.Add(100.0f);
    EXPECT_EQ(array.GetAllocated(), 200);
    EXPECT_EQ(array.GetSize(), 101);
    EXPECT_EQ(array.SizeOf(), 808);
    for (int i = 0; i <= 100; ++i)
        ASSERT_EQ(array.GetAt(i), static_cast<float>(i));
}

TEST(FloatArray, SetAtMovesTheCountToTheIndex)
{
    OFloatArray array = Filled({1, 2, 3});
    array.SetAt(5, 9.0f);
    EXPECT_EQ(array.GetSize(), 5);
    EXPECT_EQ(array.GetAt(5), 9.0f);
    array.SetAt(1, 7.0f);
    EXPECT_EQ(array.GetSize(), 5);
    EXPECT_EQ(array.GetAt(1), 7.0f);
}

TEST(FloatArray, IndexesOutsideTheBlockAreSafe)
{
    OFloatArray array = Filled({1, 2, 3});
    EXPECT_EQ(array.GetAt(-1), 0.0f);
    EXPECT_EQ(array.GetAt(100), 0.0f);
    array.SetAt(-1, 5.0f);
    EXPECT_EQ(array.GetSize(), 3);
    array.SetAt(250, 4.0f);
    EXPECT_GT(array.GetAllocated(), 250);
    EXPECT_EQ(array.GetAt(250), 4.0f);
    EXPECT_EQ(array.GetAt(2), 3.0f);
    EXPECT_EQ(array.GetSize(), 250);
}

TEST(FloatArray, CountOnlyEverShrinks)
{
    OFloatArray array = Filled({1, 2, 3, 4});
    array.SetLastUsedPoint(10);
    EXPECT_EQ(array.GetSize(), 4);
    array.SetLastUsedPoint(2);
    EXPECT_EQ(array.GetSize(), 2);
    array.SetLastUsedPoint(-3);
    EXPECT_EQ(array.GetSize(), 0);

    OFloatArray shrunk;
    for (int i = 0; i < 50; ++i)
        shrunk.Add(static_cast<float>(i));
    shrunk.SetSize(10);
    EXPECT_EQ(shrunk.GetSize(), 10);
    EXPECT_EQ(shrunk.GetAllocated(), 10);
    EXPECT_EQ(shrunk.GetAt(9), 9.0f);
    shrunk.SetSize(0, 7);
    EXPECT_EQ(shrunk.GetAllocated(), 10);
    EXPECT_EQ(shrunk.GetGrowBy(), 7);
}

TEST(FloatArray, CopiesAreIndependent)
{
    OFloatArray a = Filled({1, 2});
    OFloatArray b = a;
    b.SetAt(0, 5.0f);
    EXPECT_EQ(a.GetAt(0), 1.0f);
    a.InitVars();
    EXPECT_EQ(a.GetAllocated(), 0);
    EXPECT_EQ(b.GetAt(1), 2.0f);
}

TEST(FloatArray, SerializeStoresAllocationCountAndUsedValues)
{
    OFloatArray array(200);
    array.Add(1.5f);
    array.Add(-2.0f);
    array.Add(0.1f);
    std::vector<uint8_t> bytes;
    le::Writer w(bytes);
    array.Serialize(w);
    ASSERT_EQ(bytes.size(), 20u);
    EXPECT_EQ(le::GetI32(&bytes[0]), 200);
    EXPECT_EQ(le::GetI32(&bytes[4]), 3);
    EXPECT_EQ(le::GetF32(&bytes[16]), 0.1f);

    OFloatArray loaded;
    le::Reader r(bytes);
    ASSERT_EQ(loaded.Serialize(r), 1);
    EXPECT_EQ(r.Pos(), 20u);
    EXPECT_EQ(loaded.GetAllocated(), 200);
    EXPECT_EQ(loaded.GetSize(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(loaded.GetAt(i), array.GetAt(i));
}

struct HostileArray {
    const char* name;
    int32_t allocated;
    int32_t count;
    size_t value_bytes;
};

class HostileArrayImage : public ::testing::TestWithParam<HostileArray> {};

TEST_P(HostileArrayImage, FailsAndLeavesTheArrayAlone)
{
    std::vector<uint8_t> bytes;
    le::Writer w(bytes);
    w.I32(GetParam().allocated);
    w.I32(GetParam().count);
    w.Zeros(GetParam().value_bytes);

    OFloatArray array = Filled({4, 5});
    le::Reader r(bytes);
    EXPECT_EQ(array.Serialize(r), 0);
    EXPECT_EQ(array.GetSize(), 2);
    EXPECT_EQ(array.GetAt(1), 5.0f);
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileArrayImage,
                         ::testing::Values(HostileArray{"NegativeCount", 10, -1, 0},
                                           HostileArray{"NegativeAllocation", -5, 1, 4},
                                           HostileArray{"CountBeyondBytes", 10, 4, 12},
                                           HostileArray{"HugeCount", 10, 0x7FFFFFFF, 8}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FloatArray, UnbackedAllocationIsBounded)
{
    std::vector<uint8_t> bytes;
    le::Writer w(bytes);
    w.I32(0x7FFFFFFF);
    w.I32(1);
    w.F32(3.0f);
    OFloatArray array;
    le::Reader r(bytes);
    ASSERT_EQ(array.Serialize(r), 1);
    EXPECT_EQ(array.GetAllocated(), OFloatArray::kMaxLoadedReserve);
    EXPECT_EQ(array.GetAt(0), 3.0f);
}

// Opens the protected integration steps for direct checks.
class SampledFunction : public OFunction {
public:
    explicit SampledFunction(std::function<float(float)> f, int samples, float step = 1.0f)
        : OFunction(new OFloatArray, new OFloatArray)
    {
        for (int i = 0; i < samples; ++i) {
            GetXValues()->Add(step * static_cast<float>(i));
            GetyValues()->Add(f(step * static_cast<float>(i)));
        }
    }
    using OFunction::CompositeSimpsonsRule;
    using OFunction::GetPoint;
};

float Square(float x)
{
    return x * x;
}
float Line(float x)
{
    return 2.0f * x + 1.0f;
}

TEST(Function, SimpsonOverEvenAndOddIntervalCounts)
{
    SampledFunction f(Square, 5);
    EXPECT_FLOAT_EQ(f.CompositeSimpsonsRule(0, 4), 64.0f / 3.0f);
    EXPECT_FLOAT_EQ(f.CompositeSimpsonsRule(0, 3), 8.0f / 3.0f + 6.5f);
    EXPECT_FLOAT_EQ(f.CompositeSimpsonsRule(2, 3), 6.5f);
    EXPECT_EQ(f.CompositeSimpsonsRule(2, 2), 0.0f);
    EXPECT_EQ(f.CompositeSimpsonsRule(3, 1), 0.0f);
    EXPECT_EQ(f.CompositeSimpsonsRule(0, 5), 0.0f);
}

TEST(Function, GetPointNamesOnlyExistingSamples)
{
    SampledFunction f(Square, 5);
    const OFunctionPoint last = f.GetPoint(4);
    EXPECT_EQ(last.GetyValue(), 16.0f);
    EXPECT_EQ(last.GetLeftIndex(), 3);
    EXPECT_EQ(last.GetRightIndex(), -1);
    EXPECT_EQ(f.GetPoint(0).GetLeftIndex(), -1);
    EXPECT_EQ(f.GetPoint(5), OFunctionPoint());
    EXPECT_EQ(f.GetPoint(-1), OFunctionPoint());
}

TEST(Function, EvaluateAtInterpolatesInTheUnitsOfX)
{
    SampledFunction f(Line, 11, 0.1f);
    const OFunctionPoint p = f.EvaluateAt(0.25f);
    EXPECT_NEAR(p.GetyValue(), 1.5f, 1e-5);
    EXPECT_EQ(p.GetLeftIndex(), 2);
    EXPECT_EQ(p.GetRightIndex(), 3);
    EXPECT_FLOAT_EQ(f.EvaluateAt(0.0f).GetyValue(), 1.0f);
    EXPECT_NEAR(f.EvaluateAt(-0.5f).GetyValue(), 0.0f, 1e-5);
    EXPECT_EQ(f.EvaluateAt(1.5f), OFunctionPoint());
}

TEST(Function, EmptyFunctionEvaluatesAndIntegratesToNothing)
{
    OFunction empty;
    EXPECT_EQ(empty.EvaluateAt(1.0f), OFunctionPoint());
    EXPECT_EQ(empty.Integrate(0.0f, 1.0f), 0.0f);
    OFunction no_samples(new OFloatArray, new OFloatArray);
    EXPECT_EQ(no_samples.Integrate(0.0f, 1.0f), 0.0f);
}

struct IntegralCase {
    const char* name;
    float a;
    float b;
    float expected;
};

class LinearIntegral : public ::testing::TestWithParam<IntegralCase> {};

// y = 2x + 1 sampled at 0, 1, ..., 10; its integral is x^2 + x.
TEST_P(LinearIntegral, MatchesTheExactIntegral)
{
    SampledFunction f(Line, 11);
    EXPECT_NEAR(f.Integrate(GetParam().a, GetParam().b), GetParam().expected, 1e-4);
}

INSTANTIATE_TEST_SUITE_P(Ranges, LinearIntegral,
                         ::testing::Values(IntegralCase{"SubRange", 2.5f, 7.5f, 55.0f},
                                           IntegralCase{"OnSamples", 2.0f, 6.0f, 36.0f},
                                           IntegralCase{"OddIntervals", 1.0f, 4.0f, 18.0f},
                                           IntegralCase{"InsideOneInterval", 2.25f, 2.75f, 3.0f},
                                           IntegralCase{"Reversed", 7.5f, 2.5f, -55.0f},
                                           IntegralCase{"PastTheEnd", 2.0f, 11.0f, 0.0f}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Function, OwningFunctionSurvivesSwappedAndSharedArrays)
{
    auto* x = new OFloatArray;
    auto* y = new OFloatArray;
    OFunction f(x, y);
    EXPECT_EQ(f.GetOwns(), 1);
    f.SetValues(y, x);
    EXPECT_EQ(f.GetXValues(), y);
    f.SetValues(x, x); // y is let go and freed; x is owned once
    f.SetValues(x, nullptr);
    EXPECT_EQ(f.GetXValues(), nullptr);
    EXPECT_EQ(f.GetyValues(), nullptr);

    OFloatArray kept;
    OFunction borrowed(&kept, nullptr);
    EXPECT_EQ(borrowed.GetOwns(), 0);
    EXPECT_EQ(borrowed.GetXValues(), nullptr);
}

TEST(DVPulse, SampleIndexesAreBounded)
{
    CBaseDVPulse pulse;
    EXPECT_EQ(pulse.SetDataValue(0, 1), 0);
    pulse.SetNumberDataValues();
    EXPECT_EQ(pulse.GetNumberDataValues(), 250);
    EXPECT_EQ(pulse.GetSize(), 506);
    EXPECT_EQ(pulse.GetDataValue(250), 0xFFFFFFFFu);
    EXPECT_EQ(pulse.SetDataValue(250, 1), 0);
    EXPECT_EQ(pulse.GetDataValue(-1), 0xFFFFFFFFu);
    EXPECT_EQ(pulse.SetDataValue(249, 77), 1);
    EXPECT_EQ(pulse.GetDataValue(249), 77u);
}

TEST(DVPulse, PulseArraysAreTheFunction)
{
    OFloatArray x = Filled({0.0f, 0.1f, 0.2f});
    OFloatArray y = Filled({10, 20, 30});
    CBaseDVPulse pulse;
    EXPECT_EQ(pulse.GetyValue(1), 0.0f);
    pulse.SetPulseArrays(&x, &y);
    EXPECT_EQ(pulse.GetyValue(1), 20.0f);
    EXPECT_NEAR(pulse.EvaluateAt(0.15f).GetyValue(), 25.0f, 1e-4);
    EXPECT_EQ(pulse.GetOwns(), 0);
}

TEST(GenUtil, MissingAndExistingFiles)
{
    CTempDir dir;
    const std::string missing = dir.File("missing.KLYN");
    EXPECT_EQ(CKLYNGenUtil::GetFileSize(missing), -1);
    EXPECT_EQ(CKLYNGenUtil::CheckFileExist(missing), 0);
    EXPECT_EQ(CKLYNGenUtil::GetDiskFree(missing), 0u);

    const std::string present = dir.File("run.KLYN");
    WriteBytes(present, {1, 2, 3, 4, 5});
    EXPECT_EQ(CKLYNGenUtil::GetFileSize(present), 5);
    EXPECT_EQ(CKLYNGenUtil::CheckFileExist(present), 1);
    EXPECT_GT(CKLYNGenUtil::GetDiskFree64(dir.Path()), 0u);
}

TEST(GenUtil, FreeSpaceSaturatesAtFourGibibytes)
{
    EXPECT_EQ(CKLYNGenUtil::SaturateToU32(123), 123u);
    EXPECT_EQ(CKLYNGenUtil::SaturateToU32(0xFFFFFFFFull), 0xFFFFFFFFu);
    EXPECT_EQ(CKLYNGenUtil::SaturateToU32(0x100000000ull), 0xFFFFFFFFu);
    EXPECT_EQ(CKLYNGenUtil::SaturateToU32(5ull << 30), 0xFFFFFFFFu);
}

} // namespace
