#include "platform/ScreenGrabbers.h"

#include "pictures/PictureFiles.h"

#include "core/Numeric.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <cmath>

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

QImage X11ScreenGrabber::grabDesktop()
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

std::unique_ptr<ScreenGrabber> makeScreenGrabber(const QString& platformName)
{
    if (platformName == QLatin1String("xcb"))
        return std::make_unique<X11ScreenGrabber>();
    return std::make_unique<NullScreenGrabber>();
}

}   // namespace lh
