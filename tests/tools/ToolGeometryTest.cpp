#include "tools/ToolGeometry.h"

#include <gtest/gtest.h>

using namespace lh::tools;

TEST(Zoom, PictureOpensAtItsOwnSizeInTwips)
{
    const ZoomSize s = zoomSizeOfPicture(400, 300);
    EXPECT_EQ(s.width, 6000.0f);
    EXPECT_EQ(s.height, 4500.0f);
    EXPECT_EQ(twipsToPixels(s.width), 400);
    EXPECT_EQ(twipsToPixels(s.height), 300);
}

TEST(Zoom, EnlargeThenReduceLeavesFifteenSixteenths)
{
    const ZoomSize start{6000.0f, 4500.0f};
    const ZoomSize back = reduce(enlarge(start));
    EXPECT_EQ(back.width, 5625.0f);   // 6000 * 0.9375
    EXPECT_EQ(back.height, 4218.75f);
    EXPECT_EQ(enlarge(start).width, 7500.0f);
    EXPECT_EQ(reduce(start).width, 4500.0f);
}

TEST(Zoom, StepsAreStoredInSinglePrecision)
{
    // 1/3 is not exact in float; the step is done in double and stored as float.
    const ZoomSize s{1.0f / 3.0f, 0.1f};
    const ZoomSize e = enlarge(s);
    EXPECT_EQ(e.width, float(double(1.0f / 3.0f) * 1.25));
    EXPECT_EQ(e.height, float(double(0.1f) * 1.25));
}

TEST(Zoom, MessageStartsWithTheFirstWidthBelowFifty)
{
    // 150 -> 112.5 -> 84.375 -> 63.28125 -> 47.4609375 (first below 50) -> 35.6
    ZoomSize s{150.0f, 150.0f};
    std::vector<bool> messages;
    for (int i = 0; i < 6; ++i) {
        s = reduce(s);
        messages.push_back(tooSmall(s));
    }
    EXPECT_EQ(messages, (std::vector<bool>{false, false, false, true, true, true}));
    EXPECT_FALSE(tooSmall(ZoomSize{50.0f, 1.0f}));
    EXPECT_TRUE(tooSmall(ZoomSize{49.99f, 1000.0f}));
}

TEST(Zoom, HugeSizesClampToWhatAWidgetCanBe)
{
    ZoomSize s{6000.0f, 4500.0f};
    for (int i = 0; i < 400; ++i)
        s = enlarge(s);
    EXPECT_GT(twipsToPixels(s.width), 0);
    EXPECT_LE(twipsToPixels(s.width), 16777215);
}

TEST(ButtonRows, ZoomButtonsTouchAndEndTwoHundredTwipsFromTheRight)
{
    struct Case {
        int outer;
        std::array<int, 4> widths;
        std::array<int, 4> lefts;
    };
    const Case cases[] = {
        {14700, {1005, 1005, 1005, 1005}, {10480, 11485, 12490, 13495}},
        {24000, {1005, 1005, 1005, 1005}, {19780, 20785, 21790, 22795}},
        {3000, {1005, 1005, 1005, 1005}, {-1220, -215, 790, 1795}},   // narrow: the row runs off the left
        {9000, {600, 900, 1200, 1500}, {4600, 5200, 6100, 7300}},
    };
    for (const Case& c : cases) {
        const std::array<int, 4> got = zoomButtonLefts(c.outer, c.widths);
        EXPECT_EQ(got, c.lefts) << c.outer;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(got[i] + c.widths[i], got[i + 1]);
        EXPECT_EQ(got[3] + c.widths[3], c.outer - 200);
    }
}

TEST(ButtonRows, PrintButtonsStandTwoHundredTwipsFromTheRight)
{
    EXPECT_EQ(printButtonLeft(12375, 1275), 10900);
    EXPECT_EQ(printButtonLeft(24000, 1275), 22525);
    EXPECT_EQ(printButtonLeft(1000, 1275), -475);
}
