#include "engine/raster/PenRaster.h"

#include "core/CpuState.h"

#include <algorithm>
#include <cmath>
#include <limits>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace lh::raster {

namespace {

// Device points lie on the pixel grid: pixel (i, j) is sampled at
// (i + kSample, j + kSample), just short of its centre, so boundaries that
// run exactly through pixel centres count on one side only. A pen of odd width
// is then centred on the pixel that its point names, an even one covers
// exactly its width, and outlines agree with Qt's aliased strokes.
constexpr double kSample = 0.5 - 1.0 / 1024.0;

constexpr double kInf = std::numeric_limits<double>::infinity();

// Spans are mostly a few dozen pixels long, so with 512-bit units the last
// part of a span is written under a mask rather than pixel by pixel (the
// masked pixels are not touched, not even read).
#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx512f"))) void writeSpanWide(const Target& t, int y, int x0, int x1, PixelOp op)
{
    std::uint32_t* p = t.row(y) + x0;
    int left = x1 - x0 + 1;
    const __m512i keep = _mm512_set1_epi32(static_cast<int>(op.keep));
    const __m512i flip = _mm512_set1_epi32(static_cast<int>(op.flip));
    if (op.keep == 0) {
        for (; left >= 16; left -= 16, p += 16)
            _mm512_storeu_si512(p, flip);
        _mm512_mask_storeu_epi32(p, static_cast<__mmask16>((1u << left) - 1), flip);
        return;
    }
    for (; left >= 16; left -= 16, p += 16)
        _mm512_storeu_si512(p, _mm512_xor_si512(_mm512_and_si512(_mm512_loadu_si512(p), keep), flip));
    const auto m = static_cast<__mmask16>((1u << left) - 1);
    const __m512i old = _mm512_maskz_loadu_epi32(m, p);
    _mm512_mask_storeu_epi32(p, m, _mm512_xor_si512(_mm512_and_si512(old, keep), flip));
}
#endif

}   // namespace

// Built for 256-bit units too, for processors that have those but not the
// 512-bit ones.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void writeSpanPlain(const Target& t, int y, int x0, int x1, PixelOp op)
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

SpanWriter fastestSpanWriter()
{
#if defined(__x86_64__) && defined(__GNUC__)
    return hasWideVectorUnits() ? writeSpanWide : writeSpanPlain;
#else
    return writeSpanPlain;
#endif
}

namespace {

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
            if (r > t1)
                return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0)
                return false;
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

}   // namespace

// One edge of a wide outline: the band swept by the pen along the segment
// a-b plus the round cap at its start a. The caps at the ends come from the
// next edges' starts, so the edges of a closed outline together cover all
// their capsules. On a horizontal line the band's x-range is bounded by four
// lines linear in y: two where the pen's sides cross it, two where its ends
// do; band and cap together are convex, so each line meets them in one
// interval.
struct SpanRasterizer::EdgePiece {
    double ax = 0, ay = 0;
    double r = 0;
    bool band = false;
    // x = c0 + c1 * y for the lower and upper bounds of each pair.
    double loA0 = 0, loA1 = 0, hiA0 = 0, hiA1 = 0;   // ends (projection 0..len^2)
    double loB0 = 0, loB1 = 0, hiB0 = 0, hiB1 = 0;   // sides (distance within r)
    double bandTop = kInf, bandBottom = -kInf;       // rows where the band exists

