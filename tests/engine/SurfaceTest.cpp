// The drawing surface's state, background, text and fonts.
#include "engine/Fonts.h"
#include "engine/RasterSurface.h"
#include "engine/raster/PenRaster.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <functional>

#include <gtest/gtest.h>

#include "FontFaces.h"
#include "TestImages.h"

#include <cmath>
#include <vector>

using namespace lh;

namespace {

Rgb at(const RasterSurface& s, int x, int y) { return raster::fromPixel(s.image().pixel(x, y)); }

// Bounding box of the pixels that differ from the background colour.
QRect ink(const QImage& img, Rgb back) { return test::inkArea(img, raster::toPixel(back)); }

LogFontRecord record(const QString& face, int height, int weight, int escapement)
{
    LogFontRecord r;
    r.faceName = face;
    r.height = height;
    r.weight = weight;
    r.escapement = escapement;
    return r;
}

}   // namespace

TEST(SurfaceState, StartsAsAWhiteDesignerSurface)
{
    RasterSurface s(857, 857);
    EXPECT_EQ(s.scaleWidth(), 12855);
    EXPECT_EQ(s.scaleHeight(), 12855);
    EXPECT_EQ(s.twipsPerPixelX(), 15.0);
    EXPECT_EQ(s.image().size(), QSize(857, 857));
    EXPECT_EQ(s.drawWidth(), 1);
    EXPECT_EQ(s.drawMode(), 13);
    EXPECT_EQ(at(s, 856, 856), 0xFFFFFFu);
}

TEST(SurfaceState, InvalidSettingsFailAndKeepThePreviousValue)
{
    RasterSurface s(50, 50);
    s.setDrawWidth(7);
    s.setDrawMode(8);
    s.setBackColor(0x102030);
    s.setForeColor(0x405060);
    s.setFontSize(20);
    const struct {
        const char* what;
        std::function<void()> call;
    } cases[] = {
        {"width 0", [&] { s.setDrawWidth(0); }},
        {"width -3", [&] { s.setDrawWidth(-3); }},
        {"mode 0", [&] { s.setDrawMode(0); }},
        {"mode 17", [&] { s.setDrawMode(17); }},
        {"back colour above 24 bits", [&] { s.setBackColor(0x1000000); }},
        {"fore colour above 24 bits", [&] { s.setForeColor(0xFFFFFFFF); }},
        {"font size 0", [&] { s.setFontSize(0); }},
        {"font size negative", [&] { s.setFontSize(-4); }},
        {"font size NaN", [&] { s.setFontSize(std::nanf("")); }},
    };
    for (const auto& c : cases)
        EXPECT_THROW(c.call(), StepFailure) << c.what;
    EXPECT_EQ(s.drawWidth(), 7);
    EXPECT_EQ(s.drawMode(), 8);
    EXPECT_EQ(s.backColor(), 0x102030u);
    EXPECT_EQ(s.foreColor(), 0x405060u);
    EXPECT_EQ(s.fontSize(), 20.0f);
    EXPECT_EQ(at(s, 10, 10), 0x102030u);
}

