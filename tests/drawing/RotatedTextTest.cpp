#include "drawing/RotatedText.h"
#include "drawing/StarPolygon.h"

#include "RecordingSurface.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace lh;
using namespace lh::drawing;
using lh::test::RecordingSurface;
using K = RecordingSurface::Kind;

namespace {

// DrawTextRing keeping the radius and start it returns.
void drawRing(lh::Surface& s, const QString& text, std::int32_t cx, std::int32_t cy, std::int32_t& radius,
              double& start)
{
    const RingFit fit = DrawTextRing(s, text, cx, cy, radius, start);
    radius = fit.radius;
    start = fit.start;
}
// Every character `w` twips wide.
TextMeasure fixedWidth(float w)
{
    return [w](const QString& s) { return w * static_cast<float>(s.size()); };
}
}   // namespace

TEST(RotatedTextFont, HeightWeightAndEscapement)
{
    struct Case {
        std::int16_t angle;
        float size;
        bool bold;
        std::int32_t height, weight, escapement;
    };
    const Case cases[] = {
        {0, 18, true, -24, 800, 0},      {0, 20, false, -27, 400, 0},        {360, 20, true, -27, 800, 3600},
        {-90, 30, true, -40, 800, -900}, {3276, 10, false, -13, 400, 32760}, {-3276, 10, false, -13, 400, -32760},
    };
    for (const Case& c : cases) {
        const LogFontRecord r = rotatedTextFont(c.angle, QStringLiteral("arial"), c.size, c.bold, 15);
        EXPECT_EQ(r.height, c.height) << c.size;
        EXPECT_EQ(r.weight, c.weight) << c.bold;
        EXPECT_EQ(r.escapement, c.escapement) << c.angle;
        EXPECT_EQ(r.orientation, 0);
        EXPECT_EQ(r.width, 0);
        EXPECT_EQ(r.charSet, 0);
        EXPECT_EQ(r.quality, 0);
        EXPECT_EQ(r.faceName, QStringLiteral("arial"));
    }
}

TEST(RotatedTextFont, AngleTenthsBeyond16BitsFail)
{
    for (std::int16_t a : {std::int16_t(3277), std::int16_t(-3277), std::int16_t(32767), std::int16_t(-32768)})
        EXPECT_THROW(rotatedTextFont(a, QStringLiteral("Arial"), 18, true, 15), StepFailure) << a;
}

TEST(RotatedTextFont, LongFaceNamesAreCutToTheField)
{
    const QString longFace(40, u'x');
    EXPECT_EQ(rotatedTextFont(0, longFace, 10, false, 15).faceName, QString(31, u'x'));
    EXPECT_EQ(rotatedTextFont(0, QStringLiteral("宋体"), 10, false, 15).faceName, QStringLiteral("宋体"));
}

TEST(DrawRotatedText, SetsPositionThenPrintsWithTheRecord)
{
    RecordingSurface s;
    s.setFontBold(true);
    DrawRotatedText(360, s, QStringLiteral("Arial"), 18, 643, 0, QStringLiteral("NO: ZRV"));
    const auto outs = s.callsOf(K::TextOut);
    ASSERT_EQ(outs.size(), 1u);
    EXPECT_EQ(outs[0]->text, QStringLiteral("NO: ZRV"));
    EXPECT_EQ(outs[0]->x, 643);
    EXPECT_EQ(outs[0]->y, 0);
    EXPECT_EQ(outs[0]->font, rotatedTextFont(360, QStringLiteral("Arial"), 18, true, 15));
}

TEST(DrawRotatedText, BadAngleFailsBeforeAnythingChanges)
{
    RecordingSurface s;
    s.setCurrentX(11);
    s.setCurrentY(22);
    EXPECT_THROW(DrawRotatedText(4000, s, QStringLiteral("Arial"), 18, 100, 100, QStringLiteral("x")), StepFailure);
    EXPECT_TRUE(s.callsOf(K::TextOut).empty());
    EXPECT_EQ(s.currentX(), 11);
    EXPECT_EQ(s.currentY(), 22);
}

