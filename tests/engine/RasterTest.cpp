// The span rasterizer and the surface's pens, checked pixel for pixel
// against Qt's own aliased strokes with its raster-operation modes.
#include "engine/RasterSurface.h"
#include "engine/raster/PenRaster.h"
#include "engine/raster/TextMasks.h"

#include <QPainter>

#include <gtest/gtest.h>

#include "OutlineReference.h"
#include "TestImages.h"

#include <cmath>
#include <cstdio>
#include <random>

#include <sys/mman.h>
#include <unistd.h>
#include <vector>

using namespace lh;

namespace {

constexpr int kSide = 857;
const std::vector<DevicePoint> kFiveStar = {{430, 97}, {626, 700}, {113, 327}, {747, 327}, {234, 700}};

// The sharpest closed star of n points (n odd) on a circle, as the designs'
// largest layers draw it: every edge crosses almost every other.
// A background where every channel varies, so each raster operation leaves
// its own fingerprint.
QImage background() { return test::patterned(kSide, kSide); }

std::vector<DevicePoint> sharpStar(int n, int cx, int cy, int r)
{
    std::vector<DevicePoint> pts;
    int m = 0;
    for (int j = 0; j < n; ++j) {
        const double a = 2 * M_PI * m / n;
        pts.push_back(
            {cx + static_cast<int>(std::lround(r * std::sin(a))), cy - static_cast<int>(std::lround(r * std::cos(a)))});
        m = (m + (n - 1) / 2) % n;
    }
    return pts;
}

bool qtMode(int mode, QPainter::CompositionMode& out)
{
    switch (mode) {
    case 1: out = QPainter::CompositionMode_Clear; return true;
    case 2: out = QPainter::RasterOp_NotSourceAndNotDestination; return true;
    case 3: out = QPainter::RasterOp_NotSourceAndDestination; return true;
    case 4: out = QPainter::RasterOp_NotSource; return true;
    case 5: out = QPainter::RasterOp_SourceAndNotDestination; return true;
    case 6: out = QPainter::RasterOp_NotDestination; return true;
    case 7: out = QPainter::RasterOp_SourceXorDestination; return true;
    case 8: out = QPainter::RasterOp_NotSourceOrNotDestination; return true;
    case 9: out = QPainter::RasterOp_SourceAndDestination; return true;
    case 10: out = QPainter::RasterOp_NotSourceXorDestination; return true;
    case 12: out = QPainter::RasterOp_NotSourceOrDestination; return true;
    case 13: out = QPainter::CompositionMode_SourceOver; return true;
    case 14: out = QPainter::RasterOp_SourceOrNotDestination; return true;
    case 15: out = QPainter::RasterOp_SourceOrDestination; return true;
    case 16: out = QPainter::RasterOp_SetDestination; return true;
    default: return false;   // 11: the pen leaves everything as it is
    }
}

QImage qtStroke(QImage base, const std::vector<DevicePoint>& pts, int width, int mode, Rgb pen)
{
    QPainter::CompositionMode cm;
    if (!qtMode(mode, cm))
        return base;
    QPainter p(&base);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(cm);
    p.setPen(QPen(QColor(redOf(pen), greenOf(pen), blueOf(pen)), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPolygon poly;
    for (const DevicePoint& d : pts)
        poly << QPoint(d.x, d.y);
    p.drawPolygon(poly);
    return base;
}

QImage ourStroke(const QImage& base, const std::vector<DevicePoint>& pts, int width, int mode, Rgb pen)
{
    RasterSurface s(kSide, kSide);
    s.setBackgroundPicture(base);
    s.setForeColor(pen);
    s.setDrawWidth(width);
    s.setDrawMode(mode);
    s.polygon(pts);
    return s.image();
}

std::vector<char> coverage(const std::vector<DevicePoint>& pts, int width)
{
    std::vector<char> mask(kSide * kSide, 0);
    raster::SpanRasterizer r;
    for (const raster::Span& s : r.outlineSpans(pts, width, kSide, kSide))
        for (int x = s.x0; x <= s.x1; ++x)
            mask[s.y * kSide + x] = 1;
    return mask;
}

// A pixel next to (or on) the border of the covered region.
bool onEdge(const std::vector<char>& mask, int x, int y)
{
    const char self = mask[y * kSide + x];
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx >= 0 && ny >= 0 && nx < kSide && ny < kSide && mask[ny * kSide + nx] != self)
                return true;
        }
    return false;
}

struct Comparison {
    int interior = 0;   // differing pixels away from the outline's border
    int edge = 0;       // differing pixels along it
    int covered = 0;
};

Comparison compare(const QImage& ours, const QImage& qt, const std::vector<char>& mask)
{
    Comparison c;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            c.covered += mask[y * kSide + x];
            if ((ours.pixel(x, y) & 0xFFFFFF) == (qt.pixel(x, y) & 0xFFFFFF))
                continue;
            ++(onEdge(mask, x, y) ? c.edge : c.interior);
        }
    return c;
}

}   // namespace

