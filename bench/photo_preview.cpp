// Shows the main window on its own (no login), with the real dialogs, for
// looking at it. Options:
//   --shots DIR   after a few designs, write DIR/main-running.png; then pause,
//                 set the angle to 90, stamp the quick text at a few points and
//                 write DIR/main-paused-stamps.png; then quit.
//   --seed N      with --shots: draw from a random source seeded with N and a
//                 clock fixed at noon of 2026-01-01, so the pictures are the
//                 same from run to run.
//   --top-speed   press "高速", let designs run for five seconds on screen,
//                 then draw with the engine alone for five seconds, and print
//                 both rates and their ratio; then quit.
#include "core/Random.h"
#include "photo/Form1.h"
#include "platform/QtServices.h"

#include "Fakes.h"
#include "TopSpeed.h"
#include "designer/DesignerCore.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>

#include <QScrollBar>
#include <QTimer>
#include <cstdio>
#include <optional>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    lh::QtFileDialogs files;
    lh::QtFontColorDialogs fontColor;
    lh::QtMessageBoxes messages;
    lh::SystemClock systemClock;
    lh::test::FixedClock fixedClock;
    fixedClock.value = QDateTime(QDate(2026, 1, 1), QTime(12, 0));
    const QStringList args = app.arguments();
    const qsizetype seedAt = args.indexOf(QStringLiteral("--seed"));
    std::optional<lh::SeededRandom> seeded;
    if (seedAt >= 0 && seedAt + 1 < args.size())
        seeded.emplace(args[seedAt + 1].toUInt());
    lh::PlatformServices services;
    services.random = seeded ? static_cast<lh::RandomSource*>(&*seeded) : &lh::programRandom();
    services.files = &files;
    services.fontColor = &fontColor;
    services.messages = &messages;
    services.clock = seeded ? static_cast<lh::Clock*>(&fixedClock) : &systemClock;
    lh::test::RecordingNavigator navigator;

    lh::photo::Form1 window(services, navigator);
    window.show();

    const qsizetype at = args.indexOf(QStringLiteral("--shots"));
    if (at >= 0 && at + 1 < args.size()) {
        const QDir dir(args[at + 1]);
        QTimer::singleShot(200, &window, [&] {
            // Put slot 1's photo in the middle, as a user does first.
            QMetaObject::invokeMethod(window.findChild<QObject*>(QStringLiteral("Image7")), "clicked");
            for (int i = 0; i < 3; ++i)
                window.Timer1_Timer();
        });
        QTimer::singleShot(1500, &window, [&, dir] {
            window.grab().save(dir.filePath(QStringLiteral("main-running.png")));
            window.findChild<QCheckBox*>(QStringLiteral("Check2"))->setChecked(false);
            window.findChild<QScrollBar*>(QStringLiteral("HScroll1"))->setValue(90);
            const double points[][2] = {{1500, 9000}, {3000, 9000}, {11000, 9000}};
            for (const auto& p : points)
                window.Picture1_MouseUp(Qt::LeftButton, p[0], p[1]);
        });
        QTimer::singleShot(2500, &window, [&, dir] {
            window.grab().save(dir.filePath(QStringLiteral("main-paused-stamps.png")));
            app.quit();
        });
    }
    if (args.contains(QStringLiteral("--top-speed")))
        lh::test::measureTopSpeed(window, window.core(), QStringLiteral("photo_preview"));
    return app.exec();
}
