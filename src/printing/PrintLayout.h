#pragma once
// Where a picture goes on paper: printed at a chosen width (or as large as
// the margins allow), centred or at the top-left margin, on one page or as a
// poster over several pages across and as many down as its proportions need,
// each page's part overlapping the next by a few millimetres, with cut marks
// in the margins and the page's place written in a corner. Plain geometry in
// millimetres and picture pixels; nothing here draws.

#include <QLineF>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <optional>
#include <vector>

namespace lh::printing {

struct PrintRequest {
    QSizeF paperMm;                     // the page as it lies (orientation applied)
    double marginMm = 10;
    std::optional<double> widthCm;      // empty: "适合纸张", the largest inside the margins
    bool centred = true;                // or at the top-left margin
    int pagesAcross = 1;                // a poster when more than one
    double overlapMm = 5;               // of neighbouring pages' parts
};

struct PagePart {
    int row = 0, column = 0;   // from 0
    QRectF source;             // the part of the picture, in its pixels
    QRectF target;             // where it lies on the page, in millimetres
    QString label;             // "2/4, 行 1 列 2"; empty on a single page
};

struct PrintLayout {
    QString error;                  // why it cannot be printed; empty when it can
    QSizeF printedMm;               // the whole picture as printed
    int rows = 0, columns = 0;
    std::vector<PagePart> pages;    // row by row
};

// The largest poster: 400 pages (20 across and 20 down, say), at most 20
// across. A layout of more pages is refused before any page is laid out.
inline constexpr int kMaxPrintPages = 400;
// From this many pages on the dialog asks before printing.
inline constexpr int kAskFromPages = 21;
inline constexpr int kMaxPagesAcross = 20;

PrintLayout layoutPrint(QSize picture, const PrintRequest& request);

// Thin cut marks in the margins of a page, at the corners of the part:
// lines in millimetres, each a pair of points.
std::vector<QLineF> cutMarks(const PagePart& part, const PrintRequest& request);

// Where a page's place ("1/4, 行 1 列 1", `textWidthMm` wide) is written, in
// millimetres: in the bottom margin, clear of the cut marks (between the
// part's two lower marks, or right of them where the part is too narrow).
QRectF labelArea(const PagePart& part, const PrintRequest& request, double textWidthMm);

}   // namespace lh::printing
