#include "files/parameter_table.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace morvelan;

namespace {

AnalysisParameters resetValues()
{
    AnalysisParameters p;
    ResetParameters(p);
    return p;
}

} // namespace

// Each range: the values just outside fail, its bounds pass.
TEST(ParameterRanges, BoundsAreInclusive)
{
    struct Case {
        ParameterField field;
        RangeSet ranges;
        std::int64_t lo, hi;
    };
    const Case cases[] = {
        {ParameterField::StartSyncInterval, RangeSet::Classic, 100, 2000},
        {ParameterField::StartSyncInterval, RangeSet::Extended, 16, 65536},
        {ParameterField::EndSyncInterval, RangeSet::Extended, 16, 65536},
        {ParameterField::AllowErrBits, RangeSet::Classic, 0, 15},
        {ParameterField::IgnoreStartBits, RangeSet::Classic, 0, 100},
        {ParameterField::FrameRounds, RangeSet::Classic, 5, 200},
        {ParameterField::BufSize, RangeSet::Classic, 50000, INT32_MAX},
        {ParameterField::Threshold, RangeSet::Classic, 2, 20}, // up to FRAME_ROUNDS
    };
    const AnalysisParameters p = resetValues();
    for (const Case& c : cases) {
        const std::string where = std::string(entryOf(c.field).iniKey) + " " + std::to_string(c.lo);
        const auto in = [&](std::int64_t v) { return isInRange(c.field, static_cast<std::int32_t>(v), p, c.ranges); };
        EXPECT_FALSE(in(c.lo - 1)) << where;
        EXPECT_TRUE(in(c.lo)) << where;
        EXPECT_TRUE(in(c.hi)) << where;
        if (c.hi < INT32_MAX) {
            EXPECT_FALSE(in(c.hi + 1)) << where;
        }
    }
    for (int v = -8; v <= 72; ++v)
        EXPECT_EQ(isInRange(ParameterField::SyncBitSize, v, p), v >= 4 && v <= 64 && v % 4 == 0) << v;
}

TEST(ParameterRanges, EndIntervalTimesFramesMustFitTheBuffer)
{
    AnalysisParameters p = resetValues(); // 20 frames, 300000 bits
    const auto fits = [&](std::int32_t end) { return isInRange(ParameterField::EndSyncInterval, end, p); };
    EXPECT_TRUE(fits(15000));
    EXPECT_FALSE(fits(15001));
    EXPECT_TRUE(fits(1));
    // The product is exact: a 32-bit product would wrap round to a small number.
    p.FRAME_ROUNDS = 2;
    p.BUF_SIZE = INT32_MAX;
    EXPECT_FALSE(fits(INT32_MAX));
    p.FRAME_ROUNDS = 65536;
    p.BUF_SIZE = 50000;
    EXPECT_FALSE(fits(65536));
}

// Keys, fields and options name one parameter each: a copy-and-paste slip
// in the table would make two of them read or show the same value.
TEST(ParameterTable, EveryNameAndMemberBelongsToOneParameter)
{
    const auto& table = parameterTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(static_cast<std::size_t>(table[i].field), i);
        for (std::size_t j = i + 1; j < table.size(); ++j) {
            EXPECT_NE(table[i].member, table[j].member) << i << " " << j;
            EXPECT_NE(table[i].iniKey, table[j].iniKey);
            EXPECT_NE(table[i].widget, table[j].widget);
            EXPECT_NE(table[i].option, table[j].option);
        }
    }
    EXPECT_EQ(settingsReadOrder().size(), kParameterCount);
    EXPECT_EQ(settingsSaveOrder().size(), kParameterCount);
}
