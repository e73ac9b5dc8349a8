#include "forms/Twips.h"

#include <gtest/gtest.h>

using namespace lh::forms;

TEST(Twips, BecomePixelsRoundingHalvesToEvenEachSideOnItsOwn)
{
    const struct {
        double twips;
        int pixels;
    } cases[] = {
        {22, 1}, {-22, -1}, {37, 2}, {38, 3}, {7.5, 0}, {22.5, 2}, {12915, 861}, {1e30, 16777215}, {-1e30, -16777215},
    };
    for (const auto& c : cases)
        EXPECT_EQ(twipsToPixels(c.twips), c.pixels) << c.twips;
    EXPECT_EQ(twipsRect(12930, -60, 3855, 3885), QRect(862, -4, 257, 259));
    EXPECT_EQ(twipsRect(5195, 5195, 2525, 2525), QRect(346, 346, 168, 168));
}
