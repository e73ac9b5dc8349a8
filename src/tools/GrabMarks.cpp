#include "tools/GrabMarks.h"

#include "platform/ScreenGrabbers.h"

#include <QGuiApplication>
#include <QScreen>

namespace lh::tools {

QRect deviceToLogical(const QRect& device)
{
    const QScreen* s = QGuiApplication::primaryScreen();
    const qreal dpr = s ? s->devicePixelRatio() : 1.0;
    const QRect desk = virtualDesktopDeviceRect();
    return QRectF((device.x() + desk.x()) / dpr, (device.y() + desk.y()) / dpr, device.width() / dpr,
                  device.height() / dpr)
        .toAlignedRect();
}

}   // namespace lh::tools