TEST(PenRasterOps, SixteenModesMatchQtPixelForPixel)
{
    const QImage base = background();
    const Rgb pen = rgb(0x5A, 0xC3, 0x3C);
    const struct {
        std::vector<DevicePoint> pts;
        int width;
    } shapes[] = {
        {kFiveStar, 20},                                                     // crosses itself
        {{{430, 97}, {719, 597}, {141, 597}}, 9},                            // plain triangle, odd width
        {{{200, 200}, {600, 210}, {610, 650}, {190, 640}}, 90},              // wide pen, round joins
        {sharpStar(99, 430, 430, 333), 90},                                  // a design's largest layer
        {{{-50, 100}, {500, -80}, {900, 900}, {300, 870}}, 30},              // partly outside the image
        {{{200, 200}, {200, 200}, {400, 250}, {400, 250}, {300, 500}}, 7},   // repeated points
        {{{100, 100}, {300, 400}, {100, 100}}, 15},                          // there and back: no inside
        {{{120, 700}, {700, 640}, {400, 820}}, 2},                           // even width, slanted
    };
    for (const auto& shape : shapes) {
        const auto mask = coverage(shape.pts, shape.width);
        for (int mode = 1; mode <= 16; ++mode) {
            const Comparison c = compare(ourStroke(base, shape.pts, shape.width, mode, pen),
                                         qtStroke(base, shape.pts, shape.width, mode, pen), mask);
            EXPECT_EQ(c.interior, 0) << "mode " << mode << " width " << shape.width;
            // Along the border the two rasterizers may round a boundary pixel
            // differently; that stays a thin fringe.
            EXPECT_LT(c.edge, c.covered / 200) << "mode " << mode << " width " << shape.width;
            if (mode == 7)
                std::printf("width %d, %zu points: %d covered pixels, %d edge pixels differ from Qt\n", shape.width,
                            shape.pts.size(), c.covered, c.edge);
        }
    }
}

TEST(PenRasterOps, FoldedOperationAgreesWithDefinitionForEveryMode)
{
    const std::uint32_t pens[] = {0x000000, 0xFFFFFF, 0x3CC35A, 0x123456};
    const std::uint32_t dests[] = {0x000000, 0xFFFFFF, 0xA5F00F, 0x0F5AC3};
    for (int mode = 1; mode <= 16; ++mode)
        for (std::uint32_t p : pens)
            for (std::uint32_t d : dests) {
                const raster::PixelOp op = raster::makePixelOp(mode, raster::fromPixel(0xFF000000u | p));
                EXPECT_EQ(((0xFF000000u | d) & op.keep) ^ op.flip, 0xFF000000u | raster::applyRop2(mode, p, d))
                    << "mode " << mode;
            }
    // Spot values of the definitions themselves.
    EXPECT_EQ(raster::applyRop2(7, 0x0F0F0F, 0xFF00FF), 0xF00FF0u);
    EXPECT_EQ(raster::applyRop2(8, 0x0F0F0F, 0xFF00FF), 0xF0FFF0u);
    EXPECT_EQ(raster::applyRop2(2, 0x0F0F0F, 0xF000F0), 0x00F000u);
    EXPECT_EQ(raster::applyRop2(14, 0x0F0000, 0xFF00FF), 0x0FFF00u);
    EXPECT_THROW(raster::makePixelOp(0, 0), StepFailure);
    EXPECT_THROW(raster::makePixelOp(17, 0), StepFailure);
}