TEST(SurfaceBackground, BackColorClearAndPicture)
{
    RasterSurface s(200, 100);
    const std::vector<DevicePoint> box = {{20, 20}, {180, 20}, {180, 80}, {20, 80}};
    s.setDrawWidth(9);
    s.polygon(box);
    ASSERT_EQ(at(s, 20, 20), 0u);

    // A new background colour repaints everything, drawing included.
    s.setBackColor(rgb(10, 200, 30));
    EXPECT_EQ(ink(s.image(), rgb(10, 200, 30)), QRect());

    // Clear refills and sends the text position home.
    s.polygon(box);
    s.setCurrentX(300);
    s.setCurrentY(450);
    s.clear();
    EXPECT_EQ(ink(s.image(), rgb(10, 200, 30)), QRect());
    EXPECT_EQ(s.currentX(), 0.0);
    EXPECT_EQ(s.currentY(), 0.0);

    // With a background picture, clear shows it over the colour at the top-left.
    QImage picture(50, 40, QImage::Format_ARGB32);
    picture.fill(QColor(255, 0, 0));
    s.setBackgroundPicture(picture);
    EXPECT_TRUE(s.hasBackgroundPicture());
    s.polygon(box);
    s.clear();
    EXPECT_EQ(at(s, 0, 0), rgb(255, 0, 0));
    EXPECT_EQ(at(s, 49, 39), rgb(255, 0, 0));
    EXPECT_EQ(at(s, 50, 39), rgb(10, 200, 30));
    EXPECT_EQ(at(s, 100, 20), rgb(10, 200, 30));
    s.setBackColor(rgb(0, 0, 90));
    EXPECT_EQ(at(s, 10, 10), rgb(255, 0, 0)) << "the picture stays above a new colour";
    EXPECT_EQ(at(s, 100, 90), rgb(0, 0, 90));

    // A picture larger than the surface is cut at its edges.
    QImage big(400, 300, QImage::Format_RGB32);
    big.fill(QColor(0, 255, 255));
    s.setBackgroundPicture(big);
    EXPECT_EQ(ink(s.image(), rgb(0, 255, 255)), QRect());

    s.setBackgroundPicture(QImage());
    EXPECT_FALSE(s.hasBackgroundPicture());
    s.clear();
    EXPECT_EQ(ink(s.image(), rgb(0, 0, 90)), QRect());
}

TEST(SurfaceBackground, ImageIsASnapshot)
{
    RasterSurface s(60, 60);
    const QImage before = s.image();
    s.setDrawWidth(5);
    s.polygon(std::vector<DevicePoint>{{10, 10}, {50, 10}, {30, 50}});
    EXPECT_EQ(raster::fromPixel(before.pixel(10, 10)), 0xFFFFFFu) << "drawing does not reach a copy taken earlier";
    EXPECT_EQ(at(s, 10, 10), 0u);
}

TEST(SurfaceDirty, CoversEveryChangedPixel)
{
    RasterSurface s(300, 300);
    EXPECT_EQ(s.takeDirtyRect(), QRect(0, 0, 300, 300));
    EXPECT_TRUE(s.takeDirtyRect().isEmpty());

    auto step = [&](const char* what, const std::function<void()>& draw) {
        const QImage before = s.image();
        draw();
        const QRect dirty = s.takeDirtyRect();
        const QRect diff = test::changedArea(before, s.image());
        EXPECT_FALSE(diff.isEmpty()) << what;
        EXPECT_TRUE(dirty.contains(diff)) << what;
        EXPECT_LT(dirty.width() * dirty.height(), 300 * 300) << what << ": no more than the drawing";
    };
    step("wide star", [&] {
        s.setForeColor(rgb(200, 30, 90));
        s.setDrawWidth(12);
        s.setDrawMode(7);
        s.polygon(std::vector<DevicePoint>{{150, 40}, {200, 200}, {60, 100}, {240, 100}, {100, 200}});
    });
    step("thin line", [&] {
        s.setDrawWidth(1);
        s.polygon(std::vector<DevicePoint>{{10, 250}, {120, 280}});
    });
    step("fill", [&] { s.fillPolygon(std::vector<DevicePoint>{{200, 200}, {290, 210}, {250, 290}}, 0xFF); });
    step("turned text", [&] {
        s.setCurrentX(150 * 15);
        s.setCurrentY(150 * 15);
        s.textOut(QStringLiteral("Wg中"), record(QStringLiteral("arial"), -27, 800, 1350));
    });
    step("printed text", [&] {
        s.setCurrentX(0);
        s.setCurrentY(0);
        s.print(QStringLiteral("Hello"));
    });
    s.setBackColor(0x00FF00);
    EXPECT_EQ(s.takeDirtyRect(), QRect(0, 0, 300, 300));
}

