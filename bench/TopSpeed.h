#pragma once
// The window benchmark of the preview programs: designs per second of a
// designer window on screen at "高速", against the same window's design tick
// run back to back without the event loop (the engine alone).

#include "designer/DesignerCore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace lh::test {

inline void measureTopSpeed(QWidget& window, designer::DesignerCore& core, const QString& label)
{
    QTimer::singleShot(500, &window, [&window, &core, label] {
        window.findChild<QPushButton*>(QStringLiteral("Command6"))->click();
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        const int first = core.designCount();
        QTimer::singleShot(5000, &window, [&core, clock, first, label] {
            const double windowSeconds = clock->elapsed() / 1000.0;
            const double windowRate = (core.designCount() - first) / windowSeconds;
            core.timer().stop();
            QElapsedTimer engine;
            engine.start();
            int designs = 0;
            while (engine.elapsed() < 5000) {
                core.tick().run();
                ++designs;
            }
            const double engineRate = designs / (engine.elapsed() / 1000.0);
            // The timer at "高速" promises a design a millisecond at most.
            const double promised = std::min(engineRate, 1000.0);
            std::printf("%s top speed: window %.1f designs/s, engine %.1f designs/s, "
                        "window/min(engine,1000) %.2f\n",
                        qPrintable(label), windowRate, engineRate, windowRate / promised);
            QCoreApplication::quit();
        });
    });
}

}   // namespace lh::test
