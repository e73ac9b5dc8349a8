#include "design/TickRules.h"

#include <gtest/gtest.h>

using namespace lh::design;

TEST(SingleToText, SevenSignificantDigitsNoLeadingBlank)
{
    const struct {
        float in;
        const char* out;
    } cases[] = {
        {0.0f, "0"},
        {1.0f, "1"},
        {12.5f, "12.5"},
        {98.99999f, "98.99999"},
        {33.333333f, "33.33333"},
        {0.25f, "0.25"},
        {-2.5f, "-2.5"},
        {0.0001234567f, "0.0001234567"},
        {0.000001234567f, "1.234567E-06"},
        {12345678.0f, "1.234568E+07"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(singleToText(c.in).toStdString(), c.out) << c.in;
}

TEST(RandomChannel, RoundsHalvesToEvenAndStaysWithin230)
{
    EXPECT_EQ(randomChannel(0.0f), 0);
    EXPECT_EQ(randomChannel(0.5f), 115);
    EXPECT_EQ(randomChannel(0.99999994f), 230);
}
