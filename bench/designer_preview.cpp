// Shows one category designer window on its own (no login), with the real
// dialogs, for looking at it. Options:
//   --category K  the window of category K (2..10; default 2)
//   --shot FILE   after a few designs, write a picture of the window; then quit.
//   --top-speed   press "高速", let designs run for five seconds on screen,
//                 then draw with the engine alone for five seconds, and print
//                 both rates and their ratio; then quit.
#include "designer/CategoryWindow.h"
#include "designer/DesignerCore.h"
#include "platform/QtServices.h"

#include "Fakes.h"
#include "TopSpeed.h"

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
    if (args.contains(QStringLiteral("--top-speed")))
        lh::test::measureTopSpeed(window, window.core(), QStringLiteral("designer_preview category=%1").arg(category));
    return app.exec();
}
