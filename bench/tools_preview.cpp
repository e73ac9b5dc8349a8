// Shows the wallpaper maker or the window grabber on its own, with the real
// dialogs, for looking at it:
//   tools_preview wallpaper [--shot FILE]
//   tools_preview grabber [--shot FILE]
//   tools_preview --shots DIR
//   tools_preview --print-shot FILE
// With --shot the window is written to FILE (as the screen shows it) after a
// moment, and the program ends. --shots writes the README's pictures:
// DIR/wallpaper.png (pattern 3 tiled, the canvas dragged a little left),
// DIR/grabber-marking.png (the top-left of the screen while the grabber marks the
// wallpaper maker's toolbar) and DIR/grabber.png (the grabber after the grab).
// --print-shot prints a 9000 x 9000 wallpaper into a PDF file of its own and
// writes the screen to FILE while the print's progress shows, then cancels it.
#include "forms/Controls.h"
#include "platform/QtPicturePrinter.h"
#include "platform/QtServices.h"
#include "platform/ScreenGrabbers.h"
#include "tools/Form30.h"
#include "tools/FrmMain.h"

#include "Fakes.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
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
    const qsizetype shots = args.indexOf(QStringLiteral("--shots"));
    if (shots >= 0 && shots + 1 < args.size()) {
        const QDir dir(args[shots + 1]);
        auto shotOf = [](QWidget* w, const QString& file) {
            const QRect frame = w->frameGeometry();
            w->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).save(file);
        };
        lh::tools::Form30 wallpaper(services, navigator);
        wallpaper.show();
        lh::tools::FrmMain grabber(services, navigator);
        grabber.chk()->setChecked(false);
        QPoint pointer;
        grabber.setPointerPosition([&pointer] { return pointer; });
        QTimer::singleShot(500, &app, [&] {
            wallpaper.patternClick(3);
            wallpaper.canvas()->move(-120, wallpaper.canvas()->y());
        });
        QTimer::singleShot(1500, &app, [&] {
            shotOf(&wallpaper, dir.filePath(QStringLiteral("wallpaper.png")));
            grabber.show();
            grabber.raise();
            // Over the wallpaper maker's toolbar strip, right of its buttons.
            QWidget* strip = wallpaper.findChild<QWidget*>(QStringLiteral("Picture3"));
            pointer = strip->mapToGlobal(QPoint(960, 16));
            grabber.picSnap_MouseDown(Qt::LeftButton);
            grabber.tmr_Timer();
        });
        QTimer::singleShot(2300, &app, [&] {
            grabber.screen()->grabWindow(0, 0, 0, 1000, 420).save(dir.filePath(QStringLiteral("grabber-marking.png")));
            grabber.picSnap_MouseUp(Qt::LeftButton);
        });
        QTimer::singleShot(3300, &app, [&] {
            shotOf(&grabber, dir.filePath(QStringLiteral("grabber.png")));
            app.quit();
        });
        return app.exec();
    }
    const qsizetype printShot = args.indexOf(QStringLiteral("--print-shot"));
    if (printShot >= 0 && printShot + 1 < args.size()) {
        const QString out = args[printShot + 1];
        QTemporaryDir tmp;
        lh::QtPicturePrinter pdf(tmp.filePath(QStringLiteral("wallpaper.pdf")));
        services.printer = &pdf;
        lh::tools::Form30 wallpaper(services, navigator);
        wallpaper.show();
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = wallpaper.findChild<QProgressDialog*>(QStringLiteral("PrintProgress"));
            if (!dialog || !dialog->isVisible() || dialog->value() < 150)
                return;
            poll.stop();
            wallpaper.screen()->grabWindow(0).save(out);
            dialog->cancel();
        });
        QTimer::singleShot(500, &app, [&] {
            for (const char* name : {"Text1", "Text2"})
                wallpaper.findChild<QLineEdit*>(QString::fromLatin1(name))->setText(QStringLiteral("135000"));
            wallpaper.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
            wallpaper.findChild<QPushButton*>(QStringLiteral("Command2"))->click();
            wallpaper.patternClick(5);
            poll.start(50);
            wallpaper.Command6_Click();
            app.quit();
        });
        return app.exec();
    }
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
