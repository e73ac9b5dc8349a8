#include "engine/raster/TextMasks.h"

#include "core/CpuState.h"
#include <QFontMetricsF>
#include <QHashFunctions>
#include <QImage>

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace lh::raster {

namespace {

QTransform turn(int escapement)
{
    QTransform t;
    if (escapement % 3600 != 0)
        t.rotate(-escapement / 10.0);   // counter-clockwise on screen
    return t;
}

}   // namespace

QRect textArea(const QFont& font, const QString& text, double ascent, int escapement)
{
    const QFontMetricsF m(font);
    const QRectF ink = m.boundingRect(text).translated(0, ascent);
    const QRectF cell(0, 0, m.horizontalAdvance(text), ascent + m.descent());
    // A margin for antialiasing, overhangs and the underline.
    return turn(escapement).mapRect(ink.united(cell)).toAlignedRect().adjusted(-2, -2, 2, 2);
}

TextMask renderTextMask(const QFont& font, const QString& text, double ascent, int escapement, const QRect& clip,
                        const QRect& knownArea)
{
    TextMask mask;
    QRect area = knownArea.isNull() ? textArea(font, text, ascent, escapement) : knownArea;
    if (!clip.isNull())
        area &= clip;
    mask.left = area.left();
    mask.top = area.top();
    mask.width = area.width();
    mask.height = area.height();
    if (area.isEmpty())
        return mask;
    // White on black in the surface's own pixel format, so the coverage is
    // exactly what the text layer blends into a surface.
    QImage img(area.size(), QImage::Format_RGB32);
    img.fill(Qt::black);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.setPen(Qt::white);
        p.setFont(font);
        QTransform t;
        t.translate(-area.left(), -area.top());
        p.setTransform(turn(escapement) * t);
        p.drawText(QPointF(0, ascent), text);
    }
    // Qt's fill and glyph blending may leave the vector registers' upper
    // halves in use, which slows every SSE loop after them.
    clearUpperVectorState();
    mask.alpha.resize(static_cast<std::size_t>(mask.width) * static_cast<std::size_t>(mask.height));
    for (int y = 0; y < mask.height; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        std::uint8_t* dst = mask.alpha.data() + static_cast<std::ptrdiff_t>(y) * mask.width;
        for (int x = 0; x < mask.width; ++x)
            dst[x] = static_cast<std::uint8_t>(qGreen(src[x]));
    }
    return mask;
}

namespace {

// The blend of one pixel d with coverage k (0..255) of colour, channel by
// channel d * (255 - k) + colour * k over 255, rounded; the same for k = 0
// (d) and k = 255 (colour), which are taken apart here only to save work.
struct PixelBlend {
    std::uint32_t sr, sg, sb, solid;
    explicit PixelBlend(std::uint32_t colour)
        : sr((colour >> 16) & 0xFF), sg((colour >> 8) & 0xFF), sb(colour & 0xFF), solid(colour | 0xFF000000u)
    {}
    void operator()(std::uint32_t& d, std::uint32_t k) const
    {
        if (k == 0)
            return;
        if (k == 255) {
            d = solid;
            return;
        }
        const std::uint32_t inv = 255 - k;
        auto mix = [&](std::uint32_t dc, std::uint32_t sc) {
            const std::uint32_t v = dc * inv + sc * k + 128;
            return (v + (v >> 8)) >> 8;
        };
        const std::uint32_t p = d;
        d = 0xFF000000u | (mix((p >> 16) & 0xFF, sr) << 16) | (mix((p >> 8) & 0xFF, sg) << 8) | mix(p & 0xFF, sb);
    }
};

// n pixels of a row from d, their coverage from a.
void blendRowPlain(std::uint32_t* d, const std::uint8_t* a, int n, const PixelBlend& blend)
{
    constexpr std::uint64_t kAllSolid = ~std::uint64_t{0};
    int x = 0;
    // Eight at a time where they are all empty or all solid.
    for (; x + 8 <= n; x += 8) {
        std::uint64_t eight;
        std::memcpy(&eight, a + x, sizeof eight);
        if (eight == 0)
            continue;
        if (eight == kAllSolid) {
            std::fill_n(d + x, 8, blend.solid);
            continue;
        }
        for (int i = 0; i < 8; ++i)
            blend(d[x + i], a[x + i]);
    }
    for (; x < n; ++x)
        blend(d[x], a[x]);
}

#if defined(__x86_64__) && defined(__GNUC__)
// PixelBlend's formula on 16-bit lanes: destination channels dc, coverage k.
__attribute__((target("avx512f,avx512bw,avx512vl"))) inline __m512i mixWide(__m512i dc, __m512i k, __m512i source)
{
    const __m512i v = _mm512_add_epi16(_mm512_add_epi16(_mm512_mullo_epi16(dc, _mm512_sub_epi16(_mm512_set1_epi16(255), k)),
                                                        _mm512_mullo_epi16(source, k)),
                                       _mm512_set1_epi16(128));
    return _mm512_srli_epi16(_mm512_add_epi16(v, _mm512_srli_epi16(v, 8)), 8);
}

// The same sixteen pixels at a time: every channel of every pixel with the
// one formula in 16-bit lanes, written only where the coverage is not zero.
__attribute__((target("avx512f,avx512bw,avx512vl"))) void blendRowWide(std::uint32_t* d, const std::uint8_t* a, int n,
                                                                       const PixelBlend& blend)
{
    const __m512i zero = _mm512_setzero_si512();
    const __m512i source = _mm512_unpacklo_epi8(_mm512_set1_epi32(static_cast<int>(blend.solid)), zero);
    const __m512i opaque = _mm512_set1_epi32(static_cast<int>(0xFF000000u));
    const __m512i spread = _mm512_set1_epi32(0x01010101);
    for (int x = 0; x < n; x += 16) {
        const auto within = static_cast<__mmask16>((1u << std::min(16, n - x)) - 1);
        const __m128i cover8 = _mm_maskz_loadu_epi8(within, a + x);
        // k in every byte. The conversion under an all-lanes mask: GCC 12
        // takes the unmasked one's undefined source for an uninitialized value.
        const __m512i cover = _mm512_mullo_epi32(_mm512_maskz_cvtepu8_epi32(0xFFFF, cover8), spread);
        const __mmask16 inked = _mm512_test_epi32_mask(cover, cover);
        if (inked == 0)
            continue;
        const __m512i dest = _mm512_maskz_loadu_epi32(inked, d + x);
        const __m512i lo = mixWide(_mm512_unpacklo_epi8(dest, zero), _mm512_unpacklo_epi8(cover, zero), source);
        const __m512i hi = mixWide(_mm512_unpackhi_epi8(dest, zero), _mm512_unpackhi_epi8(cover, zero), source);
        _mm512_mask_storeu_epi32(d + x, inked, _mm512_or_si512(_mm512_packus_epi16(lo, hi), opaque));
    }
}
#endif

using RowBlender = void (*)(std::uint32_t*, const std::uint8_t*, int, const PixelBlend&);

RowBlender fastestRowBlender()
{
#if defined(__x86_64__) && defined(__GNUC__)
    return hasWideVectorUnits() ? blendRowWide : blendRowPlain;
#else
    return blendRowPlain;
#endif
}

}   // namespace

