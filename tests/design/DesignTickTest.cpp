#include "design/DesignTick.h"

#include "DesignTestSupport.h"
#include "Fakes.h"
#include "RecordingSurface.h"
#include "core/Random.h"
#include "design/TickRules.h"
#include "drawing/RotatedText.h"
#include "drawing/StarPolygon.h"

#include <gtest/gtest.h>

#include <limits>

using namespace lh;
using namespace lh::design;
using lh::test::FakeDesignHost;
using lh::test::FixedClock;
using lh::test::RecordingSurface;
using K = RecordingSurface::Kind;

namespace {

// Draw i (1-based) of the known sequence: i / 64, so every draw gives a
// different point count and colour channel.
float u(int i) { return static_cast<float>(i) / 64.0f; }
std::vector<float> knownSequence()
{
    std::vector<float> v;
    for (int i = 1; i <= 38; ++i)
        v.push_back(u(i));
    return v;
}
Rgb colourFrom(int i) { return rgb(randomChannel(u(i)), randomChannel(u(i + 1)), randomChannel(u(i + 2))); }
int countFrom(int i) { return static_cast<int>(roundHalfEven(99.0 * u(i))); }

// One designer window: its texts, a recording surface and a scripted generator.
struct Rig {
    explicit Rig(int category, std::vector<float> draws = knownSequence())
        : host(category == 1 ? FakeDesignHost::photoWindow() : FakeDesignHost::categoryWindow(category)),
          random(std::move(draws)),
          tick(recipeForCategory(category), surface, random, host, clock)
    {}
    std::vector<const RecordingSurface::Call*> texts() const { return surface.callsOf(K::TextOut); }

    RecordingSurface surface;
    FakeDesignHost host;
    ScriptedRandom random;
    FixedClock clock;
    DesignTick tick;
};

std::vector<QString> textsOf(const std::vector<const RecordingSurface::Call*>& calls)
{
    std::vector<QString> out;
    for (const auto* c : calls)
        out.push_back(QStringLiteral("%1@%2,%3 r%4 c%5")
                          .arg(c->text)
                          .arg(c->x)
                          .arg(c->y)
                          .arg(c->font.escapement)
                          .arg(c->foreColor));
    return out;
}

std::vector<std::vector<DevicePoint>> polygonsOf(const RecordingSurface& s)
{
    std::vector<std::vector<DevicePoint>> out;
    for (const auto* c : s.callsOf(K::Polygon))
        out.push_back(c->points);
    return out;
}

}   // namespace

TEST(DesignTick, DrawOrderFeedsBackgroundLayersTextColourAndSerialLine)
{
    struct Case {
        int category;
        std::size_t draws;
        int background, firstLayer, textColour, serial;
    };
    const Case cases[] = {
        {2, 26, 1, 4, 20, 23},  {6, 34, 1, 4, 28, 31}, {7, 30, 1, 4, 24, 27},
        {11, 38, 1, 4, 32, 35}, {1, 38, 0, 1, 29, 32},   // the photo designer draws no background
    };
    for (const Case& c : cases) {
        Rig rig(c.category);
        EXPECT_TRUE(rig.tick.run()) << c.category;
        EXPECT_EQ(rig.random.count(), c.draws) << c.category;

        const auto backs = rig.surface.callsOf(K::BackColor);
        if (c.background != 0) {
            ASSERT_EQ(backs.size(), 1u) << c.category;
            EXPECT_EQ(backs[0]->colour, colourFrom(c.background)) << c.category;
        } else {
            EXPECT_TRUE(backs.empty()) << c.category;
        }

        // Layer n takes its count from draw firstLayer + 4n and its colour from the next three.
        std::vector<std::vector<DevicePoint>> expected;
        std::vector<Rgb> expectedColours;
        const DesignRecipe recipe = recipeForCategory(c.category);
        for (std::size_t n = 0; n < recipe.layers.size(); ++n) {
            const int d = c.firstLayer + 4 * static_cast<int>(n);
            const LayerSpec& l = recipe.layers[n];
            for (auto& p : drawing::starPolygons(l.left, l.top, l.width, l.height, countFrom(d))) {
                expected.push_back(p);
                expectedColours.push_back(colourFrom(d + 1));
            }
        }
        EXPECT_EQ(polygonsOf(rig.surface), expected) << c.category;
        std::vector<Rgb> colours;
        for (const auto* p : rig.surface.callsOf(K::Polygon))
            colours.push_back(p->foreColor);
        EXPECT_EQ(colours, expectedColours) << c.category;

        const auto texts = rig.texts();
        ASSERT_FALSE(texts.empty()) << c.category;
        for (const auto* t : texts)
            EXPECT_EQ(t->foreColor, colourFrom(c.textColour)) << c.category;
        EXPECT_EQ(texts.back()->text, serialLineText(recipe, rig.host, u(c.serial), colourFrom(c.serial + 1)))
            << c.category;
        EXPECT_TRUE(texts.back()->text.contains(singleToText(99.0f * u(c.serial)))) << c.category;
        EXPECT_TRUE(texts.back()->text.endsWith(QString::number(colourFrom(c.serial + 1)))) << c.category;
        if (c.category == 1) {
            EXPECT_EQ(rig.host.dateColors, std::vector<Rgb>{colourFrom(36)});
            EXPECT_EQ(rig.host.dateCaptions, std::vector<QString>{QStringLiteral("2011-1-1 12:00:00")});
        }
    }
}

