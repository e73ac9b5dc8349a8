#pragma once
// Prints a picture on the default printer, or into a PDF file.

#include "platform/Services.h"

#include <QRect>
#include <QSizeF>

namespace lh {

// The size, in device pixels of a page of the given resolution, that shows
// the picture at its own physical size (96 dpi when it carries none).
QSize physicalTargetSize(const QImage& picture, int deviceDpiX, int deviceDpiY);

class QtPicturePrinter : public PicturePrinter {
public:
    // Empty pdfPath: the system's default printer. Otherwise every print
    // replaces that PDF file with one page (pictures stored losslessly).
    explicit QtPicturePrinter(QString pdfPath = {});

    bool printPicture(const QImage& picture, QString* error) override;

private:
    QString pdfPath_;
};

}   // namespace lh
