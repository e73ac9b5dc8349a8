// libFuzzer target: the picture loader as the windows use it, on any bytes
// written to a file: the photo slots' bounded load and the zoom and printing
// windows' full load. Neither may crash; the bounded one never returns more
// than its bound.

#include "pictures/PictureFiles.h"

#include <QCoreApplication>
#include <QFile>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace {

QString scratchPath;

}   // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Image format plugins (JPEG, GIF) are found through the application.
    static QCoreApplication app(*argc, *argv);
    const QString dir = QFile::exists(QStringLiteral("/dev/shm")) ? QStringLiteral("/dev/shm") : QStringLiteral("/tmp");
    scratchPath = QStringLiteral("%1/lh-picture-fuzz-%2").arg(dir).arg(::getpid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile f(scratchPath);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            std::abort();
    }
    (void)lh::implausibleSizeClaim(bytes.left(64), bytes.size());
    const QSize bound(1024, 1024);
    const QImage small = lh::loadPictureWithin(scratchPath, bound);
    if (small.width() > bound.width() || small.height() > bound.height())
        std::abort();
    (void)lh::loadPicture(scratchPath);
    return 0;
}