TEST(DesignTick, CategoriesTwoToFiveDifferOnlyInTheSecondStarsSize)
{
    Rig two(2);
    two.tick.run();
    for (int c = 3; c <= 5; ++c) {
        Rig other(c);
        other.tick.run();
        const auto a = polygonsOf(two.surface), b = polygonsOf(other.surface);
        const auto la = recipeForCategory(2).layers, lb = recipeForCategory(c).layers;
        // Same outer star, same centre pair; the second star has the same count but another box.
        const std::size_t outer =
            drawing::starPolygons(la[0].left, la[0].top, la[0].width, la[0].height, countFrom(4)).size();
        const std::size_t second = drawing::starPolygons(1, 1, 1000, 1000, countFrom(8)).size();
        ASSERT_EQ(a.size(), b.size()) << c;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (i >= outer && i < outer + second)
                EXPECT_NE(a[i], b[i]) << c;
            else
                EXPECT_EQ(a[i], b[i]) << c;
        }
        std::vector<QString> ta = textsOf(two.texts()), tb = textsOf(other.texts());
        ta.pop_back();   // the serial lines differ in the category number only
        tb.pop_back();
        EXPECT_EQ(ta, tb) << c;
        EXPECT_EQ(other.texts().back()->text,
                  QString(two.texts().back()->text).replace(QStringLiteral("ZRV2"), QStringLiteral("ZRV%1").arg(c)));
    }
}

TEST(DesignTick, RingsSitWhereTheRecipePlacesThem)
{
    struct Ring {
        std::int32_t cx, cy, radius;
        QString text;
    };
    struct Case {
        int category;
        QString combo6;
        std::vector<Ring> rings;
        float size;
        std::int32_t height;
        int width = 12855;
    };
    const FakeDesignHost cat = FakeDesignHost::categoryWindow(2);
    const FakeDesignHost photo = FakeDesignHost::photoWindow();
    const Case cases[] = {
        {2,
         QString(),
         {{6428, 12855, 5142, cat.texts[QStringLiteral("Text2")]},
          {6428, 12855, 2571, cat.texts[QStringLiteral("Text3")]},
          {6428, 6428, 2571, cat.texts[QStringLiteral("Text4")]}},
         20,
         -27},
        {1,
         QStringLiteral("0.2"),
         {{6428, 12855, 4114, photo.texts[QStringLiteral("Combo4")]},
          {6428, 6428, 2571, photo.texts[QStringLiteral("Combo3")]}},
         30,
         -40},
        {1,
         QStringLiteral(" 0.34"),
         {{6428, 12855, 4114, photo.texts[QStringLiteral("Combo4")]},
          {6428, 6428, 4371, photo.texts[QStringLiteral("Combo3")]}},
         30,
         -40},
        // A surface wider than high: centres follow the width, radii the height.
        {2,
         QString(),
         {{7000, 12855, 5142, cat.texts[QStringLiteral("Text2")]},
          {7000, 12855, 2571, cat.texts[QStringLiteral("Text3")]},
          {7000, 6428, 2571, cat.texts[QStringLiteral("Text4")]}},
         20,
         -27,
         14000},
    };
    for (const Case& c : cases) {
        Rig rig(c.category);
        rig.surface.setScale(c.width, 12855);
        if (!c.combo6.isNull())
            rig.host.texts[QStringLiteral("Combo6")] = c.combo6;
        rig.tick.run();
        const auto texts = rig.texts();
        std::size_t at = 0;
        for (const Ring& r : c.rings) {
            const auto layout = drawing::layoutTextRing([](const QString& s) { return 200.0f * s.size(); }, r.text,
                                                        r.cx, r.cy, r.radius, -1);
            ASSERT_FALSE(layout.failure.has_value());
            for (const auto& g : layout.glyphs) {
                ASSERT_LT(at, texts.size());
                const auto* t = texts[at++];
                EXPECT_EQ(t->text, g.text);
                EXPECT_EQ(t->x, g.x) << c.category << " radius " << r.radius;
                EXPECT_EQ(t->y, g.y) << c.category << " radius " << r.radius;
                EXPECT_EQ(t->font.escapement, g.rotation * 10);
                EXPECT_EQ(t->font.height, c.height);
                EXPECT_EQ(t->font.weight, 800);
                EXPECT_EQ(t->font.faceName, QStringLiteral("arial"));
            }
        }
        EXPECT_EQ(at + 1, texts.size()) << "the serial line follows the rings";
    }
}

