#include "tools/Module2.h"

#include "core/Numeric.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include <utility>

namespace lh::tools {

void SwapLongs(int32_t& a, int32_t& b) { std::swap(a, b); }

void NormalizeRect(SelRect& r)
{
    if (r.right < r.left)
        SwapLongs(r.left, r.right);
    if (r.bottom < r.top)
        SwapLongs(r.top, r.bottom);
}

std::vector<QRect> SelectionFrameBars(const SelRect& r)
{
    if (r.isEmpty())
        return {};
    const int w = r.width(), h = r.height();
    return {
        QRect(r.left, r.top, w, 1),          // top row
        QRect(r.left, r.top, 1, h),          // left column
        QRect(r.right - 1, r.top, 1, h),     // right column
        QRect(r.left, r.bottom - 1, w, 1),   // bottom row
    };
}

QString SelectionLabelText(const SelRect& r) { return QStringLiteral("%1x%2").arg(r.width()).arg(r.height()); }

QPoint SelectionLabelOrigin(const SelRect& r, int w, int h)
{
    const double x = (double(r.left) + double(r.right) - w) / 2.0;
    const double y = (double(r.top) + double(r.bottom) - h) / 2.0;
    return QPoint(int(roundHalfEven(x)), int(roundHalfEven(y)));
}

QFont SelectionLabelFont()
{
    QFont f = QGuiApplication::font();
    f.setPixelSize(13);
    f.setBold(true);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

namespace {

void invertArea(QImage& img, const QRect& area)
{
    const QRect a = area.intersected(img.rect());
    for (int y = a.top(); y <= a.bottom(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = a.left(); x <= a.right(); ++x)
            line[x] ^= 0x00FFFFFFu;
    }
}

}   // namespace

QRegion DrawSelectionFrame(QImage& screen, const SelRect& r)
{
    if (r.isEmpty())
        return {};
    if (screen.format() != QImage::Format_RGB32 && screen.format() != QImage::Format_ARGB32)
        screen = screen.convertToFormat(QImage::Format_RGB32);

    QRegion changed;
    for (const QRect& bar : SelectionFrameBars(r)) {
        invertArea(screen, bar);
        changed |= bar;
    }

    const QString text = SelectionLabelText(r);
    const QFont font = SelectionLabelFont();
    const QFontMetrics fm(font);
    const int w = fm.horizontalAdvance(text);
    const int h = fm.height();
    if (w <= 0 || h <= 0)
        return changed.intersected(QRegion(screen.rect()));
    // White glyphs on black; glyph pixels invert the screen, the rest leaves it.
    QImage label(w, h, QImage::Format_RGB32);
    if (label.isNull())
        return changed.intersected(QRegion(screen.rect()));
    label.fill(Qt::black);
    {
        QPainter p(&label);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(0, fm.ascent(), text);
    }
    const QPoint at = SelectionLabelOrigin(r, w, h);
    const QRect place = QRect(at, QSize(w, h)).intersected(screen.rect());
    for (int y = place.top(); y <= place.bottom(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(screen.scanLine(y));
        const QRgb* src = reinterpret_cast<const QRgb*>(label.constScanLine(y - at.y()));
        for (int x = place.left(); x <= place.right(); ++x)
            if (qGreen(src[x - at.x()]) >= 128)
                line[x] ^= 0x00FFFFFFu;
    }
    changed |= QRegion(QRect(at, QSize(w, h)));
    return changed.intersected(QRegion(screen.rect()));
}

QImage CopyScreenToClipboard(const QImage& screen, int32_t left, int32_t top, int32_t right, int32_t bottom,
                             Clipboard& clipboard)
{
    const int64_t w = int64_t(right) - left;
    const int64_t h = int64_t(bottom) - top;
    QImage copy;
    if (w > 0 && h > 0 && w <= 65535 && h <= 65535) {
        copy = QImage(int(w), int(h), QImage::Format_RGB32);
        if (!copy.isNull()) {
            copy.fill(Qt::black);
            const QRect src = QRect(left, top, int(w), int(h)).intersected(screen.rect());
            if (!src.isEmpty()) {
                QPainter p(&copy);
                p.setCompositionMode(QPainter::CompositionMode_Source);
                p.drawImage(src.topLeft() - QPoint(left, top), screen, src);
            }
            copy.setDotsPerMeterX(screen.dotsPerMeterX());
            copy.setDotsPerMeterY(screen.dotsPerMeterY());
        }
    }
    clipboard.setImage(copy);
    return copy;
}

SelectScreenRegion::SelectScreenRegion(QImage& screen, QPoint anchor)
    : screen_(screen), anchor_(anchor), rect_{anchor.x(), anchor.y(), anchor.x(), anchor.y()}
{
    DrawSelectionFrame(screen_, rect_);
}

QRegion SelectScreenRegion::moveTo(QPoint position)
{
    if (done_)
        return {};
    QRegion changed = DrawSelectionFrame(screen_, rect_);
    rect_ = SelRect{anchor_.x(), anchor_.y(), position.x(), position.y()};
    NormalizeRect(rect_);
    changed |= DrawSelectionFrame(screen_, rect_);
    return changed;
}

SelRect SelectScreenRegion::finish(QPoint position, QRegion* changed)
{
    QRegion c;
    if (!done_) {
        c = moveTo(position);
        c |= DrawSelectionFrame(screen_, rect_);
        done_ = true;
    }
    if (changed)
        *changed = c;
    return rect_;
}

}   // namespace lh::tools
