#include "engine/RasterSurface.h"

#include "pictures/ImageMemory.h"

#include "engine/Fonts.h"
#include "engine/raster/TextMasks.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace lh {

namespace {

constexpr int kMaxCachedWidths = 4096;
constexpr double kFarAway = 1.0e6;   // pixels; text placed beyond is not drawn

constexpr int kMaxImageSide = 16384;
// Largest scaled image, in pixels (256 MB at 32 bits a pixel).
constexpr std::int64_t kMaxScaledPixels = std::int64_t{8192} * 8192;

// The largest scale up to the one asked whose image fits the limits.
int fittingScale(int width, int height, int scale)
{
    const std::int64_t w = std::clamp(width, 1, kMaxImageSide);
    const std::int64_t h = std::clamp(height, 1, kMaxImageSide);
    int k = std::clamp(scale, 1, 64);
    while (k > 1 && (w * k > kMaxImageSide || h * k > kMaxImageSide || w * h * k * k > kMaxScaledPixels))
        --k;
    return k;
}

}   // namespace

struct RasterSurface::Measure {
    QFont font;
    QFontMetricsF metrics{QFont()};
    mutable QHash<QString, qreal> widths;
};

// The fonts of the last few text records (a design prints its rings in one
// font and its serial line in another, turn after turn).
struct RasterSurface::RecordFont {
    struct Entry {
        LogFontRecord record;
        QFont font;
        double ascent = 0;
    };
    static constexpr std::size_t kKept = 4;
    std::vector<Entry> recent;   // most recently used first

    const Entry& forRecord(const LogFontRecord& key, const LogFontRecord& font)
    {
        const auto it = std::find_if(recent.begin(), recent.end(), [&](const Entry& e) { return e.record == key; });
        if (it != recent.end()) {
            std::rotate(recent.begin(), it, it + 1);
            return recent.front();
        }
        Entry e;
        e.record = key;
        e.font = fontForRecord(font);
        e.ascent = QFontMetricsF(e.font).ascent();
        if (recent.size() == kKept)
            recent.pop_back();
        recent.insert(recent.begin(), std::move(e));
        return recent.front();
    }
};

int RasterSurface::scaleFor(int widthPixels, int heightPixels, int scale)
{
    return fittingScale(widthPixels, heightPixels, scale);
}

QSize RasterSurface::imageSize(int widthPixels, int heightPixels, int scale)
{
    const int k = fittingScale(widthPixels, heightPixels, scale);
    return QSize(std::clamp(widthPixels, 1, kMaxImageSide / k) * k, std::clamp(heightPixels, 1, kMaxImageSide / k) * k);
}

RasterSurface::RasterSurface(int widthPixels, int heightPixels, int scale)
    : scale_(fittingScale(widthPixels, heightPixels, scale)),
      image_(newImage(imageSize(widthPixels, heightPixels, scale), QImage::Format_RGB32)),
      whole_(image_.size()),
      fontName_(QStringLiteral("宋体")),
      measure_(std::make_unique<Measure>()),
      recordFont_(std::make_unique<RecordFont>()),
      masks_(std::make_unique<raster::TextMaskCache>())
{
    repaintBackground();
    fontChanged();
    dirty_ = image_.rect();
}

RasterSurface::RasterSurface(int widthPixels, int heightPixels, int scale, const Band& band)
    : scale_(fittingScale(widthPixels, heightPixels, scale)),
      whole_(imageSize(widthPixels, heightPixels, scale)),
      firstRow_(band.firstRow),
      fontName_(QStringLiteral("宋体")),
      measure_(std::make_unique<Measure>()),
      recordFont_(std::make_unique<RecordFont>()),
      masks_(std::make_unique<raster::TextMaskCache>())
{
    const bool fits = scale_ == scale && band.firstRowBits && band.firstRow >= 0 && band.rows > 0
                      && band.firstRow + band.rows <= whole_.height() && band.bytesPerLine >= qsizetype(whole_.width()) * 4;
    if (fits)
        image_ = QImage(band.firstRowBits, whole_.width(), band.rows, band.bytesPerLine, QImage::Format_RGB32);
    repaintBackground();
    fontChanged();
    dirty_ = QRect(QPoint(0, 0), whole_);
}

RasterSurface::~RasterSurface() = default;

// Whole image pixels of a text position; anything that is not a number lands far away.
int RasterSurface::toImagePixels(double twips) const
{
    const double px = twips * scale_ / kTwipsPerPixel;
    if (!std::isfinite(px))
        return static_cast<int>(kFarAway);
    return static_cast<int>(std::nearbyint(std::clamp(px, -kFarAway, kFarAway)));
}

