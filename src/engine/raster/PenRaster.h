#pragma once
// Span rasterizer of the drawing surface: pen outlines of polygons with the
// sixteen pen raster operations, thin one-pixel lines and winding fills,
// written straight into a 32-bit image (0xffRRGGBB per pixel).
//
// Device points address pixels: a pen of odd width and a one-pixel line are
// centred on pixel (x, y) of the point (x, y). A pixel belongs to a shape
// when its centre lies inside.

#include "engine/Surface.h"

#include <QRect>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <vector>

namespace lh::raster {

// A pen raster operation with its pen colour folded in: every bit of the
// result is a constant or the destination bit, kept or inverted, so
// new = (old & keep) ^ flip.
struct PixelOp {
    std::uint32_t keep = 0;
    std::uint32_t flip = 0;
    bool isNop() const { return keep == 0xFFFFFFu && flip == 0; }
};

// The raster-operation codes 1..16 (1 black ... 13 copy ... 16 white). The pen is a
// 24-bit RGB value r + 256*g + 65536*b. Fails (StepFailure) outside 1..16.
PixelOp makePixelOp(int mode, Rgb pen);

// The raster operation of one code applied to one 24-bit channel triple,
// bit by bit, from its definition (for checking).
std::uint32_t applyRop2(int mode, std::uint32_t pen, std::uint32_t dest);

// 0xffRRGGBB from a colour value r + 256*g + 65536*b and back.
inline std::uint32_t toPixel(Rgb c)
{
    return 0xFF000000u | (static_cast<std::uint32_t>(redOf(c)) << 16) | (static_cast<std::uint32_t>(greenOf(c)) << 8)
           | static_cast<std::uint32_t>(blueOf(c));
}
inline Rgb fromPixel(std::uint32_t p) { return rgb((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }

// A 32-bit image in memory that the rasterizer writes to: the whole image
// is width x height pixels, of which rows rowBegin..rowEnd-1 are held (a
// band; by default all of them), bits pointing at the first one. Shapes are
// placed in the whole image, so a band gets exactly its rows of what the
// whole image would get.
struct Target {
    std::uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;   // in pixels
    int rowBegin = 0;
    int rowEnd = std::numeric_limits<int>::max();
    int firstRow() const { return rowBegin; }
    int endRow() const { return std::min(rowEnd, height); }
    std::uint32_t* row(int y) const { return bits + (y - rowBegin) * stride; }
};

// Horizontal run of pixels x0..x1 (inclusive) on row y.
struct Span {
    int y;
    int x0;
    int x1;
};

// Reusable scratch memory, so drawing calls do not allocate once warm.
class SpanRasterizer {
public:
    // The closed outline through the points with a round-joined pen of the
    // given width (pixels). Width 1 draws every edge on its own as a thin
    // line without its last pixel; wider pens cover the union of the edges'
    // capsules as one region, each pixel once. Fewer than two points draw
    // nothing. Returns the touched area.
    QRect strokePolygon(const Target& t, std::span<const DevicePoint> pts, int width, PixelOp op);

    // Solid fill of the inside of the polygon, nonzero winding rule.
    QRect fillPolygon(const Target& t, std::span<const DevicePoint> pts, std::uint32_t pixel);

    // The merged spans of a wide outline, clipped to w x h, sorted by row
    // then x (exposed for tests and benchmarks).
    const std::vector<Span>& outlineSpans(std::span<const DevicePoint> pts, int width, int w, int h);

    // Whether the lanes' intervals on a row are worked out with the 512-bit
    // units where the processor has them (the default) or the plain way
    // (the same spans).
    void useWideUnits(bool wide);

    SpanRasterizer();
    ~SpanRasterizer();

private:
    struct EdgePiece;
    struct PlacedPiece;
    struct Lanes;
    // The spans of rows firstRow..h-1.
    template <class Emit>
    void forEachOutlineSpan(std::span<const DevicePoint> pts, int width, int w, int h, int firstRow, Emit&& out);

    std::vector<PlacedPiece> pieces_;
    std::unique_ptr<Lanes> lanes_;
    std::vector<std::uint32_t> order_;
    std::vector<std::uint32_t> keys_;
    std::vector<Span> merged_;
    std::vector<std::pair<double, int>> crossings_;
    bool wide_ = false;
};

// Applies the operation to pixels x0..x1 of row y: the plain loop, and the
// fastest writer this processor has (the same pixels).
void writeSpanPlain(const Target& t, int y, int x0, int x1, PixelOp op);
using SpanWriter = void (*)(const Target& t, int y, int x0, int x1, PixelOp op);
SpanWriter fastestSpanWriter();

// Fills the whole target with one pixel value.
void fillAll(const Target& t, std::uint32_t pixel);

}   // namespace lh::raster