TEST(Fonts, FacesResolveToInstalledFamilies)
{
    const struct {
        const char* face;
        const char* family;
    } cases[] = {
        {"arial", "Liberation Sans"},
        {"Arial", "Liberation Sans"},
        {"宋体", "Noto Serif CJK SC"},
    };
    for (const auto& c : cases) {
        const QFont f = resolveFont(QString::fromUtf8(c.face), 20, true);
        EXPECT_EQ(QFontInfo(f).family(), QString::fromLatin1(c.family)) << c.face;
        EXPECT_EQ(f.pixelSize(), 27) << c.face;
    }
    EXPECT_EQ(resolveFont(QStringLiteral("Arial"), 30, false).pixelSize(), 40);
    // A widget that names the face itself gets the same family.
    installFontSubstitutions();
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("宋体"))).family(), QStringLiteral("Noto Serif CJK SC"));
    EXPECT_EQ(resolveFont(QStringLiteral("Arial"), 10.5, false).pixelSize(), 14);
}

TEST(Fonts, ChineseCharactersComeFromSimplifiedChineseFaces)
{
    const QString greeting = QStringLiteral("生日快乐骨");   // 骨 differs between the Chinese and Japanese forms
    const struct {
        const char* face;
        const char* family;
    } cases[] = {
        {"arial", "Noto Sans CJK SC"},
        {"宋体", "Noto Serif CJK SC"},
    };
    for (const auto& c : cases) {
        const QStringList used = test::familiesUsedFor(greeting, resolveFont(QString::fromUtf8(c.face), 20, true));
        ASSERT_FALSE(used.isEmpty()) << c.face;
        for (const QString& family : used)
            EXPECT_EQ(family, QString::fromLatin1(c.family)) << c.face;
    }
    // Latin text in the Arial face stays in Liberation Sans.
    EXPECT_EQ(test::familiesUsedFor(QStringLiteral("NO: ZRV"), resolveFont(QStringLiteral("arial"), 20, true)),
              QStringList{QStringLiteral("Liberation Sans")});
}

TEST(Fonts, RecordHeightsAndWeights)
{
    const QFont f = fontForRecord(record(QStringLiteral("Arial"), -24, 800, 0));
    EXPECT_EQ(f.pixelSize(), 24);
    EXPECT_EQ(f.weight(), QFont::ExtraBold);
    EXPECT_EQ(fontForRecord(record(QStringLiteral("Arial"), -40, 400, 0)).weight(), QFont::Normal);
    LogFontRecord styled = record(QStringLiteral("宋体"), -14, 700, 0);
    styled.italic = styled.underline = styled.strikeOut = 1;
    const QFont g = fontForRecord(styled);
    EXPECT_TRUE(g.italic() && g.underline() && g.strikeOut());
    // A positive height is the cell: ascent plus descent come to about that.
    const QFontMetricsF m(fontForRecord(record(QStringLiteral("Arial"), 40, 400, 0)));
    EXPECT_NEAR(m.ascent() + m.descent(), 40.0, 1.0);
}

