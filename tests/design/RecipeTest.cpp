#include "design/DesignTick.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace lh;
using namespace lh::design;

TEST(StandardLayers, SquaresCentredOnTheDesign)
{
    const auto& layers = standardLayers();
    ASSERT_EQ(layers.size(), 7u);
    const std::int32_t widths[] = {10000, 8000, 6000, 4000, 2000, 1000, 500};
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(layers[i].width, widths[i]);
        EXPECT_EQ(layers[i].height, widths[i]);
        EXPECT_EQ(layers[i].left + layers[i].width / 2, 6450);
        EXPECT_EQ(layers[i].top + layers[i].height / 2, 6450);
    }
}

TEST(Recipes, LayerListsAndFlagsPerCategory)
{
    struct Case {
        int category;
        std::vector<int> layers;
        bool categoryFlag, previewFlag, skipFlag, dateLabel;
    };
    const Case cases[] = {
        {1, {1, 2, 3, 4, 5, 6, 7}, true, false, true, true},
        {2, {1, 2, 6, 7}, true, true, true, false},
        {3, {1, 3, 6, 7}, true, true, true, false},
        {4, {1, 4, 6, 7}, true, true, true, false},
        {5, {1, 5, 6, 7}, true, true, true, false},
        {6, {2, 3, 4, 5, 6, 7}, true, true, true, false},
        {7, {3, 4, 5, 6, 7}, true, true, true, false},
        {8, {4, 5, 6, 7}, true, true, true, false},
        {9, {5, 6, 7}, true, true, true, false},
        {10, {1, 6, 7}, true, true, true, false},
        {11, {1, 2, 3, 4, 5, 6, 7}, false, false, false, false},
    };
    for (const Case& c : cases) {
        const DesignRecipe r = recipeForCategory(c.category);
        std::vector<LayerSpec> expected;
        for (int l : c.layers)
            expected.push_back(standardLayers()[static_cast<std::size_t>(l - 1)]);
        EXPECT_EQ(r.layers, expected) << c.category;
        EXPECT_EQ(r.categoryFlag, c.categoryFlag) << c.category;
        EXPECT_EQ(r.previewFlag, c.previewFlag) << c.category;
        EXPECT_EQ(r.skipFlag, c.skipFlag) << c.category;
        EXPECT_EQ(r.dateLabel, c.dateLabel) << c.category;
        EXPECT_EQ(r.ringFace, QStringLiteral("arial")) << c.category;
        EXPECT_TRUE(r.ringBold) << c.category;
        EXPECT_EQ(r.serial.prefix, QStringLiteral("NO: ZRV"));
        EXPECT_EQ(r.serial.face, QStringLiteral("Arial"));
        EXPECT_EQ(r.serial.size, 18.0f);
    }
}

TEST(Recipes, CategoryAndPhotoRingsDiffer)
{
    for (int c = 2; c <= 11; ++c) {
        const DesignRecipe r = recipeForCategory(c);
        EXPECT_EQ(r.ringSize, 20.0f) << c;
        EXPECT_EQ(r.background, Background::RandomDraw) << c;
        EXPECT_EQ(r.categorySource, QStringLiteral("Label7")) << c;
        ASSERT_EQ(r.rings.size(), 3u) << c;
        const struct {
            const char* source;
            double cy, radius;
        } rings[] = {{"Text2", 1.0, 0.4}, {"Text3", 1.0, 0.2}, {"Text4", 0.5, 0.2}};
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(r.rings[i].textSource, QString::fromLatin1(rings[i].source));
            EXPECT_EQ(r.rings[i].centreXFactor, 0.5);
            EXPECT_EQ(r.rings[i].centreYFactor, rings[i].cy);
            EXPECT_EQ(r.rings[i].radiusFactor, rings[i].radius);
            EXPECT_TRUE(r.rings[i].radiusSource.isEmpty());
            EXPECT_EQ(r.rings[i].start, -1);
        }
    }
    const DesignRecipe photo = recipeForCategory(1);
    EXPECT_EQ(photo.ringSize, 30.0f);
    EXPECT_EQ(photo.background, Background::Setting);
    EXPECT_EQ(photo.backgroundSource, QStringLiteral("Text6"));
    EXPECT_EQ(photo.categorySource, QStringLiteral("Label14"));
    ASSERT_EQ(photo.rings.size(), 2u);
    EXPECT_EQ(photo.rings[0].textSource, QStringLiteral("Combo4"));
    EXPECT_EQ(photo.rings[0].centreYFactor, 1.0);
    EXPECT_EQ(photo.rings[0].radiusFactor, 0.32);
    EXPECT_EQ(photo.rings[1].textSource, QStringLiteral("Combo3"));
    EXPECT_EQ(photo.rings[1].centreYFactor, 0.5);
    EXPECT_EQ(photo.rings[1].radiusSource, QStringLiteral("Combo6"));
}

TEST(Recipes, UnknownCategoriesThrow)
{
    for (int c : {-1, 0, 12, 100})
        EXPECT_THROW(recipeForCategory(c), std::out_of_range) << c;
}