TEST(DesignTick, SerialLineText)
{
    struct Case {
        int category;
        QString expected;
    };
    // Every draw 0.5: 99 * 0.5 = 49.5, RGB(115, 115, 115) = 7566195.
    const Case cases[] = {
        {2, QStringLiteral("NO: ZRV290535049.57566195")},   {6, QStringLiteral("NO: ZRV690535049.57566195")},
        {10, QStringLiteral("NO: ZRV1012535049.57566195")},   // the window starts with width "12"
        {11, QStringLiteral("NO: ZRV90535049.57566195")},   {1, QStringLiteral("NO: ZRV190835049.57566195")},
    };
    for (const Case& c : cases) {
        Rig rig(c.category, {0.5f});
        rig.tick.run();
        const auto* serial = rig.texts().back();
        EXPECT_EQ(serial->text, c.expected) << c.category;
        EXPECT_EQ(serial->x, 643);   // round(12855 / 20)
        EXPECT_EQ(serial->y, 0);
        EXPECT_EQ(serial->font, drawing::rotatedTextFont(360, QStringLiteral("Arial"), 18, true, 15));
    }
    // The texts of the two lists go in as typed.
    Rig typed(2, {0.0f});
    typed.host.texts[QStringLiteral("Combo1")] = QStringLiteral(" 12 ");
    typed.host.texts[QStringLiteral("Combo2")] = QStringLiteral("abc");
    typed.tick.run();
    EXPECT_EQ(typed.texts().back()->text, QStringLiteral("NO: ZRV2 12 abc35000"));
}

