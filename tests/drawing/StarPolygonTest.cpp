#include "drawing/StarPolygon.h"

#include "RecordingSurface.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace lh;
using namespace lh::drawing;
using lh::test::RecordingSurface;
using Polys = std::vector<std::vector<DevicePoint>>;

TEST(PointOnEllipse, CompassPointsGoClockwiseFromTheTop)
{
    struct Case {
        double angle;
        std::int32_t x, y;
    };
    const Case cases[] = {
        {0, 6450, 1450},   {90, 11450, 6450}, {180, 6450, 11450}, {270, 1450, 6450},
        {360, 6450, 1450}, {-90, 1450, 6450}, {45, 9986, 2914},
    };
    for (const Case& c : cases) {
        std::int32_t x = -1, y = -1;
        PointOnEllipse(6450, 6450, c.angle, 5000, 5000, x, y);
        EXPECT_EQ(x, c.x) << c.angle;
        EXPECT_EQ(y, c.y) << c.angle;
    }
    // Radii differ: the point lies on the ellipse.
    std::int32_t x = 0, y = 0;
    PointOnEllipse(0, 0, 90, 300, 100, x, y);
    EXPECT_EQ(x, 300);
    EXPECT_EQ(y, 0);
    PointOnEllipse(0, 0, 0, 300, 100, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, -100);
}

TEST(PointOnEllipse, ResultBeyond32BitsFails)
{
    std::int32_t x = 0, y = 0;
    EXPECT_THROW(PointOnEllipse(2147483000, 0, 90, 5000, 5000, x, y), StepFailure);
}

TEST(StarShape, CountsDecomposeIntoCompounds)
{
    struct Case {
        int n, b, s, polygons;
    };
    const Case cases[] = {
        {-7, 3, 1, 1},  {0, 3, 1, 1},    {1, 3, 1, 1},    {2, 3, 1, 1},
        {3, 3, 1, 1},   {4, 4, 1, 1},   // one square rather than four one-vertex figures
        {5, 5, 2, 1},   {6, 3, 1, 2},    {7, 7, 3, 1},    {8, 4, 1, 2},
        {9, 9, 4, 1},   {10, 5, 2, 2},   {12, 3, 1, 4},   {16, 4, 1, 4},
        {20, 5, 2, 4},  {24, 3, 1, 8},   {32, 4, 1, 8},   {64, 4, 1, 16},
        {96, 3, 1, 32}, {98, 49, 24, 2}, {99, 99, 49, 1}, {32766, 16383, 8191, 2},
    };
    for (const Case& c : cases) {
        const StarShape s = starShape(c.n);
        EXPECT_EQ(s.b, c.b) << c.n;
        EXPECT_EQ(s.s, c.s) << c.n;
        EXPECT_EQ(s.polygonCount(), c.polygons) << c.n;
    }
}