TEST(TextRingLayout, ArcPerDegreeFromTheRadius)
{
    struct Case {
        std::int32_t radius, d;
    };
    const Case cases[] = {{2571, 45}, {5142, 90}, {4371, 76}, {29, 1}, {28, 0}, {0, 0}};
    for (const Case& c : cases) {
        const RingLayout l = layoutTextRing(fixedWidth(200), QStringLiteral("ab"), 6000, 6000, c.radius, 0);
        EXPECT_EQ(l.d, c.d) << c.radius;
        if (c.d == 0) {
            EXPECT_TRUE(l.failure.has_value()) << c.radius;
            EXPECT_TRUE(l.glyphs.empty()) << c.radius;
        } else {
            EXPECT_FALSE(l.failure.has_value()) << c.radius;
        }
    }
}

TEST(TextRingLayout, CentredStartFloorsHalfTheTextAngle)
{
    struct Case {
        QString text;
        float charWidth;
        std::int32_t radius;
        double start;
    };
    const Case cases[] = {
        {QString(25, u'a'), 200, 5142, 332},     // 5000 twips at d = 90: floor(360 - 27.77)
        {QStringLiteral("w"), 300, 2571, 356},   // floor(360 - 300 / 90)
        {QString(), 200, 2571, 360},             // empty text: start 360, nothing placed
    };
    for (const Case& c : cases) {
        const RingLayout l = layoutTextRing(fixedWidth(c.charWidth), c.text, 0, 0, c.radius, -1);
        EXPECT_EQ(l.start, c.start) << c.text.size();
        EXPECT_EQ(l.glyphs.size(), static_cast<std::size_t>(c.text.size()));
    }
}

TEST(TextRingLayout, SingleCharacterAngles)
{
    // One character of width w in mode -1: leading edge floor(360 - w / 2d),
    // turned by round(360 - phi) with phi = start + w / 2d.
    const RingLayout l = layoutTextRing(fixedWidth(300), QStringLiteral("w"), 6000, 6000, 2571, -1);
    ASSERT_EQ(l.glyphs.size(), 1u);
    const RingGlyph& g = l.glyphs[0];
    EXPECT_EQ(g.leadingAngle, 356);
    EXPECT_DOUBLE_EQ(g.middleAngle, 356 + 300.0 / 2 / 45);
    EXPECT_EQ(g.rotation, 1);   // round(360 - 359.33)
    std::int32_t x = 0, y = 0;
    PointOnEllipse(6000, 6000, 356, 2571, 2571, x, y);
    EXPECT_EQ(g.x, x);
    EXPECT_EQ(g.y, y);
}

TEST(TextRingLayout, FitRadiusModeKeepsTheStart)
{
    const RingLayout l = layoutTextRing(fixedWidth(200), QString(30, u'a'), 6000, 6000, 100, -2);
    EXPECT_EQ(l.radius, 955);   // round(6000 / 2 / 3.14159)
    EXPECT_EQ(l.d, 17);
    EXPECT_EQ(l.start, -2);
    ASSERT_EQ(l.glyphs.size(), 30u);
    EXPECT_EQ(l.glyphs[0].leadingAngle, -2);   // 2 degrees left of the top
}