TEST(PenRasterOps, CrossingOfAnXorStar)
{
    // The horizontal edge (113,327)-(747,327) and the edge (430,97)-(626,700)
    // cross at about (505, 327).
    const Rgb back = rgb(0x20, 0x40, 0x80);
    const Rgb pen = rgb(0xFF, 0x0F, 0x33);
    const struct {
        int width;
        Rgb expected;
        const char* why;
    } cases[] = {
        {20, back ^ pen, "a wide outline is one region: the crossing is inverted once"},
        {1, back, "a one-pixel pen draws every edge on its own: two xors restore the pixel"},
    };
    for (const auto& c : cases) {
        RasterSurface s(kSide, kSide);
        s.setBackColor(back);
        s.setForeColor(pen);
        s.setDrawWidth(c.width);
        s.setDrawMode(7);
        s.polygon(kFiveStar);
        const QImage img = s.image();
        EXPECT_EQ(raster::fromPixel(img.pixel(505, 327)), c.expected) << c.why;
        // Elsewhere on the horizontal edge the pen inverts once.
        EXPECT_EQ(raster::fromPixel(img.pixel(300, 327)), back ^ pen) << c.width;
        EXPECT_EQ(raster::fromPixel(img.pixel(430, 450)), back) << "the inside is left alone";
    }
}

TEST(PenRasterOps, OnePixelPen)
{
    const Rgb back = 0xFFFFFF;
    // An axis-aligned square is exact: 4 x 200 pixels, each once.
    {
        const std::vector<DevicePoint> square = {{100, 100}, {300, 100}, {300, 300}, {100, 300}};
        RasterSurface s(kSide, kSide);
        s.setBackColor(back);
        s.setDrawMode(6);   // invert: a pixel drawn twice would come back white
        s.polygon(square);
        const QImage img = s.image();
        int black = 0;
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                black += (img.pixel(x, y) & 0xFFFFFF) == 0;
        EXPECT_EQ(black, 800);
        for (const QPoint p :
             {QPoint(100, 100), QPoint(300, 100), QPoint(300, 300), QPoint(100, 300), QPoint(200, 100)})
            EXPECT_EQ(img.pixel(p) & 0xFFFFFF, 0u) << p.x() << "," << p.y();
        const QImage qt = qtStroke(background(), square, 1, 13, 0);
        const QImage ours = ourStroke(background(), square, 1, 13, 0);
        EXPECT_EQ(ours, qt);
    }
    // Slanted edges: Qt's line algorithm rounds some steps the other way,
    // but every pixel we draw lies next to one of Qt's and none is missing
    // a neighbour in Qt's line.
    {
        QImage white(kSide, kSide, QImage::Format_RGB32);
        white.fill(Qt::white);
        const QImage ourOnWhite = ourStroke(white, kFiveStar, 1, 13, 0);
        const QImage qt = qtStroke(white, kFiveStar, 1, 13, 0);
        auto dark = [](const QImage& img, int x, int y) {
            return x >= 0 && y >= 0 && x < kSide && y < kSide && (img.pixel(x, y) & 0xFFFFFF) == 0;
        };
        int differ = 0, drawn = 0;
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                const bool a = dark(ourOnWhite, x, y), b = dark(qt, x, y);
                drawn += a;
                if (a == b)
                    continue;
                ++differ;
                const QImage& other = a ? qt : ourOnWhite;
                bool near = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        near = near || dark(other, x + dx, y + dy);
                EXPECT_TRUE(near) << x << "," << y;
            }
        std::printf("one-pixel five-point star: %d pixels drawn, %d differ from Qt by one step\n", drawn, differ);
    }
}

