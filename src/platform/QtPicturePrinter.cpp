#include "platform/QtPicturePrinter.h"

#include "engine/PictureFiles.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>

namespace lh {

QSize physicalTargetSize(const QImage& picture, int deviceDpiX, int deviceDpiY)
{
    const double dpmX = picture.dotsPerMeterX() > 0 ? picture.dotsPerMeterX() : kScreenDotsPerMetre;
    const double dpmY = picture.dotsPerMeterY() > 0 ? picture.dotsPerMeterY() : kScreenDotsPerMetre;
    const double w = picture.width() / dpmX * (deviceDpiX / 0.0254);
    const double h = picture.height() / dpmY * (deviceDpiY / 0.0254);
    return QSize(int(std::lround(w)), int(std::lround(h)));
}

QtPicturePrinter::QtPicturePrinter(QString pdfPath) : pdfPath_(std::move(pdfPath)) {}

bool QtPicturePrinter::printPicture(const QImage& picture, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return fail(QStringLiteral("没有可打印的图像。"));

    std::unique_ptr<QPrinter> printer;
    if (pdfPath_.isEmpty()) {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull())
            return fail(QStringLiteral("没有安装打印机。"));
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    } else {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdfPath_);
    }
    // The picture goes to the page origin, not to the corner of the margins.
    printer->setFullPage(true);
    printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    printer->setCopyCount(1);
    printer->setDocName(QStringLiteral("蓝禾图像打印"));

    QPainter painter;
    if (!painter.begin(printer.get()))
        return fail(QStringLiteral("打印机无法开始打印。"));
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QSize target = physicalTargetSize(picture, printer->logicalDpiX(), printer->logicalDpiY());
    painter.drawImage(QRect(QPoint(0, 0), target), picture);
    if (!painter.end())
        return fail(QStringLiteral("打印失败。"));
    if (printer->printerState() == QPrinter::Error)
        return fail(QStringLiteral("打印失败。"));
    return true;
}

}   // namespace lh