TEST(TextRingLayout, CharactersAdvanceByPrefixWidthAndHangFromTheCircle)
{
    // Widths that differ per character: the prefix decides each leading edge.
    const TextMeasure measure = [](const QString& s) {
        float w = 0;
        for (QChar c : s)
            w += c == u'i' ? 90.f : 450.f;
        return w;
    };
    const QString text = QStringLiteral("Wi蓝禾");
    const std::int32_t cx = 6428, cy = 6428, radius = 2571;   // d = 45
    const RingLayout l = layoutTextRing(measure, text, cx, cy, radius, 80);
    ASSERT_EQ(l.glyphs.size(), 4u);   // a Chinese character is one character like a Latin one
    const double lead[] = {80, 90, 92, 102};
    const double mid[] = {85, 91, 97, 107};
    for (int i = 0; i < 4; ++i) {
        const RingGlyph& g = l.glyphs[static_cast<std::size_t>(i)];
        EXPECT_EQ(g.text, text.mid(i, 1));
        EXPECT_DOUBLE_EQ(g.leadingAngle, lead[i]) << i;
        EXPECT_DOUBLE_EQ(g.middleAngle, mid[i]) << i;
        EXPECT_EQ(g.rotation, toInt16(360 - mid[i])) << i;
    }
    // The leading edge at 90 degrees puts the top-left corner at (cx + r, cy),
    // the text direction pointing a little below the horizontal-right turn.
    EXPECT_EQ(l.glyphs[1].x, cx + radius);
    EXPECT_EQ(l.glyphs[1].y, cy);
    EXPECT_EQ(l.glyphs[1].rotation, 269);
}

TEST(TextRingLayout, PositionBeyond16BitsStopsAtThatCharacter)
{
    // Centre near the 16-bit edge: the ring walks clockwise past x = 32767.
    const RingLayout l = layoutTextRing(fixedWidth(450), QString(10, u'a'), 32000, 6000, 2571, 0);
    ASSERT_TRUE(l.failure.has_value());
    EXPECT_GT(l.glyphs.size(), 0u);
    EXPECT_LT(l.glyphs.size(), 10u);
    for (const RingGlyph& g : l.glyphs)
        EXPECT_LE(g.x, 32767);
}

TEST(TextRingLayout, RotationBeyondPrintableAnglesStopsWithoutMeasuringOn)
{
    // 2000 characters of 200 twips centred on the top at d = 45: the first
    // character is turned by about 4800 degrees, beyond the 16-bit tenths.
    RecordingSurface s;
    const QString text(2000, u'a');
    std::int32_t radius = 2571;
    double start = -1;
    EXPECT_THROW(DrawTextRing(s, text, 6428, 6428, radius, start), StepFailure);
    EXPECT_TRUE(s.callsOf(K::TextOut).empty());
    EXPECT_LT(s.textWidthCalls, 5);   // the whole text once and the first character

    const RingLayout l = layoutTextRing(fixedWidth(200), text, 6428, 6428, 2571, -1);
    EXPECT_EQ(l.start, std::floor(360.0 - 400000.0 / 45 / 2));
    EXPECT_TRUE(l.failure.has_value());
    EXPECT_TRUE(l.glyphs.empty());
}

TEST(DrawTextRing, ReturnsTheFittedRadiusOrStartAndPrintsInTheSurfaceFont)
{
    RecordingSurface s;
    s.charWidth = 200;
    s.setFontName(QStringLiteral("arial"));
    s.setFontSize(20);
    s.setFontBold(true);
    s.setForeColor(rgb(10, 20, 30));

    std::int32_t radius = 5142;
    double start = -1;
    const QString text(25, u'a');
    drawRing(s, text, 6428, 12855, radius, start);
    EXPECT_EQ(start, 332);
    EXPECT_EQ(radius, 5142);

    const RingLayout l = layoutTextRing(fixedWidth(200), text, 6428, 12855, 5142, -1);
    const auto outs = s.callsOf(K::TextOut);
    ASSERT_EQ(outs.size(), l.glyphs.size());
    for (std::size_t i = 0; i < outs.size(); ++i) {
        EXPECT_EQ(outs[i]->text, l.glyphs[i].text);
        EXPECT_EQ(outs[i]->x, l.glyphs[i].x);
        EXPECT_EQ(outs[i]->y, l.glyphs[i].y);
        EXPECT_EQ(outs[i]->foreColor, rgb(10, 20, 30));
        EXPECT_EQ(outs[i]->font, rotatedTextFont(l.glyphs[i].rotation, QStringLiteral("arial"), 20, true, 15));
    }

    radius = 7;
    start = -2;
    s.reset();
    drawRing(s, QString(30, u'a'), 6428, 6428, radius, start);
    EXPECT_EQ(radius, 955);
    EXPECT_EQ(start, -2);
    EXPECT_EQ(s.callsOf(K::TextOut).size(), 30u);
}

