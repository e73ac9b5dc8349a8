// Printing in figures: from Enter to the job handed over (the PDF printer
// written and closed) for a design drawn again at 19 cm on A4 at 600 dots per
// inch, and for a poster of the default wallpaper four pages across; the
// preview of the widest poster; a poster laid out or refused from its page count.
//   print_bench [--shot FILE]   with --shot: a picture of the print layout
//                               dialog for the design as a 2-page poster
#include "printing/PrintLayoutDialog.h"
#include "platform/QtServices.h"

#include <QSpinBox>
#include <QTimer>
#include "printing/PrintPages.h"

#include "BenchPlatform.h"
#include "core/Random.h"
#include "design/DesignTick.h"
#include "design/WindowTexts.h"
#include "engine/RasterSurface.h"
#include "scene/DesignScene.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPageSize>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class Host final : public lh::design::DesignHost {
public:
    QString text(const QString& control) const override { return texts_.value(control); }
    void setCountCaption(const QString&) override {}
    QHash<QString, QString> texts_ = lh::design::initialWindowTexts(2);
};

class FixedClock final : public lh::Clock {
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 10), QTime(12, 0)); }
};

double print(const QString& file, lh::printing::PrintSource& source, const lh::printing::PrintRequest& request,
             int dpi, int* pages)
{
    QElapsedTimer t;
    t.start();
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(dpi);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(request.paperMm, QPageSize::Millimeter));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    const lh::printing::PrintLayout layout = lh::printing::layoutPrint(source.size(), request);
    *pages = int(layout.pages.size());
    const QString why = lh::printing::printPages(printer, source, request, layout);
    if (!why.isEmpty())
        std::fprintf(stderr, "print_bench: %s\n", qPrintable(why));
    return t.nsecsElapsed() / 1e6;
}

}   // namespace

int main(int argc, char** argv)
{
    lh::bench::useOffscreenUnlessDisplayed();
    QApplication app(argc, argv);
    QTemporaryDir dir;

    Host host;
    lh::SeededRandom random(5);
    FixedClock clock;
    lh::design::DesignRecorder recorder(random, host, clock);
    lh::RasterSurface surface(lh::scene::kDesignPixels, lh::scene::kDesignPixels);
    lh::design::DesignTick tick(lh::design::recipeForCategory(2), surface, recorder.random(), recorder.host(),
                                recorder.clock());
    recorder.begin(surface, 0);
    tick.run();
    const lh::scene::DesignScene scene{2, recorder.finish(), {}, std::nullopt};
    const QStringList args = app.arguments();
    if (const qsizetype at = args.indexOf(QStringLiteral("--shot")); at >= 0 && at + 1 < args.size()) {
        lh::PlatformServices services;
        lh::printing::RedrawnPrintSource design(QSize(857, 857), [&](int k) { return lh::scene::renderScene(scene, k); });
        lh::printing::PrintLayoutDialog dialog(services, design);
        dialog.setPdfFile(dir.filePath(QStringLiteral("shot.pdf")));
        dialog.findChild<QSpinBox*>(QStringLiteral("spnPagesAcross"))->setValue(2);
        dialog.resize(1000, 640);
        dialog.show();
        const QString file = args[at + 1];
        QTimer::singleShot(1500, &dialog, [&dialog, file] {
            dialog.grab().save(file);
            dialog.reject();
        });
        dialog.exec();
        return 0;
    }
    for (int round = 0; round < 3; ++round) {
        lh::printing::RedrawnPrintSource design(QSize(857, 857), [&](int k) { return lh::scene::renderScene(scene, k); });
        int pages = 0;
        const double ms = print(dir.filePath(QStringLiteral("design.pdf")), design,
                                {QSizeF(210, 297), 10, 19.0, true, 1}, 600, &pages);
        std::printf("print design width_cm=19 paper=A4 dpi=600 drawn_at_scale=%d pages=%d enter_to_handed_over_ms=%.0f\n",
                    design.lastScale(), pages, ms);
    }
    // The default wallpaper canvas: 2863 x 2196 pixels of the default tile.
    QImage wallpaper(2863, 2196, QImage::Format_RGB32);
    for (int y = 0; y < wallpaper.height(); ++y)
        for (int x = 0; x < wallpaper.width(); ++x)
            wallpaper.setPixel(x, y, qRgb((x / 7) & 255, (y / 5) & 255, ((x + y) / 9) & 255));
    for (int round = 0; round < 3; ++round) {
        lh::printing::PicturePrintSource canvas(wallpaper);
        int pages = 0;
        const double ms = print(dir.filePath(QStringLiteral("poster.pdf")), canvas,
                                {QSizeF(210, 297), 10, std::nullopt, true, 4}, 300, &pages);
        std::printf("print poster wallpaper=2863x2196 paper=A4 across=4 pages=%d dpi=300 enter_to_handed_over_ms=%.0f\n",
                    pages, ms);
    }
    // The dialog's preview of the wallpaper as a poster 20 pages across (the
    // widest): every change of a field draws all its pages again.
    {
        lh::PlatformServices services;
        lh::printing::PicturePrintSource canvas(wallpaper);
        lh::printing::PrintLayoutDialog dialog(services, canvas);
        dialog.findChild<QSpinBox*>(QStringLiteral("spnPagesAcross"))->setValue(lh::printing::kMaxPagesAcross);
        dialog.resize(1000, 640);
        dialog.show();
        for (int round = 0; round < 3; ++round) {
            QElapsedTimer t;
            t.start();
            dialog.preview()->updatePreview();
            std::printf("print preview wallpaper=2863x2196 across=%d pages=%d update_ms=%.0f\n",
                        lh::printing::kMaxPagesAcross, dialog.preview()->pageCount(), t.nsecsElapsed() / 1e6);
        }
    }
    // A long picture as a poster: refused from its page count, before any
    // page is laid out; the largest poster laid out.
    const struct {
        const char* what;
        QSize picture;
        int across;
    } posters[] = {{"refused", {2, 100000}, 20}, {"largest", {3705, 5440}, 20}};
    for (const auto& p : posters) {
        QElapsedTimer t;
        t.start();
        const lh::printing::PrintLayout layout =
            lh::printing::layoutPrint(p.picture, {QSizeF(210, 297), 10, std::nullopt, true, p.across, 5});
        std::printf("print layout %s picture=%dx%d across=%d pages=%zu refused=%d layout_ms=%.3f\n", p.what,
                    p.picture.width(), p.picture.height(), p.across, layout.pages.size(), int(!layout.error.isEmpty()),
                    t.nsecsElapsed() / 1e6);
    }
    return 0;
}