    EdgePiece(double ax_, double ay_, double bx, double by, double radius) : ax(ax_), ay(ay_), r(radius)
    {
        const double dx = bx - ax, dy = by - ay;
        const double len2 = dx * dx + dy * dy;
        if (len2 <= 0)
            return;
        band = true;
        const double len = std::sqrt(len2);
        const double rl = r * len;
        // Ends: (x - ax) dx + (y - ay) dy in [0, len2].
        if (dx != 0) {
            // x = ax + (c - (y - ay) dy) / dx for c = 0 and c = len2.
            const double p0 = ax + (ay * dy) / dx, p1 = -dy / dx;
            const double q0 = p0 + len2 / dx;
            if (dx > 0) {
                loA0 = p0;
                loA1 = p1;
                hiA0 = q0;
                hiA1 = p1;
            } else {
                loA0 = q0;
                loA1 = p1;
                hiA0 = p0;
                hiA1 = p1;
            }
        } else {
            loA0 = -kInf;
            hiA0 = kInf;
        }
        // Sides: (x - ax) dy - (y - ay) dx in [-rl, rl].
        if (dy != 0) {
            const double p0 = ax - (ay * dx) / dy, p1 = dx / dy;
            const double lo0 = p0 - rl / dy, hi0 = p0 + rl / dy;
            if (dy > 0) {
                loB0 = lo0;
                loB1 = p1;
                hiB0 = hi0;
                hiB1 = p1;
            } else {
                loB0 = hi0;
                loB1 = p1;
                hiB0 = lo0;
                hiB1 = p1;
            }
        } else {
            loB0 = -kInf;
            hiB0 = kInf;
        }
        // The band's corners bound its rows.
        const double ny = std::abs(dx) * r / len;
        bandTop = std::min(ay, by) - ny;
        bandBottom = std::max(ay, by) + ny;
    }
};

struct SpanRasterizer::PlacedPiece {
    EdgePiece piece;
    int y0;
    int y1;
};

SpanRasterizer::SpanRasterizer() : lanes_(std::make_unique<Lanes>()) { useWideUnits(true); }
SpanRasterizer::~SpanRasterizer() = default;

