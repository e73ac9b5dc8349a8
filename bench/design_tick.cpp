// Runs design ticks headless on an 857 x 857 surface with a fixed seed and
// prints, per line width and drawing mode, how many designs a second one
// thread draws and where the time of a tick goes.
//
//   design_tick [ticks [width [mode]]]   (default 300 per case; all six cases)
//
// A width (1, 20 or 90 or any other) and a mode limit the run to those cases,
// for profiling one case at a time.
//
//   design_tick --digest [ticks]   (default 200)
//
// prints instead, for many widths and modes, a digest of every design's
// pixels, so two builds of the engine can be compared picture for picture.

#include "BenchHost.h"

#include "core/Random.h"
#include "design/DesignTick.h"
#include "engine/RasterSurface.h"

#include <QDateTime>
#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class FixedClock : public lh::Clock {
public:
    QDateTime now() const override { return QDateTime(QDate(2011, 1, 1), QTime(12, 0, 0)); }
};

// FNV-1a over the image's pixels.
std::uint64_t digestOf(const QImage& image, std::uint64_t h)
{
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (qsizetype i = 0; i < qsizetype(image.width()) * 4; ++i)
            h = (h ^ row[i]) * 1099511628211ull;
    }
    return h;
}

int printDigests(int ticks, const lh::design::DesignRecipe& recipe, lh::Clock& clock)
{
    for (int width : {2, 3, 4, 5, 7, 8, 12, 13, 20, 33, 50, 64, 90, 91, 150, 400}) {
        for (int mode : {13, 8, 7, 6, 10}) {
            lh::RasterSurface surface(857, 857);
            lh::SeededRandom random(static_cast<std::uint32_t>(20110101u + width * 31 + mode));
            lh::bench::WindowTexts host(11);
            host.set(QStringLiteral("Combo1"), QString::number(width));
            host.set(QStringLiteral("Combo2"), QString::number(mode));
            lh::design::DesignTick tick(recipe, surface, random, host, clock);
            std::uint64_t h = 1469598103934665603ull;
            for (int i = 0; i < ticks; ++i) {
                tick.run();
                h = digestOf(surface.image(), h);
            }
            std::printf("digest width=%d mode=%d ticks=%d %016llx\n", width, mode, ticks,
                        static_cast<unsigned long long>(h));
            std::fflush(stdout);
        }
    }
    return 0;
}

}   // namespace

int main(int argc, char** argv)
{
    lh::bench::useOffscreenUnlessDisplayed();
    QGuiApplication app(argc, argv);
    const bool digest = argc > 1 && std::strcmp(argv[1], "--digest") == 0;
    if (digest) {
        --argc;
        ++argv;
    }
    const int ticks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    const int onlyWidth = argc > 2 ? std::atoi(argv[2]) : 0;
    const int onlyMode = argc > 3 ? std::atoi(argv[3]) : 0;
    std::vector<int> widths = {1, 20, 90};
    std::vector<int> modes = {13, 8};
    if (onlyWidth > 0)
        widths = {onlyWidth};
    if (onlyMode > 0)
        modes = {onlyMode};

    // The seven-layer recipe of the hidden window, every step skipped on failure.
    lh::design::DesignRecipe recipe = lh::design::recipeForCategory(11);
    recipe.skipFlag = true;

    FixedClock clock;
    if (digest)
        return printDigests(argc > 1 ? std::max(1, std::atoi(argv[1])) : 200, recipe, clock);
    for (int width : widths) {
        for (int mode : modes) {
            lh::RasterSurface surface(857, 857);
            lh::SeededRandom random(20110101u);
            lh::bench::WindowTexts host(11);
            host.set(QStringLiteral("Combo1"), QString::number(width));
            host.set(QStringLiteral("Combo2"), QString::number(mode));
            lh::design::DesignTick tick(recipe, surface, random, host, clock);

            lh::design::TickProfile profile;
            tick.setProfile(&profile);
            for (int i = 0; i < 5; ++i)   // warm the font and glyph caches
                tick.run();

            lh::design::TickProfile sum;
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < ticks; ++i) {
                tick.run();
                sum.clearMs += profile.clearMs;
                sum.starsMs += profile.starsMs;
                sum.ringsMs += profile.ringsMs;
                sum.serialMs += profile.serialMs;
            }
            const double totalMs =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            const double perTick = totalMs / ticks;
            std::printf("design_tick width=%d mode=%d designs_per_s=%.0f ms_per_tick=%.3f clear_ms=%.3f "
                        "stars_ms=%.3f rings_ms=%.3f serial_ms=%.3f\n",
                        width, mode, 1000.0 / perTick, perTick, sum.clearMs / ticks, sum.starsMs / ticks,
                        sum.ringsMs / ticks, sum.serialMs / ticks);
            std::fflush(stdout);
        }
    }
    return 0;
}
