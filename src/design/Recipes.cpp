// The recipes of every designer window, as one table over the seven
// standard layers.

#include "design/DesignTick.h"

#include <array>
#include <stdexcept>

namespace lh::design {

const std::vector<LayerSpec>& standardLayers()
{
    // Squares centred on (6450, 6450); L1..L5 shrink by 2000 twips, L6 and L7 halve.
    static const std::vector<LayerSpec> layers = {
        {1450, 1450, 10000, 10000},   // L1
        {2450, 2450, 8000, 8000},     // L2
        {3450, 3450, 6000, 6000},     // L3
        {4450, 4450, 4000, 4000},     // L4
        {5450, 5450, 2000, 2000},     // L5
        {5950, 5950, 1000, 1000},     // L6
        {6200, 6200, 500, 500},       // L7
    };
    return layers;
}

namespace {

enum class Rings {
    Category,
    Photo
};

struct RecipeRow {
    int category;
    std::vector<int> layers;   // standard layer numbers, drawing order
    Rings rings;
    float ringSize;
    Background background;
    const char* categorySource;
    bool categoryFlag;
    bool previewFlag;
    bool skipFlag;
    bool dateLabel;
};

const std::vector<RecipeRow>& recipeTable()
{
    using B = Background;
    static const std::vector<RecipeRow> rows = {
        // cat  layers                  rings          size  background     category    cat    prev   skip   date
        {1, {1, 2, 3, 4, 5, 6, 7}, Rings::Photo, 30, B::Setting, "Label14", true, false, true, true},
        {2, {1, 2, 6, 7}, Rings::Category, 20, B::RandomDraw, "Label7", true, true, true, false},
        {3, {1, 3, 6, 7}, Rings::Category, 20, B::RandomDraw, "Label7", true, true, true, false},
        {4, {1, 4, 6, 7}, Rings::Category, 20, B::RandomDraw, "Label7", true, true, true, false},
        {5, {1, 5, 6, 7}, Rings::Category, 20, B::RandomDraw, "Label7", true, true, true, false},
        {6, {2, 3, 4, 5, 6, 7}, Rings::Category, 20, B::RandomDraw, "Label7", true, true, true, false},
        {7, {3, 4, 5, 6, 7}, Rings::Category, 20, B::RandomDraw, "Label7", true, true, true, false},
        {8, {4, 5, 6, 7}, Rings::Category, 20, B::RandomDraw, "Label7", true, true, true, false},
        {9, {5, 6, 7}, Rings::Category, 20, B::RandomDraw, "Label7", true, true, true, false},
        {10, {1, 6, 7}, Rings::Category, 20, B::RandomDraw, "Label7", true, true, true, false},
        {11, {1, 2, 3, 4, 5, 6, 7}, Rings::Category, 20, B::RandomDraw, "Label7", false, false, false, false},
    };
    return rows;
}

std::vector<RingSpec> ringsOf(Rings set)
{
    if (set == Rings::Photo) {
        return {
            // lower arc across the bottom half, centre ring with its radius from a list
            {QStringLiteral("Combo4"), 0.5, 1.0, 0.32, QString(), -1},
            {QStringLiteral("Combo3"), 0.5, 0.5, 0.0, QStringLiteral("Combo6"), -1},
        };
    }
    return {
        {QStringLiteral("Text2"), 0.5, 1.0, 0.4, QString(), -1},
        {QStringLiteral("Text3"), 0.5, 1.0, 0.2, QString(), -1},
        {QStringLiteral("Text4"), 0.5, 0.5, 0.2, QString(), -1},
    };
}

}   // namespace

DesignRecipe recipeForCategory(int category)
{
    for (const RecipeRow& row : recipeTable()) {
        if (row.category != category)
            continue;
        DesignRecipe r;
        for (int layer : row.layers)
            r.layers.push_back(standardLayers().at(static_cast<std::size_t>(layer - 1)));
        r.rings = ringsOf(row.rings);
        r.ringFace = QStringLiteral("arial");
        r.ringSize = row.ringSize;
        r.ringBold = true;
        r.background = row.background;
        r.categorySource = QString::fromLatin1(row.categorySource);
        r.categoryFlag = row.categoryFlag;
        r.previewFlag = row.previewFlag;
        r.skipFlag = row.skipFlag;
        r.dateLabel = row.dateLabel;
        return r;
    }
    throw std::out_of_range("no design recipe for this category");
}

}   // namespace lh::design
