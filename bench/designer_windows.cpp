// All eleven designer windows loaded, as after the first category button:
//   1. every window at its load interval (3000 ms), one shown: the program's
//      processor time per second of wall time over `idle` seconds;
//   2. then one category window at "高速": resident memory sampled every
//      `step` seconds for `soak` seconds (first, last, largest), and how long
//      an event posted to the program every 20 ms waits to be handled (the
//      way a key or click waits while designs are drawn).
// Usage: designer_windows [idle_s=60] [soak_s=600] [step_s=30]
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include "BenchPlatform.h"
#include "app/ProgramWindows.h"
#include "gallery/GalleryStore.h"
#include "app/WindowSet.h"
#include "designer/CategoryWindow.h"
#include "designer/DesignerCore.h"
#include "platform/Services.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>
#include <cstdlib>

namespace {

double processorSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

void runFor(int seconds)
{
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
}

}   // namespace

int main(int argc, char** argv)
{
    lh::bench::useOffscreenUnlessDisplayed();
    QApplication app(argc, argv);
    const int idle = argc > 1 ? std::atoi(argv[1]) : 60;
    const int soak = argc > 2 ? std::atoi(argv[2]) : 600;
    const int step = argc > 3 ? std::max(1, std::atoi(argv[3])) : 30;

    const lh::PlatformServices services;
    QTemporaryDir galleryDir;
    lh::gallery::GalleryStore gallery(galleryDir.filePath(QStringLiteral("gallery.sqlite")));
    lh::app::WindowSet windows;
    lh::app::installProgramWindows(windows, services, gallery);
    windows.showMainWindow();
    windows.showCategory(2);   // loads all eleven, Form2 on show

    runFor(2);
    const double cpu0 = processorSeconds();
    QElapsedTimer wall;
    wall.start();
    runFor(idle);
    const double cpu = processorSeconds() - cpu0;
    const double seconds = wall.elapsed() / 1000.0;
    std::printf("designer_windows idle: 11 windows at 3000 ms for %.0f s: processor %.2f s = %.1f %% of one core "
                "(about %.1f ms per design)\n",
                seconds, cpu, 100.0 * cpu / seconds, 1000.0 * cpu / (11.0 * seconds / 3.0));
    std::fflush(stdout);

    auto* form2 = qobject_cast<lh::designer::CategoryWindow*>(windows.designer(2));
    form2->findChild<QPushButton*>(QStringLiteral("Command6"))->click();
    // Waits of posted events, in microseconds.
    std::vector<qint64> waits;
    QElapsedTimer since;
    since.start();
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, &app, [&] {
        const qint64 posted = since.nsecsElapsed();
        QMetaObject::invokeMethod(
            &app, [&, posted] { waits.push_back((since.nsecsElapsed() - posted) / 1000); }, Qt::QueuedConnection);
    });
    probe.start(20);
    const int before = form2->designCount();
    long first = residentKiB(), largest = first, last = first;
    std::printf("designer_windows soak: Form2 at 高速, resident memory every %d s (KiB): %ld", step, first);
    for (int t = 0; t < soak; t += step) {
        runFor(step);
        last = residentKiB();
        largest = std::max(largest, last);
        std::printf(" %ld", last);
        std::fflush(stdout);
    }
    probe.stop();
    std::printf("\ndesigner_windows soak: %d designs on Form2 in %d s; resident first %ld KiB, last %ld KiB, "
                "largest %ld KiB\n",
                form2->designCount() - before, soak, first, last, largest);
    std::sort(waits.begin(), waits.end());
    if (!waits.empty())
        std::printf("designer_windows soak: %zu posted events waited median %.2f ms, 99th %.2f ms, longest %.2f ms\n",
                    waits.size(), waits[waits.size() / 2] / 1000.0, waits[waits.size() * 99 / 100] / 1000.0,
                    waits.back() / 1000.0);
    return 0;
}