TEST(DrawTextRing, FailuresDrawNothingOrStopAtTheFailingCharacter)
{
    {   // radius below 29 twips: d = 0, nothing drawn, start not rewritten
        RecordingSurface s;
        std::int32_t radius = 28;
        double start = -1;
        EXPECT_THROW(DrawTextRing(s, QStringLiteral("abc"), 6428, 6428, radius, start), StepFailure);
        EXPECT_TRUE(s.callsOf(K::TextOut).empty());
        EXPECT_EQ(start, -1);
    }
    {   // a start used unchanged whose rotation tenths overflow 16 bits
        RecordingSurface s;
        std::int32_t radius = 2571;
        double start = -5000;
        EXPECT_THROW(DrawTextRing(s, QStringLiteral("abc"), 6428, 6428, radius, start), StepFailure);
        EXPECT_TRUE(s.callsOf(K::TextOut).empty());
    }
    {   // position overflow: the characters before the failing one stay drawn
        RecordingSurface s;
        s.charWidth = 450;
        std::int32_t radius = 2571;
        double start = 0;
        const QString text(10, u'a');
        const RingLayout l = layoutTextRing(fixedWidth(450), text, 32000, 6000, radius, 0);
        EXPECT_THROW(DrawTextRing(s, text, 32000, 6000, radius, start), StepFailure);
        EXPECT_EQ(s.callsOf(K::TextOut).size(), l.glyphs.size());
        EXPECT_GT(l.glyphs.size(), 0u);
    }
    {   // empty text in mode -1: start 360, nothing drawn, no failure
        RecordingSurface s;
        std::int32_t radius = 2571;
        double start = -1;
        drawRing(s, QString(), 6428, 6428, radius, start);
        EXPECT_EQ(start, 360);
        EXPECT_TRUE(s.callsOf(K::TextOut).empty());
    }
}