TEST(SurfaceText, MeasuredWidthAgreesWithWhatIsDrawn)
{
    RasterSurface s(857, 200);
    s.setForeColor(0);
    s.setFontName(QStringLiteral("arial"));
    s.setFontSize(20);
    s.setFontBold(true);
    const QString text = QStringLiteral("HEH 生日快乐H");
    const double advancePx = s.textWidth(text) / 15.0;
    s.setCurrentX(10 * 15);
    s.setCurrentY(20 * 15);
    s.print(text);
    const QRect printed = ink(s.image(), 0xFFFFFF);
    ASSERT_FALSE(printed.isEmpty());
    // "H" has small side bearings: the ink ends within a few pixels of the advance.
    EXPECT_NEAR(printed.left(), 10, 3);
    EXPECT_NEAR(printed.right() + 1, 10 + advancePx, 3);
    EXPECT_EQ(s.currentX(), 0.0) << "printing moves to the next line";
    EXPECT_GT(s.currentY(), 20 * 15);

    // The rotated-text path with the same height draws the same extent (its
    // weight 800 is the same bold face).
    RasterSurface t(857, 200);
    t.setForeColor(0);
    t.setCurrentX(10 * 15);
    t.setCurrentY(20 * 15);
    t.textOut(text, record(QStringLiteral("arial"), -27, 800, 0));
    const QRect out = ink(t.image(), 0xFFFFFF);
    EXPECT_EQ(out.left(), printed.left());
    EXPECT_NEAR(out.right(), printed.right(), 1);

    // Widths add up along a text and follow the font.
    EXPECT_NEAR(s.textWidth(QStringLiteral("HE")), s.textWidth(QStringLiteral("H")) + s.textWidth(QStringLiteral("E")),
                0.01);
    const float bold = s.textWidth(QStringLiteral("Hello"));
    s.setFontBold(false);
    const float regular = s.textWidth(QStringLiteral("Hello"));
    EXPECT_LT(regular, bold);
    s.setFontSize(40);
    EXPECT_NEAR(s.textWidth(QStringLiteral("Hello")), 2 * regular, 0.05 * regular);   // hinted advances round per size
    EXPECT_EQ(s.textWidth(QString()), 0.0f);
}

TEST(SurfaceText, TurnsCounterClockwiseAroundTheCellCorner)
{
    const QString text = QStringLiteral("HHHHHH");
    const QFont font = fontForRecord(record(QStringLiteral("arial"), -27, 800, 0));
    const QFontMetricsF m(font);
    const double advance = m.horizontalAdvance(text);
    const double cell = m.ascent() + m.descent();
    const QPoint ref(300, 300);

    auto draw = [&](int escapement) {
        RasterSurface s(600, 600);
        s.setForeColor(rgb(0, 0, 200));
        s.setCurrentX(ref.x() * 15);
        s.setCurrentY(ref.y() * 15);
        s.textOut(text, record(QStringLiteral("arial"), -27, 800, escapement));
        return s.image();
    };
    const struct {
        int escapement;
        QRectF box;
        const char* why;
    } cases[] = {
        {0, QRectF(ref.x(), ref.y(), advance, cell), "runs right, hangs below the reference point"},
        {900, QRectF(ref.x(), ref.y() - advance, cell, advance), "runs straight up, glyph tops facing left"},
        {1800, QRectF(ref.x() - advance, ref.y() - cell, advance, cell), "upside down, runs left"},
        {2700, QRectF(ref.x() - cell, ref.y(), cell, advance), "runs straight down"},
    };
    for (const auto& c : cases) {
        const QRect got = ink(draw(c.escapement), 0xFFFFFF);
        ASSERT_FALSE(got.isEmpty()) << c.why;
        EXPECT_TRUE(c.box.adjusted(-2, -2, 2, 2).contains(QRectF(got))) << c.why;
        // The ink fills most of the run's length.
        const double length = (c.escapement / 900) % 2 ? got.height() : got.width();
        EXPECT_GT(length, advance - 6) << c.why;
    }
    // At 90 degrees the glyph tops face left: the cap line (ascent minus the
    // cap height from the cell's edge) is the ink's left edge.
    const QRect up = ink(draw(900), 0xFFFFFF);
    EXPECT_NEAR(up.left(), ref.x() + m.ascent() - m.capHeight(), 2);
    EXPECT_EQ(draw(3600), draw(0)) << "a full turn is horizontal";
}

