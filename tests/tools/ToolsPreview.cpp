// Shows the wallpaper maker or the window grabber on its own, with the real
// dialogs, for looking at it:
//   tools_preview wallpaper [--shot FILE]
//   tools_preview grabber [--shot FILE]
// With --shot the window is written to FILE (as the screen shows it) after a
// moment, and the program ends.
#include "platform/QtPicturePrinter.h"
#include "platform/QtServices.h"
#include "platform/ScreenGrabbers.h"
#include "tools/Form30.h"
#include "tools/FrmMain.h"

#include "Fakes.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    lh::QtFileDialogs files;
    lh::QtMessageBoxes messages;
    lh::QtPicturePrinter printer;
    std::unique_ptr<lh::ScreenGrabber> screen = lh::makeScreenGrabber(QGuiApplication::platformName());
    lh::PlatformServices services;
    services.files = &files;
    services.messages = &messages;
    services.printer = &printer;
    services.screen = screen.get();
    lh::test::RecordingNavigator navigator;

    const QStringList args = app.arguments();
    const QString which = args.value(1);
    std::unique_ptr<QWidget> window;
    if (which == QLatin1String("wallpaper"))
        window = std::make_unique<lh::tools::Form30>(services, navigator);
    if (which == QLatin1String("grabber"))
        window = std::make_unique<lh::tools::FrmMain>(services, navigator);
    if (!window) {
        std::fprintf(stderr, "usage: tools_preview wallpaper|grabber [--shot FILE]\n");
        return 2;
    }
    window->show();
    const qsizetype at = args.indexOf(QStringLiteral("--shot"));
    if (at >= 0 && at + 1 < args.size()) {
        const QString out = args[at + 1];
        QTimer::singleShot(1500, window.get(), [&, out] {
            QScreen* s = window->screen();
            const QRect frame = window->frameGeometry();
            s->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).save(out);
            app.quit();
        });
    }
    return app.exec();
}