std::span<const DevicePoint> RasterSurface::toImage(std::span<const DevicePoint> points)
{
    if (scale_ == 1)
        return points;
    // A surface pixel becomes a square of scale x scale image pixels; a
    // point goes to the middle of its square.
    const std::int64_t half = scale_ / 2;
    auto to = [&](std::int32_t v) {
        return static_cast<std::int32_t>(
            std::clamp<std::int64_t>(std::int64_t{v} * scale_ + half, INT32_MIN / 2, INT32_MAX / 2));
    };
    scaled_.resize(points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        scaled_[i] = {to(points[i].x), to(points[i].y)};
    return scaled_;
}

raster::Target RasterSurface::target() const
{
    // bits() detaches the image from copies handed out by image().
    auto* bits = reinterpret_cast<std::uint32_t*>(image_.bits());
    const raster::Target t{bits,     image_.width(), whole_.height(), image_.bytesPerLine() / 4,
                           firstRow_, firstRow_ + image_.height()};
    if (backgroundPending_)
        paintBackground(t);
    return t;
}

QImage RasterSurface::image() const
{
    if (backgroundPending_)
        target();
    return image_;
}

void RasterSurface::repaintBackground()
{
    // Painted when the pixels are next needed: a clear followed at once by a
    // new background colour (every design starts so) fills the image once.
    backgroundPending_ = true;
    touch(QRect(0, firstRow_, whole_.width(), image_.height()));
}

void RasterSurface::paintBackground(const raster::Target& t) const
{
    backgroundPending_ = false;
    raster::fillAll(t, raster::toPixel(back_));
    if (!picture_.isNull()) {
        const int w = std::min(t.width, picture_.width());
        const int h = std::min(t.endRow(), picture_.height());
        const bool seeThrough = picture_.format() == QImage::Format_ARGB32_Premultiplied;
        const std::uint32_t back = raster::toPixel(back_);
        for (int y = t.firstRow(); y < h; ++y) {
            const auto* src = reinterpret_cast<const std::uint32_t*>(picture_.constScanLine(y));
            std::uint32_t* dst = t.row(y);
            if (!seeThrough) {
                std::copy_n(src, w, dst);
                continue;
            }
            // Transparent parts of a picture (GIFs) show the background colour.
            for (int x = 0; x < w; ++x) {
                const std::uint32_t p = src[x];
                const std::uint32_t inv = 255 - (p >> 24);
                auto channel = [&](int shift) {
                    const std::uint32_t v = ((back >> shift) & 0xFF) * inv + 128;
                    return (((p >> shift) & 0xFF) + ((v + (v >> 8)) >> 8)) & 0xFF;
                };
                dst[x] = 0xFF000000u | (channel(16) << 16) | (channel(8) << 8) | channel(0);
            }
        }
    }
}

void RasterSurface::setBackColor(Rgb colour)
{
    if (colour > kMaxRgb)
        throw StepFailure("invalid colour");
    back_ = colour;
    repaintBackground();
}

void RasterSurface::setForeColor(Rgb colour)
{
    if (colour > kMaxRgb)
        throw StepFailure("invalid colour");
    fore_ = colour;
}

void RasterSurface::setDrawWidth(int pixels)
{
    if (pixels < 1)
        throw StepFailure("invalid line width");
    drawWidth_ = pixels;
}

void RasterSurface::setDrawMode(int mode)
{
    if (mode < 1 || mode > 16)
        throw StepFailure("invalid draw mode");
    drawMode_ = mode;
}

void RasterSurface::setFontName(const QString& face)
{
    if (face == fontName_)
        return;
    fontName_ = face;
    fontChanged();
}

void RasterSurface::setFontSize(float points)
{
    // Sizes from just above 0 up to 2160 points are drawn; others are refused.
    if (!(points > 0.0f) || points > 2160.0f)
        throw StepFailure("invalid font size");
    if (points == fontSize_)
        return;
    fontSize_ = points;
    fontChanged();
}

void RasterSurface::setFontBold(bool bold)
{
    if (bold == fontBold_)
        return;
    fontBold_ = bold;
    fontChanged();
}

QFont RasterSurface::currentFont() const
{
    return resolvePixelFont(fontName_, pointsToPixels(fontSize_) * scale_, fontBold_ ? 700 : 400);
}

void RasterSurface::fontChanged()
{
    measure_->font = currentFont();
    measure_->metrics = QFontMetricsF(measure_->font);
    measure_->widths.clear();
}

int RasterSurface::scaleWidth() const { return static_cast<int>(whole_.width() / scale_ * kTwipsPerPixel); }

int RasterSurface::scaleHeight() const { return static_cast<int>(whole_.height() / scale_ * kTwipsPerPixel); }

float RasterSurface::textWidth(const QString& text) const
{
    if (text.isEmpty())
        return 0.0f;
    auto& cache = measure_->widths;
    auto it = cache.constFind(text);
    qreal px;
    if (it != cache.constEnd()) {
        px = *it;
    } else {
        px = measure_->metrics.horizontalAdvance(text);
        if (cache.size() >= kMaxCachedWidths)
            cache.clear();
        cache.insert(text, px);
    }
    return static_cast<float>(px * kTwipsPerPixel / scale_);
}

void RasterSurface::clear()
{
    repaintBackground();
    currentX_ = 0;
    currentY_ = 0;
}

void RasterSurface::polygon(std::span<const DevicePoint> points)
{
    const raster::PixelOp op = raster::makePixelOp(drawMode_, fore_);
    if (op.isNop() || points.empty())
        return;
    const std::int64_t width = std::min<std::int64_t>(std::int64_t{drawWidth_} * scale_, INT32_MAX);
    touch(raster_.strokePolygon(target(), toImage(points), static_cast<int>(width), op));
}

void RasterSurface::fillPolygon(std::span<const DevicePoint> points, Rgb colour)
{
    if (colour > kMaxRgb)
        throw StepFailure("invalid colour");
    touch(raster_.fillPolygon(target(), toImage(points), raster::toPixel(colour)));
}

bool RasterSurface::textOrigin(int& x, int& y) const
{
    const double px = toImagePixels(currentX_);
    const double py = toImagePixels(currentY_);
    if (std::abs(px) >= kFarAway || std::abs(py) >= kFarAway)
        return false;
    x = static_cast<int>(px);
    y = static_cast<int>(py);
    return true;
}

void RasterSurface::drawText(const QString& text, const QFont& font, double ascent, int escapement)
{
    int x, y;
    if (text.isEmpty() || !textOrigin(x, y))
        return;
    const QRect area = raster::textArea(font, text, ascent, escapement).translated(x, y);
    const QRect whole(QPoint(0, 0), whole_);
    if (!area.intersects(whole))
        return;
    // Through a coverage mask like the characters of the rings, so every
    // text of a design is blended the same way; only the part inside the
    // whole image (a band blends its rows of that same mask).
    const QRect visible = whole.translated(-x, -y);
    const QRect placed = area.translated(-x, -y);
    touch(raster::blendMask(target(), raster::renderTextMask(font, text, ascent, escapement, visible, placed), x, y,
                            raster::toPixel(fore_)));
}

void RasterSurface::textOut(const QString& text, const LogFontRecord& record)
{
    if (text.isEmpty())
        return;
    LogFontRecord font = record;
    font.height =
        static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{font.height} * scale_, -65535, 65535));
    font.width = static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{font.width} * scale_, -65535, 65535));
    // The turn is applied when drawing, so records that differ only in it
    // share one font.
    LogFontRecord key = font;
    key.escapement = 0;
    key.orientation = 0;
    const RecordFont::Entry& rf = recordFont_->forRecord(key, font);
    // Single characters (the rings) keep their coverage masks.
    int x, y;
    if (text.size() > raster::TextMaskCache::kMaxTextLength || !textOrigin(x, y)) {
        drawText(text, rf.font, rf.ascent, font.escapement);
        return;
    }
    const raster::TextMask* mask = masks_->find(font, text);
    if (!mask) {
        const QRect area = raster::textArea(rf.font, text, rf.ascent, font.escapement);
        if (static_cast<std::int64_t>(area.width()) * area.height() > raster::TextMaskCache::kMaxMaskPixels) {
            drawText(text, rf.font, rf.ascent, font.escapement);
            return;
        }
        mask = &masks_->insert(font, text, raster::renderTextMask(rf.font, text, rf.ascent, font.escapement));
    }
    touch(raster::blendMask(target(), *mask, x, y, raster::toPixel(fore_)));
}

void RasterSurface::print(const QString& text)
{
    drawText(text, measure_->font, measure_->metrics.ascent(), 0);
    // The text position moves to the start of the next line.
    currentX_ = 0;
    currentY_ += measure_->metrics.height() * kTwipsPerPixel / scale_;
}

void RasterSurface::setBackgroundPicture(const QImage& picture)
{
    if (picture.isNull())
        picture_ = QImage();
    else if (scale_ != 1)
        picture_ = picture.scaled(picture.size() * scale_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                  : QImage::Format_RGB32);
    else if (picture.hasAlphaChannel())
        picture_ = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    else
        picture_ = picture.convertToFormat(QImage::Format_RGB32);
    repaintBackground();
}

QRect RasterSurface::takeDirtyRect()
{
    const QRect r = dirty_;
    dirty_ = QRect();
    return r;
}

}   // namespace lh
