// Not a test: imports one design file into a new gallery and draws every
// design it then holds, as the gallery and its viewer would, in a process
// of its own so that a test can bound the time and measure the memory.
// Its address space is capped two gigabytes above what it uses at the
// start: a reader that asks for more fails here instead of taking the
// machine's memory.
//
//   gallery_import_probe FILE
//
// Prints "imported ADDED SKIPPED" or "refused REASON", then "peak_kb N" (the
// most memory the process held). Exit status: 0 imported and every design
// drawn with a thumbnail of at most the gallery's size, 1 refused,
// 2 a design did not load or draw, 3 a thumbnail larger than the gallery's.

#include "gallery/GalleryStore.h"

#include "AddressSpaceCap.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

namespace {

long statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLong();
    return -1;
}

int finish(int status)
{
    std::printf("peak_kb %ld\n", statusKb("VmHWM:"));
    return status;
}

}   // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 4;
    lh::test::capAddressSpaceAbove(rlim_t(2) << 30);

    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    lh::gallery::GalleryStore store(dir.filePath(QStringLiteral("gallery.sqlite")));
    QString why;
    const auto outcome = store.importFrom(QString::fromLocal8Bit(argv[1]), &why);
    if (!outcome) {
        std::printf("refused %s\n", qPrintable(why));
        return finish(1);
    }
    std::printf("imported %d %d\n", outcome->added, outcome->skipped);
    for (const lh::gallery::KeptEntry& e : store.list(0)) {
        const auto kept = store.load(e.id, &why);
        if (!kept || lh::scene::renderScene(kept->scene, 1).isNull()) {
            std::printf("design %lld: %s\n", static_cast<long long>(e.id), qPrintable(why));
            return finish(2);
        }
        const QImage thumbnail = store.thumbnail(e.id);
        if (thumbnail.isNull() || thumbnail.width() > 160 || thumbnail.height() > 160)
            return finish(3);
    }
    return finish(0);
}
