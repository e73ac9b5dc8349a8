// Figures for the region capture: cost of one pointer step while selecting
// (erase and redraw the inverted frame and label on the held screen), of the
// copy, and of writing the picture as a BMP file.

#include "pictures/PictureFiles.h"
#include "tools/Module2.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class DropClipboard : public lh::Clipboard {
public:
    void setImage(const QImage&) override {}
    QImage image() const override { return {}; }
};

}   // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    for (const QSize size : {QSize(1600, 1000), QSize(3840, 2160)}) {
        QImage screen(size, QImage::Format_RGB32);
        screen.fill(qRgb(20, 60, 90));
        const int steps = 400;
        QElapsedTimer t;
        t.start();
        lh::tools::SelectScreenRegion sel(screen, QPoint(size.width() - 10, size.height() - 10));
        for (int i = 0; i < steps; ++i)
            sel.moveTo(QPoint(size.width() - 10 - i * (size.width() - 20) / steps,
                              size.height() - 10 - i * (size.height() - 20) / steps));
        const lh::tools::SelRect r = sel.finish(QPoint(10, 10));
        const double stepUs = t.nsecsElapsed() / 1000.0 / steps;

        DropClipboard clip;
        t.restart();
        const QImage copy = lh::tools::CopyScreenToClipboard(screen, r.left, r.top, r.right, r.bottom, clip);
        const double copyMs = t.nsecsElapsed() / 1e6;

        QTemporaryDir dir;
        t.restart();
        const bool ok = lh::writeBmp24(copy, dir.filePath("b.bmp"));
        const double bmpMs = t.nsecsElapsed() / 1e6;
        std::printf("screen %dx%d: selection step %.1f us (mean of %d, frame up to full screen); "
                    "copy %dx%d %.2f ms; 24-bit BMP write %.2f ms%s\n",
                    size.width(), size.height(), stepUs, steps, copy.width(), copy.height(), copyMs, bmpMs,
                    ok ? "" : " (write FAILED)");
    }
    return 0;
}
