#pragma once
// The wallpaper maker's arithmetic, kept out of the window: the tiling of a
// canvas with one picture, the canvas size read from the text boxes and the
// check that a canvas fits in the machine's memory.

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace lh::tools {

// Told after every row of cells: the pixel rows painted so far and all of
// them. Returns false to stop the tiling.
using TileProgress = std::function<bool(int rowsDone, int rowsTotal)>;

// The starts of the cells along one side: 0, cell, 2*cell, ... while below
// extent (the last cell is cut at extent). Empty when extent or cell < 1.
std::vector<int> tileStarts(int extent, int cell);

// Fills the canvas with the picture stretched or shrunk to cellWidth x
// cellHeight pixels, cells in rows from the top, left to right, those of the
// last column and row cut at the canvas's edge. The picture is scaled once
// for the whole tiling. False (the canvas partly painted) when progress
// asked to stop or there was nothing to tile with.
bool TileCanvas(QImage& canvas, const QImage& picture, int cellWidth, int cellHeight,
                const TileProgress& progress = {});

// The picture as it shows in one cell.
QImage scaleToCell(const QImage& picture, int cellWidth, int cellHeight);

// A canvas picture of the given size at the screen's 96 dpi (so it prints at
// the size it shows); null when it cannot be had. Its pixels are not
// cleared: the tiling covers every one of them, and the memory of a very
// large canvas is first touched there, where its progress shows.
QImage makeCanvas(QSize size);

// Bytes a canvas of this size takes (4 per pixel), as a 64-bit count.
std::int64_t canvasBytes(QSize size);

// What a new canvas needs at most: its own bytes, and room for the canvas it
// replaces, which stays until the new one is whole.
std::int64_t canvasNeedBytes(QSize size);

// The largest number of canvas pixels the memory available allows a picture
// (pictureBytesAllowed: half of it, four bytes a pixel).
std::int64_t largestCanvasPixels(std::int64_t freeBytes);

// The largest canvas pixels that can be both held in the free memory and
// saved as a BMP file, and the side of the largest such square.
std::int64_t largestSavableCanvasPixels(std::int64_t freeBytes);
int largestSavableSquareSide(std::int64_t freeBytes);

enum class CanvasVerdict {
    Ok,
    NotANumber,
    TooSmall,
    TooLarge,          // more than the memory holds
    TooLargeToSave     // held, but larger than a BMP file can be
};

struct CanvasSizeCheck {
    CanvasVerdict verdict = CanvasVerdict::Ok;
    QSize inner;   // the canvas's inner size in pixels when Ok
};

// The canvas's outer size in twips (the value of a text box, read as a
// number: nullopt when it is not one) to its inner size in pixels (the
// border taken off each side), checked against the free memory.
CanvasSizeCheck checkCanvasSize(std::optional<double> widthTwips, std::optional<double> heightTwips, int border,
                                std::int64_t freeBytes);

// A text box's value in twips; nullopt when the text is not a number (a
// number too large for a double is infinitely large, not "no number").
std::optional<double> twipsOfText(const QString& text);

// The message that says why a canvas size was refused (empty for Ok).
QString canvasRefusal(CanvasVerdict verdict, std::int64_t freeBytes);

}   // namespace lh::tools

namespace lh::tools {

// Where a dragged canvas goes: its position at the press moved by the
// pointer's travel, kept so that at least `keep` pixels of it stay inside the
// area it lies in (a canvas larger than the window can be moved to show any
// part of it, never lost).
QPoint dragCanvasTo(QPoint startPosition, QPoint pressGlobal, QPoint nowGlobal, QSize canvas, QSize area,
                    int keep = 16);

}   // namespace lh::tools
