#pragma once
// What the window grabber shows while a grab lasts: the 3-pixel frame of
// inverted screen pixels around the window under the pointer, made of four
// small top-level windows so nothing is drawn on other programs, and the
// one-pixel window that holds the pointer while the grabber is minimized.

#include "tools/GrabberLayout.h"

#include <QImage>
#include <QList>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <array>
#include <functional>

namespace lh::tools {

inline constexpr int kGrabFrameWidth = 3;

// Device pixels of the virtual desktop to global logical coordinates.
QRect deviceToLogical(const QRect& device);

// A top-level window without frame, above all others, that shows a piece of
// the screen with its pixels inverted and lets the mouse through.
class FrameStrip : public QWidget {
public:
    FrameStrip()
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                               | Qt::X11BypassWindowManagerHint | Qt::Tool | Qt::WindowTransparentForInput)
    {
        setObjectName(QStringLiteral("GrabFrameStrip"));
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    void setPixels(const QImage& pixels)
    {
        pixels_ = pixels;
        update();
    }
    const QImage& pixels() const { return pixels_; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawImage(rect(), pixels_);
    }

private:
    QImage pixels_;
};

// The 3-pixel outline of a rectangle, made of four strips just inside it.
class GrabFrame {
public:
    void showAround(const EdgeRect& r, const QImage& screen)
    {
        const int w = r.width(), h = r.height();
        const int t = kGrabFrameWidth;
        const std::array<QRect, 4> parts = {QRect(r.left, r.top, w, std::min(t, h)),
                                            QRect(r.left, r.bottom - t, w, h > t ? t : 0),
                                            QRect(r.left, r.top + t, std::min(t, w), h - 2 * t),
                                            QRect(r.right - t, r.top + t, w > t ? t : 0, h - 2 * t)};
        for (std::size_t i = 0; i < parts.size(); ++i) {
            FrameStrip& strip = strips_[i];
            const QRect part = parts[i];
            if (part.width() <= 0 || part.height() <= 0) {
                strip.hide();
                continue;
            }
            QImage pixels = screen.isNull() ? QImage(part.size(), QImage::Format_RGB32) : screen.copy(part);
            if (screen.isNull())
                pixels.fill(Qt::white);
            pixels.invertPixels();
            strip.setPixels(pixels);
            strip.setGeometry(deviceToLogical(part));
            strip.show();
            strip.raise();
        }
    }
    void hide()
    {
        for (FrameStrip& s : strips_)
            s.hide();
    }
    QList<QWidget*> windows()
    {
        QList<QWidget*> out;
        for (FrameStrip& s : strips_)
            out << &s;
        return out;
    }

private:
    std::array<FrameStrip, 4> strips_;
};

// Holds the pointer while a grab lasts, whether the grabber is on screen or
// minimized: a one-pixel window that takes every mouse event and hands the
// release to the grabber.
class PointerHolder : public QWidget {
public:
    explicit PointerHolder(std::function<void(Qt::MouseButton)> onRelease)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                               | Qt::X11BypassWindowManagerHint | Qt::Tool),
          onRelease_(std::move(onRelease))
    {
        setObjectName(QStringLiteral("GrabPointerHolder"));
        setAttribute(Qt::WA_ShowWithoutActivating);
        setGeometry(-10, -10, 1, 1);
    }
    void take()
    {
        show();
        grabMouse(Qt::CrossCursor);
        held_ = true;
    }
    void letGo()
    {
        if (held_)
            releaseMouse();
        held_ = false;
        hide();
    }

protected:
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        e->accept();
        onRelease_(e->button());
    }

private:
    std::function<void(Qt::MouseButton)> onRelease_;
    bool held_ = false;
};

}   // namespace lh::tools
