#include "core/Numeric.h"
#include "core/Random.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace lh;

TEST(Rounding, HalvesGoToTheEvenNeighbour)
{
    const struct {
        double in;
        std::int64_t out;
    } cases[] = {
        {0.5, 0},    {1.5, 2},    {2.5, 2},       {3.5, 4},       {-0.5, 0},  {-1.5, -2}, {-2.5, -2},
        {2.4999, 2}, {2.5001, 3}, {6457.5, 6458}, {6456.5, 6456}, {-3.7, -4}, {0.0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(roundHalfEven(c.in), c.out) << c.in;
}

TEST(Rounding, CheckedConversionsFailOutOfRange)
{
    EXPECT_EQ(toInt16(32767.4), 32767);
    EXPECT_EQ(toInt16(-32768.5), -32768);   // halves to even stay in range
    EXPECT_THROW(toInt16(32767.5), StepFailure);
    EXPECT_THROW(toInt16(-32769), StepFailure);
    EXPECT_EQ(toInt32(2147483647.0), 2147483647);
    EXPECT_THROW(toInt32(2147483647.5), StepFailure);
    EXPECT_THROW(toInt32(std::nan("")), StepFailure);
    EXPECT_THROW(toInt32(INFINITY), StepFailure);
}

TEST(ParseNumber, ReadsNumbersWithBlanksAndRejectsTheRest)
{
    EXPECT_DOUBLE_EQ(parseNumber(" 0.34"), 0.34);
    EXPECT_DOUBLE_EQ(parseNumber("90 "), 90.0);
    EXPECT_DOUBLE_EQ(parseNumber("-5"), -5.0);
    EXPECT_DOUBLE_EQ(parseNumber("1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(parseNumber(".5"), 0.5);
    for (const char* bad :
         {"", "   ", "abc", "RGB(230 * Rnd, 230 * Rnd, 230 * Rnd)", "1,5", "0x10", "inf", "nan", "12a", "--1"})
        EXPECT_THROW(parseNumber(QString::fromUtf8(bad)), StepFailure) << bad;
}

TEST(Colour, ValueAndChannels)
{
    EXPECT_EQ(rgb(255, 0, 0), 255u);
    EXPECT_EQ(rgb(0, 0, 64), 64u * 65536u);
    EXPECT_EQ(rgb(230, 230, 230), 15132390u);
    EXPECT_EQ(redOf(rgb(1, 2, 3)), 1);
    EXPECT_EQ(greenOf(rgb(1, 2, 3)), 2);
    EXPECT_EQ(blueOf(rgb(1, 2, 3)), 3);
}

TEST(Random, DrawsStayBelowOneAndScriptsRepeat)
{
    SeededRandom r(1234);
    for (int i = 0; i < 100000; ++i) {
        const float u = r.next();
        ASSERT_GE(u, 0.0f);
        ASSERT_LT(u, 1.0f);
    }
    ScriptedRandom s({0.1f, 0.2f});
    EXPECT_FLOAT_EQ(s.next(), 0.1f);
    EXPECT_FLOAT_EQ(s.next(), 0.2f);
    EXPECT_FLOAT_EQ(s.next(), 0.1f);
    EXPECT_EQ(s.count(), 3u);
    ScriptedRandom* installed = &s;
    RandomSource* previous = replaceProgramRandom(installed);
    EXPECT_EQ(&programRandom(), installed);
    replaceProgramRandom(previous);
    EXPECT_NE(&programRandom(), installed);
}
