#pragma once
// A PDF file written the way every save is written: the pages go into a
// temporary file beside the target, unbuffered, and only a whole, synced file
// takes the target's place. A full disk, a read-only folder or a cancelled
// print leaves an existing file of that name as it was and nothing else.

#include <QString>

#include <memory>

class QPdfWriter;

namespace lh {
class AtomicFileWriter;
}

namespace lh::printing {

// The name a PDF is written under, from the name the user gave: trimmed, with
// ".pdf" added when it has no such suffix, a relative one taken in the
// program folder.
QString pdfFileName(const QString& given);

class PdfFile {
public:
    explicit PdfFile(const QString& path);
    ~PdfFile();
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    // False with the reason when no file can be written there.
    bool open(QString* why);
    // The pages are drawn on this (1200 dots per inch), between open and commit.
    QPdfWriter& writer();
    // After the painter has ended: true when the whole file is in place.
    bool commit(QString* why);
    // Nothing is written; an existing file of the name stays.
    void cancel();

private:
    class Device;
    std::unique_ptr<AtomicFileWriter> file_;
    std::unique_ptr<Device> device_;
    std::unique_ptr<QPdfWriter> writer_;
};

}   // namespace lh::printing
