#include "drawing/CLogFont.h"

#include <gtest/gtest.h>

using namespace lh;
using namespace lh::drawing;

namespace {
FontDescription arial(double size = 30, std::int16_t charset = 0)
{
    FontDescription f;
    f.name = QStringLiteral("arial");
    f.size = size;
    f.bold = true;
    f.weight = 700;
    f.charset = charset;
    return f;
}
}   // namespace

TEST(RotatedFontRecord, FieldsFromFontAndAngle)
{
    struct Case {
        double size;
        std::int16_t charset;
        float rotation;
        std::int32_t height, escapement;
        int charSet, outPrecision;
    };
    const Case cases[] = {
        {30, 0, 0, -40, 0, 0, 0},
        {10.5, 0, 0, -14, 0, 0, 0},
        {30, 255, 90, -40, 900, 0, 7},       // OEM set becomes ANSI when turned
        {30, 255, 360, -40, 3600, 255, 0},   // a whole turn is horizontal
        {30, 255, -360, -40, -3600, 255, 0},
        {30, 134, 12.34f, -40, 123, 134, 7},
        {30, 255, 0.4f, -40, 4, 255, 0},   // rounds to 0 degrees: not turned
        {30, 255, -45, -40, -450, 0, 7},
    };
    for (const Case& c : cases) {
        const LogFontRecord r = rotatedFontRecord(arial(c.size, c.charset), c.rotation, 96);
        EXPECT_EQ(r.height, c.height) << c.size;
        EXPECT_EQ(r.escapement, c.escapement) << c.rotation;
        EXPECT_EQ(r.orientation, c.escapement) << c.rotation;
        EXPECT_EQ(r.charSet, c.charSet) << c.rotation;
        EXPECT_EQ(r.outPrecision, c.outPrecision) << c.rotation;
        EXPECT_EQ(r.quality, 2);
        EXPECT_EQ(r.clipPrecision, 0);
        EXPECT_EQ(r.width, 0);
    }
}

TEST(RotatedFontRecord, StylesWeightAndFaceComeFromTheFont)
{
    FontDescription f = arial();
    f.bold = true;
    f.weight = 400;   // weight wins where bold and weight disagree
    f.italic = true;
    f.underline = true;
    f.strikethrough = false;
    f.name = QString(35, u'f');
    const LogFontRecord r = rotatedFontRecord(f, 0, 96);
    EXPECT_EQ(r.weight, 400);
    EXPECT_EQ(r.italic, 1);
    EXPECT_EQ(r.underline, 1);
    EXPECT_EQ(r.strikeOut, 0);
    EXPECT_EQ(r.faceName, QString(31, u'f'));
}

TEST(CLogFont, NewObjectHasNoHandle)
{
    CLogFont font;
    EXPECT_EQ(font.handle(), 0u);
    EXPECT_EQ(font.rotation(), 0.0f);
    EXPECT_FALSE(font.logFont().has_value());
    EXPECT_FALSE(font.handleRecord().has_value());
}

TEST(CLogFont, RotationBeforeAFontIsKeptForTheFirstFont)
{
    CLogFont font;
    font.setRotation(45);
    EXPECT_EQ(font.rotation(), 45.0f);
    EXPECT_EQ(font.handle(), 0u);
    font.setLogFont(arial());
    EXPECT_NE(font.handle(), 0u);
    ASSERT_TRUE(font.handleRecord().has_value());
    EXPECT_EQ(font.handleRecord()->escapement, 450);
    EXPECT_EQ(*font.handleRecord(), rotatedFontRecord(arial(), 45, 96));
}

TEST(CLogFont, RebuildRules)
{
    CLogFont font;
    font.setLogFont(arial());
    const auto first = font.handle();
    ASSERT_NE(first, 0u);

    font.setLogFont(arial());   // same font again: a new handle
    const auto second = font.handle();
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);

    font.setRotation(0);   // unchanged angle: the handle stays
    EXPECT_EQ(font.handle(), second);

    font.setRotation(30);
    const auto third = font.handle();
    EXPECT_NE(third, second);
    EXPECT_EQ(font.handleRecord()->escapement, 300);
    font.setRotation(30);
    EXPECT_EQ(font.handle(), third);

    font.setLogFont(std::nullopt);
    EXPECT_EQ(font.handle(), 0u);
    EXPECT_FALSE(font.logFont().has_value());
    EXPECT_FALSE(font.handleRecord().has_value());
    EXPECT_EQ(font.rotation(), 30.0f);

    font.setRotation(60);   // no font: stored, still no handle
    EXPECT_EQ(font.handle(), 0u);
    EXPECT_EQ(font.rotation(), 60.0f);
}

TEST(CLogFont, KeepsItsOwnCopyWithSizeToFourPlaces)
{
    CLogFont font;
    FontDescription f = arial(10.123456);
    font.setLogFont(f);
    f.name = QStringLiteral("changed");
    ASSERT_TRUE(font.logFont().has_value());
    EXPECT_EQ(font.logFont()->name, QStringLiteral("arial"));
    EXPECT_DOUBLE_EQ(font.logFont()->size, 10.1235);
}

TEST(CLogFont, UnbuildableFontLeavesTheHandleZero)
{
    CLogFont font;
    font.setRotation(1e30f);   // escapement beyond 32 bits
    font.setLogFont(arial());
    EXPECT_EQ(font.handle(), 0u);
    EXPECT_TRUE(font.logFont().has_value());
    font.setRotation(10);
    EXPECT_NE(font.handle(), 0u);
}
