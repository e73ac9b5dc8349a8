#pragma once
// Screen grabbers: the X11 one reads the real screen; the null one stands
// for platforms that refuse screen grabs (Wayland, offscreen).

#include "platform/Services.h"

#include <QRect>

namespace lh {

// The virtual desktop (all screens) in device pixels.
QRect virtualDesktopDeviceRect();

// Global logical coordinates to device pixels of the virtual desktop, whose
// top-left corner is (0, 0).
QPoint globalToDesktopDevice(QPointF global);

class X11ScreenGrabber : public ScreenGrabber {
public:
    bool canGrabScreen() const override { return true; }
    // Every screen composed at its place on the virtual desktop, device pixels.
    QImage grabDesktop() override;
};

class NullScreenGrabber : public ScreenGrabber {
public:
    bool canGrabScreen() const override { return false; }
    QImage grabDesktop() override { return {}; }
};

// The grabber that fits the platform the program runs on ("xcb" reads the
// screen; anything else gets the null grabber).
std::unique_ptr<ScreenGrabber> makeScreenGrabber(const QString& platformName);

}   // namespace lh
