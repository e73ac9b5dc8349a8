// Printing at a chosen size: the layout's geometry as a table; real pages
// through Qt's PDF output, read back with pdftoppm, land where the layout
// says (within half a millimetre) on A4 and Letter, upright and sideways;
// posters give the right page count and their overlaps show the same part of
// the picture; designs are drawn again at the scale the printer needs; the
// dialog's keys.

#include "printing/PrintLayoutDialog.h"

#include "Fakes.h"
#include "PdfPages.h"
#include "TestImages.h"

#include <QApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QPageSize>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

using namespace lh;
using namespace lh::printing;

namespace {

const QSizeF kA4(210, 297);
const QSizeF kLetter(215.9, 279.4);

QSizeF turned(QSizeF s) { return s.transposed(); }

using test::gradient;
using test::pagesOf;
using test::pictureBox;

QString printToPdf(const QString& file, const QImage& picture, const PrintRequest& request)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(request.paperMm, QPageSize::Millimeter));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    PicturePrintSource source(picture);
    return printPages(printer, source, request, layoutPrint(picture.size(), request));
}

}   // namespace

TEST(PrintLayout, SizesPlacesAndPostersInMillimetres)
{
    const struct Case {
        const char* what;
        QSize picture;
        PrintRequest request;
        int pages;
        QRectF first;   // the first page's part on its page
        const char* error;
    } cases[] = {
        {"fit A4", {857, 857}, {kA4, 10, std::nullopt, true, 1}, 1, {10, 53.5, 190, 190}, nullptr},
        {"19 cm on A4", {857, 857}, {kA4, 10, 19.0, true, 1}, 1, {10, 53.5, 190, 190}, nullptr},
        {"10 cm at the top-left margin", {857, 857}, {kA4, 10, 10.0, false, 1}, 1, {10, 10, 100, 100}, nullptr},
        {"fit A4 sideways", {857, 857}, {turned(kA4), 10, std::nullopt, true, 1}, 1, {53.5, 10, 190, 190}, nullptr},
        {"wide, fit", {2000, 500}, {kA4, 10, std::nullopt, true, 1}, 1, {10, 124.75, 190, 47.5}, nullptr},
        {"25 cm on A4", {857, 857}, {kA4, 10, 25.0, true, 1}, 0, {}, "放不进一页"},
        {"margins over the paper", {857, 857}, {kA4, 110, std::nullopt, true, 1}, 0, {}, "边距太大"},
        {"a wide poster", {2000, 500}, {kA4, 10, std::nullopt, true, 2, 5}, 2, {10, 10, 190, 93.75}, nullptr},
        // 375 x 1500 mm: 6 rows of 277 mm overlapping by 5.
        {"a tall poster", {500, 2000}, {kA4, 10, std::nullopt, true, 2, 5}, 12, {10, 10, 190, 277}, nullptr},
        {"a poster too wide for its pages", {857, 857}, {kA4, 10, 50.0, true, 2, 5}, 0, {}, "放不进 2 页"},
    };
    for (const Case& c : cases) {
        const PrintLayout l = layoutPrint(c.picture, c.request);
        if (c.error) {
            EXPECT_TRUE(l.error.contains(QString::fromUtf8(c.error))) << c.what << ": " << l.error.toStdString();
            EXPECT_TRUE(l.pages.empty()) << c.what;
            continue;
        }
        ASSERT_TRUE(l.error.isEmpty()) << c.what << ": " << l.error.toStdString();
        ASSERT_EQ(int(l.pages.size()), c.pages) << c.what;
        const QRectF t = l.pages.front().target;
        EXPECT_NEAR(t.x(), c.first.x(), 1e-6) << c.what;
        EXPECT_NEAR(t.y(), c.first.y(), 1e-6) << c.what;
        EXPECT_NEAR(t.width(), c.first.width(), 1e-6) << c.what;
        EXPECT_NEAR(t.height(), c.first.height(), 1e-6) << c.what;
        // The parts cover the whole picture, neighbours overlapping by the overlap.
        double covered = 0;
        for (const PagePart& p : l.pages)
            if (p.row == 0)
                covered += p.source.width();
        EXPECT_NEAR(covered - (l.columns - 1) * c.request.overlapMm * c.picture.width() / l.printedMm.width(),
                    c.picture.width(), 1e-6)
            << c.what;
        if (c.pages > 1) {
            EXPECT_EQ(l.pages[1].label, QStringLiteral("2/%1, 行 1 列 2").arg(c.pages)) << c.what;
        }
    }
}

