#include "drawing/CLogFont.h"

#include "core/Numeric.h"
#include "drawing/RotatedText.h"

#include <atomic>

namespace lh::drawing {

namespace {

std::uint32_t nextHandleId()
{
    static std::atomic<std::uint32_t> counter{0};
    std::uint32_t id = ++counter;
    if (id == 0)   // wrapped: 0 means "no handle"
        id = ++counter;
    return id;
}

// Sizes are kept to four decimal places.
double toFourPlaces(double v) { return static_cast<double>(roundHalfEven(v * 10000.0)) / 10000.0; }

}   // namespace

LogFontRecord rotatedFontRecord(const FontDescription& font, float rotation, int pixelsPerInchY)
{
    LogFontRecord r;
    const double product = toFourPlaces(toFourPlaces(font.size) * pixelsPerInchY);
    r.height = toInt32(-product / 72.0);
    r.width = 0;
    r.escapement = toInt32(static_cast<double>(rotation) * 10.0);
    r.orientation = r.escapement;
    r.weight = font.weight;
    r.italic = font.italic ? 1 : 0;
    r.underline = font.underline ? 1 : 0;
    r.strikeOut = font.strikethrough ? 1 : 0;
    const std::int64_t turned = roundHalfEven(rotation) % 360;   // keeps the sign of the angle
    std::int16_t charset = font.charset;
    if (charset == 255 && turned != 0)
        charset = 0;
    r.charSet = static_cast<std::uint8_t>(charset);
    r.outPrecision = turned != 0 ? 7 : 0;
    r.clipPrecision = 0;
    r.quality = 2;
    r.pitchAndFamily = 0;
    r.faceName = font.name.left(kMaxFaceNameLength);
    return r;
}

void CLogFont::dropHandle()
{
    handle_ = 0;
    record_.reset();
}

void CLogFont::makeFontHandle()
{
    try {
        record_ = rotatedFontRecord(*font_, rotation_, dpi_);
        handle_ = nextHandleId();
    } catch (const StepFailure&) {
        // A font that cannot be made leaves the handle 0.
        dropHandle();
    }
}

void CLogFont::setLogFont(const std::optional<FontDescription>& font)
{
    dropHandle();
    if (!font) {
        font_.reset();
        return;
    }
    FontDescription copy = *font;
    try {
        copy.size = toFourPlaces(copy.size);
    } catch (const StepFailure&) {
        // not a finite size: kept as given; the handle below stays 0
    }
    font_ = copy;
    makeFontHandle();
}

void CLogFont::setRotation(float degrees)
{
    if (degrees == rotation_)
        return;
    rotation_ = degrees;
    dropHandle();
    if (font_)
        makeFontHandle();
}

}   // namespace lh::drawing