std::uint32_t applyRop2(int mode, std::uint32_t pen, std::uint32_t dest)
{
    const std::uint32_t P = pen & 0xFFFFFFu;
    const std::uint32_t D = dest & 0xFFFFFFu;
    std::uint32_t r = 0;
    switch (mode) {
    case 1: r = 0; break;            // black
    case 2: r = ~(P | D); break;     // not merge pen
    case 3: r = D & ~P; break;       // mask not pen
    case 4: r = ~P; break;           // not copy pen
    case 5: r = P & ~D; break;       // mask pen not
    case 6: r = ~D; break;           // not
    case 7: r = P ^ D; break;        // xor pen
    case 8: r = ~(P & D); break;     // not mask pen
    case 9: r = P & D; break;        // mask pen
    case 10: r = ~(P ^ D); break;    // not xor pen
    case 11: r = D; break;           // nop
    case 12: r = D | ~P; break;      // merge not pen
    case 13: r = P; break;           // copy pen
    case 14: r = P | ~D; break;      // merge pen not
    case 15: r = P | D; break;       // merge pen
    case 16: r = 0xFFFFFFu; break;   // white
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

namespace {

// Fills count pixels from p: on x86 with the string store, which for large
// counts can write whole cache lines without reading them in first.
inline void fillPixels(std::uint32_t* p, std::size_t count, std::uint32_t pixel)
{
#if defined(__x86_64__) && defined(__GNUC__)
    asm volatile("rep stosl" : "+D"(p), "+c"(count) : "a"(pixel) : "memory");
#else
    std::fill_n(p, count, pixel);
#endif
}

}   // namespace

void fillAll(const Target& t, std::uint32_t pixel)
{
    const int rows = t.endRow() - t.firstRow();
    if (rows <= 0 || t.width <= 0)
        return;
    // Rows that follow each other in memory are one block.
    if (t.stride == t.width) {
        fillPixels(t.row(t.firstRow()), static_cast<std::size_t>(rows) * static_cast<std::size_t>(t.width), pixel);
        return;
    }
    for (int y = t.firstRow(); y < t.endRow(); ++y)
        fillPixels(t.row(y), static_cast<std::size_t>(t.width), pixel);
}

// ceil and floor of values already clamped to [-2^20, 2^20]: shifted to
// positive numbers, a plain conversion truncates towards the floor.
constexpr double kShift = 1048576.0;
inline int floorInt(double v) { return static_cast<int>(v + kShift) - static_cast<int>(kShift); }
inline int ceilInt(double v) { return static_cast<int>(kShift) - static_cast<int>(kShift - v); }

struct SpanRasterizer::Lanes {
    // One lane per edge that reached the current row, as parallel arrays so
    // the intervals of a row are computed side by side.
    std::vector<double> ax, ay, loA0, loA1, hiA0, hiA1, loB0, loB1, hiB0, hiB1, bandTop, bandBottom;
    std::vector<int> lastRow;

    std::size_t size() const { return ax.size(); }
    void clear()
    {
        for (auto* v : {&ax, &ay, &loA0, &loA1, &hiA0, &hiA1, &loB0, &loB1, &hiB0, &hiB1, &bandTop, &bandBottom})
            v->clear();
        lastRow.clear();
    }
    void add(const EdgePiece& e, int y1)
    {
        ax.push_back(e.ax);
        ay.push_back(e.ay);
        loA0.push_back(e.loA0);
        loA1.push_back(e.loA1);
        hiA0.push_back(e.hiA0);
        hiA1.push_back(e.hiA1);
        loB0.push_back(e.loB0);
        loB1.push_back(e.loB1);
        hiB0.push_back(e.hiB0);
        hiB1.push_back(e.hiB1);
        bandTop.push_back(e.bandTop);
        bandBottom.push_back(e.bandBottom);
        lastRow.push_back(y1);
    }
    // Drops lane i: the last lane takes its place.
    void removeAt(std::size_t i)
    {
        const std::size_t last = size() - 1;
        for (auto* v : {&ax, &ay, &loA0, &loA1, &hiA0, &hiA1, &loB0, &loB1, &hiB0, &hiB1, &bandTop, &bandBottom}) {
            (*v)[i] = (*v)[last];
            v->pop_back();
        }
        lastRow[i] = lastRow[last];
        lastRow.pop_back();
    }
};

namespace {

constexpr std::uint32_t kNoSpan = 0xFFFFFFFFu;

// The interval of every lane on the row at height yc, as first << 16 | last
// (kNoSpan when the lane misses the row). Branch-free, so it runs on vector
// units; built for the wider ones too where the processor has them.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void laneKeys(std::size_t n, const double* __restrict ax, const double* __restrict ay, const double* __restrict loA0,
              const double* __restrict loA1, const double* __restrict hiA0, const double* __restrict hiA1,
              const double* __restrict loB0, const double* __restrict loB1, const double* __restrict hiB0,
              const double* __restrict hiB1, const double* __restrict bandTop, const double* __restrict bandBottom,
              double yc, double r2, int w, std::uint32_t* __restrict keys)
{
    const double maxX = w - 1.0;
    for (std::size_t i = 0; i < n; ++i) {
        // The round cap at the edge's start.
        const double dya = yc - ay[i];
        const double q = r2 - dya * dya;
        const double d = std::sqrt(std::max(q, 0.0));
        double lo = q >= 0 ? ax[i] - d : kInf;
        double hi = q >= 0 ? ax[i] + d : -kInf;
        // The band along the edge.
        const double bl = std::max(loA0[i] + loA1[i] * yc, loB0[i] + loB1[i] * yc);
        const double bh = std::min(hiA0[i] + hiA1[i] * yc, hiB0[i] + hiB1[i] * yc);
        const bool band = (yc >= bandTop[i]) & (yc <= bandBottom[i]) & (bl <= bh);
        lo = band ? std::min(lo, bl) : lo;
        hi = band ? std::max(hi, bh) : hi;
        // Pixels whose sample lies in [lo, hi].
        const int first = std::max(ceilInt(std::clamp(lo - kSample, -1.0, maxX + 1)), 0);
        const int last = std::min(floorInt(std::clamp(hi - kSample, -1.0, maxX + 1)), w - 1);
        const bool some = (lo <= hi) & (first <= last);
        keys[i] = some ? (static_cast<std::uint32_t>(first) << 16) | static_cast<std::uint32_t>(last) : kNoSpan;
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
// GCC 12 takes the undefined source of the unmasked 512-bit min, max and
// square root for an uninitialized value.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

// The same intervals with 512-bit units, eight lanes at a time and the last
// ones under a mask, so a row's few lanes need no lane-by-lane tail. Every
// step is the one above, rounded alike (no fused multiply-adds).
__attribute__((target("avx512f,avx512vl"))) void laneKeysWide(
    std::size_t n, const double* __restrict ax, const double* __restrict ay, const double* __restrict loA0,
    const double* __restrict loA1, const double* __restrict hiA0, const double* __restrict hiA1,
    const double* __restrict loB0, const double* __restrict loB1, const double* __restrict hiB0,
    const double* __restrict hiB1, const double* __restrict bandTop, const double* __restrict bandBottom, double yc,
    double r2, int w, std::uint32_t* __restrict keys)
{
    const __m512d y = _mm512_set1_pd(yc);
    const __m512d radius2 = _mm512_set1_pd(r2);
    const __m512d zero = _mm512_setzero_pd();
    const __m512d inf = _mm512_set1_pd(kInf);
    const __m512d minusInf = _mm512_set1_pd(-kInf);
    const __m512d sample = _mm512_set1_pd(kSample);
    const __m512d below = _mm512_set1_pd(-1.0);
    const __m512d beyond = _mm512_set1_pd(w - 1.0 + 1);
    const __m512d shift = _mm512_set1_pd(kShift);
    const __m256i shiftInt = _mm256_set1_epi32(static_cast<int>(kShift));
    const __m256i lastPixel = _mm256_set1_epi32(w - 1);
    const __m256i none = _mm256_set1_epi32(static_cast<int>(kNoSpan));
    for (std::size_t i = 0; i < n; i += 8) {
        const auto m = static_cast<__mmask8>(n - i >= 8 ? 0xFF : (1u << (n - i)) - 1);
#define LH_LOAD(a) _mm512_maskz_loadu_pd(m, (a) + i)
        // The round cap at the edge's start.
        const __m512d dya = _mm512_sub_pd(y, LH_LOAD(ay));
        const __m512d q = _mm512_sub_pd(radius2, _mm512_mul_pd(dya, dya));
        const __m512d d = _mm512_sqrt_pd(_mm512_max_pd(q, zero));
        const __mmask8 cap = _mm512_cmp_pd_mask(q, zero, _CMP_GE_OQ);
        const __m512d x = LH_LOAD(ax);
        __m512d lo = _mm512_mask_blend_pd(cap, inf, _mm512_sub_pd(x, d));
        __m512d hi = _mm512_mask_blend_pd(cap, minusInf, _mm512_add_pd(x, d));
        // The band along the edge.
        const __m512d bl = _mm512_max_pd(_mm512_add_pd(LH_LOAD(loA0), _mm512_mul_pd(LH_LOAD(loA1), y)),
                                          _mm512_add_pd(LH_LOAD(loB0), _mm512_mul_pd(LH_LOAD(loB1), y)));
        const __m512d bh = _mm512_min_pd(_mm512_add_pd(LH_LOAD(hiA0), _mm512_mul_pd(LH_LOAD(hiA1), y)),
                                         _mm512_add_pd(LH_LOAD(hiB0), _mm512_mul_pd(LH_LOAD(hiB1), y)));
        const __mmask8 band = _mm512_cmp_pd_mask(y, LH_LOAD(bandTop), _CMP_GE_OQ)
                              & _mm512_cmp_pd_mask(y, LH_LOAD(bandBottom), _CMP_LE_OQ)
                              & _mm512_cmp_pd_mask(bl, bh, _CMP_LE_OQ);
        lo = _mm512_mask_min_pd(lo, band, bl, lo);
        hi = _mm512_mask_max_pd(hi, band, bh, hi);
        // Pixels whose sample lies in [lo, hi].
#define LH_CLAMP(v) _mm512_min_pd(_mm512_max_pd((v), below), beyond)
        const __m256i first = _mm256_max_epi32(
            _mm256_sub_epi32(shiftInt, _mm512_cvttpd_epi32(_mm512_sub_pd(shift, LH_CLAMP(_mm512_sub_pd(lo, sample))))),
            _mm256_setzero_si256());
        const __m256i last = _mm256_min_epi32(
            _mm256_sub_epi32(_mm512_cvttpd_epi32(_mm512_add_pd(LH_CLAMP(_mm512_sub_pd(hi, sample)), shift)), shiftInt),
            lastPixel);
        const __mmask8 some =
            _mm512_cmp_pd_mask(lo, hi, _CMP_LE_OQ) & _mm256_cmp_epi32_mask(first, last, _MM_CMPINT_LE);
        const __m256i key = _mm256_or_si256(_mm256_slli_epi32(first, 16), last);
        // A whole store, also past the last lane (keys has room): the sort
        // reads the keys at once, and only a whole store hands them on before
        // it reaches the cache.
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(keys + i), _mm256_mask_blend_epi32(some, none, key));
#undef LH_CLAMP
#undef LH_LOAD
    }
}

#pragma GCC diagnostic pop
#endif

}   // namespace

void SpanRasterizer::useWideUnits(bool wide)
{
#if defined(__x86_64__) && defined(__GNUC__)
    wide_ = wide && hasWideVectorUnits();
#else
    wide_ = false;
    (void)wide;
#endif
}

template <class Emit>
void SpanRasterizer::forEachOutlineSpan(std::span<const DevicePoint> pts, int width, int w, int h, int firstRow,
                                        Emit&& out)
{
    const std::size_t n = pts.size();
    // Interval ends are kept in 16 bits.
    w = std::min(w, 65535);
    if (n == 0 || w <= 0 || h <= 0)
        return;
    const double radius = width / 2.0;

    pieces_.clear();
    for (std::size_t i = 0; i < n; ++i) {
        const DevicePoint a = pts[i];
        const DevicePoint b = pts[(i + 1) % n];
        const EdgePiece piece(a.x, a.y, b.x, b.y, radius);
        const double top = piece.band ? std::min(piece.ay - radius, piece.bandTop) : piece.ay - radius;
        const double bottom = piece.band ? std::max(piece.ay + radius, piece.bandBottom) : piece.ay + radius;
        const double y0 = std::max(static_cast<double>(firstRow), std::ceil(top - kSample));
        const double y1 = std::min(h - 1.0, std::floor(bottom - kSample));
        if (y0 <= y1)
            pieces_.push_back({piece, static_cast<int>(y0), static_cast<int>(y1)});
    }
    if (pieces_.empty())
        return;
    std::sort(pieces_.begin(), pieces_.end(), [](const PlacedPiece& a, const PlacedPiece& b) { return a.y0 < b.y0; });
#if defined(__x86_64__) && defined(__GNUC__)
    const auto keysOfLanes = wide_ ? laneKeysWide : laneKeys;
#else
    const auto keysOfLanes = laneKeys;
#endif

    // Row by row over the edges that reached the row (the lanes). order_
    // lists the lanes sorted by where their intervals start; from one row to
    // the next that order barely changes, so an insertion sort restores it
    // in about one pass.
    Lanes& lanes = *lanes_;
    lanes.clear();
    order_.clear();
    std::size_t next = 0;
    int lastRow = 0;
    for (const PlacedPiece& pp : pieces_)
        lastRow = std::max(lastRow, pp.y1);
    // The first row on which a lane has ended.
    int nextEnd = std::numeric_limits<int>::max();
    for (int y = pieces_.front().y0; y <= lastRow; ++y) {
        // Lanes of edges that ended above this row go: the last lane takes
        // the place of each, and order_ follows.
        if (y >= nextEnd) {
            nextEnd = std::numeric_limits<int>::max();
            for (std::size_t i = 0; i < lanes.size();) {
                if (lanes.lastRow[i] >= y) {
                    nextEnd = std::min(nextEnd, lanes.lastRow[i] + 1);
                    ++i;
                    continue;
                }
                const auto gone = static_cast<std::uint32_t>(i);
                const auto moved = static_cast<std::uint32_t>(lanes.size() - 1);
                lanes.removeAt(i);
                std::size_t k = 0;
                for (const std::uint32_t lane : order_)
                    if (lane != gone)
                        order_[k++] = lane == moved ? gone : lane;
                order_.resize(k);
            }
        }
        while (next < pieces_.size() && pieces_[next].y0 <= y) {
            order_.push_back(static_cast<std::uint32_t>(lanes.size()));
            lanes.add(pieces_[next].piece, pieces_[next].y1);
            nextEnd = std::min(nextEnd, pieces_[next].y1 + 1);
            ++next;
        }
        if (lanes.size() == 0)
            continue;

        keys_.resize((lanes.size() + 7) / 8 * 8);
        keysOfLanes(lanes.size(), lanes.ax.data(), lanes.ay.data(), lanes.loA0.data(), lanes.loA1.data(),
                    lanes.hiA0.data(), lanes.hiA1.data(), lanes.loB0.data(), lanes.loB1.data(), lanes.hiB0.data(),
                    lanes.hiB1.data(), lanes.bandTop.data(), lanes.bandBottom.data(), y + kSample, radius * radius, w,
                    keys_.data());
        const std::uint32_t* keys = keys_.data();
        for (std::size_t i = 1; i < order_.size(); ++i) {
            const std::uint32_t lane = order_[i];
            const std::uint32_t key = keys[lane];
            std::size_t j = i;
            while (j > 0 && keys[order_[j - 1]] > key) {
                order_[j] = order_[j - 1];
                --j;
            }
            order_[j] = lane;
        }

        // Merge overlapping and touching intervals.
        std::uint32_t key = keys[order_.front()];
        if (key == kNoSpan)
            continue;
        int x0 = static_cast<int>(key >> 16), x1 = static_cast<int>(key & 0xFFFFu);
        for (std::size_t i = 1; i < order_.size(); ++i) {
            key = keys[order_[i]];
            if (key == kNoSpan)
                break;
            const int a = static_cast<int>(key >> 16), b = static_cast<int>(key & 0xFFFFu);
            if (a <= x1 + 1) {
                x1 = std::max(x1, b);
            } else {
                out(y, x0, x1);
                x0 = a;
                x1 = b;
            }
        }
        out(y, x0, x1);
    }
}

const std::vector<Span>& SpanRasterizer::outlineSpans(std::span<const DevicePoint> pts, int width, int w, int h)
{
    merged_.clear();
    forEachOutlineSpan(pts, width, w, h, 0, [this](int y, int x0, int x1) { merged_.push_back(Span{y, x0, x1}); });
    return merged_;
}

QRect SpanRasterizer::strokePolygon(const Target& t, std::span<const DevicePoint> pts, int width, PixelOp op)
{
    // A figure of a single point is no outline and draws nothing.
    if (pts.size() < 2 || op.isNop())
        return {};
    if (width > 1) {
        const SpanWriter applySpan = fastestSpanWriter();
        int minX = t.width, maxX = -1, minY = t.height, maxY = -1;
        forEachOutlineSpan(pts, width, t.width, t.endRow(), t.firstRow(), [&](int y, int x0, int x1) {
            applySpan(t, y, x0, x1, op);
            minX = std::min(minX, x0);
            maxX = std::max(maxX, x1);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        });
        return maxX < 0 ? QRect() : QRect(QPoint(minX, minY), QPoint(maxX, maxY));
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
        if (x0 == x1 && y0 == y1)
            continue;
        const std::int64_t dx = std::abs(static_cast<std::int64_t>(x1) - x0);
        const std::int64_t dy = -std::abs(static_cast<std::int64_t>(y1) - y0);
        const int sx = x0 < x1 ? 1 : -1;
        const int sy = y0 < y1 ? 1 : -1;
        // The line's pixels lie in the box of its ends; when that box is
        // inside the image no pixel needs checking.
        const QRect box = QRect(QPoint(std::min(x0, x1), std::min(y0, y1)), QPoint(std::max(x0, x1), std::max(y0, y1)));
        const QRect visible = box & QRect(0, t.firstRow(), t.width, t.endRow() - t.firstRow());
        if (visible.isEmpty())
            continue;
        touched |= visible;
        const bool inside = visible == box;
        std::int64_t err = dx + dy;
        while (!(x0 == x1 && y0 == y1)) {
            if (inside || (x0 >= 0 && y0 >= t.firstRow() && x0 < t.width && y0 < t.endRow())) {
                std::uint32_t& p = t.row(y0)[x0];
                p = (p & op.keep) ^ op.flip;
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
    const int y0 = std::max(t.firstRow(), minY);
    const int y1 = std::min(t.endRow() - 1, maxY);
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

}   // namespace lh::raster
