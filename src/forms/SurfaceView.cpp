#include "forms/SurfaceView.h"

#include "engine/Surface.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace lh {

class SurfaceView::Canvas final : public QWidget {
public:
    Canvas(SurfaceView& view, QWidget* parent) : QWidget(parent), view_(view)
    {
        setObjectName(QStringLiteral("canvas"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        const QImage image = view_.surface().image();
        QPainter p(this);
        const QRect r = event->rect();
        p.drawImage(r.topLeft(), image, r);
        // Anything outside the image (a window larger than the surface) stays white.
        const QRegion rest = QRegion(r) - QRegion(image.rect());
        for (const QRect& part : rest)
            p.fillRect(part, Qt::white);
        if (view_.overlay_) {
            p.setClipRect(r);
            view_.overlay_(p);
        }
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        const QPointF px = event->position();
        const double tx = view_.surface().twipsPerPixelX();
        const double ty = view_.surface().twipsPerPixelY();
        emit view_.mouseReleased(event->button(), event->modifiers(), QPointF(px.x() * tx, px.y() * ty));
    }

private:
    SurfaceView& view_;
};

// Swallows the paint events of boxes the canvas paints for them. A box does
// not paint its background, so Qt repaints the canvas beneath whatever part
// of it is updated, shown, hidden or moved.
class SurfaceView::BoxPaintFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Paint; }
};

SurfaceView::SurfaceView(Surface& surface, QWidget* parent) : QFrame(parent), surface_(surface)
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setLineWidth(kFrameWidth);
    const QSize inner = surface.image().size();
    canvas_ = new Canvas(*this, this);
    canvas_->setGeometry(kFrameWidth, kFrameWidth, inner.width(), inner.height());
    setFixedSize(inner.width() + 2 * kFrameWidth, inner.height() + 2 * kFrameWidth);
    surface_.takeDirtyRect();   // the first paint shows everything
}

QWidget* SurfaceView::canvas() const { return canvas_; }

void SurfaceView::setOverlayPainter(std::function<void(QPainter&)> painter)
{
    overlay_ = std::move(painter);
    canvas_->update();
}

void SurfaceView::paintBoxesOnCanvas(std::initializer_list<QWidget*> boxes)
{
    if (!boxFilter_)
        boxFilter_ = new BoxPaintFilter(this);
    for (QWidget* box : boxes) {
        box->setAutoFillBackground(false);
        box->setAttribute(Qt::WA_OpaquePaintEvent, false);
        box->installEventFilter(boxFilter_);
    }
    canvas_->update();
}

void SurfaceView::refresh()
{
    const QRect r = surface_.takeDirtyRect();
    if (!r.isEmpty())
        canvas_->update(r);
}

}   // namespace lh
