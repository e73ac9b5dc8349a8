#pragma once
// Printing a picture with its layout: what is printed (a picture, or a design
// drawn again at the resolution the printed size needs) and the pages drawn
// on a printer, with cut marks and the pages' places on posters.

#include "printing/PrintLayout.h"

#include <QImage>

#include <functional>

class QPagedPaintDevice;

namespace lh {
class Progress;
}

namespace lh::printing {

class PrintSource {
public:
    virtual ~PrintSource() = default;
    // The picture's size in its own pixels.
    virtual QSize size() const = 0;
    // The picture to print when each of its pixels takes `devicePixels`
    // device pixels: a design is drawn again that much larger (up to eight
    // times); a picture is as it is, scaled once when drawn.
    virtual QImage pictureFor(double devicePixels) = 0;
};

class PicturePrintSource final : public PrintSource {
public:
    explicit PicturePrintSource(QImage picture) : picture_(std::move(picture)) {}
    QSize size() const override { return picture_.size(); }
    QImage pictureFor(double) override { return picture_; }

private:
    QImage picture_;
};

// A design drawn again by the engine at a whole scale (1 to 8).
class RedrawnPrintSource final : public PrintSource {
public:
    RedrawnPrintSource(QSize size, std::function<QImage(int scale)> draw) : size_(size), draw_(std::move(draw)) {}
    QSize size() const override { return size_; }
    QImage pictureFor(double devicePixels) override;
    int lastScale() const { return lastScale_; }

private:
    QSize size_;
    std::function<QImage(int)> draw_;
    int lastScale_ = 0;
};

// Draws the laid-out pages on a printer or a PDF writer (its paper as the
// request's, without margins). Empty when every page was drawn and the device
// closed; the reason otherwise ("已取消。" when the progress was cancelled: a
// printer then sends nothing, and a printer's own PDF file is removed).
QString printPages(QPagedPaintDevice& device, PrintSource& source, const PrintRequest& request,
                   const PrintLayout& layout, Progress* progress = nullptr);

// The reason printPages gives when the device did not begin.
QString deviceRefusedReason();

}   // namespace lh::printing
