#pragma once
// The drawing surface: a picture box with a persistent image. Everything the
// drawing routines and design ticks do to a design goes through this
// interface; RasterSurface is the real one (an image in memory that a canvas
// widget shows), tests may record calls instead.
//
// Lengths are twips (15 per pixel on the 96-dpi screen the layouts assume)
// unless a member says pixels.

#include "core/Numeric.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>
#include <span>

namespace lh {

// A vertex in device pixels of the surface.
struct DevicePoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const DevicePoint&, const DevicePoint&) = default;
};

// The font record that rotated text is printed with: face, height, angle,
// weight and styles. Built by plain functions (DrawRotatedText, CLogFont)
// and handed to the surface, which maps it onto a real font.
struct LogFontRecord {
    std::int32_t height = 0;       // negative: character height in pixels
    std::int32_t width = 0;        // 0: the face's own proportions
    std::int32_t escapement = 0;   // tenths of a degree, counter-clockwise
    std::int32_t orientation = 0;
    std::int32_t weight = 0;   // 400 normal, 700 bold, 800 extra bold
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    QString faceName;   // at most 31 characters
    friend bool operator==(const LogFontRecord&, const LogFontRecord&) = default;
};

class Surface {
public:
    virtual ~Surface() = default;

    // Background colour; setting it repaints the whole image in that colour
    // (a background picture, if one is set, stays on top of it). Fails
    // (StepFailure) for a value above 0xFFFFFF.
    virtual Rgb backColor() const = 0;
    virtual void setBackColor(Rgb colour) = 0;

    // Pen and text colour.
    virtual Rgb foreColor() const = 0;
    virtual void setForeColor(Rgb colour) = 0;

    // Pen width in pixels; fails below 1.
    virtual int drawWidth() const = 0;
    virtual void setDrawWidth(int pixels) = 0;

    // Pen raster operation, the sixteen codes 1 (black) to 16 (white), 13 is
    // plain copy; fails outside 1..16. Text is not affected by it.
    virtual int drawMode() const = 0;
    virtual void setDrawMode(int mode) = 0;

    // The surface's current font (used by textWidth and print).
    virtual QString fontName() const = 0;
    virtual void setFontName(const QString& face) = 0;
    virtual float fontSize() const = 0;   // points
    virtual void setFontSize(float points) = 0;
    virtual bool fontBold() const = 0;
    virtual void setFontBold(bool bold) = 0;

    // Text position.
    virtual double currentX() const = 0;
    virtual double currentY() const = 0;
    virtual void setCurrentX(double twips) = 0;
    virtual void setCurrentY(double twips) = 0;

    // Inner size and the screen's twips per pixel (15 and 15).
    virtual int scaleWidth() const = 0;
    virtual int scaleHeight() const = 0;
    virtual double twipsPerPixelX() const = 0;
    virtual double twipsPerPixelY() const = 0;

    // Width of a text in the current font, twips.
    virtual float textWidth(const QString& text) const = 0;

    // Refill with the background colour, then the background picture if one
    // is set; the text position returns to (0, 0).
    virtual void clear() = 0;

    // Closed outline through the device points with the current pen
    // (foreColor, drawWidth, drawMode, round joins, aliased); the inside is
    // left alone. Each covered pixel gets the raster operation exactly once.
    virtual void polygon(std::span<const DevicePoint> points) = 0;

    // Solid fill of the polygon's inside (winding rule) in the given colour.
    virtual void fillPolygon(std::span<const DevicePoint> points, Rgb colour) = 0;

    // Prints text at the current position with the given font record, in
    // foreColor, without a background box. The reference point is the
    // top-left corner of the first character cell; the whole text turns
    // counter-clockwise by escapement / 10 degrees around it.
    virtual void textOut(const QString& text, const LogFontRecord& font) = 0;

    // Prints text at the current position in the surface's own font.
    virtual void print(const QString& text) = 0;

    // Background picture, painted by clear() over the background colour at
    // the top-left corner, at its own size. Setting one shows it at once (the
    // image is cleared to it); an empty image removes it and clears the image
    // to the background colour.
    virtual void setBackgroundPicture(const QImage& picture) = 0;
    virtual bool hasBackgroundPicture() const = 0;
    // The background picture as the surface keeps it; null when none.
    virtual QImage backgroundPicture() const = 0;

    // The persistent image (a copy that shares data until written).
    virtual QImage image() const = 0;

    // Pixels changed since the last call (for a canvas that repaints only
    // what changed); an empty rectangle when nothing changed.
    virtual QRect takeDirtyRect() = 0;
};

}   // namespace lh