TEST(DesignTick, FailedStepsAreSkippedAndChangeNothingElse)
{
    enum class Effect {
        KeepsWidth,
        KeepsMode,
        NoRing,
        StarCut
    };
    struct Case {
        const char* name;
        int category;
        QString control, value;
        Effect effect;
        int ring;
    };
    const Case cases[] = {
        {"width abc", 2, QStringLiteral("Combo1"), QStringLiteral("abc"), Effect::KeepsWidth, 0},
        {"width 0", 2, QStringLiteral("Combo1"), QStringLiteral("0"), Effect::KeepsWidth, 0},
        {"width beyond 16 bits", 2, QStringLiteral("Combo1"), QStringLiteral("40000"), Effect::KeepsWidth, 0},
        {"mode 0", 2, QStringLiteral("Combo2"), QStringLiteral("0"), Effect::KeepsMode, 0},
        {"mode 17", 2, QStringLiteral("Combo2"), QStringLiteral("17"), Effect::KeepsMode, 0},
        {"photo mode empty", 1, QStringLiteral("Combo2"), QString(), Effect::KeepsMode, 0},
        {"empty Text3", 2, QStringLiteral("Text3"), QString(), Effect::NoRing, 1},
        {"empty Text2", 6, QStringLiteral("Text2"), QString(), Effect::NoRing, 0},
        {"empty Combo4", 1, QStringLiteral("Combo4"), QString(), Effect::NoRing, 0},
        {"Combo6 not a number", 1, QStringLiteral("Combo6"), QStringLiteral("abc"), Effect::NoRing, 1},
        {"radius below 29 twips", 1, QStringLiteral("Combo6"), QStringLiteral("0.002"), Effect::NoRing, 1},
        {"failing star", 2, QString(), QString(), Effect::StarCut, 0},
    };
    for (const Case& c : cases) {
        Rig base(c.category);
        base.surface.setDrawWidth(7);
        base.surface.setDrawMode(4);
        ASSERT_TRUE(base.tick.run());
        Rig rig(c.category);
        rig.surface.setDrawWidth(7);
        rig.surface.setDrawMode(4);
        if (!c.control.isEmpty())
            rig.host.texts[c.control] = c.value;
        if (c.effect == Effect::StarCut)
            rig.surface.failPolygonAt = 1;
        EXPECT_TRUE(rig.tick.run()) << c.name;
        EXPECT_EQ(rig.random.count(), base.random.count()) << c.name;

        auto basePolys = polygonsOf(base.surface);
        const auto polys = polygonsOf(rig.surface);
        if (c.effect == Effect::StarCut) {
            // The first star fails at its first polygon; every later layer is drawn.
            const std::size_t first = drawing::starShape(countFrom(4)).polygonCount();
            basePolys.erase(basePolys.begin(), basePolys.begin() + static_cast<std::ptrdiff_t>(first));
        }
        EXPECT_EQ(polys, basePolys) << c.name;
        for (const auto* p : rig.surface.callsOf(K::Polygon)) {
            EXPECT_EQ(p->drawWidth, c.effect == Effect::KeepsWidth ? 7 : 90) << c.name;
            EXPECT_EQ(p->drawMode, c.effect == Effect::KeepsMode ? 4 : (c.category == 1 ? 8 : 5)) << c.name;
        }

        std::vector<QString> baseTexts = textsOf(base.texts());
        if (c.effect == Effect::NoRing) {
            // Drop the ring's characters from the baseline.
            const DesignRecipe recipe = recipeForCategory(c.category);
            std::size_t from = 0;
            for (int r = 0; r < c.ring; ++r)
                from += static_cast<std::size_t>(
                    base.host.texts[recipe.rings[static_cast<std::size_t>(r)].textSource].size());
            const auto n = base.host.texts[recipe.rings[static_cast<std::size_t>(c.ring)].textSource].size();
            baseTexts.erase(baseTexts.begin() + static_cast<std::ptrdiff_t>(from),
                            baseTexts.begin() + static_cast<std::ptrdiff_t>(from + static_cast<std::size_t>(n)));
        }
        std::vector<QString> texts = textsOf(rig.texts());
        // The serial line carries the list texts as typed; compare it without them.
        ASSERT_FALSE(texts.empty()) << c.name;
        if (c.control == QStringLiteral("Combo1") || c.control == QStringLiteral("Combo2")) {
            texts.pop_back();
            baseTexts.pop_back();
        }
        EXPECT_EQ(texts, baseTexts) << c.name;
    }
}

TEST(DesignTick, HiddenWindowStopsAtTheFirstFailingStep)
{
    struct Case {
        const char* name;
        QString control, value;
        bool failStar;
        std::size_t draws;
        std::size_t polygons;
    };
    const Case cases[] = {
        {"width abc", QStringLiteral("Combo1"), QStringLiteral("abc"), false, 3, 0},
        {"mode 0", QStringLiteral("Combo2"), QStringLiteral("0"), false, 3, 0},
        {"failing first star", QString(), QString(), true, 7, 0},
    };
    for (const Case& c : cases) {
        Rig hidden(11);
        if (!c.control.isEmpty())
            hidden.host.texts[c.control] = c.value;
        hidden.surface.failPolygonAt = c.failStar ? 1 : 0;
        EXPECT_FALSE(hidden.tick.run()) << c.name;
        EXPECT_EQ(hidden.random.count(), c.draws) << c.name;
        EXPECT_EQ(hidden.surface.callsOf(K::Polygon).size(), c.polygons) << c.name;
        EXPECT_TRUE(hidden.texts().empty()) << c.name;
        EXPECT_TRUE(hidden.surface.callsOf(K::FontName).empty()) << c.name;
        EXPECT_EQ(hidden.tick.designCount(), 1) << c.name;

        // A category window goes on past the same failure.
        Rig shown(2);
        if (!c.control.isEmpty())
            shown.host.texts[c.control] = c.value;
        shown.surface.failPolygonAt = c.failStar ? 1 : 0;
        EXPECT_TRUE(shown.tick.run()) << c.name;
        EXPECT_EQ(shown.random.count(), 26u) << c.name;
        EXPECT_FALSE(shown.texts().empty()) << c.name;
    }
    // An empty ring text is no failure: the hidden window finishes its tick.
    Rig hidden(11);
    hidden.host.texts[QStringLiteral("Text3")] = QString();
    EXPECT_TRUE(hidden.tick.run());
    EXPECT_EQ(hidden.random.count(), 38u);
}

