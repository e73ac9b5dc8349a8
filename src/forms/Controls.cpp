#include "forms/Controls.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace lh::forms {

ImageBox::ImageBox(QWidget* parent) : QWidget(parent) {}

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

void ImageBox::setPicture(const QImage& picture, const QImage& stretched)
{
    if (!isVisible() || picture.isNull() || stretched.size() != size()) {
        setPicture(picture);
        return;
    }
    picture_ = picture;
    stale_ = false;
    shown_ = QPixmap::fromImage(stretched);
    update();
}

std::vector<QImage> stretchForBoxes(const QImage& picture, const std::vector<QSize>& sizes)
{
    std::vector<QImage> out(sizes.size());
    if (picture.isNull())
        return out;
    // The largest box first, by area.
    std::size_t largest = sizes.size();
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        if (sizes[i].isEmpty())
            continue;
        if (largest == sizes.size()
            || qint64(sizes[i].width()) * sizes[i].height() > qint64(sizes[largest].width()) * sizes[largest].height())
            largest = i;
    }
    if (largest == sizes.size())
        return out;
    out[largest] = picture.scaled(sizes[largest], Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage& base = out[largest];
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        if (i == largest || sizes[i].isEmpty())
            continue;
        // A box as large as the largest one on a side is made from the picture itself.
        const bool fromBase = sizes[i].width() <= base.width() && sizes[i].height() <= base.height();
        out[i] = (fromBase ? base : picture).scaled(sizes[i], Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return out;
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
        shown_ = QPixmap::fromImage(picture_.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
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

PicturePane::PicturePane(int border, QWidget* parent) : QWidget(parent), border_(std::max(0, border))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PicturePane::setPicture(const QImage& picture)
{
    picture_ = picture;
    if (autoSize_ && !picture_.isNull())
        resizeInner(picture_.deviceIndependentSize().toSize());
    update();
}

QSize PicturePane::innerSize() const
{
    return QSize(std::max(0, width() - 2 * border_), std::max(0, height() - 2 * border_));
}

void PicturePane::resizeInner(QSize inner) { resize(inner.width() + 2 * border_, inner.height() + 2 * border_); }

void PicturePane::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect inner(border_, border_, innerSize().width(), innerSize().height());
    const QRect exposed = event->rect();
    painter.fillRect(exposed, palette().color(QPalette::Window));
    if (!picture_.isNull()) {
        const qreal ratio = picture_.devicePixelRatio();
        const QRect shown = QRect(inner.topLeft(), picture_.deviceIndependentSize().toSize()) & inner & exposed;
        if (!shown.isEmpty()) {
            const QRectF source((shown.x() - border_) * ratio, (shown.y() - border_) * ratio, shown.width() * ratio,
                                shown.height() * ratio);
            painter.drawImage(QRectF(shown), picture_, source);
        }
    }
    if (border_ > 0) {
        // A sunken frame: shadow above and left, light below and right.
        const QColor shadow(0x80, 0x80, 0x80), dark(0x40, 0x40, 0x40), light(0xFF, 0xFF, 0xFF), face(0xD4, 0xD0, 0xC8);
        const int w = width(), h = height();
        for (int i = 0; i < border_; ++i) {
            const bool outer = i == 0;
            painter.setPen(outer ? shadow : dark);
            painter.drawLine(i, i, w - 1 - i, i);
            painter.drawLine(i, i, i, h - 1 - i);
            painter.setPen(outer ? light : face);
            painter.drawLine(i, h - 1 - i, w - 1 - i, h - 1 - i);
            painter.drawLine(w - 1 - i, i, w - 1 - i, h - 1 - i);
        }
    }
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

}   // namespace lh::forms