TEST(PrintLayout, PagesLandWhereTheLayoutSays)
{
    QTemporaryDir dir;
    const QImage picture = gradient(857, 600);
    const int dpi = 150;
    const struct Case {
        const char* what;
        PrintRequest request;
    } cases[] = {
        {"A4 fit", {kA4, 10, std::nullopt, true, 1}},
        {"A4 sideways 19 cm", {turned(kA4), 10, 19.0, true, 1}},
        {"Letter 15 cm", {kLetter, 10, 15.0, true, 1}},
        {"Letter sideways fit", {turned(kLetter), 10, std::nullopt, true, 1}},
        {"A4 at the top-left margin", {kA4, 15, 12.0, false, 1}},
    };
    for (const Case& c : cases) {
        const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
        ASSERT_EQ(printToPdf(pdf, picture, c.request), QString()) << c.what;
        const std::vector<QImage> pages = pagesOf(pdf, dpi);
        ASSERT_EQ(pages.size(), 1u) << c.what;
        const QRectF expected = layoutPrint(picture.size(), c.request).pages.front().target;
        const QRectF found = pictureBox(pages.front(), dpi);
        EXPECT_NEAR(found.left(), expected.left(), 0.5) << c.what;
        EXPECT_NEAR(found.top(), expected.top(), 0.5) << c.what;
        EXPECT_NEAR(found.width(), expected.width(), 0.5) << c.what;
        EXPECT_NEAR(found.height(), expected.height(), 0.5) << c.what;
        if (c.request.centred) {
            EXPECT_NEAR(found.center().x(), c.request.paperMm.width() / 2, 0.5) << c.what;
            EXPECT_NEAR(found.center().y(), c.request.paperMm.height() / 2, 0.5) << c.what;
        }
    }
}

TEST(PrintLayout, PostersOverlapShowingTheSamePartOfThePicture)
{
    QTemporaryDir dir;
    const int dpi = 100;
    const struct Case {
        const char* what;
        QImage picture;
        int pages;
    } cases[] = {{"wide", gradient(1600, 500), 2}, {"tall", gradient(500, 1300), 2 * 4}};
    for (const Case& c : cases) {
        const PrintRequest request{kA4, 10, std::nullopt, true, 2, 5};
        const PrintLayout l = layoutPrint(c.picture.size(), request);
        ASSERT_EQ(int(l.pages.size()), c.pages) << c.what;
        const QString pdf = dir.filePath(QStringLiteral("poster.pdf"));
        ASSERT_EQ(printToPdf(pdf, c.picture, request), QString()) << c.what;
        const std::vector<QImage> pages = pagesOf(pdf, dpi);
        ASSERT_EQ(int(pages.size()), c.pages) << c.what;
        // The right 5 mm of the first page's part and the left 5 mm of the next one.
        const double px = dpi / 25.4;
        const QRectF a = l.pages[0].target, b = l.pages[1].target;
        const int strip = int(4 * px), rows = int((std::min(a.height(), b.height()) - 2) * px);
        double difference = 0;
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < strip; ++x) {
                const QRgb p = pages[0].pixel(int((a.right() - 4.5) * px) + x, int((a.top() + 1) * px) + y);
                const QRgb q = pages[1].pixel(int((b.left() + 0.5) * px) + x, int((b.top() + 1) * px) + y);
                difference += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q));
            }
        }
        EXPECT_LT(difference / (strip * rows), 6.0) << c.what;
        // And unlike a strip further left on the same page.
        const QRgb far = pages[0].pixel(int((a.left() + 5) * px), int((a.top() + 1) * px));
        const QRgb near = pages[1].pixel(int((b.left() + 1) * px), int((b.top() + 1) * px));
        EXPECT_GT(std::abs(qRed(far) - qRed(near)), 20) << c.what;
    }
}

