// A design tick drawn on the real surface: the pixels land where the recipe
// puts them.

#include "design/DesignTick.h"

#include "DesignTestSupport.h"
#include "Fakes.h"
#include "core/Random.h"
#include "design/TickRules.h"
#include "drawing/StarPolygon.h"
#include "engine/RasterSurface.h"

#include <gtest/gtest.h>

using namespace lh;
using namespace lh::design;

namespace {

Rgb pixelAt(const QImage& img, int x, int y)
{
    const QRgb p = img.pixel(x, y);
    return rgb(qRed(p), qGreen(p), qBlue(p));
}

int countColour(const QImage& img, const QRect& area, Rgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += pixelAt(img, x, y) == colour ? 1 : 0;
    return n;
}

}   // namespace

TEST(DesignOnSurface, BackgroundStarsRingsAndSerialLineShowWhereTheRecipePutsThem)
{
    // Draws: background, seven layers (the first a 5-point star), text colour, serial line.
    std::vector<float> draws = {0.1f, 0.2f, 0.3f};
    for (int layer = 0; layer < 7; ++layer) {
        draws.push_back(layer == 0 ? 5.0f / 99.0f : 0.5f);
        draws.push_back(0.9f);
        draws.push_back(0.05f * static_cast<float>(layer));
        draws.push_back(0.4f);
    }
    for (float u : {0.95f, 0.95f, 0.05f, 0.5f, 0.1f, 0.1f, 0.1f})
        draws.push_back(u);
    ASSERT_EQ(draws.size(), 38u);

    RasterSurface surface(857, 857);
    ScriptedRandom random(draws);
    test::FakeDesignHost host = test::FakeDesignHost::categoryWindow(11);
    host.texts[QStringLiteral("Combo1")] = QStringLiteral("1");
    host.texts[QStringLiteral("Combo2")] = QStringLiteral("13");
    test::FixedClock clock;
    DesignTick tick(recipeForCategory(11), surface, random, host, clock);
    ASSERT_TRUE(tick.run());
    ASSERT_EQ(random.count(), 38u);

    const QImage img = surface.image();
    const Rgb background = rgb(randomChannel(0.1f), randomChannel(0.2f), randomChannel(0.3f));
    const Rgb firstLayer = rgb(randomChannel(0.9f), 0, randomChannel(0.4f));
    const Rgb text = rgb(randomChannel(0.95f), randomChannel(0.95f), randomChannel(0.05f));

    EXPECT_EQ(pixelAt(img, 2, 850), background);
    EXPECT_EQ(pixelAt(img, 850, 850), background);
    // Every vertex of the outer five-pointed star carries its colour.
    const auto outerStar = drawing::starPolygons(1450, 1450, 10000, 10000, 5);
    for (const DevicePoint& p : outerStar[0])
        EXPECT_EQ(pixelAt(img, p.x, p.y), firstLayer) << p.x << "," << p.y;

    // Serial line across the top; the three rings in the lower half and over the centre.
    EXPECT_GT(countColour(img, QRect(40, 0, 500, 30), text), 100);
    EXPECT_EQ(countColour(img, QRect(0, 40, 857, 60), text), 0);        // nothing between the line and the stars
    EXPECT_GT(countColour(img, QRect(200, 480, 457, 80), text), 100);   // ring 1 top at 0.6 of the height
    EXPECT_GT(countColour(img, QRect(250, 650, 357, 80), text), 100);   // ring 2 top at 0.8
    EXPECT_GT(countColour(img, QRect(250, 230, 357, 80), text), 100);   // ring 3 over the centre at 0.3
}
