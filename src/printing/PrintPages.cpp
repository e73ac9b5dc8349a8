#include "printing/PrintPages.h"

#include "platform/Services.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace lh::printing {

QImage RedrawnPrintSource::pictureFor(double devicePixels)
{
    lastScale_ = std::clamp(int(std::ceil(devicePixels - 1e-6)), 1, 8);
    QImage picture = draw_(lastScale_);
    if (picture.isNull() && lastScale_ > 1) {
        lastScale_ = 1;   // not enough memory for the larger one
        picture = draw_(1);
    }
    return picture;
}

QString deviceRefusedReason() { return QStringLiteral("打印机没有接受这个打印任务。"); }

QString printPages(QPagedPaintDevice& device, PrintSource& source, const PrintRequest& request,
                   const PrintLayout& layout, Progress* progress)
{
    if (!layout.error.isEmpty())
        return layout.error;
    auto* printer = dynamic_cast<QPrinter*>(&device);
    auto* pdf = dynamic_cast<QPdfWriter*>(&device);
    if (printer)
        printer->setFullPage(true);
    const int dpi = printer ? printer->resolution() : pdf ? pdf->resolution() : device.logicalDpiX();
    const double dotsPerMm = dpi / 25.4;
    const double devicePixels = layout.printedMm.width() * dotsPerMm / source.size().width();
    const QImage picture = source.pictureFor(devicePixels);
    if (picture.isNull())
        return QStringLiteral("内存不足，画不出要打印的图像。");
    const double pictureScale = double(picture.width()) / source.size().width();

    QPainter painter;
    if (!painter.begin(&device))
        return deviceRefusedReason();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    auto dev = [dotsPerMm](const QRectF& mm) {
        return QRectF(mm.x() * dotsPerMm, mm.y() * dotsPerMm, mm.width() * dotsPerMm, mm.height() * dotsPerMm);
    };
    QFont labelFont(QStringLiteral("Noto Sans CJK SC"));
    labelFont.setPixelSize(std::max(8, int(std::lround(3 * dotsPerMm))));
    for (std::size_t i = 0; i < layout.pages.size(); ++i) {
        if (progress && progress->cancelled()) {
            // Nothing may reach the paper; a printer's PDF that was begun goes away.
            if (printer)
                printer->abort();
            painter.end();
            if (printer && printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty())
                QFile::remove(printer->outputFileName());
            return QStringLiteral("已取消。");
        }
        const PagePart& part = layout.pages[i];
        if (i > 0 && !device.newPage()) {
            painter.end();
            return QStringLiteral("打印机没有接受新的一页。");
        }
        const QRectF source(part.source.x() * pictureScale, part.source.y() * pictureScale,
                            part.source.width() * pictureScale, part.source.height() * pictureScale);
        painter.drawImage(dev(part.target), picture, source);
        if (layout.pages.size() > 1) {
            painter.setPen(QPen(Qt::black, std::max(1.0, 0.1 * dotsPerMm)));
            for (const QLineF& mark : cutMarks(part, request))
                painter.drawLine(QLineF(mark.p1() * dotsPerMm, mark.p2() * dotsPerMm));
            painter.setFont(labelFont);
            const double textMm = painter.fontMetrics().horizontalAdvance(part.label) / dotsPerMm;
            painter.drawText(dev(labelArea(part, request, textMm)), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                             part.label);
        }
        if (progress)
            progress->setValue(int(i + 1));
    }
    if (!painter.end())
        return QStringLiteral("打印机没有完成这个打印任务。");
    return {};
}

}   // namespace lh::printing
