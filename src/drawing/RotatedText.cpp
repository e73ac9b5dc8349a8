#include "drawing/RotatedText.h"

#include "drawing/StarPolygon.h"

#include <cmath>

namespace lh::drawing {

LogFontRecord rotatedTextFont(std::int16_t angle, const QString& face, float size, bool bold, double twipsPerPixelY)
{
    LogFontRecord r;
    r.escapement = toInt16(static_cast<double>(angle) * 10.0);
    if (twipsPerPixelY == 0)
        throw StepFailure("division by zero: twips per pixel");
    r.height = toInt32(static_cast<double>(size) * -20.0 / twipsPerPixelY);
    r.width = 0;
    r.orientation = 0;
    r.weight = bold ? 800 : 400;
    r.faceName = face.left(kMaxFaceNameLength);
    return r;
}

void DrawRotatedText(std::int16_t angle, Surface& surface, const QString& face, float size, std::int16_t x,
                     std::int16_t y, const QString& text)
{
    const LogFontRecord font = rotatedTextFont(angle, face, size, surface.fontBold(), surface.twipsPerPixelY());
    surface.setCurrentX(x);
    surface.setCurrentY(y);
    surface.textOut(text, font);
}

namespace {

std::int32_t arcPerDegree(std::int32_t radius) { return toInt32(radius * kRingPi * 2.0 / 360.0); }

// The integer division of the ring arithmetic: a zero d fails.
double perDegree(double width, std::int32_t d)
{
    if (d == 0)
        throw StepFailure("division by zero: ring radius too small");
    return width / d;
}

}   // namespace

RingLayout layoutTextRing(const TextMeasure& textWidth, const QString& text, std::int32_t cx, std::int32_t cy,
                          std::int32_t radius, double start)
{
    RingLayout out;
    out.radius = radius;
    out.start = start;
    try {
        out.d = arcPerDegree(radius);
        if (start == -1.0) {
            out.start = std::floor(360.0 - perDegree(textWidth(text), out.d) / 2.0);
        } else if (start == -2.0) {
            out.radius = toInt32(static_cast<double>(textWidth(text)) / 2.0 / kRingPi);
            out.d = arcPerDegree(out.radius);
        }
        // TextWidth(prefix), measured whole for the first kMeasuredRingPrefix
        // characters; a longer prefix is the sum of the widths of its pieces
        // of that many characters, so each character costs a bounded
        // measure and the ring is linear in its text.
        double piecesWidth = 0;   // the pieces before the current one
        double prefixWidth = 0;   // the empty prefix is 0 wide
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QString ch = text.mid(i, 1);
            if (i > 0) {
                const qsizetype pieceStart = i / kMeasuredRingPrefix * kMeasuredRingPrefix;
                if (pieceStart == i)
                    piecesWidth += textWidth(text.mid(i - kMeasuredRingPrefix, kMeasuredRingPrefix));
                prefixWidth = pieceStart == i ? piecesWidth
                                              : piecesWidth + textWidth(text.mid(pieceStart, i - pieceStart));
            }
            RingGlyph g;
            g.text = ch;
            g.leadingAngle = out.start + perDegree(prefixWidth, out.d);
            std::int32_t X = 0, Y = 0;
            PointOnEllipse(cx, cy, g.leadingAngle, out.radius, out.radius, X, Y);
            g.middleAngle = out.start + perDegree(prefixWidth + 0.5 * static_cast<double>(textWidth(ch)), out.d);
            g.rotation = toInt16(360.0 - g.middleAngle);
            // The printed angle's tenths must fit 16 bits too: a ring fails at
            // the first character that cannot be printed, before measuring on.
            toInt16(g.rotation * 10.0);
            g.x = toInt16(X);
            g.y = toInt16(Y);
            out.glyphs.push_back(std::move(g));
        }
    } catch (const StepFailure& e) {
        out.failure = QString::fromUtf8(e.what());
    }
    return out;
}

const RingLayout& RingLayoutCache::layout(const Surface& surface, const QString& text, std::int32_t cx,
                                          std::int32_t cy, std::int32_t radius, double start)
{
    const QString face = surface.fontName();
    const float size = surface.fontSize();
    const bool bold = surface.fontBold();
    for (const Entry& e : entries_) {
        if (e.cx == cx && e.cy == cy && e.radius == radius && e.start == start && e.size == size && e.bold == bold
            && e.text == text && e.face == face)
            return e.layout;
    }
    Entry e{text, cx, cy, radius, start, face, size, bold,
            layoutTextRing([&surface](const QString& s) { return surface.textWidth(s); }, text, cx, cy, radius, start)};
    if (entries_.size() < kMaxEntries) {
        entries_.push_back(std::move(e));
        return entries_.back().layout;
    }
    Entry& replaced = entries_[oldest_];
    oldest_ = (oldest_ + 1) % kMaxEntries;
    replaced = std::move(e);
    return replaced.layout;
}

RingFit DrawTextRing(Surface& surface, const QString& text, std::int32_t cx, std::int32_t cy, std::int32_t radius,
                     double start, RingLayoutCache* cache)
{
    RingLayout own;
    if (!cache)
        own = layoutTextRing([&surface](const QString& s) { return surface.textWidth(s); }, text, cx, cy, radius, start);
    const RingLayout& layout = cache ? cache->layout(surface, text, cx, cy, radius, start) : own;
    for (const RingGlyph& g : layout.glyphs) {
        // The surface's font is read per character, as the ring is printed.
        DrawRotatedText(g.rotation, surface, surface.fontName(), surface.fontSize(), g.x, g.y, g.text);
    }
    if (layout.failure)
        throw StepFailure(layout.failure->toStdString());
    return {layout.radius, layout.start};
}

}   // namespace lh::drawing
