#pragma once
// The design tick as an interpreter of a recipe. Every designer window (the
// photo designer, the nine category windows and the hidden full-recipe
// window) runs one DesignTick over its own DesignRecipe; the tick reads the
// window's texts through DesignHost, so it runs without any window.

#include "design/DesignRules.h"
#include "core/Numeric.h"
#include "drawing/RotatedText.h"
#include "drawing/StarPolygon.h"

#include <QDateTime>
#include <QImage>
#include <QString>

#include <cstdint>
#include <vector>

namespace lh {
class Surface;
class RandomSource;
class Clock;
}   // namespace lh

namespace lh::design {

// A star layer: the bounding box handed to DrawStarPolygon, twips.
struct LayerSpec {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const LayerSpec&, const LayerSpec&) = default;
};

// A text ring drawn with DrawTextRing. Centre and radius are factors of the
// surface's ScaleWidth/ScaleHeight; the radius factor may instead be read
// from a host text on every tick (radiusSource, e.g. "Combo6").
struct RingSpec {
    QString textSource;           // host text holding the ring's text ("Text2", "Combo4")
    double centreXFactor = 0.5;   // of ScaleWidth
    double centreYFactor = 1.0;   // of ScaleHeight
    double radiusFactor = 0.4;    // of ScaleHeight, when radiusSource is empty
    QString radiusSource;         // host text read as the radius factor
    double start = -1;            // DrawTextRing start angle or mode
};

// The line of design data at the top.
struct SerialLine {
    QString prefix = QStringLiteral("NO: ZRV");
    QString face = QStringLiteral("Arial");
    float size = 18;
    int xDivisor = 20;   // x = round(ScaleWidth / xDivisor), y = 0
};

enum class Background {
    RandomDraw,   // three draws before the layers
    Setting,      // host text "Text6" read as a colour value
};

struct DesignRecipe {
    std::vector<LayerSpec> layers;
    std::vector<RingSpec> rings;
    QString ringFace = QStringLiteral("arial");
    float ringSize = 20;
    bool ringBold = true;
    SerialLine serial;
    Background background = Background::RandomDraw;
    QString backgroundSource = QStringLiteral("Text6");
    QString categorySource = QStringLiteral("Label7");   // host text with the category number
    bool categoryFlag = true;                            // serial line carries the category number
    bool previewFlag = true;                             // Image1..Image5 receive the design
    bool skipFlag = true;                                // a failing step is skipped (else it ends the tick)
    bool dateLabel = false;                              // Label24 gets date, time and a random colour
};

class DesignHost;

// The seven standard layers L1..L7 (index 0 is L1).
const std::vector<LayerSpec>& standardLayers();

// The recipe of a category (1..kCategoryCount); any other number throws
// std::out_of_range.
DesignRecipe recipeForCategory(int category);

// The serial line's text: prefix, the category number (when the recipe's
// category flag is set), the Combo1 and Combo2 texts, "350", the
// single-precision value 99 * u and the decimal colour value.
QString serialLineText(const DesignRecipe& recipe, const DesignHost& host, float u, Rgb colour);

// The date and time as the date label shows it ("2011-1-1 12:00:00").
QString generalDateText(const QDateTime& when);

// What a tick reads from and writes to its window.
class DesignHost {
public:
    virtual ~DesignHost() = default;
    // Current text of a named control ("Combo1", "Label7", "Text2", ...).
    virtual QString text(const QString& control) const = 0;
    // Caption of Label11.
    virtual void setCountCaption(const QString& caption) = 0;
    // Picture of Image1..Image5 (index 1..5).
    virtual void setPreview(int index, const QImage& picture)
    {
        (void)index;
        (void)picture;
    }
    // Label24 caption and text colour.
    virtual void setDateCaption(const QString& caption) { (void)caption; }
    virtual void setDateColor(Rgb colour) { (void)colour; }
};

// Milliseconds spent in each part of the last tick (for the benchmark).
struct TickProfile {
    double clearMs = 0;
    double starsMs = 0;
    double ringsMs = 0;
    double serialMs = 0;
};

class DesignTick {
public:
    DesignTick(DesignRecipe recipe, Surface& surface, RandomSource& random, DesignHost& host, Clock& clock);

    // One complete design. Returns false when a step failed and the recipe's
    // skip flag is clear (the tick ended there); true otherwise.
    bool run();

    std::int32_t designCount() const { return count_; }
    void setDesignCount(std::int32_t count) { count_ = count; }
    const DesignRecipe& recipe() const { return recipe_; }

    // The serial line the last run drew (empty when its step failed).
    const QString& serialLine() const { return serialLine_; }

    // When set, run() fills in where the time went.
    void setProfile(TickProfile* profile) { profile_ = profile; }

private:
    DesignRecipe recipe_;
    Surface& surface_;
    RandomSource& random_;
    DesignHost& host_;
    Clock& clock_;
    std::int32_t count_ = 0;
    TickProfile* profile_ = nullptr;
    QString serialLine_;
    drawing::StarPolygonCache stars_;
    drawing::RingLayoutCache rings_;
};

}   // namespace lh::design
