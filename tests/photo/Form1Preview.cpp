// Shows the main window on its own (no login), with the real dialogs, for
// looking at it. Options:
//   --shots DIR   after a few designs, write DIR/main-running.png; then pause,
//                 set the angle to 90, stamp the quick text at a few points and
//                 write DIR/main-paused-stamps.png; then quit.
//   --top-speed   press "高速", let designs run for five seconds on screen and
//                 print how many were drawn per second; then quit.
#include "photo/Form1.h"
#include "platform/QtServices.h"
#include "core/Random.h"

#include "Fakes.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>

#include <cstdio>
#include <QScrollBar>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    lh::QtFileDialogs files;
    lh::QtFontColorDialogs fontColor;
    lh::QtMessageBoxes messages;
    lh::SystemClock clock;
    lh::PlatformServices services;
    services.random = &lh::programRandom();
    services.files = &files;
    services.fontColor = &fontColor;
    services.messages = &messages;
    services.clock = &clock;
    lh::test::RecordingNavigator navigator;

    lh::photo::Form1 window(services, navigator);
    window.show();

    const QStringList args = app.arguments();
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
    QElapsedTimer topSpeedClock;   // outlives the event loop
    if (args.contains(QStringLiteral("--top-speed"))) {
        QTimer::singleShot(500, &window, [&window, &topSpeedClock] {
            window.findChild<QPushButton*>(QStringLiteral("Command6"))->click();
            topSpeedClock.start();
            const int first = window.designCount();
            QTimer::singleShot(5000, &window, [&window, &topSpeedClock, first] {
                const double seconds = topSpeedClock.elapsed() / 1000.0;
                const int designs = window.designCount() - first;
                std::printf("photo_preview top speed: %d designs in %.2f s = %.1f designs/s\n", designs, seconds,
                            designs / seconds);
                QCoreApplication::quit();
            });
        });
    }
    return app.exec();
}