TEST(PenRasterOps, WindingFillAndWildCoordinates)
{
    RasterSurface s(kSide, kSide);
    s.setBackColor(0xFFFFFF);
    s.fillPolygon(kFiveStar, rgb(0, 0, 255));
    const QImage img = s.image();
    // The pentagon in the middle of the star is inside by the winding rule.
    EXPECT_EQ(raster::fromPixel(img.pixel(430, 420)), rgb(0, 0, 255));
    EXPECT_EQ(raster::fromPixel(img.pixel(430, 330)), rgb(0, 0, 255));
    EXPECT_EQ(raster::fromPixel(img.pixel(120, 600)), 0xFFFFFFu);
    EXPECT_THROW(s.fillPolygon(kFiveStar, 0x1000000), StepFailure);

    // A single point is no outline, whatever the pen.
    for (int width : {1, 20}) {
        RasterSurface one(50, 50);
        one.setDrawWidth(width);
        one.takeDirtyRect();
        one.polygon(std::vector<DevicePoint>{{25, 25}});
        EXPECT_TRUE(one.takeDirtyRect().isEmpty()) << width;
        EXPECT_EQ(raster::fromPixel(one.image().pixel(25, 25)), 0xFFFFFFu) << width;
    }

    // Points far outside the image: lines are cut to the image, nothing hangs.
    const std::vector<DevicePoint> wild = {{-2000000000, 400}, {2000000000, 410}, {430, 2000000000}};
    for (int width : {1, 20}) {
        RasterSurface w(kSide, kSide);
        w.setBackColor(0xFFFFFF);
        w.setForeColor(0);
        w.setDrawWidth(width);
        w.polygon(wild);
        EXPECT_EQ(raster::fromPixel(w.image().pixel(430, 405)), 0u) << "the edge crosses the image, width " << width;
        w.fillPolygon(wild, 0x00FF00);
        EXPECT_EQ(raster::fromPixel(w.image().pixel(430, 700)), 0x00FF00u) << width;
        EXPECT_EQ(raster::fromPixel(w.image().pixel(430, 300)), 0xFFFFFFu) << width;
    }
}

// The rasterizer's wide outlines, span for span, against the plain edge by
// edge reckoning, over many random stars as the designs draw them (odd and
// even point counts, ellipses, partly outside the image, at the export
// scales) and random polygons with repeated and far-away points. The edges'
// intervals on each row are worked out both ways: with the 512-bit units
// (where the processor has them) and the plain way.
TEST(PenRasterOps, WideOutlinesAgreeSpanForSpanWithThePlainReckoning)
{
    std::mt19937 random(20110101u);
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    raster::SpanRasterizer wideUnits, plainWay;
    plainWay.useWideUnits(false);
    int compared = 0;
    for (int shape = 0; shape < 600; ++shape) {
        const int scale = shape % 10 == 9 ? 2 : 1;
        const int side = kSide * scale;
        std::vector<DevicePoint> pts;
        if (shape % 4 != 3) {
            // A star of n points, every s-th vertex joined, on an ellipse.
            const int n = uniform(3, 99);
            const int s = std::max(1, shape % 4 == 2 ? uniform(1, n / 2) : (n - 1) / 2);
            const int cx = uniform(-100, side + 100), cy = uniform(-100, side + 100);
            const int rx = uniform(1, side / 2 + 200), ry = uniform(1, side / 2 + 200);
            const double turn = std::uniform_real_distribution<double>(0, 1)(random);
            for (int j = 0, m = 0; j < n; ++j, m = (m + s) % n) {
                const double a = 2 * M_PI * (m + turn) / n;
                pts.push_back({cx + static_cast<int>(std::lround(rx * std::sin(a))),
                               cy - static_cast<int>(std::lround(ry * std::cos(a)))});
            }
        } else {
            const int n = uniform(2, 12);
            for (int j = 0; j < n; ++j) {
                if (j > 0 && uniform(0, 5) == 0)
                    pts.push_back(pts.back());
                else if (uniform(0, 9) == 0)
                    pts.push_back({uniform(-200000, 200000), uniform(-200000, 200000)});
                else
                    pts.push_back({uniform(-300, side + 300), uniform(-300, side + 300)});
            }
        }
        const int widths[] = {2, 3, 7, 12, 20, 33, 64, 90, 120, uniform(2, 200)};
        const int width = widths[shape % 10] * scale;
        SCOPED_TRACE(testing::Message() << "shape " << shape << ", " << pts.size() << " points, width " << width);
        const std::vector<raster::Span> expected = test::referenceOutlineSpans(pts, width, side, side);
        for (raster::SpanRasterizer* rasterizer : {&wideUnits, &plainWay}) {
            SCOPED_TRACE(rasterizer == &plainWay ? "plain way" : "wide units");
            const std::vector<raster::Span>& got = rasterizer->outlineSpans(pts, width, side, side);
            ASSERT_EQ(got.size(), expected.size());
            for (std::size_t i = 0; i < got.size(); ++i) {
                ASSERT_EQ(got[i].y, expected[i].y) << i;
                ASSERT_EQ(got[i].x0, expected[i].x0) << "row " << got[i].y;
                ASSERT_EQ(got[i].x1, expected[i].x1) << "row " << got[i].y;
            }
        }
        compared += static_cast<int>(expected.size());
    }
    EXPECT_GT(compared, 100000);   // the shapes really cover the image
}

