// Speed of the drawing surface: the seven standard star layers of a design
// at pen widths 1, 20 and 90 in copy (13) and not-mask (8) mode, and 60
// rotated characters with their width measurements. Prints milliseconds per
// design; passes or fails nothing.
#include "BenchPlatform.h"
#include "core/Random.h"
#include "design/TickRules.h"
#include "drawing/RotatedText.h"
#include "drawing/StarPolygon.h"
#include "engine/RasterSurface.h"

#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

using namespace lh;

namespace {

// Time this thread spent on the processor: the machine is shared, and
// waiting for a core is not the surface's cost. (Wall time is printed once
// at the end for comparison.)
struct Clock {
    using time_point = double;
    static double now()
    {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
    }
};

double msSince(double t0) { return Clock::now() - t0; }

// Square boxes centred on (6450, 6450) twips.
constexpr int kLayerWidths[] = {10000, 8000, 6000, 4000, 2000, 1000, 500};

struct Layer {
    std::int16_t points;
    Rgb colour;
};

std::vector<Layer> randomLayers(RandomSource& random)
{
    std::vector<Layer> layers;
    for (std::size_t i = 0; i < std::size(kLayerWidths); ++i) {
        const auto points = static_cast<std::int16_t>(roundHalfEven(99.0 * random.next()));
        const int r = design::randomChannel(random.next()), g = design::randomChannel(random.next()),
                  b = design::randomChannel(random.next());
        layers.push_back({points, rgb(r, g, b)});
    }
    return layers;
}

void drawLayers(RasterSurface& s, const std::vector<Layer>& layers)
{
    for (std::size_t i = 0; i < layers.size(); ++i) {
        const int w = kLayerWidths[i];
        std::int16_t points = layers[i].points;
        drawing::DrawStarPolygon(s, 6450 - w / 2, 6450 - w / 2, w, w, points, 0, layers[i].colour);
    }
}

}   // namespace

int main(int argc, char** argv)
{
    lh::bench::useOffscreenUnlessDisplayed();
    QGuiApplication app(argc, argv);
    const auto wallStart = std::chrono::steady_clock::now();
    const double cpuStart = Clock::now();
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;

    RasterSurface surface(857, 857);
    SeededRandom random(20261210);
    std::vector<std::vector<Layer>> designs;
    for (int i = 0; i < rounds; ++i)
        designs.push_back(randomLayers(random));

    // A design starts with a clear and a new background colour; the image is
    // filled when its pixels are next needed, here by reading it.
    auto startDesign = [&](int i) {
        surface.clear();
        surface.setBackColor(designs[static_cast<std::size_t>(i)][1].colour);
        (void)surface.image();
    };
    double clearMs = 0;
    for (int i = 0; i < rounds; ++i) {
        const auto t0 = Clock::now();
        startDesign(i);
        clearMs += msSince(t0);
    }
    std::printf("surface_bench clear_and_backcolor ms=%.4f\n", clearMs / rounds);

    for (int width : {1, 20, 90}) {
        for (int mode : {13, 8}) {
            surface.setDrawWidth(width);
            surface.setDrawMode(mode);
            double ms = 0;
            for (int i = 0; i < rounds; ++i) {
                startDesign(i);
                const auto t0 = Clock::now();
                drawLayers(surface, designs[static_cast<std::size_t>(i)]);
                ms += msSince(t0);
            }
            std::printf("surface_bench stars width=%d mode=%d seven_layers_ms=%.4f\n", width, mode, ms / rounds);
        }
    }

    // Three rings of 20 characters each, as the design's rings place them:
    // every character a new turned font, three width measurements each.
    const QString rings[] = {
        QStringLiteral("祝您生日快乐！ Happy Birthday!"),
        QStringLiteral("万事如意 心想事成 身体健康"),
        QStringLiteral("蓝禾图案设计 新年快乐 2026"),
    };
    const double ringRadius[] = {0.4, 0.2, 0.2};
    const double ringCentreY[] = {1.0, 1.0, 0.5};
    int characters = 0;
    for (const QString& r : rings)
        characters += static_cast<int>(r.size());
    double textMs = 0;
    double measureMs = 0;
    for (int i = 0; i < rounds; ++i) {
        startDesign(i);
        surface.setFontName(QStringLiteral("arial"));
        surface.setFontSize(20);
        surface.setFontBold(true);
        surface.setForeColor(designs[static_cast<std::size_t>(i)][0].colour);
        auto t0 = Clock::now();
        for (int k = 0; k < 3; ++k) {
            std::int32_t radius = static_cast<std::int32_t>(roundHalfEven(ringRadius[k] * surface.scaleHeight()));
            double start = -1;
            drawing::DrawTextRing(surface, rings[k], surface.scaleWidth() / 2,
                                  static_cast<std::int32_t>(roundHalfEven(ringCentreY[k] * surface.scaleHeight())),
                                  radius, start);
        }
        textMs += msSince(t0);
        // The measurements alone, as the rings make them.
        t0 = Clock::now();
        float sink = 0;
        for (const QString& r : rings)
            for (int c = 0; c < r.size(); ++c)
                sink += surface.textWidth(r.left(c)) + surface.textWidth(r.left(c)) + surface.textWidth(r.mid(c, 1));
        measureMs += msSince(t0);
        if (sink < 0)
            std::printf("?");
    }
    std::printf("surface_bench text characters=%d rings_ms=%.4f of_which_measuring_ms=%.4f\n", characters,
                textMs / rounds, measureMs / rounds);
    const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart).count();
    std::printf("surface_bench total wall_ms=%.0f cpu_ms=%.0f (thread CPU time is what the figures above count)\n",
                wall, Clock::now() - cpuStart);
    return 0;
}
