// The wallpaper maker's tiling and saving, timed headless:
//
//   wallpaper_bench [rounds] [--big-side N]
//
// 1. The default canvas (43000 x 33000 twips less its border: 2863 x 2196
//    pixels) tiled at the default cell (382 x 383) with the default tile and
//    with a 685-pixel stored pattern: milliseconds per tiling (median of
//    `rounds`, default 30), the making of the canvas counted apart.
// 2. A canvas of N x N pixels (default 20000) made, tiled with the default
//    tile and written as a 24-bit BMP file: seconds for each step and the
//    peak resident memory of the process against the canvas's own bytes.

#include "BenchPlatform.h"

#include "pictures/PictureFiles.h"
#include "pictures/ImageMemory.h"
#include "tools/Form30.h"
#include "tools/Wallpaper.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <sys/resource.h>

namespace {

double peakResidentMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;   // kilobytes on Linux
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}   // namespace

int main(int argc, char** argv)
{
    lh::bench::useOffscreenUnlessDisplayed();
    QGuiApplication app(argc, argv);
    int rounds = 30;
    int bigSide = 20000;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "--big-side" && i + 1 < argc)
            bigSide = std::max(1, std::atoi(argv[++i]));
        else
            rounds = std::max(1, std::atoi(argv[i]));
    }

    const QImage tile = lh::tools::Form30::storedPicture(0);
    const QImage pattern = lh::tools::Form30::storedPicture(1);
    const QSize canvasSize(2863, 2196);
    const int cw = tile.width(), ch = tile.height();

    struct Case {
        const char* name;
        const QImage* picture;
    };
    const Case cases[] = {{"default_tile_382x383", &tile}, {"pattern_685", &pattern}};
    for (const Case& c : cases) {
        std::vector<double> make, tiling;
        for (int r = 0; r < rounds; ++r) {
            QElapsedTimer t;
            t.start();
            QImage canvas = lh::tools::makeCanvas(canvasSize);
            make.push_back(t.nsecsElapsed() / 1e6);
            t.restart();
            lh::tools::TileCanvas(canvas, *c.picture, cw, ch);
            tiling.push_back(t.nsecsElapsed() / 1e6);
        }
        std::printf(
            "wallpaper_bench canvas=%dx%d cell=%dx%d picture=%s(%dx%d) tile_ms=%.2f make_canvas_ms=%.2f rounds=%d\n",
            canvasSize.width(), canvasSize.height(), cw, ch, c.name, c.picture->width(), c.picture->height(),
            median(tiling), median(make), rounds);
    }

    const QSize big(bigSide, bigSide);
    const double canvasMb = lh::tools::canvasBytes(big) / (1024.0 * 1024.0);
    const std::int64_t free = lh::availableMemoryBytes();
    if (std::int64_t(big.width()) * big.height() > lh::tools::largestCanvasPixels(free)) {
        std::printf("wallpaper_bench big canvas=%dx%d skipped: needs %.0f MB, this machine has %.0f MB free\n",
                    big.width(), big.height(), lh::tools::canvasNeedBytes(big) / 1048576.0, free / 1048576.0);
        return 0;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.bmp"));
    const double before = peakResidentMb();
    QElapsedTimer t;
    t.start();
    QImage canvas = lh::tools::makeCanvas(big);
    const double makeS = t.nsecsElapsed() / 1e9;
    if (canvas.isNull()) {
        std::printf("wallpaper_bench big canvas=%dx%d could not be made\n", big.width(), big.height());
        return 1;
    }
    t.restart();
    lh::tools::TileCanvas(canvas, tile, cw, ch);
    const double tileS = t.nsecsElapsed() / 1e9;
    const double afterTileMb = peakResidentMb();
    t.restart();
    QString why;
    const bool saved = lh::writeBmp24(canvas, path, &why);
    const double saveS = t.nsecsElapsed() / 1e9;
    const double peak = peakResidentMb();
    const double fileMb = QFile(path).size() / (1024.0 * 1024.0);
    std::printf(
        "wallpaper_bench big canvas=%dx%d canvas_mb=%.0f make_s=%.2f tile_s=%.2f save_s=%.2f saved=%s file_mb=%.0f "
        "peak_rss_mb_before=%.0f peak_rss_mb_after_tiling=%.0f peak_rss_mb=%.0f peak_over_canvas=%.2f%s%s\n",
        big.width(), big.height(), canvasMb, makeS, tileS, saveS, saved ? "yes" : "no", fileMb, before, afterTileMb,
        peak, peak / canvasMb, saved ? "" : " why=", saved ? "" : qPrintable(why));
    return 0;
}