// A kept text mask blends only its rows' inked columns, and the fastest
// blender (sixteen pixels at a time where the processor can) blends as the
// plain one, pixel by pixel. Turned texts, placed whole, cut at every side of
// the image and partly outside it, blend exactly as the whole mask does.
TEST(TextMaskBlend, InkedColumnsBlendAsTheWholeMask)
{
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(40);
    font.setBold(true);
    const QImage base = test::patterned(160, 120).convertToFormat(QImage::Format_RGB32);
    struct Place {
        int x, y;
    };
    const Place places[] = {{60, 40}, {-20, 30}, {140, 50}, {70, -15}, {70, 110}, {-60, -50}};
    for (const int escapement : {0, 300, 900, 1350, 2700, 3330}) {
        raster::TextMask whole = raster::renderTextMask(font, QStringLiteral("生日快乐W"), 34, escapement);
        raster::TextMask kept = whole;
        raster::findInkedColumns(kept);
        ASSERT_EQ(kept.inked.size(), 2 * static_cast<std::size_t>(kept.height));
        int inked = 0;
        for (int y = 0; y < kept.height; ++y)
            for (int x = 0; x < kept.width; ++x) {
                const bool in = x >= kept.inked[2 * y] && x < kept.inked[2 * y + 1];
                const std::uint8_t a = kept.alpha[static_cast<std::size_t>(y * kept.width + x)];
                ASSERT_TRUE(in || a == 0) << "ink outside the row's columns at " << x << "," << y;
                inked += a != 0;
            }
        ASSERT_GT(inked, 200) << escapement;
        for (const Place& at : places) {
            QImage a = base.copy(), b = base.copy(), c = base.copy();
            auto target = [](QImage& img) {
                return raster::Target{reinterpret_cast<std::uint32_t*>(img.bits()), img.width(), img.height(),
                                      img.bytesPerLine() / 4};
            };
            using raster::BlendWith;
            const QRect ra = raster::blendMask(target(a), whole, at.x, at.y, 0xFF2060A0u, BlendWith::Plain);
            const QRect rb = raster::blendMask(target(b), kept, at.x, at.y, 0xFF2060A0u, BlendWith::Fastest);
            const QRect rc = raster::blendMask(target(c), whole, at.x, at.y, 0xFF2060A0u, BlendWith::Fastest);
            EXPECT_EQ(ra, rb);
            EXPECT_EQ(ra, rc);
            EXPECT_EQ(a, b) << "turned " << escapement << " at " << at.x << "," << at.y;
            EXPECT_EQ(a, c) << "turned " << escapement << " at " << at.x << "," << at.y;
        }
        QImage drawn = base.copy();
        raster::blendMask(raster::Target{reinterpret_cast<std::uint32_t*>(drawn.bits()), drawn.width(),
                                         drawn.height(), drawn.bytesPerLine() / 4},
                          kept, 60, 40, 0xFF2060A0u);
        EXPECT_NE(drawn, base) << "the text shows, turned " << escapement;
    }
}

