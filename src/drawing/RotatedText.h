#pragma once
// Text at an angle, and rings of text that follow a circle.
//
// The font record and the ring's character placement are plain functions;
// DrawRotatedText and DrawTextRing only hand their results to the surface.

#include "core/Numeric.h"
#include "engine/Surface.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace lh::drawing {

// Pi of the ring arithmetic (3.14159, unlike the stars' 3.141593).
inline constexpr double kRingPi = 3.14159;

// Longest face name the record holds (a 32-character field with its terminator).
inline constexpr int kMaxFaceNameLength = 31;

// The temporary font of DrawRotatedText: height from the size in points and
// the screen's twips per pixel, escapement angle * 10 (checked in 16 bits:
// angles beyond -3276..3276 fail), weight 800 when bold, else 400.
LogFontRecord rotatedTextFont(std::int16_t angle, const QString& face, float size, bool bold, double twipsPerPixelY);

// Prints `text` with its reference point (top-left of the first character
// cell) at (x, y) twips, turned counter-clockwise by `angle` degrees, in the
// surface's ForeColor. Bold follows the surface's FontBold.
void DrawRotatedText(std::int16_t angle, Surface& surface, const QString& face, float size, std::int16_t x,
                     std::int16_t y, const QString& text);

// One character of a ring.
struct RingGlyph {
    QString text;              // the character (one UTF-16 unit)
    double leadingAngle = 0;   // theta: angle of the leading edge, degrees clockwise from up
    double middleAngle = 0;    // phi: angle of the character's middle
    std::int16_t x = 0;        // top-left corner on the circle, twips
    std::int16_t y = 0;
    std::int16_t rotation = 0;   // round(360 - phi), counter-clockwise text direction
};

// Where the characters of a ring go.
struct RingLayout {
    std::int32_t d = 0;        // twips of arc per degree
    std::int32_t radius = 0;   // as given, or fitted in mode -2
    double start = 0;          // as given, or computed in mode -1
    std::vector<RingGlyph> glyphs;
    // Set when the layout stopped: `glyphs` holds the characters before the
    // failing one (none when the ring fails as a whole, e.g. d = 0).
    std::optional<QString> failure;
};

using TextMeasure = std::function<float(const QString&)>;

// Prefixes up to this many characters are measured whole; ring texts are
// tens of characters.
inline constexpr qsizetype kMeasuredRingPrefix = 128;

// Lays `text` out around the circle (cx, cy, radius). start >= 0 (or any
// negative value other than -1 and -2) is the first character's leading-edge
// angle; -1 centres the text on the top; -2 fits the radius to the text.
// A radius below 29 twips gives d = 0 and the ring fails before any character.
// Measures at most kMeasuredRingPrefix + 2 characters per character.
RingLayout layoutTextRing(const TextMeasure& textWidth, const QString& text, std::int32_t cx, std::int32_t cy,
                          std::int32_t radius, double start);

// The radius and start a ring was drawn with: the fitted radius in mode -2,
// the computed start in mode -1, the given ones otherwise.
struct RingFit {
    std::int32_t radius = 0;
    double start = 0;
};

// The layouts of the rings one surface drew lately, each worked out once: a
// designer draws the same texts around the same circles in the same font,
// design after design. Keyed on the text, circle, start and the surface's
// font name, size and bold; holds at most kMaxEntries rings, then replaces
// the oldest.
class RingLayoutCache {
public:
    static constexpr std::size_t kMaxEntries = 16;

    // layoutTextRing of the ring, measured with the surface's textWidth.
    const RingLayout& layout(const Surface& surface, const QString& text, std::int32_t cx, std::int32_t cy,
                             std::int32_t radius, double start);

private:
    struct Entry {
        QString text;
        std::int32_t cx = 0, cy = 0, radius = 0;
        double start = 0;
        QString face;
        float size = 0;
        bool bold = false;
        RingLayout layout;
    };
    std::vector<Entry> entries_;
    std::size_t oldest_ = 0;
};

// Draws the ring with the surface's current font and ForeColor, one rotated
// character at a time, and returns its radius and start. A failing character
// ends the ring there (StepFailure); the characters before it stay drawn.
// With a cache (kept for this surface) the layout is taken from it.
RingFit DrawTextRing(Surface& surface, const QString& text, std::int32_t cx, std::int32_t cy, std::int32_t radius,
                     double start, RingLayoutCache* cache = nullptr);

}   // namespace lh::drawing