TEST(PrintLayout, ADesignIsDrawnAgainAtTheScaleThePrinterNeeds)
{
    std::vector<int> scales;
    RedrawnPrintSource design(QSize(857, 857), [&](int scale) {
        scales.push_back(scale);
        QImage image(857 * scale, 857 * scale, QImage::Format_RGB32);
        image.fill(Qt::blue);
        return image;
    });
    // 19 cm at 600 dots per inch: 4488 dots for 857 pixels, 5.24 each.
    EXPECT_EQ(design.pictureFor(190 * 600 / 25.4 / 857).width(), 857 * 6);
    EXPECT_EQ(design.pictureFor(0.5).width(), 857);
    EXPECT_EQ(design.pictureFor(30).width(), 857 * 8);
    EXPECT_EQ(scales, (std::vector<int>{6, 1, 8}));
}

TEST(PrintLayoutDialog, KeysFocusWidthTabToPagesEnterPrintsEscapePrintsNothing)
{
    QTemporaryDir dir;
    test::FakeServices fakes;
    PicturePrintSource source(gradient(857, 857));
    {
        PrintLayoutDialog dialog(fakes.services, source);
        dialog.setPdfFile(dir.filePath(QStringLiteral("escaped.pdf")));
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("蓝禾打印排版"));
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("spnWidth"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("spnPagesAcross"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("escaped.pdf"))));
    }
    {
        PrintLayoutDialog dialog(fakes.services, source);
        const QString pdf = dir.filePath(QStringLiteral("entered.pdf"));
        dialog.setPdfFile(pdf);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("12"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        ASSERT_TRUE(QFileInfo::exists(pdf));
        const std::vector<QImage> pages = pagesOf(pdf, 100);
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_NEAR(pictureBox(pages.front(), 100).width(), 120, 0.5);
    }
    // A size that fits no page is said, and nothing is printed.
    {
        PrintLayoutDialog dialog(fakes.services, source);
        const QString pdf = dir.filePath(QStringLiteral("toolarge.pdf"));
        dialog.setPdfFile(pdf);
        dialog.findChild<QDoubleSpinBox*>(QStringLiteral("spnWidth"))->setValue(40);
        dialog.accept();
        ASSERT_FALSE(fakes.messages.messages.empty());
        EXPECT_TRUE(fakes.messages.messages.back().text.contains(QStringLiteral("放不进"))) << fakes.messages.messages.back().text.toStdString();
        EXPECT_FALSE(QFileInfo::exists(pdf));
    }
}

TEST(PrintLayout, ACancelledPosterSendsNothingAndARefusedJobIsSaid)
{
    QTemporaryDir dir;
    const QImage picture = gradient(1600, 500);
    const PrintRequest request{kA4, 10, std::nullopt, true, 2, 5};
    const PrintLayout layout = layoutPrint(picture.size(), request);
    ASSERT_EQ(layout.pages.size(), 2u);
    PicturePrintSource source(picture);
    auto printer = [&](const QString& file) {
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(file);
        p->setPageSize(QPageSize(request.paperMm, QPageSize::Millimeter));
        return p;
    };

    // Cancelled after the first page: nothing is handed over.
    test::FakeExportDialogs dialogs;
    dialogs.cancelAt = 1;
    auto progress = dialogs.startProgress(nullptr, {}, 2);
    const QString cancelled = dir.filePath(QStringLiteral("cancelled.pdf"));
    auto first = printer(cancelled);
    EXPECT_EQ(printPages(*first, source, request, layout, progress.get()), QStringLiteral("已取消。"));
    first.reset();
    EXPECT_FALSE(QFileInfo::exists(cancelled));

    // A printer that does not take the job (its file cannot be made) is said.
    auto refusing = printer(dir.filePath(QStringLiteral("no/such/folder/x.pdf")));
    const QString why = printPages(*refusing, source, request, layout);
    EXPECT_FALSE(why.isEmpty());
    EXPECT_TRUE(why.contains(QStringLiteral("打印机"))) << why.toStdString();
}

