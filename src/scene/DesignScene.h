#pragma once
// A design as the window shows it, as one value: the recorded design (which
// draws it again, at any scale), the texts stamped on it afterwards, and what
// lies over it on the main window (the photo in its ring, the date caption).
// One painter draws the scene: the windows' views at scale 1, exports and
// printing at larger scales, kept designs when they are opened again.

#include "design/DesignHistory.h"
#include "design/DesignTick.h"
#include "engine/Surface.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

class QPainter;

namespace lh::scene {

// The designer surface's side in pixels.
using design::kDesignPixels;

// A caption over the surface (the main window's date label), drawn in its
// place, aligned as the label aligns it and cut to it. `pixelSize` is the
// font's size in pixels at scale 1, so that larger scales keep the layout.
struct CaptionOverlay {
    QString text;
    QFont font;
    QColor colour;
    QRect place;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    int pixelSize = 0;
};

// What lies over the design on the main window, in surface pixels: the photo
// stretched over its place, the ring drawn inside its bounds, the date.
struct PhotoOverlay {
    QRect photo;
    QRect frame;
    QColor frameColour;
    int frameWidth = 0;
    std::optional<CaptionOverlay> date;
};

// A text the user stamped on the design: where it was put in twips, its text
// and font, and its colour. Drawn again on the surface at its scale.
struct StampedText {
    double xTwips = 0;
    double yTwips = 0;
    QString text;
    LogFontRecord font;
    Rgb colour = 0;
};

struct DesignScene {
    int category = 1;                      // the recipe the design was drawn with
    design::DesignRecord record;           // draws the design; its photo is the one shown over it
    std::vector<StampedText> stamps;       // in the order they were stamped
    std::optional<PhotoOverlay> overlay;   // none on the category windows
};

// Paints what lies over the design (photo, ring, caption) on a painter whose
// origin is the surface's top left, `scale` device pixels to a surface pixel.
void paintOverlay(QPainter& painter, const QImage& photo, const PhotoOverlay& overlay, int scale);

// The recorded design drawn on a surface `scale` times larger, the stamps on
// it in their order, and the overlay over it with the record's photo. Null
// when an image of that size cannot be had. The image is drawn in `bands`
// bands of rows side by side, each on a new thread of its own; 0: as many
// bands as there are cores for images of four million pixels and more,
// smaller ones on the calling thread. The pixels are the same however the
// image is cut.
QImage renderDesign(const design::DesignRecipe& recipe, const design::DesignRecord& record, int scale,
                    const std::optional<PhotoOverlay>& overlay, int surfacePixels = kDesignPixels,
                    const std::vector<StampedText>& stamps = {}, int bands = 0);

// The whole scene at `scale`, with the recipe of its category; `bands` as above.
QImage renderScene(const DesignScene& scene, int scale, int bands = 0);

}   // namespace lh::scene