TEST(StarPolygons, DevicePointsOfKnownBoxes)
{
    struct Case {
        std::int32_t left, top, width, height;
        int n;
        Polys expected;
    };
    const Case cases[] = {
        {1450, 1450, 10000, 10000, 5, {{{430, 97}, {626, 700}, {113, 327}, {747, 327}, {234, 700}}}},
        {1200, 1200, 3600, 3600, 5, {{{200, 80}, {271, 297}, {86, 163}, {314, 163}, {129, 297}}}},
        {1450, 1450, 10000, 10000, 6, {{{430, 97}, {719, 597}, {141, 597}}, {{719, 263}, {430, 763}, {141, 263}}}},
        {6200,
         6200,
         500,
         500,
         8,
         {{{430, 413}, {447, 430}, {430, 447}, {413, 430}}, {{442, 418}, {442, 442}, {418, 442}, {418, 418}}}},
        // Odd box: centre (5000, 3000), radii 5000 and 3000 after halves-to-even rounding.
        {0, 0, 10001, 6001, 3, {{{333, 0}, {622, 300}, {45, 300}}}},
        // Count 4: one square, first vertex straight above the centre.
        {6200, 6200, 500, 500, 4, {{{430, 413}, {447, 430}, {430, 447}, {413, 430}}}},
        // Stretched box: first vertex above the centre on the ellipse.
        {0, 0, 3000, 1500, 3, {{{100, 0}, {187, 75}, {13, 75}}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(starPolygons(c.left, c.top, c.width, c.height, c.n), c.expected) << c.n << " in " << c.width;
}

TEST(StarPolygons, CompoundVerticesAreTheNPointsEvenlySpaced)
{
    // The vertices of all polygons together are the n points 360/n apart.
    for (int n : {12, 16, 20, 24, 64, 96, 98}) {
        const Polys all = starPolygons(0, 0, 30000, 30000, n);
        std::vector<DevicePoint> expected;
        for (int i = 0; i < n; ++i) {
            std::int32_t x = 0, y = 0;
            PointOnEllipse(15000, 15000, 360.0 * i / n, 15000, 15000, x, y);
            expected.push_back({toInt32(x / 15.0), toInt32(y / 15.0)});
        }
        std::vector<DevicePoint> got;
        for (const auto& p : all)
            got.insert(got.end(), p.begin(), p.end());
        auto less = [](DevicePoint a, DevicePoint b) { return a.x != b.x ? a.x < b.x : a.y < b.y; };
        std::sort(got.begin(), got.end(), less);
        std::sort(expected.begin(), expected.end(), less);
        EXPECT_EQ(got, expected) << n;
    }
}

TEST(DrawStarPolygon, SmallCountsAreRaisedToThree)
{
    for (std::int16_t n : {std::int16_t(-32768), std::int16_t(-1), std::int16_t(0), std::int16_t(1), std::int16_t(2)}) {
        RecordingSurface s;
        std::int16_t count = n;
        count = DrawStarPolygon(s, 1450, 1450, 10000, 10000, count, 0, rgb(1, 2, 3));
        EXPECT_EQ(count, 3) << n;
        const auto polys = s.callsOf(RecordingSurface::Kind::Polygon);
        ASSERT_EQ(polys.size(), 1u) << n;
        EXPECT_EQ(polys[0]->points, (std::vector<DevicePoint>{{430, 97}, {719, 597}, {141, 597}}));
    }
}

TEST(DrawStarPolygon, DrawsEachPolygonInTheColourAndRestoresForeColor)
{
    RecordingSurface s;
    s.setForeColor(rgb(9, 9, 9));
    s.setDrawWidth(20);
    s.setDrawMode(7);
    s.reset();
    std::int16_t count = 16;
    const Rgb colour = rgb(200, 10, 30);
    count = DrawStarPolygon(s, 1450, 1450, 10000, 10000, count, 0, colour);

    EXPECT_EQ(count, 16);
    const Polys expected = starPolygons(1450, 1450, 10000, 10000, 16);
    const auto polys = s.callsOf(RecordingSurface::Kind::Polygon);
    ASSERT_EQ(polys.size(), expected.size());
    for (std::size_t i = 0; i < polys.size(); ++i) {
        EXPECT_EQ(polys[i]->points, expected[i]);
        EXPECT_EQ(polys[i]->foreColor, colour);
        EXPECT_EQ(polys[i]->drawWidth, 20);   // the routine never touches the pen settings
        EXPECT_EQ(polys[i]->drawMode, 7);
    }
    EXPECT_TRUE(s.callsOf(RecordingSurface::Kind::FillPolygon).empty());
    EXPECT_EQ(s.foreColor(), rgb(9, 9, 9));
}

TEST(DrawStarPolygon, FillFlagFillsEveryPolygonAfterItsOutline)
{
    RecordingSurface s;
    std::int16_t count = 10;
    count = DrawStarPolygon(s, 1450, 1450, 10000, 10000, count, 1, rgb(5, 6, 7));
    std::vector<RecordingSurface::Kind> kinds;
    for (const auto& c : s.calls)
        if (c.kind == RecordingSurface::Kind::Polygon || c.kind == RecordingSurface::Kind::FillPolygon)
            kinds.push_back(c.kind);
    using K = RecordingSurface::Kind;
    EXPECT_EQ(kinds, (std::vector<K>{K::Polygon, K::FillPolygon, K::Polygon, K::FillPolygon}));
    for (const auto* f : s.callsOf(K::FillPolygon))
        EXPECT_EQ(f->colour, rgb(5, 6, 7));
}

TEST(DrawStarPolygon, FailureMidwayKeepsDrawnPolygonsAndLeavesTheColour)
{
    RecordingSurface s;
    s.setForeColor(rgb(1, 1, 1));
    s.failPolygonAt = 3;
    std::int16_t count = 16;   // four squares; the third fails
    EXPECT_THROW(DrawStarPolygon(s, 1450, 1450, 10000, 10000, count, 0, rgb(50, 60, 70)), StepFailure);
    EXPECT_EQ(s.callsOf(RecordingSurface::Kind::Polygon).size(), 2u);
    EXPECT_EQ(s.foreColor(), rgb(50, 60, 70));
}

TEST(DrawStarPolygon, OddCountsBeyondTheVertexIndexFailCleanly)
{
    // 21845 is the largest odd count whose vertex index stays in 16 bits.
    {
        RecordingSurface s;
        std::int16_t count = 21845;
        count = DrawStarPolygon(s, 1450, 1450, 10000, 10000, count, 0, rgb(1, 2, 3));
        const auto polys = s.callsOf(RecordingSurface::Kind::Polygon);
        ASSERT_EQ(polys.size(), 1u);
        EXPECT_EQ(polys[0]->points.size(), 21845u);
    }
    for (std::int16_t n : {std::int16_t(21847), std::int16_t(32767)}) {
        RecordingSurface s;
        s.setForeColor(rgb(1, 1, 1));
        std::int16_t count = n;
        EXPECT_THROW(DrawStarPolygon(s, 1450, 1450, 10000, 10000, count, 0, rgb(4, 5, 6)), StepFailure) << n;
        EXPECT_TRUE(s.callsOf(RecordingSurface::Kind::Polygon).empty()) << n;
        EXPECT_EQ(s.foreColor(), rgb(4, 5, 6)) << n;
    }
    // Even counts that large decompose into small bases and draw.
    RecordingSurface s;
    std::int16_t count = 32766;
    count = DrawStarPolygon(s, 1450, 1450, 10000, 10000, count, 0, rgb(1, 2, 3));
    EXPECT_EQ(s.callsOf(RecordingSurface::Kind::Polygon).size(), 2u);
}

TEST(DrawStarPolygon, BoxBeyond32BitsFailsWithoutDrawing)
{
    RecordingSurface s;
    std::int16_t count = 5;
    EXPECT_THROW(DrawStarPolygon(s, 2147483600, 0, 2000, 2000, count, 0, rgb(1, 2, 3)), StepFailure);
    EXPECT_TRUE(s.callsOf(RecordingSurface::Kind::Polygon).empty());
}

// A designer keeps the polygons of its boxes and counts: drawn from the
// cache, first time and again, a star makes the very calls it makes without
// one, and a star that fails leaves nothing in the cache.
TEST(DrawStarPolygon, FromTheCacheTheSameCallsAsWithout)
{
    struct Case {
        std::int32_t left, top, width, height;
        std::int16_t count, fill;
    };
    const Case cases[] = {
        {1450, 1450, 10000, 10000, 5, 0}, {1450, 1450, 10000, 10000, 16, 0}, {0, 0, 12855, 9000, 99, 0},
        {300, 700, 4000, 2500, 48, 1},    {1450, 1450, 10000, 10000, 2, 0},  {-9000, 200, 30000, 30000, 24, 0},
    };
    StarPolygonCache cache;
    using K = RecordingSurface::Kind;
    for (int round = 0; round < 2; ++round) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "count " << c.count << ", round " << round);
            RecordingSurface plain, cached;
            std::int16_t a = c.count, b = c.count;
            a = DrawStarPolygon(plain, c.left, c.top, c.width, c.height, a, c.fill, rgb(10, 20, 30));
            b = DrawStarPolygon(cached, c.left, c.top, c.width, c.height, b, c.fill, rgb(10, 20, 30), &cache);
            EXPECT_EQ(a, b);
            ASSERT_EQ(plain.calls.size(), cached.calls.size());
            ASSERT_FALSE(plain.callsOf(K::Polygon).empty());
            for (std::size_t i = 0; i < plain.calls.size(); ++i) {
                EXPECT_EQ(plain.calls[i].kind, cached.calls[i].kind) << i;
                EXPECT_EQ(plain.calls[i].points, cached.calls[i].points) << i;
            }
            EXPECT_EQ(plain.foreColor(), cached.foreColor());
        }
        EXPECT_EQ(cache.size(), std::size(cases));
    }

    // Failures: nothing drawn, nothing kept.
    for (const Case& c : {Case{1450, 1450, 10000, 10000, 21847, 0}, Case{2147483600, 0, 2000, 2000, 5, 0}}) {
        RecordingSurface s;
        std::int16_t count = c.count;
        EXPECT_THROW(DrawStarPolygon(s, c.left, c.top, c.width, c.height, count, 0, rgb(4, 5, 6), &cache), StepFailure);
        EXPECT_TRUE(s.callsOf(K::Polygon).empty());
        EXPECT_EQ(s.foreColor(), rgb(4, 5, 6));
        EXPECT_EQ(cache.size(), std::size(cases));
    }
    // A surface that fails midway keeps what was drawn before, as without a cache.
    RecordingSurface failing;
    failing.failPolygonAt = 3;
    std::int16_t count = 16;
    EXPECT_THROW(DrawStarPolygon(failing, 1450, 1450, 10000, 10000, count, 0, rgb(50, 60, 70), &cache), StepFailure);
    EXPECT_EQ(failing.callsOf(K::Polygon).size(), 2u);
    EXPECT_EQ(failing.foreColor(), rgb(50, 60, 70));

    // Past its size the cache starts afresh and still gives the right points.
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(StarPolygonCache::kMaxEntries) + 10; ++i) {
        const StarGeometry g = starGeometry(15 * i, 0, 3000, 3000, 7, kTwipsPerPixel, kTwipsPerPixel);
        const auto& kept = cache.polygons(g);
        ASSERT_LE(cache.size(), StarPolygonCache::kMaxEntries);
        if (i % 1000 == 7) {
            EXPECT_EQ(kept, starPolygons(15 * i, 0, 3000, 3000, 7)) << i;
        }
    }
}
