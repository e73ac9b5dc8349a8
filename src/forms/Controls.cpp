#include "forms/Controls.h"

#include <QMouseEvent>
#include <QPainter>

namespace lh::forms {

ImageBox::ImageBox(QWidget* parent) : QWidget(parent)
{
}

void ImageBox::setPicture(const QImage& picture)
{
    picture_ = picture;
    // A hidden box costs nothing: it scales its latest picture when shown.
    if (!isVisible()) {
        stale_ = true;
        return;
    }
    rescale();
    update();
}

void ImageBox::showEvent(QShowEvent*)
{
    if (stale_)
        rescale();
}

void ImageBox::rescale()
{
    stale_ = false;
    if (picture_.isNull() || size().isEmpty())
        shown_ = QPixmap();
    else
        shown_ = QPixmap::fromImage(
            picture_.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void ImageBox::resizeEvent(QResizeEvent*)
{
    if (isVisible())
        rescale();
    else
        stale_ = true;
}

void ImageBox::paintEvent(QPaintEvent*)
{
    if (shown_.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, shown_);
}

void ImageBox::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void ImageBox::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click)
        emit clicked();
}

ShapeBox::ShapeBox(Form form, QColor border, int borderWidth, std::optional<QColor> fill, QWidget* parent)
    : QWidget(parent), form_(form), border_(border), borderWidth_(borderWidth), fill_(fill)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, form_ != Form::Rectangle);
    // The border lies inside the bounds, as wide as asked.
    const double half = borderWidth_ / 2.0;
    const QRectF box = QRectF(rect()).adjusted(half, half, -half, -half);
    QPen pen(border_, borderWidth_);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(borderWidth_ > 0 ? pen : Qt::NoPen);
    painter.setBrush(fill_ ? QBrush(*fill_) : QBrush(Qt::NoBrush));
    switch (form_) {
    case Form::Rectangle: painter.drawRect(box); break;
    case Form::RoundedRectangle: painter.drawRoundedRect(box, 8, 8); break;
    case Form::Oval: painter.drawEllipse(box); break;
    }
}

} // namespace lh::forms
