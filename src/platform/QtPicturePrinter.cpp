#include "platform/QtPicturePrinter.h"

#include "pictures/PictureFiles.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>

namespace lh {

namespace {
// About 16 MB of the picture go to the printer at a time.
constexpr qint64 kPrintBandBytes = qint64(16) << 20;
}   // namespace

QSize physicalTargetSize(const QImage& picture, int deviceDpiX, int deviceDpiY)
{
    const double dpmX = picture.dotsPerMeterX() > 0 ? picture.dotsPerMeterX() : kScreenDotsPerMetre;
    const double dpmY = picture.dotsPerMeterY() > 0 ? picture.dotsPerMeterY() : kScreenDotsPerMetre;
    const double w = picture.width() / dpmX * (deviceDpiX / 0.0254);
    const double h = picture.height() / dpmY * (deviceDpiY / 0.0254);
    return QSize(int(std::lround(w)), int(std::lround(h)));
}

std::vector<int> printBands(const QImage& picture, qint64 bandBytes)
{
    const int h = picture.height();
    const qint64 rowBytes = std::max<qint64>(picture.bytesPerLine(), 1);
    const int rows = int(std::clamp<qint64>(bandBytes / rowBytes, 1, std::max(h, 1)));
    std::vector<int> starts;
    for (int y = 0; y < h; y += rows)
        starts.push_back(y);
    starts.push_back(std::max(h, 0));
    return starts;
}

bool printQueueAcceptsJobs(const QString& printer, const QString& lpstat)
{
    const QString program = lpstat.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("lpstat")) : lpstat;
    if (program.isEmpty())
        return true;
    QProcess ask;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    ask.setProcessEnvironment(env);
    ask.start(program, {QStringLiteral("-a"), printer});
    if (!ask.waitForFinished(3000)) {
        ask.kill();
        ask.waitForFinished(1000);
        return true;
    }
    return !ask.readAllStandardOutput().contains("not accepting");
}

QStringList QtPicturePrinter::printerNames() const
{
    const QString defaultName = QPrinterInfo::defaultPrinterName();
    QStringList names;
    if (!defaultName.isEmpty())
        names << defaultName;
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        if (name != defaultName)
            names << name;
    return names;
}

QList<QPageSize> QtPicturePrinter::paperSizes(const QString& printer) const
{
    return QPrinterInfo::printerInfo(printer).supportedPageSizes();
}

std::unique_ptr<QPrinter> QtPicturePrinter::openJob(const QString& printer, QString* why)
{
    auto refuse = [&](const QString& reason) -> std::unique_ptr<QPrinter> {
        if (why)
            *why = reason;
        return nullptr;
    };
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    if (info.isNull())
        return refuse(QStringLiteral("找不到打印机“%1”。").arg(printer));
    if (info.state() == QPrinter::Error)
        return refuse(QStringLiteral("打印机“%1”出错了，没有接受这个打印任务。").arg(printer));
    if (!printQueueAcceptsJobs(printer))
        return refuse(QStringLiteral("打印机“%1”现在不接受打印任务。").arg(printer));
    auto job = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    // A job for a printer never goes into a file.
    if (job->outputFormat() != QPrinter::NativeFormat || !job->outputFileName().isEmpty())
        return refuse(QStringLiteral("打印机“%1”不能使用。").arg(printer));
    return job;
}

QtPicturePrinter::QtPicturePrinter(QString pdfPath) : pdfPath_(std::move(pdfPath)) {}

bool QtPicturePrinter::printPicture(const QImage& picture, QString* error, const Progress& progress)
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
        if (!printQueueAcceptsJobs(info.printerName()))
            return fail(QStringLiteral("打印机“%1”现在不接受打印任务。").arg(info.printerName()));
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
    // Each band goes to the page rows it covers, at the same scale as the
    // whole picture, and reaches one picture row into the next band, which is
    // drawn over it: where bands meet on a fraction of a device row, the row
    // is covered by the same picture row twice, so no seam shows.
    const std::vector<int> bands = printBands(picture, kPrintBandBytes);
    const int count = int(bands.size()) - 1;
    const double rowHeight = double(target.height()) / picture.height();
    for (int i = 0; i < count; ++i) {
        const int top = bands[size_t(i)];
        const int bottom = std::min(bands[size_t(i) + 1] + 1, picture.height());
        painter.drawImage(QRectF(0, top * rowHeight, target.width(), (bottom - top) * rowHeight), picture,
                          QRectF(0, top, picture.width(), bottom - top));
        if (progress && !progress(i + 1, count)) {
            // Nothing may reach the paper; a PDF that was begun goes away.
            printer->abort();
            painter.end();
            if (!pdfPath_.isEmpty())
                QFile::remove(pdfPath_);
            return fail(QStringLiteral("已取消。"));
        }
    }
    if (!painter.end())
        return fail(QStringLiteral("打印失败。"));
    if (printer->printerState() == QPrinter::Error)
        return fail(QStringLiteral("打印失败。"));
    return true;
}

}   // namespace lh
