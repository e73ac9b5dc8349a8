#include "platform/QtPicturePrinter.h"

#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "TestImages.h"

using namespace lh;

namespace {

// A patterned picture of the given resolution.
QImage patterned(int w, int h, int dotsPerMetre) { return test::atResolution(test::patterned(w, h), dotsPerMetre); }

// The first page of the PDF as pixels at 96 dpi (or another resolution).
QImage renderPage(const QString& pdf, int dpi = 96)
{
    const QString base = pdf + "-page";
    const int rc = QProcess::execute("pdftocairo", {"-png", "-r", QString::number(dpi), "-singlefile", pdf, base});
    if (rc != 0)
        return {};
    return QImage(base + ".png").convertToFormat(QImage::Format_RGB32);
}

int pageCount(const QString& pdf)
{
    QProcess p;
    p.start("pdfinfo", {pdf});
    p.waitForFinished();
    for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

// The bounding box of the pixels that are not white paper.
QRect inkBox(const QImage& page) { return test::inkArea(page, 0xFFFFFF); }

}   // namespace

TEST(PhysicalSize, FollowsThePicturesResolution)
{
    struct Case {
        int w, h, dpm, deviceDpi;
        QSize expect;
    };
    const Case cases[] = {
        {96, 48, 3780, 96, {96, 48}},         // 96 dpi on 96 dpi: pixel for pixel
        {96, 48, 3780, 1200, {1200, 600}},    // one inch wide on a 1200 dpi printer
        {300, 150, 11811, 600, {600, 300}},   // 300 dpi picture: half an inch
        {100, 100, 0, 192, {200, 200}},       // no resolution: 96 dpi
    };
    for (const Case& c : cases) {
        QImage img(c.w, c.h, QImage::Format_RGB32);
        if (c.dpm > 0) {
            img.setDotsPerMeterX(c.dpm);
            img.setDotsPerMeterY(c.dpm);
        }
        const QSize got = physicalTargetSize(img, c.deviceDpi, c.deviceDpi);
        if (c.dpm > 0)
            EXPECT_EQ(got, c.expect) << c.w << " px at " << c.dpm << " dpm";
        else
            EXPECT_NEAR(got.width(), c.expect.width(), 1);   // a fresh QImage carries the screen's dpi
    }
}

TEST(PdfPrinting, PutsThePictureAtThePageOriginAtItsOwnSize)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("page.pdf");
    QtPicturePrinter printer(pdf);
    const QImage pic = patterned(120, 80, 3780);   // 96 dpi
    QString why;
    ASSERT_TRUE(printer.printPicture(pic, &why)) << why.toStdString();
    ASSERT_EQ(pageCount(pdf), 1);
    const QImage page = renderPage(pdf);
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(inkBox(page), QRect(0, 0, 120, 80));
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x)
            ASSERT_EQ(page.pixel(x, y), pic.pixel(x, y)) << "at " << x << "," << y;
}

TEST(PdfPrinting, HigherResolutionPrintsSmallerAndEveryPrintIsOneDocument)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("page.pdf");
    QtPicturePrinter printer(pdf);
    ASSERT_TRUE(printer.printPicture(patterned(200, 100, 3780), nullptr));
    ASSERT_TRUE(printer.printPicture(patterned(200, 100, 7559), nullptr));   // 192 dpi
    EXPECT_EQ(pageCount(pdf), 1);
    const QImage page = renderPage(pdf);
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(inkBox(page), QRect(0, 0, 100, 50));
}

TEST(PdfPrinting, LargerThanThePageIsCutNotReduced)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("big.pdf");
    QtPicturePrinter printer(pdf);
    ASSERT_TRUE(printer.printPicture(patterned(2000, 1600, 3780), nullptr));
    const QImage page = renderPage(pdf);
    ASSERT_FALSE(page.isNull());
    // Every pixel of the page is the picture's: nothing is shrunk to fit.
    EXPECT_EQ(inkBox(page), page.rect());
    EXPECT_EQ(page.pixel(page.width() - 2, page.height() - 2),
              patterned(2000, 1600, 3780).pixel(page.width() - 2, page.height() - 2));
}

TEST(PrintBands, CutTheRowsIntoBandsOfAboutTheGivenBytes)
{
    struct Case {
        int w, h;
        qint64 bandBytes;
        std::vector<int> expect;
    };
    const Case cases[] = {
        {100, 50, 1 << 20, {0, 50}},            // small: one band
        {100, 50, 400 * 20, {0, 20, 40, 50}},   // 20 rows a band, the last short
        {100, 40, 400 * 20, {0, 20, 40}},       // a whole number of bands
        {100, 3, 10, {0, 1, 2, 3}},             // a row is more than a band: a row at a time
    };
    for (const Case& c : cases)
        EXPECT_EQ(printBands(QImage(c.w, c.h, QImage::Format_RGB32), c.bandBytes), c.expect) << c.w << "x" << c.h;
}

