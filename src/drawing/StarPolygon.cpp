#include "drawing/StarPolygon.h"

#include <cmath>
#include <limits>

namespace lh::drawing {

void PointOnEllipse(std::int32_t cx, std::int32_t cy, double angle, std::int32_t rx, std::int32_t ry, std::int32_t& X,
                    std::int32_t& Y)
{
    const double k = kStarDegToRad;
    const std::int32_t x = toInt32(cx - rx * std::sin(-angle * k));
    const std::int32_t y = toInt32(cy - ry * std::sin((angle + 90.0) * k));
    X = x;
    Y = y;
}

StarShape starShape(int points)
{
    const int n = points < 3 ? 3 : points;
    if (n % 2 != 0)
        return {n, (n - 1) / 2, 0};
    if (n == 4)
        return {4, 1, 0};   // the halving would end on one-vertex figures: draw one square
    int f = n / 2;
    int h = 1;
    while (f % 2 == 0 && f != 4) {
        f /= 2;
        ++h;
    }
    if (f == 4)
        return {4, 1, h};
    return {f, (f - 1) / 2, h};
}

StarGeometry starGeometry(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height, int points,
                          double twipsPerPixelX, double twipsPerPixelY)
{
    StarGeometry g;
    g.shape = starShape(points);
    g.tx = static_cast<int>(roundHalfEven(twipsPerPixelX));
    g.ty = static_cast<int>(roundHalfEven(twipsPerPixelY));
    if (g.tx == 0 || g.ty == 0)
        throw StepFailure("division by zero: twips per pixel");
    const double w = width, h = height;
    g.cx = toInt32(left + w / 2.0);
    g.cy = toInt32(top + h / 2.0);
    g.rx = toInt32(w / 2.0);
    g.ry = toInt32(h / 2.0);
    return g;
}

void starPolygon(const StarGeometry& g, int k, std::vector<DevicePoint>& out)
{
    const int b = g.shape.b;
    const int s = g.shape.s;
    const double turns = static_cast<double>(g.shape.polygonCount());
    out.resize(static_cast<std::size_t>(b));
    std::int32_t m = 0;   // vertex index, (j * s) mod b
    for (int j = 0; j < b; ++j) {
        const double angle = (360.0 / b) * (m + k / turns);
        std::int32_t X = 0, Y = 0;
        PointOnEllipse(g.cx, g.cy, angle, g.rx, g.ry, X, Y);
        out[static_cast<std::size_t>(j)] = {toInt32(static_cast<double>(X) / g.tx),
                                            toInt32(static_cast<double>(Y) / g.ty)};
        // The index is a 16-bit quantity: the sum overflows for odd counts above 21845.
        m += s;
        if (m > std::numeric_limits<std::int16_t>::max())
            throw StepFailure("overflow: star vertex index");
        if (m >= b)
            m -= b;
    }
}

std::vector<std::vector<DevicePoint>> starPolygons(std::int32_t left, std::int32_t top, std::int32_t width,
                                                   std::int32_t height, int points, double twipsPerPixelX,
                                                   double twipsPerPixelY)
{
    return starPolygons(starGeometry(left, top, width, height, points, twipsPerPixelX, twipsPerPixelY));
}

std::vector<std::vector<DevicePoint>> starPolygons(const StarGeometry& g)
{
    std::vector<std::vector<DevicePoint>> all(static_cast<std::size_t>(g.shape.polygonCount()));
    for (int k = 0; k < g.shape.polygonCount(); ++k)
        starPolygon(g, k, all[static_cast<std::size_t>(k)]);
    return all;
}

std::size_t StarPolygonCache::Hash::operator()(const StarGeometry& g) const
{
    std::uint64_t h = 0x9E3779B97F4A7C15ull;
    for (const std::int64_t v : {std::int64_t{g.shape.b}, std::int64_t{g.shape.s}, std::int64_t{g.shape.h},
                                 std::int64_t{g.cx}, std::int64_t{g.cy}, std::int64_t{g.rx}, std::int64_t{g.ry},
                                 std::int64_t{g.tx}, std::int64_t{g.ty}})
        h = (h ^ static_cast<std::uint64_t>(v)) * 0x100000001B3ull;
    return static_cast<std::size_t>(h ^ (h >> 29));
}

const std::vector<std::vector<DevicePoint>>& StarPolygonCache::polygons(const StarGeometry& g)
{
    if (const auto found = kept_.find(g); found != kept_.end())
        return found->second;
    std::vector<std::vector<DevicePoint>> all = starPolygons(g);
    if (kept_.size() >= kMaxEntries)
        kept_.clear();
    return kept_.emplace(g, std::move(all)).first->second;
}

std::int16_t DrawStarPolygon(Surface& surface, std::int32_t left, std::int32_t top, std::int32_t width,
                             std::int32_t height, std::int16_t StarPoints, std::int16_t fill, Rgb colour,
                             StarPolygonCache* cache)
{
    if (StarPoints < 3)
        StarPoints = 3;
    const double tx = surface.twipsPerPixelX();
    const double ty = surface.twipsPerPixelY();
    const Rgb saved = surface.foreColor();
    surface.setForeColor(colour);
    // From here on a failure leaves ForeColor at `colour`.
    const StarGeometry g = starGeometry(left, top, width, height, StarPoints, tx, ty);
    auto draw = [&](const std::vector<DevicePoint>& polygon) {
        surface.polygon(polygon);
        if (fill != 0)
            surface.fillPolygon(polygon, surface.foreColor());
    };
    if (cache) {
        for (const std::vector<DevicePoint>& polygon : cache->polygons(g))
            draw(polygon);
    } else {
        std::vector<DevicePoint> buffer;
        buffer.reserve(static_cast<std::size_t>(g.shape.b));
        for (int k = 0; k < g.shape.polygonCount(); ++k) {
            starPolygon(g, k, buffer);
            draw(buffer);
        }
    }
    surface.setForeColor(saved);
    return StarPoints;
}

}   // namespace lh::drawing
