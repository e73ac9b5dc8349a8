#pragma once
// The canvas that shows a drawing surface on a window: the surface's image
// inside a 2-pixel sunken frame (861 x 861 outside for the 857 x 857 image of
// the designer windows). Boxes placed on the surface (a photo, a ring shape, a
// label) are children of canvas() and use inner pixel coordinates; they show
// above the drawing and are not part of the surface's image. A window whose
// scene paints what lies over the surface itself gives the view an overlay
// painter and lets the canvas paint its boxes (paintBoxesOnCanvas).

#include <QFrame>
#include <QPointF>

#include <functional>

class QPainter;

namespace lh {

class Surface;

class SurfaceView : public QFrame {
    Q_OBJECT
public:
    static constexpr int kFrameWidth = 2;

    explicit SurfaceView(Surface& surface, QWidget* parent = nullptr);

    Surface& surface() const { return surface_; }

    // The inner area: parent for boxes placed on the surface.
    QWidget* canvas() const;

    // Repaints what the surface changed since the last refresh (its dirty
    // rectangle); call after drawing.
    void refresh();

    // Paints over the image, in inner pixels, whenever the canvas paints.
    void setOverlayPainter(std::function<void(QPainter&)> painter);
    // The boxes no longer paint themselves: the overlay painter draws what
    // they show. They keep their place, state and visibility; whatever
    // changes their look repaints the canvas beneath them.
    void paintBoxesOnCanvas(std::initializer_list<QWidget*> boxes);

signals:
    // A mouse button was released over the image: the button, the modifier
    // keys and the position in inner twips (15 per pixel).
    void mouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF twips);

private:
    class Canvas;
    class BoxPaintFilter;
    Surface& surface_;
    Canvas* canvas_ = nullptr;
    BoxPaintFilter* boxFilter_ = nullptr;
    std::function<void(QPainter&)> overlay_;
};

}   // namespace lh