// A picture of 18 MB goes to the printer in two bands; at 192 dpi on a page
// rendered at 192 dpi every pixel lands on its own, so a seam or a shifted
// band would show.
TEST(PdfPrinting, ABandedPictureShowsEveryPixelWithoutSeams)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("banded.pdf");
    QtPicturePrinter printer(pdf);
    const QImage pic = patterned(3000, 1500, 7559);
    int calls = 0;
    ASSERT_TRUE(printer.printPicture(pic, nullptr, [&](int done, int total) {
        ++calls;
        EXPECT_EQ(total, 2);
        EXPECT_EQ(done, calls);
        return true;
    }));
    EXPECT_EQ(calls, 2);
    const QImage page = renderPage(pdf, 192);
    ASSERT_FALSE(page.isNull());
    // The page's last column is cut by its edge at a fraction of a pixel.
    const int w = std::min(page.width() - 2, pic.width());
    const int h = std::min(page.height() - 2, pic.height());
    ASSERT_GT(h, printBands(pic, 16 << 20)[1]);   // the page shows the seam
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(page.pixel(x, y), pic.pixel(x, y)) << "at " << x << "," << y;
}

TEST(PdfPrinting, ACancelledPrintLeavesNoDocument)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("cancelled.pdf");
    QtPicturePrinter printer(pdf);
    QString why;
    EXPECT_FALSE(printer.printPicture(patterned(3000, 1500, 3780), &why, [](int, int) { return false; }));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST(Printing, NothingToPrintOrNoPrinterFailsWithAReason)
{
    QTemporaryDir dir;
    QtPicturePrinter pdfPrinter(dir.filePath("none.pdf"));
    QString why;
    EXPECT_FALSE(pdfPrinter.printPicture(QImage(), &why));
    EXPECT_FALSE(why.isEmpty());

    QtPicturePrinter toPaper;
    why.clear();
    const bool printed = toPaper.printPicture(patterned(10, 10, 3780), &why);
    if (QPrinterInfo::defaultPrinter().isNull()) {
        EXPECT_FALSE(printed);
        EXPECT_FALSE(why.isEmpty());
    } else {
        EXPECT_TRUE(printed || !why.isEmpty());
    }

    QtPicturePrinter unwritable(dir.filePath("no/such/folder/x.pdf"));
    why.clear();
    EXPECT_FALSE(unwritable.printPicture(patterned(10, 10, 3780), &why));
    EXPECT_FALSE(why.isEmpty());
}

// The print layout's printers on this machine: the list is Qt's (the default
// one first), and a printer that is not there gets no job; a job on a
// printer never goes into a file.
TEST(SystemPrinters, ListedAsQtSeesThemAndAJobNeverGoesIntoAFile)
{
    QtPicturePrinter printers;
    const QStringList names = printers.printerNames();
    EXPECT_EQ(names.size(), QPrinterInfo::availablePrinterNames().size());
    if (!QPrinterInfo::defaultPrinterName().isEmpty()) {
        EXPECT_EQ(names.value(0), QPrinterInfo::defaultPrinterName());
    }
    const struct {
        const char* what;
        QString printer;
    } cases[] = {{"no such printer", QStringLiteral("蓝禾测试：没有这台打印机")}, {"an empty name", QString()}};
    for (const auto& c : cases) {
        QString why;
        EXPECT_EQ(printers.openJob(c.printer, &why), nullptr) << c.what;
        EXPECT_TRUE(why.contains(QStringLiteral("打印机"))) << c.what << ": " << why.toStdString();
    }
    for (const QString& name : names) {
        QString why;
        const std::unique_ptr<QPrinter> job = printers.openJob(name, &why);
        if (job) {
            EXPECT_EQ(job->outputFormat(), QPrinter::NativeFormat) << name.toStdString();
            EXPECT_TRUE(job->outputFileName().isEmpty()) << name.toStdString();
        } else {
            EXPECT_FALSE(why.isEmpty()) << name.toStdString();
        }
    }
}

// Whether a queue takes jobs is what the print system's lpstat says of it
// (in the C locale); a printer that is idle may still refuse every job.
TEST(SystemPrinters, AQueueThatDoesNotAcceptJobsIsToldFromLpstat)
{
    QTemporaryDir dir;
    const struct {
        const char* what;
        const char* script;   // nullptr: no such program
        bool accepts;
    } cases[] = {
        {"accepting", "echo \"$2 accepting requests since Fri 11 Dec 2026\"", true},
        {"not accepting", "echo \"$2 not accepting requests since Fri 11 Dec 2026 -\"; echo '\tRejecting Jobs'", false},
        {"says so only in the C locale", "[ \"$LC_ALL\" = C ] && echo \"$2 not accepting requests\" || echo \"$2 接受请求\"",
         false},
        {"an unknown printer", "echo 'lpstat: Invalid destination name in list \"x\".' >&2; exit 1", true},
        {"no lpstat", nullptr, true},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString program = dir.filePath(QStringLiteral("lpstat%1").arg(++n));
        if (c.script) {
            QFile f(program);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("#!/bin/sh\n") + c.script + "\n");
            f.close();
            f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        EXPECT_EQ(printQueueAcceptsJobs(QStringLiteral("办公室"), program), c.accepts) << c.what;
    }
}
