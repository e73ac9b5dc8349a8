#include "platform/ScreenGrabbers.h"

#include "pictures/PictureFiles.h"

#include "core/Numeric.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace lh {

namespace {

QRect deviceRect(const QScreen* s)
{
    const QRect g = s->geometry();
    const qreal dpr = s->devicePixelRatio();
    return QRect(int(std::lround(g.x() * dpr)), int(std::lround(g.y() * dpr)), int(std::lround(g.width() * dpr)),
                 int(std::lround(g.height() * dpr)));
}

}   // namespace

QRect virtualDesktopDeviceRect()
{
    QRect all;
    for (const QScreen* s : QGuiApplication::screens())
        all = all.united(deviceRect(s));
    return all;
}

bool grabIsUnusable(const QImage& shot)
{
    if (shot.isNull())
        return true;
    const QImage rgb = shot.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            if ((row[x] & 0xFFFFFFu) != 0)
                return false;
    }
    return true;
}

QImage X11ScreenGrabber::grabDesktop()
{
    QImage shot = grabFromServer();
    if (portal_ && grabIsUnusable(shot)) {
        const PortalShot fromDesktop = portal_();
        if (fromDesktop.outcome == PortalOutcome::Picture && !fromDesktop.picture.isNull())
            return fromDesktop.picture;
    }
    return shot;
}

QImage PortalScreenGrabber::grabDesktop()
{
    const PortalShot shot = portal_();
    last_ = shot.outcome;
    if (shot.outcome != PortalOutcome::Picture)
        return {};
    return shot.picture;
}

QImage X11ScreenGrabber::grabFromServer()
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return {};
    const QRect all = virtualDesktopDeviceRect();
    if (all.isEmpty())
        return {};
    QImage desktop(all.size(), QImage::Format_RGB32);
    if (desktop.isNull())
        return {};
    desktop.fill(Qt::black);
    QPainter p(&desktop);
    bool any = false;
    for (QScreen* s : screens) {
        const QPixmap shot = s->grabWindow(0);
        if (shot.isNull())
            continue;
        QImage img = shot.toImage();
        img.setDevicePixelRatio(1.0);
        p.drawImage(deviceRect(s).topLeft() - all.topLeft(), img);
        any = true;
    }
    p.end();
    if (!any)
        return {};
    desktop.setDotsPerMeterX(kScreenDotsPerMetre);
    desktop.setDotsPerMeterY(kScreenDotsPerMetre);
    return desktop;
}

QPoint globalToDesktopDevice(QPointF global)
{
    const QRect all = virtualDesktopDeviceRect();
    const QPoint origin = all.topLeft();
    const QPoint g = global.toPoint();
    const QScreen* screen = QGuiApplication::screenAt(g);
    if (!screen)
        return g - origin;
    const qreal dpr = screen->devicePixelRatio();
    const QRect geo = screen->geometry();
    const QPointF local = global - QPointF(geo.topLeft());
    const QPoint screenDeviceOrigin(int(std::lround(geo.x() * dpr)), int(std::lround(geo.y() * dpr)));
    return screenDeviceOrigin + QPoint(int(roundHalfEven(local.x() * dpr)), int(roundHalfEven(local.y() * dpr)))
           - origin;
}

QImage ScreenGrabber::grabDesktopOrOwnWindows(const QWidget* leaveOut, bool* fellBack)
{
    QImage shot;
    if (canGrabScreen())
        shot = grabDesktop();
    if (fellBack)
        *fellBack = shot.isNull();
    if (shot.isNull()) {
        const QRect desk = virtualDesktopDeviceRect();
        shot = QImage(desk.size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        shot.fill(Qt::white);
        QPainter p(&shot);
        // The active window last, so it lies above the others.
        QWidgetList tops = QApplication::topLevelWidgets();
        QWidget* active = QApplication::activeWindow();
        if (active && tops.removeOne(active))
            tops.append(active);
        if (!knowsWindowPositions())
            tops.clear();
        for (QWidget* w : tops) {
            if (!w->isVisible() || w->isMinimized() || w == leaveOut)
                continue;
            const QPixmap pm = w->grab();
            if (pm.isNull())
                continue;
            const QPoint at = globalToDesktopDevice(w->mapToGlobal(QPointF(0, 0)));
            const QPoint end = globalToDesktopDevice(w->mapToGlobal(QPointF(w->width(), w->height())));
            p.drawPixmap(QRect(at, end - QPoint(1, 1)), pm);
        }
        p.end();
        shot.setDotsPerMeterX(kScreenDotsPerMetre);
        shot.setDotsPerMeterY(kScreenDotsPerMetre);
    }
    return shot.convertToFormat(QImage::Format_RGB32);
}

bool isWaylandPlatform(const QString& platformName) { return platformName.startsWith(QLatin1String("wayland")); }

GrabberKind chooseScreenGrabber(const DisplayServer& server)
{
    if (isWaylandPlatform(server.platform))
        return GrabberKind::Portal;
    if (server.platform != QLatin1String("xcb"))
        return GrabberKind::None;
    if (server.xwaylandExtension)
        return GrabberKind::Portal;
    for (const QString& name : server.outputNames)
        if (name.startsWith(QLatin1String("XWAYLAND")))
            return GrabberKind::Portal;
    return GrabberKind::X11;
}

DisplayServer currentDisplayServer(const QString& platformName)
{
    DisplayServer server;
    server.platform = platformName;
    for (const QScreen* s : QGuiApplication::screens())
        server.outputNames << s->name();
    if (platformName == QLatin1String("xcb") && qGuiApp) {
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
            if (xcb_connection_t* c = x11->connection()) {
                const char name[] = "XWAYLAND";
                xcb_query_extension_reply_t* reply = xcb_query_extension_reply(
                    c, xcb_query_extension(c, std::uint16_t(std::strlen(name)), name), nullptr);
                server.xwaylandExtension = reply && reply->present;
                std::free(reply);
            }
        }
    }
    return server;
}

std::unique_ptr<ScreenGrabber> makeScreenGrabber(const QString& platformName)
{
    const auto portal = [] { return PortalScreenshot().take(); };
    switch (chooseScreenGrabber(currentDisplayServer(platformName))) {
    case GrabberKind::X11:
        return std::make_unique<X11ScreenGrabber>(portal);
    case GrabberKind::Portal:
        // Under XWayland the X server still knows where the windows stand.
        return std::make_unique<PortalScreenGrabber>(portal, !isWaylandPlatform(platformName));
    case GrabberKind::None:
        break;
    }
    return std::make_unique<NullScreenGrabber>();
}

}   // namespace lh
