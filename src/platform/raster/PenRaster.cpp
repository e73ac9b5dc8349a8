#include "platform/raster/PenRaster.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lh::raster {

namespace {

// Device points lie on the pixel grid: pixel (i, j) is sampled at
// (i + kSample, j + kSample), just short of its centre, so boundaries that
// run exactly through pixel centres count on one side only. A pen of odd width
// is then centred on the pixel that its point names, an even one covers
// exactly its width, and outlines agree with Qt's aliased strokes.
constexpr double kSample = 0.5 - 1.0 / 1024.0;

constexpr double kInf = std::numeric_limits<double>::infinity();

void applySpan(const Target& t, int y, int x0, int x1, PixelOp op)
{
    std::uint32_t* p = t.row(y);
    const std::uint32_t keep = op.keep;
    const std::uint32_t flip = op.flip;
    if (keep == 0) {
        for (int x = x0; x <= x1; ++x)
            p[x] = flip;
        return;
    }
    for (int x = x0; x <= x1; ++x)
        p[x] = (p[x] & keep) ^ flip;
}

// x-range of the capsule around segment a-b (radius r) on the horizontal
// line y = yc; false when the line misses it.
bool capsuleSlice(double ax, double ay, double bx, double by, double len, double r, double yc, double& lo, double& hi)
{
    lo = kInf;
    hi = -kInf;
    const double r2 = r * r;
    const double dya = yc - ay;
    if (dya * dya <= r2) {
        const double d = std::sqrt(r2 - dya * dya);
        lo = ax - d;
        hi = ax + d;
    }
    const double dyb = yc - by;
    if (dyb * dyb <= r2) {
        const double d = std::sqrt(r2 - dyb * dyb);
        lo = std::min(lo, bx - d);
        hi = std::max(hi, bx + d);
    }
    if (len > 0) {
        const double dx = bx - ax;
        const double dy = by - ay;
        double tlo = -kInf;
        double thi = kInf;
        // Projection onto the segment within [0, len^2].
        const double k = dya * dy;
        const double len2 = len * len;
        if (dx != 0) {
            double u0 = -k / dx;
            double u1 = (len2 - k) / dx;
            if (u0 > u1)
                std::swap(u0, u1);
            tlo = u0;
            thi = u1;
        } else if (k < 0 || k > len2) {
            tlo = kInf;
        }
        // Distance from the segment's line within r.
        const double m = dya * dx;
        const double rl = r * len;
        if (dy != 0) {
            double v0 = (m - rl) / dy;
            double v1 = (m + rl) / dy;
            if (v0 > v1)
                std::swap(v0, v1);
            tlo = std::max(tlo, v0);
            thi = std::min(thi, v1);
        } else if (std::abs(m) > rl) {
            tlo = kInf;
        }
        if (tlo <= thi) {
            lo = std::min(lo, ax + tlo);
            hi = std::max(hi, ax + thi);
        }
    }
    return lo <= hi;
}

// Lines with an end far outside the image are cut down to the image's
// neighbourhood first, so a wild coordinate costs no more than a normal line.
// Lines that stay near the image are left exactly as given.
bool clipFarLine(int& x0, int& y0, int& x1, int& y1, int w, int h)
{
    constexpr int kFar = 1 << 14;
    auto far = [&](int x, int y) { return x < -kFar || y < -kFar || x > w + kFar || y > h + kFar; };
    if (!far(x0, y0) && !far(x1, y1))
        return true;
    const double fx0 = x0, fy0 = y0, dx = static_cast<double>(x1) - x0, dy = static_cast<double>(y1) - y0;
    double t0 = 0, t1 = 1;
    auto clip = [&](double p, double q) {
        if (p == 0)
            return q >= 0;
        const double r = q / p;
        if (p < 0) {
            if (r > t1) return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0) return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    const double left = -2, top = -2, right = w + 1, bottom = h + 1;
    if (!clip(-dx, fx0 - left) || !clip(dx, right - fx0) || !clip(-dy, fy0 - top) || !clip(dy, bottom - fy0))
        return false;
    x1 = static_cast<int>(std::lround(fx0 + t1 * dx));
    y1 = static_cast<int>(std::lround(fy0 + t1 * dy));
    x0 = static_cast<int>(std::lround(fx0 + t0 * dx));
    y0 = static_cast<int>(std::lround(fy0 + t0 * dy));
    return true;
}

QRect spanBounds(const std::vector<Span>& spans)
{
    if (spans.empty())
        return {};
    int x0 = spans.front().x0, x1 = spans.front().x1;
    for (const Span& s : spans) {
        x0 = std::min(x0, s.x0);
        x1 = std::max(x1, s.x1);
    }
    return QRect(QPoint(x0, spans.front().y), QPoint(x1, spans.back().y));
}

} // namespace

std::uint32_t applyRop2(int mode, std::uint32_t pen, std::uint32_t dest)
{
    const std::uint32_t P = pen & 0xFFFFFFu;
    const std::uint32_t D = dest & 0xFFFFFFu;
    std::uint32_t r = 0;
    switch (mode) {
    case 1: r = 0; break;                 // black
    case 2: r = ~(P | D); break;          // not merge pen
    case 3: r = D & ~P; break;            // mask not pen
    case 4: r = ~P; break;                // not copy pen
    case 5: r = P & ~D; break;            // mask pen not
    case 6: r = ~D; break;                // not
    case 7: r = P ^ D; break;             // xor pen
    case 8: r = ~(P & D); break;          // not mask pen
    case 9: r = P & D; break;             // mask pen
    case 10: r = ~(P ^ D); break;         // not xor pen
    case 11: r = D; break;                // nop
    case 12: r = D | ~P; break;           // merge not pen
    case 13: r = P; break;                // copy pen
    case 14: r = P | ~D; break;           // merge pen not
    case 15: r = P | D; break;            // merge pen
    case 16: r = 0xFFFFFFu; break;        // white
    default: throw StepFailure("invalid draw mode");
    }
    return r & 0xFFFFFFu;
}

PixelOp makePixelOp(int mode, Rgb pen)
{
    const std::uint32_t p = toPixel(pen);
    const std::uint32_t zero = applyRop2(mode, p, 0);
    const std::uint32_t ones = applyRop2(mode, p, 0xFFFFFFu);
    return PixelOp{(zero ^ ones) & 0xFFFFFFu, zero | 0xFF000000u};
}

void fillAll(const Target& t, std::uint32_t pixel)
{
    for (int y = 0; y < t.height; ++y)
        std::fill_n(t.row(y), t.width, pixel);
}

void SpanRasterizer::collectCapsules(std::span<const DevicePoint> pts, double radius, int w, int h)
{
    raw_.clear();
    const std::size_t n = pts.size();
    for (std::size_t i = 0; i < n; ++i) {
        const DevicePoint a = pts[i];
        const DevicePoint b = pts[(i + 1) % n];
        const double ax = a.x + 0.0, ay = a.y + 0.0, bx = b.x + 0.0, by = b.y + 0.0;
        const double len = std::hypot(bx - ax, by - ay);
        const double top = std::min(ay, by) - radius;
        const double bottom = std::max(ay, by) + radius;
        const int y0 = static_cast<int>(std::max(0.0, std::ceil(top - kSample)));
        const int y1 = static_cast<int>(std::min(h - 1.0, std::floor(bottom - kSample)));
        for (int y = y0; y <= y1; ++y) {
            double lo, hi;
            if (!capsuleSlice(ax, ay, bx, by, len, radius, y + kSample, lo, hi))
                continue;
            // Pixels whose sample lies in [lo, hi].
            const double first = std::ceil(lo - kSample);
            const double last = std::floor(hi - kSample);
            if (last < 0 || first > w - 1 || first > last)
                continue;
            raw_.push_back(Span{y, static_cast<int>(std::max(0.0, first)), static_cast<int>(std::min<double>(w - 1, last))});
        }
    }
}

void SpanRasterizer::mergeRows(int h)
{
    rowCount_.assign(static_cast<std::size_t>(h) + 1, 0);
    for (const Span& s : raw_)
        ++rowCount_[static_cast<std::size_t>(s.y) + 1];
    for (int y = 0; y < h; ++y)
        rowCount_[static_cast<std::size_t>(y) + 1] += rowCount_[static_cast<std::size_t>(y)];
    sorted_.resize(raw_.size());
    {
        std::vector<int>& next = rowCount_;   // running insert positions, restored below
        for (const Span& s : raw_)
            sorted_[static_cast<std::size_t>(next[static_cast<std::size_t>(s.y)]++)] = s;
        // next[y] now holds the end of row y, which is the start of row y + 1.
    }
    merged_.clear();
    std::size_t begin = 0;
    for (int y = 0; y < h; ++y) {
        const std::size_t end = static_cast<std::size_t>(rowCount_[static_cast<std::size_t>(y)]);
        if (end > begin) {
            auto first = sorted_.begin() + static_cast<std::ptrdiff_t>(begin);
            auto last = sorted_.begin() + static_cast<std::ptrdiff_t>(end);
            std::sort(first, last, [](const Span& a, const Span& b) { return a.x0 < b.x0; });
            Span cur = *first;
            for (auto it = first + 1; it != last; ++it) {
                if (it->x0 <= cur.x1 + 1) {
                    cur.x1 = std::max(cur.x1, it->x1);
                } else {
                    merged_.push_back(cur);
                    cur = *it;
                }
            }
            merged_.push_back(cur);
        }
        begin = end;
    }
}

const std::vector<Span>& SpanRasterizer::outlineSpans(std::span<const DevicePoint> pts, int width, int w, int h)
{
    merged_.clear();
    if (pts.empty() || w <= 0 || h <= 0)
        return merged_;
    collectCapsules(pts, width / 2.0, w, h);
    mergeRows(h);
    return merged_;
}

QRect SpanRasterizer::strokePolygon(const Target& t, std::span<const DevicePoint> pts, int width, PixelOp op)
{
    if (pts.empty() || op.isNop())
        return {};
    if (width > 1) {
        const auto& spans = outlineSpans(pts, width, t.width, t.height);
        for (const Span& s : spans)
            applySpan(t, s.y, s.x0, s.x1, op);
        return spanBounds(spans);
    }

    // One-pixel pen: every edge is its own line from its start point up to,
    // not including, its end point (so closed outlines visit each vertex once).
    QRect touched;
    const std::size_t n = pts.size();
    for (std::size_t i = 0; i < n; ++i) {
        int x0 = pts[i].x, y0 = pts[i].y;
        int x1 = pts[(i + 1) % n].x, y1 = pts[(i + 1) % n].y;
        if (!clipFarLine(x0, y0, x1, y1, t.width, t.height))
            continue;
        const std::int64_t dx = std::abs(static_cast<std::int64_t>(x1) - x0);
        const std::int64_t dy = -std::abs(static_cast<std::int64_t>(y1) - y0);
        const int sx = x0 < x1 ? 1 : -1;
        const int sy = y0 < y1 ? 1 : -1;
        std::int64_t err = dx + dy;
        int minX = std::numeric_limits<int>::max(), maxX = std::numeric_limits<int>::min();
        int minY = minX, maxY = maxX;
        while (!(x0 == x1 && y0 == y1)) {
            if (x0 >= 0 && y0 >= 0 && x0 < t.width && y0 < t.height) {
                std::uint32_t& p = t.row(y0)[x0];
                p = (p & op.keep) ^ op.flip;
                minX = std::min(minX, x0);
                maxX = std::max(maxX, x0);
                minY = std::min(minY, y0);
                maxY = std::max(maxY, y0);
            }
            const std::int64_t e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
        if (minX <= maxX)
            touched |= QRect(QPoint(minX, minY), QPoint(maxX, maxY));
    }
    return touched;
}

QRect SpanRasterizer::fillPolygon(const Target& t, std::span<const DevicePoint> pts, std::uint32_t pixel)
{
    const std::size_t n = pts.size();
    if (n < 3)
        return {};
    int minY = pts[0].y, maxY = pts[0].y;
    for (const DevicePoint& p : pts) {
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    const int y0 = std::max(0, minY);
    const int y1 = std::min(t.height - 1, maxY);
    int bx0 = std::numeric_limits<int>::max(), bx1 = std::numeric_limits<int>::min(), by0 = bx0, by1 = bx1;
    for (int y = y0; y <= y1; ++y) {
        const double ys = y + kSample;
        crossings_.clear();
        for (std::size_t i = 0; i < n; ++i) {
            const DevicePoint a = pts[i];
            const DevicePoint b = pts[(i + 1) % n];
            if (a.y == b.y)
                continue;
            const double lo = std::min(a.y, b.y), hi = std::max(a.y, b.y);
            if (ys < lo || ys >= hi)
                continue;
            const double x = a.x + (ys - a.y) * (static_cast<double>(b.x) - a.x) / (static_cast<double>(b.y) - a.y);
            crossings_.emplace_back(x, b.y > a.y ? 1 : -1);
        }
        std::sort(crossings_.begin(), crossings_.end());
        int winding = 0;
        for (std::size_t i = 0; i + 1 < crossings_.size(); ++i) {
            winding += crossings_[i].second;
            if (winding == 0)
                continue;
            const double xa = crossings_[i].first, xb = crossings_[i + 1].first;
            const double first = std::max(0.0, std::ceil(xa - kSample));
            const double last = std::min<double>(t.width - 1, std::ceil(xb - kSample) - 1);
            if (first > last)
                continue;
            const int f = static_cast<int>(first), l = static_cast<int>(last);
            std::fill(t.row(y) + f, t.row(y) + l + 1, pixel);
            bx0 = std::min(bx0, f);
            bx1 = std::max(bx1, l);
            by0 = std::min(by0, y);
            by1 = std::max(by1, y);
        }
    }
    if (bx0 > bx1)
        return {};
    return QRect(QPoint(bx0, by0), QPoint(bx1, by1));
}

} // namespace lh::raster
