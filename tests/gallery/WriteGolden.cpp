// Not a test: writes the golden records (golden/designs.lhd) and the
// pictures they must draw, for the golden-record test. Run it only for a
// deliberate change of the kept designs' formats:
//   build/tests-bin/gallery_golden_writer tests/gallery/golden
#include "gallery/GalleryStore.h"

#include "GoldenRecords.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QDir golden(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir dir;
    lh::gallery::GalleryStore store(dir.filePath(QStringLiteral("gallery.sqlite")));
    std::vector<std::int64_t> ids;
    for (int category = 1; category <= lh::design::kCategoryCount; ++category) {
        for (bool withPhoto : {false, true}) {
            if (withPhoto && category != 1)
                continue;
            const lh::scene::DesignScene s =
                lh::test::sceneOf(category, 100 + static_cast<std::uint32_t>(category), withPhoto);
            const auto kept = store.keep(s, {}, nullptr);
            if (!kept || !lh::scene::renderScene(s, 1).save(golden.filePath(lh::test::goldenPictureName(category, withPhoto))))
                return 1;
            ids.push_back(kept->id);
        }
    }
    QFile::remove(golden.filePath(QStringLiteral("designs.lhd")));
    QString why;
    if (!store.exportTo(golden.filePath(QStringLiteral("designs.lhd")), ids, &why)) {
        std::fprintf(stderr, "gallery_golden_writer: %s\n", qPrintable(why));
        return 1;
    }
    return 0;
}