// A designer keeps its rings' layouts: drawn from the cache, first time and
// again, a ring makes the very calls and gives the fit it does without one,
// failures included; a change of text, circle, start or the surface's font
// is laid out afresh, and more rings than the cache holds still come right.
TEST(DrawTextRing, FromTheCacheTheSameCallsAsWithout)
{
    struct Ring {
        QString text;
        std::int32_t cx, cy, radius;
        double start;
        float size;
    };
    const Ring rings[] = {
        {QStringLiteral("生日快乐"), 6428, 12855, 5142, -1, 20}, {QString(30, u'a'), 6428, 6428, 7, -2, 20},
        {QStringLiteral("abc"), 6428, 6428, 2571, 45, 20},     {QStringLiteral("abc"), 6428, 6428, 2571, 45, 30},
        {QStringLiteral("abc"), 6428, 6428, 2571, 46, 30},     {QStringLiteral("abd"), 6428, 6428, 2571, 46, 30},
        {QStringLiteral("abc"), 6428, 6428, 28, -1, 30},       {QString(10, u'a'), 32000, 6000, 2571, 0, 30},
    };
    RingLayoutCache cache;
    auto surface = [](RecordingSurface& s, float size) {
        s.setFontName(QStringLiteral("arial"));
        s.setFontSize(size);
        s.setFontBold(true);
        s.setForeColor(rgb(10, 20, 30));
        // Widths follow the font size, so a layout of another size differs.
        s.measure = [&s](const QString& t) { return s.fontSize() * 22.5f * static_cast<float>(t.size()); };
        s.reset();
    };
    auto draw = [](RecordingSurface& s, const Ring& r, RingLayoutCache* c) -> std::optional<RingFit> {
        try {
            return DrawTextRing(s, r.text, r.cx, r.cy, r.radius, r.start, c);
        } catch (const StepFailure&) {
            return std::nullopt;
        }
    };
    int drawn = 0, failed = 0;
    // Three rounds, the last after more rings than the cache holds.
    for (int round = 0; round < 3; ++round) {
        if (round == 2) {
            for (std::int32_t i = 0; i < static_cast<std::int32_t>(RingLayoutCache::kMaxEntries) + 3; ++i) {
                RecordingSurface s;
                surface(s, 20);
                draw(s, Ring{QStringLiteral("x"), 100 * i, 6428, 2571, 0, 20}, &cache);
            }
        }
        for (const Ring& r : rings) {
            SCOPED_TRACE(testing::Message() << r.text.toStdString() << " radius " << r.radius << " start " << r.start
                                            << " size " << r.size << ", round " << round);
            RecordingSurface plain, cached;
            surface(plain, r.size);
            surface(cached, r.size);
            const std::optional<RingFit> a = draw(plain, r, nullptr);
            const std::optional<RingFit> b = draw(cached, r, &cache);
            ASSERT_EQ(a.has_value(), b.has_value());
            if (a) {
                EXPECT_EQ(a->radius, b->radius);
                EXPECT_EQ(a->start, b->start);
            }
            const auto pa = plain.callsOf(K::TextOut), pb = cached.callsOf(K::TextOut);
            ASSERT_EQ(pa.size(), pb.size());
            for (std::size_t i = 0; i < pa.size(); ++i) {
                EXPECT_EQ(pa[i]->text, pb[i]->text);
                EXPECT_EQ(pa[i]->x, pb[i]->x);
                EXPECT_EQ(pa[i]->y, pb[i]->y);
                EXPECT_EQ(pa[i]->font, pb[i]->font);
            }
            drawn += !pa.empty();
            failed += !a;
        }
    }
    EXPECT_GT(drawn, 10);
    EXPECT_GT(failed, 2);
}

// A ring of tens of characters measures every prefix whole, as it always
// did; a ring of thousands (zero-width spaces from a hostile design file)
// measures a bounded number of characters per character, and its glyphs go
// where the widths of their prefixes put them.
TEST(TextRingLayout, MeasuresEachPrefixWholeUpToItsBoundAndLinearlyBeyond)
{
    const struct Case {
        const char* what;
        QString text;
        float charWidth;
    } cases[] = {
        {"a short ring", QString(kMeasuredRingPrefix, u'a'), 200.f},
        {"20,000 zero-width spaces", QString(20000, QChar(0x200B)), 0.f},
        {"5,000 letters", QString(5000, u'a'), 3.f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        qint64 measured = 0;
        std::vector<QString> asked;
        const TextMeasure measure = [&](const QString& s) {
            measured += s.size();
            if (c.text.size() <= kMeasuredRingPrefix)
                asked.push_back(s);
            return c.charWidth * static_cast<float>(s.size());
        };
        const RingLayout l = layoutTextRing(measure, c.text, 6000, 6000, 5142, 0);   // d = 90
        ASSERT_FALSE(l.failure.has_value()) << l.failure->toStdString();
        ASSERT_EQ(l.glyphs.size(), static_cast<std::size_t>(c.text.size()));
        EXPECT_LE(measured, c.text.size() * (kMeasuredRingPrefix + 2));
        for (qsizetype i : {qsizetype(0), c.text.size() / 2, c.text.size() - 1})
            EXPECT_DOUBLE_EQ(l.glyphs[static_cast<std::size_t>(i)].leadingAngle, c.charWidth * double(i) / 90.0) << i;
        // Short: each character's prefix asked for whole, then the character.
        for (std::size_t i = 1; 2 * i - 1 < asked.size(); ++i)
            EXPECT_EQ(asked[2 * i - 1], c.text.left(static_cast<qsizetype>(i))) << i;
    }
}
