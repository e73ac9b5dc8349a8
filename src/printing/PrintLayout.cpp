#include "printing/PrintLayout.h"

#include <QLineF>

#include <algorithm>
#include <cmath>

namespace lh::printing {

namespace {

PrintLayout refused(const QString& why)
{
    PrintLayout l;
    l.error = why;
    return l;
}

}   // namespace

PrintLayout layoutPrint(QSize picture, const PrintRequest& r)
{
    if (picture.isEmpty())
        return refused(QStringLiteral("没有可打印的图像。"));
    const double areaW = r.paperMm.width() - 2 * r.marginMm;
    const double areaH = r.paperMm.height() - 2 * r.marginMm;
    if (areaW <= 1 || areaH <= 1)
        return refused(QStringLiteral("边距太大，纸上没有地方打印。"));
    const int across = std::clamp(r.pagesAcross, 1, kMaxPagesAcross);
    const double overlap = across > 1 ? std::clamp(r.overlapMm, 0.0, std::min(areaW, areaH) / 2) : 0.0;
    const double aspect = double(picture.height()) / picture.width();

    // The whole picture's printed width.
    double width = 0;
    if (r.widthCm) {
        width = *r.widthCm * 10;
        if (!(width > 0))
            return refused(QStringLiteral("打印宽度须大于 0。"));
    } else if (across == 1) {
        width = std::min(areaW, areaH / aspect);
    } else {
        width = across * areaW - (across - 1) * overlap;
    }
    const double height = width * aspect;
    // One page's part: the width each page across shows.
    const double partW = (width + (across - 1) * overlap) / across;
    if (partW > areaW + 1e-9 && across == 1)
        return refused(QStringLiteral("%1 厘米宽放不进一页纸的边距之内（最多 %2 × %3 厘米）。")
                           .arg(width / 10, 0, 'f', 1)
                           .arg(areaW / 10, 0, 'f', 1)
                           .arg(areaH / 10, 0, 'f', 1));
    if (partW > areaW + 1e-9)
        return refused(QStringLiteral("%1 厘米宽放不进 %2 页纸的边距之内（每页最多 %3 厘米）。")
                           .arg(width / 10, 0, 'f', 1)
                           .arg(across)
                           .arg(areaW / 10, 0, 'f', 1));
    int rows = 1;
    if (height > areaH + 1e-9) {
        if (across == 1)
            return refused(QStringLiteral("%1 厘米宽放不进一页纸的边距之内（最多 %2 × %3 厘米）。")
                               .arg(width / 10, 0, 'f', 1)
                               .arg(areaW / 10, 0, 'f', 1)
                               .arg(areaH / 10, 0, 'f', 1));
        // Counted before anything is laid out: a long picture can ask for
        // millions of pages.
        const double down = std::ceil((height - overlap) / (areaH - overlap) - 1e-9);
        if (down * across > kMaxPrintPages)
            return refused(QStringLiteral("这张海报要 %1 页，最多只能打印 %2 页。请减少横向页数或打印宽度。")
                               .arg(QString::number(std::min(down * across, 1e15), 'f', 0))
                               .arg(kMaxPrintPages));
        rows = int(down);
    }

    PrintLayout l;
    l.printedMm = QSizeF(width, height);
    l.rows = rows;
    l.columns = across;
    const double pxPerMm = picture.width() / width;
    const int total = rows * across;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < across; ++column) {
            const double x0 = column * (partW - overlap);
            const double y0 = rows == 1 ? 0 : row * (areaH - overlap);
            const double w = std::min(partW, width - x0);
            const double h = std::min(rows == 1 ? height : areaH, height - y0);
            PagePart part;
            part.row = row;
            part.column = column;
            part.source = QRectF(x0 * pxPerMm, y0 * pxPerMm, w * pxPerMm, h * pxPerMm);
            QPointF at(r.marginMm, r.marginMm);
            if (total == 1 && r.centred)
                at = QPointF((r.paperMm.width() - w) / 2, (r.paperMm.height() - h) / 2);
            part.target = QRectF(at, QSizeF(w, h));
            if (total > 1)
                part.label = QStringLiteral("%1/%2, 行 %3 列 %4").arg(row * across + column + 1).arg(total).arg(row + 1).arg(column + 1);
            l.pages.push_back(part);
        }
    }
    return l;
}

std::vector<QLineF> cutMarks(const PagePart& part, const PrintRequest& request)
{
    // Short lines in the margin, in line with each edge of the part, stopping
    // a millimetre before it.
    const double length = std::max(0.0, std::min(request.marginMm - 2, 6.0));
    std::vector<QLineF> marks;
    if (length <= 0)
        return marks;
    const QRectF t = part.target;
    for (const double x : {t.left(), t.right()}) {
        marks.emplace_back(x, t.top() - 1, x, t.top() - 1 - length);
        marks.emplace_back(x, t.bottom() + 1, x, t.bottom() + 1 + length);
    }
    for (const double y : {t.top(), t.bottom()}) {
        marks.emplace_back(t.left() - 1, y, t.left() - 1 - length, y);
        marks.emplace_back(t.right() + 1, y, t.right() + 1 + length, y);
    }
    return marks;
}

QRectF labelArea(const PagePart& part, const PrintRequest& request, double textWidthMm)
{
    // The lower cut marks stand in line with the part's left and right
    // edges; the text keeps two millimetres from them.
    const QRectF t = part.target;
    const double clearance = 2;
    double left = t.left() + clearance;
    if (left + textWidthMm > t.right() - clearance
        && t.right() + clearance + textWidthMm <= request.paperMm.width())
        left = t.right() + clearance;
    return QRectF(left, request.paperMm.height() - request.marginMm + 1, textWidthMm,
                  std::max(0.0, request.marginMm - 2));
}

}   // namespace lh::printing
