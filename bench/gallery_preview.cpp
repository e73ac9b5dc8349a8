// Shows the gallery with designs of every category kept in a gallery of its
// own (a temporary folder), for looking at it.
//   gallery_preview [--shot FILE]   write a picture of the window and quit
#include "gallery/GalleryStore.h"
#include "gallery/GalleryWindow.h"

#include "BenchHost.h"
#include "BenchPlatform.h"
#include "core/Random.h"
#include "design/DesignTick.h"
#include "design/WindowTexts.h"
#include "engine/RasterSurface.h"
#include "platform/QtServices.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

using Host = lh::bench::WindowTexts;

int main(int argc, char** argv)
{
    const QStringList args(argv + 1, argv + argc);
    const qsizetype shotAt = args.indexOf(QStringLiteral("--shot"));
    if (shotAt >= 0)
        lh::bench::useOffscreenUnlessDisplayed();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    lh::gallery::GalleryStore store(dir.filePath(QStringLiteral("gallery.sqlite")));
    lh::SeededRandom random(21);
    lh::SystemClock clock;
    for (int i = 0; i < 14; ++i) {
        const int category = 1 + i % lh::design::kCategoryCount;
        Host host(category);
        lh::design::DesignRecorder recorder(random, host, clock);
        lh::RasterSurface surface(lh::scene::kDesignPixels, lh::scene::kDesignPixels);
        surface.setBackColor(lh::rgb(0x00, 0x00, 0x40));
        lh::design::DesignTick tick(lh::design::recipeForCategory(category), surface, recorder.random(),
                                    recorder.host(), recorder.clock());
        recorder.begin(surface, 0);
        tick.run();
        lh::scene::DesignScene scene{category, recorder.finish(), {}, std::nullopt};
        store.keep(scene, surface.image(), nullptr);
    }
    lh::PlatformServices services;
    lh::gallery::GalleryWindow window(services, store);
    window.show();
    if (shotAt >= 0 && shotAt + 1 < args.size()) {
        const QString file = args[shotAt + 1];
        QTimer::singleShot(300, &window, [&window, file] {
            window.grab().save(file);
            QCoreApplication::quit();
        });
    }
    return app.exec();
}
