#include "scene/DesignScene.h"

#include "engine/RasterSurface.h"
#include "pictures/ImageMemory.h"

#include <QPainter>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <thread>

namespace lh::scene {

namespace {

// The photo stretched to its place, from the original picture straight to
// the size it has at this scale. The last one of the size a view shows is
// kept: a view repaints the same photo at the same size many times a second.
// Larger ones (exports, printing) are not kept after their drawing.
QImage stretched(const QImage& photo, QSize size)
{
    constexpr qint64 kMostKeptPixels = qint64(1024) * 1024;
    if (qint64(size.width()) * size.height() > kMostKeptPixels)
        return photo.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    thread_local QImage source, result;
    if (photo.cacheKey() != source.cacheKey() || result.size() != size) {
        source = photo;
        result = photo.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return result;
}

}   // namespace

void paintOverlay(QPainter& painter, const QImage& photo, const PhotoOverlay& overlay, int scale)
{
    if (!photo.isNull() && !overlay.photo.isEmpty()) {
        const QRect target(overlay.photo.topLeft() * scale, overlay.photo.size() * scale);
        painter.drawImage(target.topLeft(), stretched(photo, target.size()));
        if (overlay.frameWidth > 0 && !overlay.frame.isEmpty()) {
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            // The ring lies inside its bounds, as wide as asked.
            const double width = static_cast<double>(overlay.frameWidth) * scale;
            const QRectF bounds(QPointF(overlay.frame.topLeft()) * scale, QSizeF(overlay.frame.size()) * scale);
            QPen pen(overlay.frameColour, width);
            pen.setJoinStyle(Qt::MiterJoin);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(bounds.adjusted(width / 2, width / 2, -width / 2, -width / 2));
            painter.restore();
        }
    }
    if (overlay.date && !overlay.date->text.isEmpty()) {
        const CaptionOverlay& date = *overlay.date;
        QFont font = date.font;
        if (scale != 1 && date.pixelSize > 0)
            font.setPixelSize(date.pixelSize * scale);
        const QRect place(date.place.topLeft() * scale, date.place.size() * scale);
        painter.save();
        painter.setFont(font);
        painter.setPen(date.colour);
        painter.setClipRect(place, Qt::IntersectClip);
        painter.drawText(place, static_cast<int>(date.alignment), date.text);
        painter.restore();
    }
}

namespace {

// The recorded design and the stamps on it, drawn on a surface (the whole
// image or a band of it).
void drawDesign(const design::DesignRecipe& recipe, const design::DesignRecord& record,
                const std::vector<StampedText>& stamps, Surface& surface)
{
    design::redrawDesign(recipe, record, surface);
    for (const StampedText& stamp : stamps) {
        surface.setForeColor(stamp.colour);
        surface.setCurrentX(stamp.xTwips);
        surface.setCurrentY(stamp.yTwips);
        try {
            surface.textOut(stamp.text, stamp.font);
        } catch (const StepFailure&) {
            // A text the surface could not print on screen is not printed here either.
        }
    }
}

// Images of this many pixels and more are drawn in bands on every core.
constexpr qint64 kBandedPixels = qint64(2048) * 2048;
// A band has at least this many rows.
constexpr int kMinBandRows = 64;

// The number of bands for an image; 0: none, drawn on the calling thread.
int bandsFor(QSize size, int requested)
{
    if (requested > 0)
        return std::clamp(requested, 1, std::max(1, size.height()));
    if (qint64(size.width()) * size.height() < kBandedPixels)
        return 0;
    return std::clamp(QThread::idealThreadCount(), 1, std::max(1, size.height() / kMinBandRows));
}

}   // namespace

QImage renderDesign(const design::DesignRecipe& recipe, const design::DesignRecord& record, int scale,
                    const std::optional<PhotoOverlay>& overlay, int surfacePixels,
                    const std::vector<StampedText>& stamps, int bands)
{
    if (RasterSurface::scaleFor(surfacePixels, surfacePixels, scale) != scale)
        return {};
    const QSize size = RasterSurface::imageSize(surfacePixels, surfacePixels, scale);
    bands = bandsFor(size, bands);
    QImage image;
    if (bands == 0) {
        RasterSurface surface(surfacePixels, surfacePixels, scale);
        if (!surface.isValid())
            return {};
        drawDesign(recipe, record, stamps, surface);
        image = surface.image();
    } else {
        // Every band draws the whole design on its own rows of the one
        // image; per pixel the layers come in their order, as on one surface.
        // Each band has a thread of its own, new: Qt keeps its fonts' glyph
        // caches a thread, and large glyphs drawn through them come out a
        // little differently once a thread has drawn other texts. New
        // threads draw every band, and every export, alike.
        image = newImage(size, QImage::Format_RGB32);
        if (image.isNull())
            return {};
        uchar* const bits = image.bits();
        const qsizetype bytesPerLine = image.bytesPerLine();
        std::atomic<bool> drawn{true};
        auto drawBand = [&](int band) {
            const int first = static_cast<int>(qint64(size.height()) * band / bands);
            const int end = static_cast<int>(qint64(size.height()) * (band + 1) / bands);
            try {
                RasterSurface surface(surfacePixels, surfacePixels, scale,
                                      {bits + first * bytesPerLine, bytesPerLine, first, end - first});
                if (!surface.isValid()) {
                    drawn = false;
                    return;
                }
                drawDesign(recipe, record, stamps, surface);
                surface.image();   // the background, where nothing else was drawn
            } catch (...) {
                drawn = false;
            }
        };
        std::vector<std::thread> threads;
        for (int band = 0; band < bands; ++band)
            threads.emplace_back(drawBand, band);
        for (std::thread& t : threads)
            t.join();
        if (!drawn)
            return {};
    }
    // The surface is gone: the image is this one's alone and is painted in place.
    if (overlay && (!record.photo.isNull() || overlay->date)) {
        QPainter painter(&image);
        paintOverlay(painter, record.photo, *overlay, scale);
    }
    return image;
}

QImage renderScene(const DesignScene& scene, int scale, int bands)
{
    return renderDesign(design::recipeForCategory(scene.category), scene.record, scale, scene.overlay, kDesignPixels,
                        scene.stamps, bands);
}

}   // namespace lh::scene
