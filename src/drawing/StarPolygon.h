#pragma once
// Star polygons inscribed in the ellipse of a bounding box, and the helper
// that turns an angle into a point on an ellipse.
//
// The vertex arithmetic is plain functions (starShape, starPolygon,
// starPolygons) so it can be checked exactly; DrawStarPolygon only hands
// what they compute to the surface.

#include "core/Numeric.h"
#include "core/Twips.h"
#include "engine/Surface.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace lh::drawing {

// Degree-to-radian factor of the star and ellipse arithmetic (pi as 3.141593).
inline constexpr double kStarDegToRad = 3.141593 / 180.0;

// The point at `angle` degrees on the ellipse around (cx, cy) with radii rx,
// ry: 0 is straight above the centre, angles grow clockwise on screen.
// Results are rounded half-to-even; a result beyond 32 bits fails.
void PointOnEllipse(std::int32_t cx, std::int32_t cy, double angle, std::int32_t rx, std::int32_t ry, std::int32_t& X,
                    std::int32_t& Y);

// How a point count is drawn: 2^h turned copies of a base polygon that visits
// its b vertices with step s.
struct StarShape {
    int b = 3;
    int s = 1;
    int h = 0;
    int polygonCount() const { return 1 << h; }
    friend bool operator==(const StarShape&, const StarShape&) = default;
};

// The shape of a count; counts below 3 count as 3, a count of 4 is one square.
StarShape starShape(int points);

// Everything one call derives from its box and count.
struct StarGeometry {
    StarShape shape;
    std::int32_t cx = 0, cy = 0, rx = 0, ry = 0;   // twips
    int tx = kTwipsPerPixel, ty = kTwipsPerPixel;  // whole twips per pixel
    friend bool operator==(const StarGeometry&, const StarGeometry&) = default;
};

// Fails (StepFailure) when the box's centre or radii do not fit 32 bits or a
// twips-per-pixel value rounds to zero.
StarGeometry starGeometry(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height, int points,
                          double twipsPerPixelX, double twipsPerPixelY);

// Device points of polygon k (0 is the base polygon) into `out` (resized to
// b). The vertex index is kept in 16 bits: for odd counts above 21845 it
// overflows and the call fails before any point is produced.
void starPolygon(const StarGeometry& g, int k, std::vector<DevicePoint>& out);

// All 2^h polygons of a geometry, or of a box and count, in drawing order.
std::vector<std::vector<DevicePoint>> starPolygons(const StarGeometry& g);
std::vector<std::vector<DevicePoint>> starPolygons(std::int32_t left, std::int32_t top, std::int32_t width,
                                                   std::int32_t height, int points, double twipsPerPixelX = kTwipsPerPixel,
                                                   double twipsPerPixelY = kTwipsPerPixel);

// The polygons of the boxes and counts drawn lately, each worked out once: a
// designer draws the same few boxes with counts from a small range, design
// after design. Holds at most kMaxEntries geometries, then starts afresh.
class StarPolygonCache {
public:
    static constexpr std::size_t kMaxEntries = 1024;

    // starPolygons of the geometry. Fails as it does, and then keeps
    // nothing new.
    const std::vector<std::vector<DevicePoint>>& polygons(const StarGeometry& g);
    std::size_t size() const { return kept_.size(); }

private:
    struct Hash {
        std::size_t operator()(const StarGeometry& g) const;
    };
    std::unordered_map<StarGeometry, std::vector<std::vector<DevicePoint>>, Hash> kept_;
};

// Draws the star of `StarPoints` points inscribed in the box (twips) with the
// surface's pen (DrawWidth, DrawMode) in `colour`; with `fill` non-zero every
// polygon is also filled. A count below 3 is raised to 3; the count drawn is
// returned. ForeColor is given back its entry value; when the call fails it
// is left at `colour` and the polygons already drawn stay. With a cache the
// polygons are taken from it (the same points).
std::int16_t DrawStarPolygon(Surface& surface, std::int32_t left, std::int32_t top, std::int32_t width,
                             std::int32_t height, std::int16_t StarPoints, std::int16_t fill, Rgb colour,
                             StarPolygonCache* cache = nullptr);

}   // namespace lh::drawing
