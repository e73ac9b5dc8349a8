// Shows one category designer window on its own (no login), with the real
// dialogs, for looking at it. Options:
//   --category K  the window of category K (2..10; default 2)
//   --shot FILE   after a few designs, write a picture of the window; then quit.
//   --top-speed   press "高速", let designs run for five seconds on screen and
//                 print how many were drawn per second; then quit.
#include "designer/CategoryWindow.h"
#include "designer/DesignerCore.h"
#include "platform/QtServices.h"

#include "Fakes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    lh::QtFileDialogs files;
    lh::QtMessageBoxes messages;
    lh::PlatformServices services;
    services.files = &files;
    services.messages = &messages;
    lh::test::RecordingNavigator navigator;

    const QStringList args = app.arguments();
    int category = 2;
    if (const qsizetype at = args.indexOf(QStringLiteral("--category")); at >= 0 && at + 1 < args.size())
        category = args[at + 1].toInt();
    lh::designer::CategoryWindow window(services, navigator, category);
    window.show();

    if (const qsizetype at = args.indexOf(QStringLiteral("--shot")); at >= 0 && at + 1 < args.size()) {
        const QString file = args[at + 1];
        QTimer::singleShot(300, &window, [&window] {
            for (int i = 0; i < 3; ++i)
                window.core().Timer1_Timer();
            window.core().present();
        });
        QTimer::singleShot(1500, &window, [&window, file] {
            window.grab().save(file);
            QCoreApplication::quit();
        });
    }
    if (args.contains(QStringLiteral("--top-speed"))) {
        auto* clock = new QElapsedTimer;
        QTimer::singleShot(500, &window, [&window, clock, category] {
            window.findChild<QPushButton*>(QStringLiteral("Command6"))->click();
            clock->start();
            const int first = window.designCount();
            QTimer::singleShot(5000, &window, [&window, clock, first, category] {
                const double seconds = clock->elapsed() / 1000.0;
                const int designs = window.designCount() - first;
                std::printf("designer_preview category=%d top speed: %d designs in %.2f s = %.1f designs/s\n",
                            category, designs, seconds, designs / seconds);
                delete clock;
                QCoreApplication::quit();
            });
        });
    }
    return app.exec();
}
