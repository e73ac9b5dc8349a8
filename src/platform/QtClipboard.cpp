#include "platform/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace lh {

void QtClipboard::setImage(const QImage& image)
{
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb)
        return;
    if (image.isNull())
        cb->clear();
    else
        cb->setImage(image);
}

QImage QtClipboard::image() const
{
    QClipboard* cb = QGuiApplication::clipboard();
    return cb ? cb->image() : QImage();
}

}   // namespace lh
