#include "tools/PictureBox.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace lh::tools {

PictureBox::PictureBox(const QColor& background, QWidget* parent) : QWidget(parent), background_(background)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setPicture(const QImage& picture)
{
    picture_ = picture;
    // A screen capture on a scaled screen holds device pixels: the box takes
    // the size the picture had on that screen, not twice it.
    const QSize size = picture.deviceIndependentSize().toSize();
    resize(qMin(size.width(), QWIDGETSIZE_MAX), qMin(size.height(), QWIDGETSIZE_MAX));
    update();
}

void PictureBox::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.fillRect(e->rect(), background_);
    if (picture_.isNull())
        return;
    const qreal ratio = picture_.devicePixelRatio();
    if (ratio == 1.0) {
        const QRect area = e->rect().intersected(picture_.rect());
        if (!area.isEmpty())
            p.drawImage(area.topLeft(), picture_, area);
        return;
    }
    // Device pixels of the visible part, drawn at their logical place.
    const QRect area = e->rect().intersected(rect());
    const QRect source(QPoint(int(area.x() * ratio), int(area.y() * ratio)),
                       QSize(int(std::ceil(area.width() * ratio)), int(std::ceil(area.height() * ratio))));
    p.drawImage(QRectF(area), picture_, QRectF(source));
}

StretchImage::StretchImage(QWidget* parent) : QWidget(parent) {}

void StretchImage::setPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void StretchImage::paintEvent(QPaintEvent* e)
{
    if (picture_.isNull() || width() <= 0 || height() <= 0)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    // Only the visible part is scaled, so a huge zoom stays cheap.
    const QRect visible = e->rect();
    const double sx = double(picture_.width()) / width();
    const double sy = double(picture_.height()) / height();
    const QRectF source(visible.x() * sx, visible.y() * sy, visible.width() * sx, visible.height() * sy);
    p.drawImage(QRectF(visible), picture_, source);
}

}   // namespace lh::tools
