// Draws designs of one recipe headless and writes the last one to a PNG.
//
//   render_design <category 1..11> <out.png> [seed] [ticks]
//
// The window texts are the ones each window starts with; category 1 (the
// photo designer) starts on its #000040 background.

#include "BenchHost.h"

#include "core/Random.h"
#include "design/DesignTick.h"
#include "engine/RasterSurface.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QImage>
#include <QSaveFile>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

class SystemClock : public lh::Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

}   // namespace

int main(int argc, char** argv)
{
    lh::bench::useOffscreenUnlessDisplayed();
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: render_design <category 1..11> <out.png> [seed] [ticks]\n");
        return 2;
    }
    const int category = std::atoi(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : 20110101u;
    const int ticks = argc > 4 ? std::max(1, std::atoi(argv[4])) : 1;

    lh::design::DesignRecipe recipe;
    try {
        recipe = lh::design::recipeForCategory(category);
    } catch (const std::out_of_range&) {
        std::fprintf(stderr, "render_design: no recipe for category %s (1..11)\n", argv[1]);
        return 2;
    }

    lh::RasterSurface surface(857, 857);
    if (category == 1)
        surface.setBackColor(lh::rgb(0, 0, 64));
    lh::SeededRandom random(seed);
    lh::bench::WindowTexts host(category);
    SystemClock clock;
    lh::design::DesignTick tick(recipe, surface, random, host, clock);
    bool ok = true;
    for (int i = 0; i < ticks; ++i)
        ok = tick.run();

    QSaveFile file(out);
    if (!file.open(QIODevice::WriteOnly) || !surface.image().save(&file, "PNG") || !file.commit()) {
        std::fprintf(stderr, "render_design: could not write %s\n", argv[2]);
        return 1;
    }
    std::printf("render_design: category %d, %d tick(s)%s, wrote %s\n", category, ticks,
                ok ? "" : " (the last tick stopped at a failing step)", argv[2]);
    return 0;
}
