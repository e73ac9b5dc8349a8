#include "engine/raster/TextMasks.h"

#include "core/CpuState.h"
#include <QFontMetricsF>
#include <QHashFunctions>
#include <QImage>

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cstring>

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

TextMask renderTextMask(const QFont& font, const QString& text, double ascent, int escapement, const QRect& clip)
{
    TextMask mask;
    QRect area = textArea(font, text, ascent, escapement);
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

QRect blendMask(const Target& t, const TextMask& mask, int x, int y, std::uint32_t colour)
{
    const int left = x + mask.left, top = y + mask.top;
    const int x0 = std::max(0, left), x1 = std::min(t.width, left + mask.width);
    const int y0 = std::max(t.firstRow(), top), y1 = std::min(t.endRow(), top + mask.height);
    if (x0 >= x1 || y0 >= y1)
        return {};
    const std::uint32_t sr = (colour >> 16) & 0xFF, sg = (colour >> 8) & 0xFF, sb = colour & 0xFF;
    const std::uint32_t solid = colour | 0xFF000000u;
    auto blend = [&](std::uint32_t& d, std::uint32_t k) {
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
    };
    constexpr std::uint64_t kAllSolid = ~std::uint64_t{0};
    for (int yy = y0; yy < y1; ++yy) {
        const auto row = static_cast<std::size_t>(yy - top);
        // Only the row's inked columns, eight at a time where they are all
        // empty or all solid.
        const bool bounded = !mask.inked.empty();
        const int from = bounded ? std::max(x0, left + mask.inked[2 * row]) : x0;
        const int to = bounded ? std::min(x1, left + mask.inked[2 * row + 1]) : x1;
        const std::uint8_t* a = mask.alpha.data() + row * static_cast<std::size_t>(mask.width);
        std::uint32_t* d = t.row(yy);
        int xx = from;
        for (; xx + 8 <= to; xx += 8) {
            std::uint64_t eight;
            std::memcpy(&eight, a + (xx - left), sizeof eight);
            if (eight == 0)
                continue;
            if (eight == kAllSolid) {
                std::fill_n(d + xx, 8, solid);
                continue;
            }
            for (int i = 0; i < 8; ++i)
                blend(d[xx + i], a[xx - left + i]);
        }
        for (; xx < to; ++xx)
            blend(d[xx], a[xx - left]);
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
