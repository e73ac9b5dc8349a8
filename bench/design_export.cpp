// Figures of the design history and the exports:
//   - a design drawn the first time through the recorder, and drawn again
//     from its record, per line width and drawing mode (ms per design);
//   - bytes of the records of 1000 designs of one window (record fields and
//     vectors, distinct text buffers, and what the heap grew by);
//   - a photo design at scale 4: drawing, and drawing plus PNG file;
//   - a batch of 100 designs at scale 2 into a temporary folder, drawn by
//     one thread and by one thread per core.
//
//   design_export [designs]      (default 200 per case)
//   design_export --batch        the batch alone
//   design_export --picture out.png
//       writes a before-and-after picture instead: one place of a design on
//       the screen surface (enlarged 4 times, pixel by pixel) beside the same
//       place of its export at scale 4.

#include "BenchHost.h"

#include "core/Random.h"
#include "design/DesignHistory.h"
#include "designer/ExportDesign.h"
#include "pictures/PngEncoder.h"
#include "engine/RasterSurface.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QTemporaryDir>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

class FixedClock : public lh::Clock {
public:
    QDateTime now() const override { return QDateTime(QDate(2011, 1, 1), QTime(12, 0, 0)); }
};

class NoProgress : public lh::Progress {
public:
    void setValue(int) override {}
    bool cancelled() override { return false; }
};

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One design of the category, drawn on a screen-sized surface through the
// recorder: its record and the surface as the window shows it.
struct Recorded {
    lh::design::DesignRecord record;
    QImage screen;
};

Recorded recordOne(int category, std::uint32_t seed, lh::Clock& clock, const QHash<QString, QString>& texts = {})
{
    lh::RasterSurface surface(857, 857);
    lh::SeededRandom random(seed);
    lh::bench::WindowTexts host(category);
    for (auto it = texts.begin(); it != texts.end(); ++it)
        host.set(it.key(), it.value());
    lh::design::DesignRecorder recorder(random, host, clock);
    lh::design::DesignTick tick(lh::design::recipeForCategory(category), surface, recorder.random(), recorder.host(),
                                recorder.clock());
    recorder.begin(surface, 0);
    tick.run();
    lh::design::DesignRecord record = recorder.finish();
    return {std::move(record), surface.image()};
}

}   // namespace

