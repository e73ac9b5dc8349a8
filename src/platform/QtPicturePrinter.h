#pragma once
// Prints a picture on the default printer, or into a PDF file; the system's
// printers for the print layout.

#include "platform/Services.h"

#include <QRect>
#include <QSizeF>

#include <vector>

namespace lh {

// The size, in device pixels of a page of the given resolution, that shows
// the picture at its own physical size (96 dpi when it carries none).
QSize physicalTargetSize(const QImage& picture, int deviceDpiX, int deviceDpiY);

// The picture's rows cut into bands of about `bandBytes` each, as the start
// row of every band and the picture's height at the end: a large picture goes
// to the printer a band at a time, so a long print can show its progress and
// be cancelled between bands. One band for a small picture.
std::vector<int> printBands(const QImage& picture, qint64 bandBytes);

// False only when the print system's `lpstat -a` (or the program given)
// says the printer's queue does not accept jobs: a printer can be idle and
// still refuse every job. True where there is no such program or it does not
// answer within three seconds (the job then tries).
bool printQueueAcceptsJobs(const QString& printer, const QString& lpstat = {});

class QtPicturePrinter : public PicturePrinter {
public:
    // Empty pdfPath: the system's default printer. Otherwise every print
    // replaces that PDF file with one page (pictures stored losslessly).
    explicit QtPicturePrinter(QString pdfPath = {});

    bool printPicture(const QImage& picture, QString* error, const Progress& progress = {}) override;
    // The system's printers as Qt's printer support lists them.
    QStringList printerNames() const override;
    QList<QPageSize> paperSizes(const QString& printer) const override;
    // Refused when the printer is gone, in an error state, or (as the print
    // system's `lpstat -a` tells) not accepting jobs.
    std::unique_ptr<QPrinter> openJob(const QString& printer, QString* why) override;

private:
    QString pdfPath_;
};

}   // namespace lh