TEST(SurfaceText, CharactersMatchQtsOwnDrawingAtEveryAngle)
{
    // Qt draws the same character with the same turn about the same point;
    // antialiased edges may be weighted differently, the glyph's solid core
    // and its extent must agree.
    const Rgb colour = rgb(20, 60, 200);
    const QPoint ref(100, 100);
    auto solid = [&](QRgb p) {
        return std::abs(qRed(p) - 20) < 16 && std::abs(qGreen(p) - 60) < 16 && std::abs(qBlue(p) - 200) < 16;
    };
    for (const QString& text : {QStringLiteral("H"), QStringLiteral("骨"), QStringLiteral("NO: ZRV2")}) {
        for (int escapement : {0, 450, 900, 1337, 2700, -300}) {
            const LogFontRecord rec = record(QStringLiteral("arial"), -27, 800, escapement);
            const QFont font = fontForRecord(rec);
            QImage direct(240, 240, QImage::Format_RGB32);
            direct.fill(Qt::white);
            {
                QPainter p(&direct);
                p.setPen(QColor(20, 60, 200));
                p.setFont(font);
                p.translate(ref);
                p.rotate(-escapement / 10.0);
                p.drawText(QPointF(0, QFontMetricsF(font).ascent()), text);
            }
            // Twice: the second print of a character reuses its mask.
            RasterSurface s(240, 240);
            s.setForeColor(colour);
            for (int round = 0; round < 2; ++round) {
                s.clear();
                s.setCurrentX(ref.x() * 15);
                s.setCurrentY(ref.y() * 15);
                s.textOut(text, rec);
                const QImage ours = s.image();
                const std::string what = text.toStdString() + " at " + std::to_string(escapement);
                EXPECT_EQ(ink(ours, 0xFFFFFF), ink(direct, 0xFFFFFF)) << what;
                int mismatched = 0, core = 0;
                for (int y = 0; y < 240; ++y)
                    for (int x = 0; x < 240; ++x) {
                        core += solid(direct.pixel(x, y));
                        mismatched += solid(direct.pixel(x, y)) && !solid(ours.pixel(x, y));
                        mismatched += solid(ours.pixel(x, y)) && qRed(direct.pixel(x, y)) > 128;
                    }
                EXPECT_GT(core, 10) << what;
                EXPECT_EQ(mismatched, 0) << what;
            }
        }
    }
}

TEST(SurfaceText, HugeAndFarText)
{
    RasterSurface s(300, 200);
    s.setForeColor(0);
    const struct {
        const char* what;
        QString text;
        int height;
        int escapement;
        double x, y;
        bool inks;
    } cases[] = {
        // The middle of the character (its vertical stroke) lies over the surface.
        {"one huge character", QStringLiteral("中"), -4000, 0, -30000, -30000, true},
        {"a huge line", QStringLiteral("蓝禾图案 Lanhe 2026"), -4000, 0, -15000, -15000, true},
        {"far to the right", QStringLiteral("ZRV"), -27, 0, 1.0e9, 0, false},
        {"beyond the number range", QStringLiteral("中"), -27, 0, 1.0e300, -1.0e300, false},
        {"not a number", QStringLiteral("中"), -27, 0, std::nan(""), 0, false},
    };
    for (const auto& c : cases) {
        s.clear();
        s.takeDirtyRect();
        s.setCurrentX(c.x);
        s.setCurrentY(c.y);
        s.textOut(c.text, record(QStringLiteral("arial"), c.height, 400, c.escapement));
        const QRect dirty = s.takeDirtyRect();
        EXPECT_TRUE(QRect(0, 0, 300, 200).contains(dirty) || dirty.isEmpty()) << c.what;
        EXPECT_EQ(!ink(s.image(), 0xFFFFFF).isEmpty(), c.inks) << c.what;
    }
    // The stem of a 2880-pixel "I" crosses the surface's top-left corner.
    s.setFontName(QStringLiteral("Arial"));
    s.setFontSize(2160);
    s.setCurrentX(-200 * 15);
    s.setCurrentY(-600 * 15);
    s.print(QStringLiteral("I"));
    EXPECT_FALSE(ink(s.image(), 0xFFFFFF).isEmpty());
}