int main(int argc, char** argv)
{
    lh::bench::useOffscreenUnlessDisplayed();
    QGuiApplication app(argc, argv);
    FixedClock clock;
    if (argc > 2 && QString::fromLocal8Bit(argv[1]) == QStringLiteral("--picture")) {
        const lh::design::DesignRecipe recipe = lh::design::recipeForCategory(2);
        const Recorded drawn = recordOne(2, 20110101u, clock, {{QStringLiteral("Combo1"), QStringLiteral("6")}});
        const int k = 4;
        const QImage big = lh::designer::renderDesign(recipe, drawn.record, k, std::nullopt);
        const QRect place(330, 640, 200, 150);   // the lower ring of text over the star points
        const QImage before = drawn.screen.copy(place).scaled(place.size() * k);
        const QImage after = big.copy(QRect(place.topLeft() * k, place.size() * k));
        QImage both(before.width() * 2 + 16, before.height(), QImage::Format_RGB32);
        both.fill(Qt::white);
        QPainter painter(&both);
        painter.drawImage(0, 0, before);
        painter.drawImage(before.width() + 16, 0, after);
        painter.end();
        return both.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    }
    // --batch: the batch alone.
    const bool batchOnly = argc > 1 && QString::fromLocal8Bit(argv[1]) == QStringLiteral("--batch");
    const int designs = argc > 1 && !batchOnly ? std::max(1, std::atoi(argv[1])) : 200;

    if (!batchOnly) {
        // First drawing through the recorder, and the same designs drawn again.
        for (int width : {1, 20, 90}) {
            for (int mode : {13, 8}) {
                const lh::design::DesignRecipe recipe = lh::design::recipeForCategory(11);
                lh::RasterSurface surface(857, 857);
                lh::SeededRandom random(20110101u);
                lh::bench::WindowTexts host(11);
                host.set(QStringLiteral("Combo1"), QString::number(width));
                host.set(QStringLiteral("Combo2"), QString::number(mode));
                lh::design::DesignRecorder recorder(random, host, clock);
                lh::design::DesignTick tick(recipe, surface, recorder.random(), recorder.host(), recorder.clock());
                for (int i = 0; i < 5; ++i)   // warm the font and glyph caches
                    tick.run();
                lh::design::DesignHistory history;
                auto start = Clock::now();
                for (int i = 0; i < designs; ++i) {
                    recorder.begin(surface, tick.designCount());
                    tick.run();
                    history.push(recorder.finish());
                }
                const double firstMs = msSince(start) / designs;

                lh::RasterSurface again(857, 857);
                for (std::size_t i = 0; i < std::min<std::size_t>(5, history.size()); ++i)
                    lh::design::redrawDesign(recipe, history.at(i), again);
                start = Clock::now();
                for (std::size_t i = 0; i < history.size(); ++i)
                    lh::design::redrawDesign(recipe, history.at(i), again);
                const double againMs = msSince(start) / static_cast<double>(history.size());
                std::printf("design_redraw width=%d mode=%d first_ms=%.3f redraw_ms=%.3f\n", width, mode, firstMs, againMs);
                std::fflush(stdout);
            }
        }

        // The records of 1000 designs of the photo window.
        {
            const lh::design::DesignRecipe recipe = lh::design::recipeForCategory(1);
            lh::RasterSurface surface(857, 857);
            lh::SeededRandom random(7);
            lh::bench::WindowTexts host(1);
            lh::design::DesignRecorder recorder(random, host, clock);
            lh::design::DesignTick tick(recipe, surface, recorder.random(), recorder.host(), recorder.clock());
            tick.run();
            const std::size_t heapBefore = mallinfo2().uordblks;
            auto history = std::make_unique<lh::design::DesignHistory>();
            for (std::size_t i = 0; i < lh::design::DesignHistory::kDefaultCapacity; ++i) {
                recorder.begin(surface, tick.designCount());
                tick.run();
                history->push(recorder.finish());
            }
            const std::size_t heapAfter = mallinfo2().uordblks;
            const std::size_t bytes = history->textAndRecordBytes();
            std::printf("design_history records=%zu draws_per_record=%zu texts_per_record=%zu bytes_per_record=%.0f "
                        "bytes_per_window=%zu heap_growth_per_window=%zd\n",
                        history->size(), history->newest().draws.size(), history->newest().texts.size(),
                        static_cast<double>(bytes) / static_cast<double>(history->size()), bytes,
                        static_cast<std::ptrdiff_t>(heapAfter) - static_cast<std::ptrdiff_t>(heapBefore));
            std::fflush(stdout);
        }

        QTemporaryDir dir;
        // A photo design at scale 4.
        {
            const lh::design::DesignRecipe recipe = lh::design::recipeForCategory(1);
            lh::design::DesignRecord record = recordOne(1, 9, clock).record;
            QImage photo(169, 169, QImage::Format_RGB32);
            photo.fill(QColor(200, 120, 40));
            record.photo = photo;
            const lh::designer::PhotoOverlay overlay{QRect(348, 348, 165, 165), QRect(346, 346, 168, 168),
                                                     QColor(0xD7, 0x15, 0x7B), 23, std::nullopt};
            lh::designer::renderDesign(recipe, record, 4, overlay);   // warm the caches
            const int rounds = 10;
            auto start = Clock::now();
            for (int i = 0; i < rounds; ++i)
                lh::designer::renderDesign(recipe, record, 4, overlay);
            const double drawMs = msSince(start) / rounds;
            // The same on one surface kept from design to design: the drawing
            // alone, without a fresh image's first touch of its memory.
            lh::RasterSurface kept(857, 857, 4);
            lh::design::redrawDesign(recipe, record, kept);
            start = Clock::now();
            for (int i = 0; i < rounds; ++i)
                lh::design::redrawDesign(recipe, record, kept);
            const double keptMs = msSince(start) / rounds;
            // The whole export as the user has it: drawing, encoding and the
            // written file, the first one of the process and the median of the
            // next ones.
            NoProgress progress;
            std::vector<double> exportMs;
            int written = 0;
            for (int i = 0; i < 6; ++i) {
                start = Clock::now();
                written += lh::designer::exportScene({1, record, {}, overlay}, {4, 300, dir.filePath(QStringLiteral("scale4.png"))},
                                                     progress)
                               .written;
                exportMs.push_back(msSince(start));
            }
            const double firstMs = exportMs.front();
            std::sort(exportMs.begin() + 1, exportMs.end());
            std::printf("design_export scale=4 pixels=%d draw_ms=%.1f draw_on_kept_surface_ms=%.1f "
                        "export_png_file_first_ms=%.1f export_png_file_median_ms=%.1f written=%d\n",
                        857 * 4, drawMs, keptMs, firstMs, exportMs[exportMs.size() / 2], written);
            // The PNG encoding alone, on one thread and on all, and the file's size.
            {
                const QImage image = lh::designer::renderDesign(recipe, record, 4, overlay);
                start = Clock::now();
                const QByteArray one = lh::encodePng(image, 1);
                const double oneMs = msSince(start);
                start = Clock::now();
                const QByteArray all = lh::encodePng(image);
                std::printf("design_png scale=4 encode_one_thread_ms=%.1f encode_all_threads_ms=%.1f file_kb=%lld\n", oneMs,
                            msSince(start), static_cast<long long>(all.size() / 1024));
            }
            // Drawing alone at scale 8 (a fresh image each time), in one band and
            // in one band a core, then the whole export.
            {
                const lh::scene::DesignScene scene{1, record, {}, overlay};
                auto medianMs = [&](int bands) {
                    const int runs = 5;
                    std::vector<double> ms;
                    for (int i = 0; i < runs; ++i) {
                        start = Clock::now();
                        const QImage drawn = lh::scene::renderScene(scene, 8, bands);
                        ms.push_back(msSince(start));
                    }
                    std::sort(ms.begin(), ms.end());
                    return ms[runs / 2];
                };
                const double one = medianMs(1);
                const double all = medianMs(0);
                std::printf("design_draw scale=8 pixels=%d one_band_ms=%.1f band_a_core_ms=%.1f of_one=%.2f\n", 857 * 8,
                            one, all, all / one);
            }
            start = Clock::now();
            const auto largest = lh::designer::exportScene(
                {1, record, {}, overlay}, {8, 300, dir.filePath(QStringLiteral("scale8.png"))}, progress);
            std::printf("design_export scale=8 pixels=%d draw_and_png_file_ms=%.1f written=%d\n", 857 * 8, msSince(start),
                        largest.written);
            std::fflush(stdout);
        }
    }

    // A batch of 100 at scale 2.
    {
        lh::designer::BatchSources sources;
        sources.texts = lh::design::initialWindowTexts(5);
        lh::SeededRandom random(11);
        sources.random = &random;
        sources.clock = &clock;
        NoProgress progress;
        // The drawing alone, at scale 2 on one surface.
        {
            lh::SeededRandom drawRandom(11);
            lh::bench::WindowTexts host(5);
            lh::RasterSurface surface(857, 857, 2);
            lh::design::DesignTick tick(lh::design::recipeForCategory(5), surface, drawRandom, host, clock);
            tick.run();
            const auto start = Clock::now();
            for (int i = 0; i < 20; ++i)
                tick.run();
            std::printf("design_batch_draw_only scale=2 per_design_ms=%.1f\n", msSince(start) / 20);
        }
        // The batch on one thread, then on every core, each into a folder of its own.
        double oneWorkerMs = 0;
        for (const int workers : {1, lh::designer::batchWorkers(0)}) {
            QTemporaryDir folder;
            lh::SeededRandom batchRandom(11);
            sources.random = &batchRandom;
            const auto start = Clock::now();
            const auto outcome = lh::designer::exportBatch({5, 100, 2, 300, folder.path()}, sources, progress, workers);
            const double ms = msSince(start);
            if (workers == 1)
                oneWorkerMs = ms;
            std::printf("design_batch count=100 scale=2 workers=%d total_s=%.2f per_design_ms=%.1f "
                        "of_one_worker=%.2f written=%d\n",
                        workers, ms / 1000.0, ms / 100.0, ms / oneWorkerMs, outcome.written);
            std::fflush(stdout);
        }
    }
    return 0;
}
