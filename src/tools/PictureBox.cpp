#include "tools/PictureBox.h"

#include <QPaintEvent>
#include <QPainter>

namespace lh::tools {

PictureBox::PictureBox(const QColor& background, QWidget* parent)
    : QWidget(parent)
    , background_(background)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setPicture(const QImage& picture)
{
    picture_ = picture;
    resize(qMin(picture.width(), QWIDGETSIZE_MAX), qMin(picture.height(), QWIDGETSIZE_MAX));
    update();
}

void PictureBox::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.fillRect(e->rect(), background_);
    if (!picture_.isNull()) {
        const QRect area = e->rect().intersected(picture_.rect());
        if (!area.isEmpty())
            p.drawImage(area.topLeft(), picture_, area);
    }
}

StretchImage::StretchImage(QWidget* parent)
    : QWidget(parent)
{
}

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

} // namespace lh::tools
