#pragma once
// PDF pages read back for the printing tests: rendered with pdftoppm, and
// where the picture lies on a page.

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRectF>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace lh::test {

// The pages of a PDF file rendered at `dpi`.
inline std::vector<QImage> pagesOf(const QString& pdf, int dpi)
{
    QTemporaryDir dir;
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"), pdf,
                                         dir.filePath(QStringLiteral("page"))});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    std::vector<QImage> pages;
    for (const QString& name : QDir(dir.path()).entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name))
        pages.push_back(QImage(dir.filePath(name)).convertToFormat(QImage::Format_RGB32));
    return pages;
}

// The box of pixels that are far from white and grey (the picture, not the
// marks or the paper), in millimetres.
inline QRectF pictureBox(const QImage& page, int dpi)
{
    int left = page.width(), top = page.height(), right = -1, bottom = -1;
    for (int y = 0; y < page.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            const QRgb c = row[x];
            if (std::abs(qRed(c) - qBlue(c)) > 15 || std::abs(qGreen(c) - qBlue(c)) > 15) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    const double mm = 25.4 / dpi;
    return QRectF(left * mm, top * mm, (right + 1 - left) * mm, (bottom + 1 - top) * mm);
}

}   // namespace lh::test

namespace lh::test {

// The page count pdfinfo reads from the file; -1 when it is no valid PDF.
inline int pdfPageCount(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return -1;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

}   // namespace lh::test
