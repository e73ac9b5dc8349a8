// Loads one picture file as a window would and says how it went in its exit
// status, in a process of its own so that a test can measure the memory the
// load takes. Its address space is capped three gigabytes above what it
// uses at the start: a loader that asks for more fails here instead of
// taking the machine's memory.
//
//   picture_load_probe FILE            the full-picture loader
//   picture_load_probe FILE W H        the loader bounded to W x H
//
// Exit status: 0 refused as too large, 1 refused for another reason,
// 2 loaded (within the bound when one was given), 3 loaded larger than the
// bound, 4 wrong arguments.

#include "pictures/PictureFiles.h"

#include "AddressSpaceCap.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>

#include <optional>


int main(int argc, char** argv)
{
    if (argc != 2 && argc != 4)
        return 4;
    lh::test::capAddressSpaceAbove(rlim_t(3) << 30);

    QCoreApplication app(argc, argv);
    const QString path = QString::fromLocal8Bit(argv[1]);
    std::optional<QSize> bound;
    if (argc == 4)
        bound = QSize(atoi(argv[2]), atoi(argv[3]));
    QString why;
    const QImage image = bound ? lh::loadPictureWithin(path, *bound, &why) : lh::loadPicture(path, &why);
    if (image.isNull())
        return why.contains(QStringLiteral("太大")) ? 0 : 1;
    if (bound && (image.width() > bound->width() || image.height() > bound->height()))
        return 3;
    return 2;
}
