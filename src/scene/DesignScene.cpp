#include "scene/DesignScene.h"

#include "engine/RasterSurface.h"

#include <QPainter>

namespace lh::scene {

namespace {

// The photo stretched to its place, from the original picture straight to
// the size it has at this scale. The last one is kept: a view repaints the
// same photo at the same size many times a second.
QImage stretched(const QImage& photo, QSize size)
{
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

QImage renderDesign(const design::DesignRecipe& recipe, const design::DesignRecord& record, int scale,
                    const std::optional<PhotoOverlay>& overlay, int surfacePixels,
                    const std::vector<StampedText>& stamps)
{
    QImage image;
    {
        RasterSurface surface(surfacePixels, surfacePixels, scale);
        if (!surface.isValid() || surface.scale() != scale)
            return {};
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
        image = surface.image();
    }
    // The surface is gone: the image is this one's alone and is painted in place.
    if (overlay && (!record.photo.isNull() || overlay->date)) {
        QPainter painter(&image);
        paintOverlay(painter, record.photo, *overlay, scale);
    }
    return image;
}

QImage renderScene(const DesignScene& scene, int scale)
{
    return renderDesign(design::recipeForCategory(scene.category), scene.record, scale, scene.overlay, kDesignPixels,
                        scene.stamps);
}

}   // namespace lh::scene