// A poster is bounded by its page count, counted before any page is laid
// out: a long picture many pages across is refused at once, naming the
// largest poster, instead of laying out millions of pages.
TEST(PrintLayout, PostersBeyondTheLargestAreRefusedBeforeAnyPageIsLaidOut)
{
    const struct Case {
        const char* what;
        QSize picture;
        int across;
        int pages;   // 0: refused
    } cases[] = {
        {"2 x 100,000 pixels 20 across", {2, 100000}, 20, 0},
        {"2 x 100,000 pixels 2 across", {2, 100000}, 2, 0},
        {"2 x 100,000 pixels on one page", {2, 100000}, 1, 1},
        {"a square 20 across: 20 x 14", {1000, 1000}, 20, 280},
        // 3705 mm wide; 20 rows of 272 mm (5 overlapping) take up to 5445 mm.
        {"20 x 20, the largest", {3705, 5440}, 20, 400},
        {"20 x 21, one row more", {3705, 5460}, 20, 0},
        {"more across than a poster takes", {1000, 100}, 500, kMaxPrintPages + 1},
    };
    for (const Case& c : cases) {
        const PrintLayout l = layoutPrint(c.picture, {kA4, 10, std::nullopt, true, c.across, 5});
        if (c.pages == 0) {
            EXPECT_TRUE(l.pages.empty()) << c.what;
            EXPECT_TRUE(l.error.contains(QStringLiteral("最多只能打印 %1 页").arg(kMaxPrintPages)))
                << c.what << ": " << l.error.toStdString();
        } else if (c.pages > kMaxPrintPages) {
            EXPECT_EQ(l.columns, kMaxPagesAcross) << c.what;
            EXPECT_LE(int(l.pages.size()), kMaxPrintPages) << c.what;
        } else {
            EXPECT_EQ(l.error, QString()) << c.what;
            EXPECT_EQ(int(l.pages.size()), c.pages) << c.what;
        }
    }
}

// The page's place in the bottom margin keeps clear of every cut mark of its
// page: full parts, the narrow last column and the short last row, upright
// and sideways, with narrow and wide margins.
TEST(PrintLayout, PageLabelsStayClearOfTheCutMarks)
{
    const struct Case {
        const char* what;
        QSize picture;
        PrintRequest request;
    } cases[] = {
        {"two across, A4", {2000, 500}, {kA4, 10, std::nullopt, true, 2, 5}},
        {"a tall poster", {500, 2000}, {kA4, 10, std::nullopt, true, 2, 5}},
        {"parts narrower than the label", {857, 300}, {kA4, 10, 10.0, true, 4, 5}},
        {"sideways, wide margins", {1600, 900}, {turned(kA4), 20, std::nullopt, true, 3, 5}},
        {"Letter, narrow margins", {1600, 1600}, {kLetter, 6, std::nullopt, true, 2, 5}},
    };
    const double textWidthMm = 32;   // "12/12, 行 6 列 2" at 3 mm
    for (const Case& c : cases) {
        const PrintLayout l = layoutPrint(c.picture, c.request);
        ASSERT_EQ(l.error, QString()) << c.what;
        ASSERT_GT(l.pages.size(), 1u) << c.what;
        for (const PagePart& part : l.pages) {
            const QRectF label = labelArea(part, c.request, textWidthMm);
            SCOPED_TRACE(std::string(c.what) + " " + part.label.toStdString());
            EXPECT_GE(label.top(), c.request.paperMm.height() - c.request.marginMm);
            EXPECT_LE(label.right(), c.request.paperMm.width());
            for (const QLineF& mark : cutMarks(part, c.request)) {
                // The mark as a line 0.3 mm wide.
                const QRectF line = QRectF(mark.p1(), mark.p2()).normalized().adjusted(-0.15, -0.15, 0.15, 0.15);
                EXPECT_FALSE(line.intersects(label))
                    << "mark " << mark.x1() << "," << mark.y1() << "-" << mark.x2() << "," << mark.y2() << " label "
                    << label.left() << "," << label.top() << " " << label.width() << "x" << label.height();
            }
        }
    }
}
