#include "platform/ScreenGrabbers.h"

#include "engine/PictureFiles.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <cmath>

namespace lh {

namespace {

QRect deviceRect(const QScreen* s)
{
    const QRect g = s->geometry();
    const qreal dpr = s->devicePixelRatio();
    return QRect(int(std::lround(g.x() * dpr)), int(std::lround(g.y() * dpr)),
                 int(std::lround(g.width() * dpr)), int(std::lround(g.height() * dpr)));
}

} // namespace

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

std::unique_ptr<ScreenGrabber> makeScreenGrabber(const QString& platformName)
{
    if (platformName == QLatin1String("xcb"))
        return std::make_unique<X11ScreenGrabber>();
    return std::make_unique<NullScreenGrabber>();
}

} // namespace lh
