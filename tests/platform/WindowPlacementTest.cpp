// Where windows stand: inside the available area of their screen, and beside
// the window that opened them.

#include "platform/WindowPlacement.h"

#include <gtest/gtest.h>

using namespace lh;

namespace {

std::string text(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

}   // namespace

TEST(WindowPlacement, AFrameIsMovedAsLittleAsNeededToLieInsideTheArea)
{
    const QRect screen(0, 0, 1600, 1000);
    const QRect panelBelow(0, 0, 1600, 960);
    const QRect rightScreen(1600, 0, 1280, 1024);
    const struct {
        const char* label;
        QRect frame, area, expected;
    } cases[] = {
        {"inside stays", {100, 50, 400, 300}, screen, {100, 50, 400, 300}},
        {"touching the edges stays", {0, 0, 1600, 1000}, screen, {0, 0, 1600, 1000}},
        // The category window where the main window stood, moved right.
        {"past the right edge", {400, 30, 1429, 895}, screen, {171, 30, 1429, 895}},
        {"past the bottom edge", {100, 400, 900, 700}, screen, {100, 300, 900, 700}},
        {"past both", {1500, 900, 400, 300}, screen, {1200, 700, 400, 300}},
        {"above and left", {-50, -20, 400, 300}, screen, {0, 0, 400, 300}},
        {"under a panel", {0, 700, 400, 300}, panelBelow, {0, 660, 400, 300}},
        {"wider than the area: left edge", {300, 10, 1700, 400}, screen, {0, 10, 1700, 400}},
        {"taller than the area: top edge", {300, 200, 400, 1100}, screen, {300, 0, 400, 1100}},
        {"on a second screen", {2700, 100, 400, 300}, rightScreen, {2480, 100, 400, 300}},
        {"left of the second screen", {1500, 100, 400, 300}, rightScreen, {1600, 100, 400, 300}},
        {"an empty area changes nothing", {1500, 900, 400, 300}, QRect(), {1500, 900, 400, 300}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(text(keptInside(c.frame, c.area)), text(c.expected));
    }
}

TEST(WindowPlacement, AWindowStandsOnTheScreenOfItsCentreElseOfItsLargestPart)
{
    const QList<QRect> two = {QRect(0, 0, 1600, 1000), QRect(1600, 0, 1280, 1024)};
    const struct {
        const char* label;
        QList<QRect> areas;
        QRect frame;
        int expected;
    } cases[] = {
        {"centre on the first", two, {100, 100, 800, 600}, 0},
        {"centre on the second", two, {1700, 100, 800, 600}, 1},
        {"across both, centre on the second", two, {1200, 100, 1000, 600}, 1},
        // Its centre lies below the first screen, which holds most of it.
        {"centre below, most on the first", two, {100, 800, 1200, 500}, 0},
        {"centre below, most on the second", two, {1500, 990, 1200, 140}, 1},
        {"off every screen: the nearest", two, {3000, 2000, 100, 100}, 1},
        {"off every screen, left: the nearest", two, {-900, 100, 100, 100}, 0},
        {"no screen", {}, {0, 0, 100, 100}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(screenOf(c.frame, c.areas), c.expected);
    }
}

TEST(WindowPlacement, AWindowOpensBesideItsOpenerInsideTheArea)
{
    const QRect screen(0, 0, 1600, 1000);
    const struct {
        const char* label;
        QRect opener;
        QSize size;
        QRect expected;
    } cases[] = {
        {"right of it", {0, 0, 700, 837}, {857, 857}, {700, 0, 857, 857}},
        {"left of it where the right has no room", {800, 50, 700, 600}, {700, 500}, {100, 50, 700, 500}},
        // The main window at the corner and the gallery: the right side has
        // the room there is, and it covers no more of the opener than it must.
        {"neither fits: the right has more room", {0, 0, 1122, 837}, {940, 720}, {660, 0, 940, 720}},
        {"neither fits: the left has more room", {700, 0, 900, 837}, {857, 857}, {0, 0, 857, 857}},
        {"level with the opener, moved up to fit", {0, 400, 600, 500}, {600, 800}, {600, 200, 600, 800}},
        {"an opener off the screen", {1700, 0, 400, 300}, {400, 300}, {1200, 0, 400, 300}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(text(besideOf(c.opener, c.size, screen)), text(c.expected));
    }
}