TEST(DesignTick, CountsDesignsInLabel11)
{
    Rig rig(2);
    for (int i = 0; i < 10; ++i)
        rig.tick.run();
    ASSERT_EQ(rig.host.countCaptions.size(), 10u);
    EXPECT_EQ(rig.host.countCaptions.front(), QStringLiteral("1"));
    EXPECT_EQ(rig.host.countCaptions.back(), QStringLiteral("10"));
    EXPECT_EQ(rig.tick.designCount(), 10);

    // At the largest count the increment fails; the count stays and the tick goes on.
    const std::int32_t max = std::numeric_limits<std::int32_t>::max();
    Rig top(2);
    top.tick.setDesignCount(max);
    EXPECT_TRUE(top.tick.run());
    EXPECT_EQ(top.tick.designCount(), max);
    EXPECT_EQ(top.host.countCaptions, std::vector<QString>{QStringLiteral("2147483647")});
    EXPECT_FALSE(top.texts().empty());

    // The hidden window's tick ends right there.
    Rig hidden(11);
    hidden.tick.setDesignCount(max);
    EXPECT_FALSE(hidden.tick.run());
    EXPECT_TRUE(hidden.host.countCaptions.empty());
    EXPECT_TRUE(hidden.surface.calls.empty());
}

TEST(DesignTick, PhotoBackgroundComesFromTheSetting)
{
    struct Case {
        QString text;
        bool applied;
        Rgb colour;
    };
    const Case cases[] = {
        {QStringLiteral("255"), true, 255},
        {QStringLiteral(" 65280 "), true, 65280},
        {QStringLiteral("16777215"), true, 0xFFFFFF},
        {QStringLiteral("RGB(230 * Rnd, 230 * Rnd, 230 * Rnd)"), false, 0},
        {QStringLiteral("abc"), false, 0},
        {QStringLiteral("16777216"), false, 0},
        {QStringLiteral("-1"), false, 0},
        {QStringLiteral("1e12"), false, 0},
    };
    for (const Case& c : cases) {
        Rig rig(1);
        rig.surface.setBackColor(0x400000);   // #000040
        rig.surface.reset();
        rig.host.texts[QStringLiteral("Text6")] = c.text;
        EXPECT_TRUE(rig.tick.run());
        const auto backs = rig.surface.callsOf(K::BackColor);
        if (c.applied) {
            ASSERT_EQ(backs.size(), 1u) << c.text.toStdString();
            EXPECT_EQ(backs[0]->colour, c.colour);
        } else {
            EXPECT_TRUE(backs.empty()) << c.text.toStdString();
            EXPECT_EQ(rig.surface.backColor(), 0x400000u);
        }
        EXPECT_EQ(rig.random.count(), 38u);
    }
}

TEST(DesignTick, PreviewsAndFontSteps)
{
    struct Case {
        int category;
        std::vector<int> previews;
        float size;
    };
    const Case cases[] = {{2, {1, 2, 3, 4, 5}, 20}, {9, {1, 2, 3, 4, 5}, 20}, {11, {}, 20}, {1, {}, 30}};
    for (const Case& c : cases) {
        Rig rig(c.category);
        rig.tick.run();
        EXPECT_EQ(rig.host.previews, c.previews) << c.category;
        // After the tick the surface keeps the ring font and the text colour.
        EXPECT_EQ(rig.surface.fontName(), QStringLiteral("arial"));
        EXPECT_EQ(rig.surface.fontSize(), c.size);
        EXPECT_TRUE(rig.surface.fontBold());
        EXPECT_EQ(rig.surface.foreColor(), rig.texts().back()->foreColor);
        // Clear comes first of all drawing.
        ASSERT_FALSE(rig.surface.calls.empty());
        EXPECT_EQ(rig.surface.calls.front().kind, K::Clear);
    }
}

TEST(DesignTick, PointCountsBelowThreeDrawTriangles)
{
    // Draw 4 of 0.01 gives a count of 1 for the first layer of category 2.
    std::vector<float> draws = knownSequence();
    draws[3] = 0.01f;
    Rig rig(2, draws);
    rig.tick.run();
    const auto polys = rig.surface.callsOf(K::Polygon);
    ASSERT_FALSE(polys.empty());
    EXPECT_EQ(polys[0]->points, (std::vector<DevicePoint>{{430, 97}, {719, 597}, {141, 597}}));
}
