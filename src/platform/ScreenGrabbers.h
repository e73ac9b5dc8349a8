#pragma once
// Screen grabbers: the X11 one reads the real screen; the portal one asks
// the desktop's Screenshot portal (Wayland, XWayland); the null one stands
// for platforms without either (offscreen).

#include "platform/PortalScreenshot.h"
#include "platform/Services.h"

#include <QRect>
#include <QStringList>

#include <functional>

namespace lh {

// The virtual desktop (all screens) in device pixels.
QRect virtualDesktopDeviceRect();

// Global logical coordinates to device pixels of the virtual desktop, whose
// top-left corner is (0, 0).
QPoint globalToDesktopDevice(QPointF global);

// Asks the portal for a picture of the screen; the test passes its own.
using PortalRequest = std::function<PortalShot()>;

// True when a grab is of no use: null, or black in every pixel (what an X
// server that does not hand out the screen gives).
bool grabIsUnusable(const QImage& shot);

class X11ScreenGrabber : public ScreenGrabber {
public:
    // `portal`, when given, is asked whenever the X server hands out an
    // unusable picture; its picture is taken when it has one.
    explicit X11ScreenGrabber(PortalRequest portal = {}) : portal_(std::move(portal)) {}
    bool canGrabScreen() const override { return true; }
    // Every screen composed at its place on the virtual desktop, device pixels.
    QImage grabDesktop() override;

private:
    QImage grabFromServer();
    PortalRequest portal_;
};

// The screen from the desktop's Screenshot portal.
class PortalScreenGrabber : public ScreenGrabber {
public:
    PortalScreenGrabber(PortalRequest portal, bool knowsWindowPositions)
        : portal_(std::move(portal)), knowsPositions_(knowsWindowPositions)
    {
    }
    bool canGrabScreen() const override { return true; }
    bool grabsThroughDesktop() const override { return true; }
    bool knowsWindowPositions() const override { return knowsPositions_; }
    bool lastGrabCancelled() const override { return last_ == PortalOutcome::Cancelled; }
    QImage grabDesktop() override;
    PortalOutcome lastOutcome() const { return last_; }

private:
    PortalRequest portal_;
    bool knowsPositions_;
    PortalOutcome last_ = PortalOutcome::NoService;
};

class NullScreenGrabber : public ScreenGrabber {
public:
    bool canGrabScreen() const override { return false; }
    QImage grabDesktop() override { return {}; }
};

// What tells the display servers apart.
struct DisplayServer {
    QString platform;                // Qt's platform plugin: "xcb", "wayland", "offscreen"...
    bool xwaylandExtension = false;  // the X server has the XWAYLAND extension
    QStringList outputNames;         // the screens' (RandR outputs') names
};

enum class GrabberKind {
    X11,      // the X server hands out the screen
    Portal,   // the desktop's Screenshot portal does (Wayland, XWayland)
    None,     // neither (offscreen and the like)
};

// Which grabber fits: X11 directly; Wayland and XWayland (the XWAYLAND
// extension or outputs named XWAYLAND...) through the portal.
GrabberKind chooseScreenGrabber(const DisplayServer& server);
// True for Qt's Wayland platforms ("wayland", "wayland-egl"...).
bool isWaylandPlatform(const QString& platformName);

// The display server the program runs on, as Qt and the X server tell.
DisplayServer currentDisplayServer(const QString& platformName);

// The grabber that fits the platform the program runs on.
std::unique_ptr<ScreenGrabber> makeScreenGrabber(const QString& platformName);

}   // namespace lh