QRect blendMask(const Target& t, const TextMask& mask, int x, int y, std::uint32_t colour, BlendWith with)
{
    const int left = x + mask.left, top = y + mask.top;
    const int x0 = std::max(0, left), x1 = std::min(t.width, left + mask.width);
    const int y0 = std::max(t.firstRow(), top), y1 = std::min(t.endRow(), top + mask.height);
    if (x0 >= x1 || y0 >= y1)
        return {};
    const PixelBlend blend(colour);
    const RowBlender blendRow = with == BlendWith::Plain ? blendRowPlain : fastestRowBlender();
    for (int yy = y0; yy < y1; ++yy) {
        const auto row = static_cast<std::size_t>(yy - top);
        // Only the row's inked columns.
        const bool bounded = !mask.inked.empty();
        const int from = bounded ? std::max(x0, left + mask.inked[2 * row]) : x0;
        const int to = bounded ? std::min(x1, left + mask.inked[2 * row + 1]) : x1;
        if (from >= to)
            continue;
        const std::uint8_t* a = mask.alpha.data() + row * static_cast<std::size_t>(mask.width) + (from - left);
        blendRow(t.row(yy) + from, a, to - from, blend);
    }
    return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
}

std::size_t TextMaskCache::KeyHash::operator()(const Key& k) const
{
    const LogFontRecord& f = k.font;
    return qHashMulti(0, k.text, f.faceName, f.height, f.width, f.escapement, f.orientation, f.weight, f.italic,
                      f.underline, f.strikeOut, f.charSet);
}

const TextMask* TextMaskCache::find(const LogFontRecord& font, const QString& text) const
{
    const auto it = masks_.find(Key{font, text});
    return it == masks_.end() ? nullptr : &it->second;
}

void findInkedColumns(TextMask& mask)
{
    mask.inked.assign(2 * static_cast<std::size_t>(mask.height), 0);
    for (int y = 0; y < mask.height; ++y) {
        const std::uint8_t* row = mask.alpha.data() + static_cast<std::ptrdiff_t>(y) * mask.width;
        const std::uint8_t* end = row + mask.width;
        const std::uint8_t* first = std::find_if(row, end, [](std::uint8_t a) { return a != 0; });
        if (first == end)
            continue;
        const std::uint8_t* last = end - 1;
        while (*last == 0)
            --last;
        mask.inked[2 * static_cast<std::size_t>(y)] = static_cast<int>(first - row);
        mask.inked[2 * static_cast<std::size_t>(y) + 1] = static_cast<int>(last - row) + 1;
    }
}

const TextMask& TextMaskCache::insert(const LogFontRecord& font, const QString& text, TextMask mask)
{
    findInkedColumns(mask);
    if (masks_.size() >= kMaxEntries || bytes_ + mask.alpha.size() > kMaxBytes) {
        masks_.clear();
        bytes_ = 0;
    }
    bytes_ += mask.alpha.size();
    auto [it, added] = masks_.insert_or_assign(Key{font, text}, std::move(mask));
    return it->second;
}

}   // namespace lh::raster