TEST(SurfaceBackground, TransparentPartsOfAPictureShowTheBackColour)
{
    QImage picture(20, 10, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    for (int x = 0; x < 10; ++x)
        for (int y = 0; y < 10; ++y)
            picture.setPixelColor(x, y, QColor(255, 0, 0));
    picture.setPixelColor(15, 5, QColor(0, 0, 255, 128));
    RasterSurface s(40, 40);
    s.setBackColor(rgb(0, 200, 0));
    s.setBackgroundPicture(picture);
    EXPECT_EQ(at(s, 5, 5), rgb(255, 0, 0));
    EXPECT_EQ(at(s, 12, 5), rgb(0, 200, 0));
    const Rgb half = at(s, 15, 5);
    EXPECT_NEAR(blueOf(half), 128, 2);
    EXPECT_NEAR(greenOf(half), 100, 2);
    s.setBackColor(rgb(0, 0, 0));
    EXPECT_EQ(at(s, 12, 5), 0u) << "a new colour shows through as well";
}

// What a surface has printed and measured before must not leak into what it
// prints and measures next: each case changes one field of the font, and the
// warm surface (used with the first font, then switched) must agree with a
// fresh one that only ever had the second.
TEST(SurfaceTextCaches, ASurfaceFontThatDiffersInOneFieldMeasuresAndPrintsAsOnAFreshSurface)
{
    struct SurfaceFont {
        QString face;
        float points;
        bool bold;
    };
    const SurfaceFont base{QStringLiteral("Arial"), 20, false};
    const struct {
        const char* field;
        SurfaceFont other;
    } cases[] = {
        {"face", {QStringLiteral("Times New Roman"), 20, false}},
        {"size", {QStringLiteral("Arial"), 26, false}},
        {"bold", {QStringLiteral("Arial"), 20, true}},
    };
    const QString text = QStringLiteral("Wide 蓝禾 2011");
    auto use = [&](RasterSurface& s, const SurfaceFont& f) {
        s.setFontName(f.face);
        s.setFontSize(f.points);
        s.setFontBold(f.bold);
    };
    auto printAndMeasure = [&](RasterSurface& s, float* width) {
        *width = s.textWidth(text);
        s.clear();
        s.setCurrentX(10 * 15);
        s.setCurrentY(10 * 15);
        s.print(text);
        return s.image();
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        RasterSurface fresh(400, 80), first(400, 80), warm(400, 80);
        float freshWidth = 0, firstWidth = 0, warmWidth = 0;
        use(fresh, c.other);
        const QImage freshImage = printAndMeasure(fresh, &freshWidth);
        use(first, base);
        const QImage firstImage = printAndMeasure(first, &firstWidth);
        ASSERT_NE(firstWidth, freshWidth) << "the field changes nothing to measure";
        ASSERT_NE(firstImage, freshImage) << "the field changes nothing to see";

        use(warm, base);
        printAndMeasure(warm, &warmWidth);
        use(warm, c.other);
        const QImage warmImage = printAndMeasure(warm, &warmWidth);
        EXPECT_EQ(warmWidth, freshWidth);
        EXPECT_EQ(test::changedArea(warmImage, freshImage), QRect());
    }
}

TEST(SurfaceTextCaches, ATextRecordThatDiffersInOneFieldDrawsAsOnAFreshSurface)
{
    LogFontRecord base = record(QStringLiteral("Arial"), -40, 400, 300);
    auto with = [&](auto change) {
        LogFontRecord r = base;
        change(r);
        return r;
    };
    const struct {
        const char* field;
        LogFontRecord other;
    } cases[] = {
        {"face", with([](LogFontRecord& r) { r.faceName = QStringLiteral("Times New Roman"); })},
        {"height", with([](LogFontRecord& r) { r.height = -48; })},
        {"cell height", with([](LogFontRecord& r) { r.height = 40; })},
        {"weight", with([](LogFontRecord& r) { r.weight = 700; })},
        {"italic", with([](LogFontRecord& r) { r.italic = 1; })},
        {"underline", with([](LogFontRecord& r) { r.underline = 1; })},
        {"strike-out", with([](LogFontRecord& r) { r.strikeOut = 1; })},
        {"angle", with([](LogFontRecord& r) { r.escapement = 600; })},
    };
    // Short texts (the characters of the rings) and a longer one, which is
    // drawn without the kept masks.
    for (const QString& text : {QStringLiteral("Ag"), QStringLiteral("福"), QStringLiteral("Agf 福")}) {
        auto draw = [&](RasterSurface& s, const LogFontRecord& font) {
            s.clear();
            s.setCurrentX(60 * 15);
            s.setCurrentY(100 * 15);
            s.textOut(text, font);
            return s.image();
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(text.toStdString() + ", " + c.field);
            RasterSurface fresh(260, 160), first(260, 160), warm(260, 160);
            const QImage freshImage = draw(fresh, c.other);
            ASSERT_NE(draw(first, base), freshImage) << "the field changes nothing to see";
            draw(warm, base);
            EXPECT_EQ(test::changedArea(draw(warm, c.other), freshImage), QRect());
        }
    }
}

TEST(SurfaceScale, ALargerImageWithTheUnitsAndMeasuresOfTheScreenSurface)
{
    RasterSurface screen(100, 80);
    for (int k : {2, 4}) {
        SCOPED_TRACE(k);
        RasterSurface s(100, 80, k);
        EXPECT_EQ(s.image().size(), QSize(100 * k, 80 * k));
        EXPECT_EQ(s.scaleWidth(), screen.scaleWidth());
        EXPECT_EQ(s.scaleHeight(), screen.scaleHeight());
        EXPECT_EQ(s.twipsPerPixelX(), 15.0);

        // A 3-pixel pen through (10, 10)-(60, 10): 3k image pixels wide around the middle of pixel row 10.
        s.setBackColor(0xFFFFFF);
        s.setDrawWidth(3);
        const std::vector<DevicePoint> line = {{10, 10}, {60, 10}};
        s.polygon(line);
        const QRect pen = ink(s.image(), 0xFFFFFF);
        EXPECT_EQ(pen.height(), 3 * k);
        EXPECT_NEAR(pen.center().y(), 10 * k + k / 2, 1);
        EXPECT_NEAR(pen.width(), 53 * k, 2 * k);

        // Text measures as on the screen surface and is drawn k times larger.
        s.setFontName(QStringLiteral("Arial"));
        s.setFontSize(20);
        screen.setFontName(QStringLiteral("Arial"));
        screen.setFontSize(20);
        const QString text = QStringLiteral("ZRV1908");
        EXPECT_NEAR(s.textWidth(text), screen.textWidth(text), 0.05 * screen.textWidth(text));
        s.clear();
        screen.clear();
        s.setCurrentX(150);
        s.setCurrentY(300);
        screen.setCurrentX(150);
        screen.setCurrentY(300);
        s.print(text);
        screen.print(text);
        const QRect big = ink(s.image(), 0xFFFFFF);
        const QRect small = ink(screen.image(), 0xFFFFFF);
        EXPECT_NEAR(big.width(), small.width() * k, 2 * k);
        EXPECT_NEAR(big.height(), small.height() * k, 2 * k);
        EXPECT_NEAR(big.left(), small.left() * k, k + 1);
        EXPECT_NEAR(s.currentY(), screen.currentY(), 15);
    }
    // A scale whose image would be too wide is lowered until it fits.
    const RasterSurface wide(5000, 1, 8);
    EXPECT_EQ(wide.scale(), 3);
    EXPECT_EQ(wide.image().size(), QSize(15000, 3));
    EXPECT_EQ(wide.scaleWidth(), 5000 * 15);
}