// The fastest span writer writes the pixels the plain loop writes, for every
// length and operation, and touches nothing past a span's ends: a row that
// ends where readable memory ends takes spans up to its last pixel.
TEST(PenRasterOps, SpanWritersAgreeAndStayInsideTheSpan)
{
    const long page = sysconf(_SC_PAGESIZE);
    auto* memory = static_cast<std::uint8_t*>(
        mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(memory, MAP_FAILED);
    ASSERT_EQ(mprotect(memory + page, page, PROT_NONE), 0);
    constexpr int kWidth = 100;
    auto* row = reinterpret_cast<std::uint32_t*>(memory + page) - kWidth;   // ends at the guard page
    const raster::Target fast{row, kWidth, 1, kWidth};
    std::vector<std::uint32_t> plainRow(kWidth);
    const raster::Target plain{plainRow.data(), kWidth, 1, kWidth};
    const raster::SpanWriter write = raster::fastestSpanWriter();
    for (const int mode : {13, 8, 7, 6, 1, 16}) {
        const raster::PixelOp op = raster::makePixelOp(mode, 0x3C9A51);
        for (int x0 = 0; x0 < kWidth; x0 += 7) {
            for (const int x1 : {x0, x0 + 1, x0 + 14, x0 + 15, x0 + 16, x0 + 17, x0 + 33, kWidth - 1}) {
                if (x1 < x0 || x1 >= kWidth)
                    continue;
                for (int x = 0; x < kWidth; ++x)
                    row[x] = plainRow[static_cast<std::size_t>(x)] = 0xFF000000u | (x * 0x010203u);
                write(fast, 0, x0, x1, op);
                raster::writeSpanPlain(plain, 0, x0, x1, op);
                for (int x = 0; x < kWidth; ++x)
                    ASSERT_EQ(row[x], plainRow[static_cast<std::size_t>(x)])
                        << "mode " << mode << ", span " << x0 << ".." << x1 << ", pixel " << x;
            }
        }
        // The span changed the pixels (no mode here leaves them alone).
        EXPECT_NE(row[kWidth - 1], 0xFF000000u | ((kWidth - 1) * 0x010203u)) << mode;
    }
    munmap(memory, 2 * page);
}

// The background fill covers exactly the target's rows and columns: a whole
// image in one block, a band of an image, and a target narrower than its rows
// (stride beyond width), whose other pixels stay as they were.
TEST(PenRasterOps, FillCoversExactlyTheTargetsPixels)
{
    struct Case {
        int width, height, stride, rowBegin, rowEnd;
    };
    const Case cases[] = {
        {37, 11, 37, 0, 11}, {37, 11, 37, 3, 8}, {37, 11, 50, 0, 11}, {37, 11, 50, 4, 5}, {1, 3, 1, 0, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " stride " << c.stride << " rows "
                                        << c.rowBegin << ".." << c.rowEnd);
        constexpr std::uint32_t kOld = 0xFF123456u, kNew = 0xFFABCDEFu;
        std::vector<std::uint32_t> memory(static_cast<std::size_t>(c.stride) * (c.rowEnd - c.rowBegin) + 8, kOld);
        const raster::Target t{memory.data(), c.width, c.height, c.stride, c.rowBegin, c.rowEnd};
        raster::fillAll(t, kNew);
        for (std::size_t i = 0; i < memory.size(); ++i) {
            const int row = static_cast<int>(i / static_cast<std::size_t>(c.stride)) + c.rowBegin;
            const int column = static_cast<int>(i % static_cast<std::size_t>(c.stride));
            const bool inside = row < c.rowEnd && column < c.width;
            ASSERT_EQ(memory[i], inside ? kNew : kOld) << "pixel " << column << " of row " << row;
        }
    }
}
