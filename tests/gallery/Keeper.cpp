// Not a test: another program keeping designs in a gallery, for the tests of
// two programs at once and of a program killed right after a keep.
//   gallery_keeper FILE COUNT FIRST_SEED [kill]
// keeps COUNT designs (seeds FIRST_SEED on) in the gallery FILE; with "kill"
// the process kills itself right after the last keep returned.
#include "gallery/GalleryStore.h"

#include "GalleryTestSupport.h"

#include <QGuiApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 4)
        return 2;
    lh::gallery::GalleryStore store(QString::fromLocal8Bit(argv[1]));
    const int count = std::atoi(argv[2]);
    const int first = std::atoi(argv[3]);
    for (int i = 0; i < count; ++i) {
        const lh::scene::DesignScene scene = lh::test::sceneOf(2 + (first + i) % 9, static_cast<std::uint32_t>(first + i));
        QString why;
        if (!store.keep(scene, QImage(), &why)) {
            std::fprintf(stderr, "gallery_keeper: %s\n", qPrintable(why));
            return 1;
        }
    }
    if (argc > 4 && std::string(argv[4]) == "kill")
        std::raise(SIGKILL);
    return 0;
}
