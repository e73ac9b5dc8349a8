#pragma once
// The spans of a wide pen's outline worked out the plain way, row by row and
// edge by edge, with the rasterizer's arithmetic: each edge covers the band
// swept along it and the round cap at its start, a pixel is covered when its
// sample point lies inside, and the covered intervals of a row are merged.
// The rasterizer's own bookkeeping (lanes, orders, caps apart) must give
// exactly these spans.

#include "engine/raster/PenRaster.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <vector>

namespace lh::test {

inline std::vector<raster::Span> referenceOutlineSpans(std::span<const DevicePoint> pts, int width, int w, int h)
{
    constexpr double kSample = 0.5 - 1.0 / 1024.0;
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kShift = 1048576.0;
    auto floorInt = [](double v) { return static_cast<int>(v + kShift) - static_cast<int>(kShift); };
    auto ceilInt = [](double v) { return static_cast<int>(kShift) - static_cast<int>(kShift - v); };

    std::vector<raster::Span> out;
    w = std::min(w, 65535);
    const std::size_t n = pts.size();
    if (n == 0 || w <= 0 || h <= 0)
        return out;
    const double r = width / 2.0;
    const double r2 = r * r;

    struct Edge {
        double ax, ay;
        bool band = false;
        double loA0 = 0, loA1 = 0, hiA0 = 0, hiA1 = 0, loB0 = 0, loB1 = 0, hiB0 = 0, hiB1 = 0;
        double bandTop = kInf, bandBottom = -kInf;
        int y0 = 0, y1 = -1;
    };
    std::vector<Edge> edges;
    for (std::size_t i = 0; i < n; ++i) {
        Edge e;
        e.ax = pts[i].x;
        e.ay = pts[i].y;
        const double bx = pts[(i + 1) % n].x, by = pts[(i + 1) % n].y;
        const double dx = bx - e.ax, dy = by - e.ay;
        const double len2 = dx * dx + dy * dy;
        if (len2 > 0) {
            e.band = true;
            const double len = std::sqrt(len2);
            const double rl = r * len;
            // Ends of the band: the projection on the edge within 0..len2.
            if (dx != 0) {
                const double p0 = e.ax + (e.ay * dy) / dx, p1 = -dy / dx, q0 = p0 + len2 / dx;
                e.loA0 = dx > 0 ? p0 : q0;
                e.hiA0 = dx > 0 ? q0 : p0;
                e.loA1 = e.hiA1 = p1;
            } else {
                e.loA0 = -kInf;
                e.hiA0 = kInf;
            }
            // Sides of the band: the distance from the edge within r.
            if (dy != 0) {
                const double p0 = e.ax - (e.ay * dx) / dy, p1 = dx / dy;
                const double lo0 = p0 - rl / dy, hi0 = p0 + rl / dy;
                e.loB0 = dy > 0 ? lo0 : hi0;
                e.hiB0 = dy > 0 ? hi0 : lo0;
                e.loB1 = e.hiB1 = p1;
            } else {
                e.loB0 = -kInf;
                e.hiB0 = kInf;
            }
            const double ny = std::abs(dx) * r / len;
            e.bandTop = std::min(e.ay, by) - ny;
            e.bandBottom = std::max(e.ay, by) + ny;
        }
        const double top = e.band ? std::min(e.ay - r, e.bandTop) : e.ay - r;
        const double bottom = e.band ? std::max(e.ay + r, e.bandBottom) : e.ay + r;
        e.y0 = static_cast<int>(std::max(0.0, std::ceil(top - kSample)));
        e.y1 = static_cast<int>(std::min(h - 1.0, std::floor(bottom - kSample)));
        edges.push_back(e);
    }

    const double maxX = w - 1.0;
    std::vector<std::pair<int, int>> row;
    for (int y = 0; y < h; ++y) {
        const double yc = y + kSample;
        row.clear();
        for (const Edge& e : edges) {
            if (y < e.y0 || y > e.y1)
                continue;
            const double dya = yc - e.ay;
            const double q = r2 - dya * dya;
            double lo = kInf, hi = -kInf;
            if (q >= 0) {
                const double d = std::sqrt(q);
                lo = e.ax - d;
                hi = e.ax + d;
            }
            const double bl = std::max(e.loA0 + e.loA1 * yc, e.loB0 + e.loB1 * yc);
            const double bh = std::min(e.hiA0 + e.hiA1 * yc, e.hiB0 + e.hiB1 * yc);
            if (yc >= e.bandTop && yc <= e.bandBottom && bl <= bh) {
                lo = std::min(lo, bl);
                hi = std::max(hi, bh);
            }
            if (!(lo <= hi))
                continue;
            const int first = std::max(ceilInt(std::clamp(lo - kSample, -1.0, maxX + 1)), 0);
            const int last = std::min(floorInt(std::clamp(hi - kSample, -1.0, maxX + 1)), w - 1);
            if (first <= last)
                row.emplace_back(first, last);
        }
        std::sort(row.begin(), row.end());
        for (std::size_t i = 0; i < row.size();) {
            int x0 = row[i].first, x1 = row[i].second;
            for (++i; i < row.size() && row[i].first <= x1 + 1; ++i)
                x1 = std::max(x1, row[i].second);
            out.push_back(raster::Span{y, x0, x1});
        }
    }
    return out;
}

}   // namespace lh::test
