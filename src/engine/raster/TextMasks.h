#pragma once
// Text as coverage masks: a text is rasterized once at a font, size and angle
// into an 8-bit mask and blended in any colour wherever it is printed. The
// rings of a design turn every character by its own angle, which defeats the
// glyph caches of the text layer; the same characters at the same angles come
// back every design, so their masks are kept here.

#include "engine/Surface.h"
#include "engine/raster/PenRaster.h"

#include <QFont>
#include <QRect>
#include <QString>

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace lh::raster {

// Coverage 0..255 of a text whose reference point is at (0, 0); the mask's
// top-left pixel lies at (left, top) relative to it. A turned text covers
// little of its box, so each row also keeps where its covered pixels begin
// and end (columns inked[2y] up to, not including, inked[2y + 1]; when
// inked is empty, every row is taken whole).
struct TextMask {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> alpha;
    std::vector<int> inked;
};

// Pixel area that text drawn with its reference point (top-left corner of the
// first character cell) at (0, 0), turned counter-clockwise by escapement
// tenths of a degree, can touch.
QRect textArea(const QFont& font, const QString& text, double ascent, int escapement);

// Rasterizes the text as above: antialiased coverage, white text on black in
// the surface's pixel format, blended linearly by blendMask. Only the part
// inside clip (relative to the reference point; a null rectangle: all of it)
// is rasterized, so huge fonts cost no more than the visible pixels.
// The text's textArea may be given when it is known (it is worked out
// otherwise).
TextMask renderTextMask(const QFont& font, const QString& text, double ascent, int escapement,
                        const QRect& clip = QRect(), const QRect& knownArea = QRect());

// Fills in the mask's inked columns.
void findInkedColumns(TextMask& mask);

// Blends the mask in the given colour (0xffRRGGBB) with its reference point
// at (x, y); returns the pixels touched. The fastest blender this processor
// has, or the plain one (the same pixels; for tests).
enum class BlendWith { Fastest, Plain };
QRect blendMask(const Target& t, const TextMask& mask, int x, int y, std::uint32_t colour,
                BlendWith with = BlendWith::Fastest);

// Masks keyed on everything that shapes them: the font record (face, height,
// weight, styles, angle) and the text.
class TextMaskCache {
public:
    static constexpr std::size_t kMaxEntries = 4096;
    static constexpr std::size_t kMaxBytes = 32u << 20;
    // Only short texts (the serial line changes with every design) and masks
    // up to this many pixels are kept.
    static constexpr int kMaxTextLength = 2;
    static constexpr int kMaxMaskPixels = 256 * 256;

    const TextMask* find(const LogFontRecord& font, const QString& text) const;
    // Keeps the mask with its inked columns found.
    const TextMask& insert(const LogFontRecord& font, const QString& text, TextMask mask);
    std::size_t size() const { return masks_.size(); }

private:
    struct Key {
        LogFontRecord font;
        QString text;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const;
    };
    std::unordered_map<Key, TextMask, KeyHash> masks_;
    std::size_t bytes_ = 0;
};

}   // namespace lh::raster
