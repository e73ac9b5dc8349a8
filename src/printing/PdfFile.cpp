#include "printing/PdfFile.h"

#include "pictures/FileAccess.h"
#include "platform/Services.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QPdfWriter>

namespace lh::printing {

QString pdfFileName(const QString& given)
{
    QString name = given.trimmed();
    if (!name.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        name += QStringLiteral(".pdf");
    if (QFileInfo(name).isRelative())
        name = QDir(programDirectory()).filePath(name);
    return name;
}

// What the PDF writer writes goes straight to the atomic file.
class PdfFile::Device final : public QIODevice {
public:
    explicit Device(AtomicFileWriter& file) : file_(file) {}
    bool isSequential() const override { return true; }
    qint64 written() const { return written_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (!file_.write(data, size))
            return -1;
        written_ += size;
        return size;
    }

private:
    AtomicFileWriter& file_;
    qint64 written_ = 0;
};

PdfFile::PdfFile(const QString& path)
    : file_(std::make_unique<AtomicFileWriter>(path)), device_(std::make_unique<Device>(*file_))
{}

PdfFile::~PdfFile()
{
    writer_.reset();
    cancel();
}

bool PdfFile::open(QString* why)
{
    if (!file_->open() || !device_->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (why)
            *why = file_->reason();
        return false;
    }
    writer_ = std::make_unique<QPdfWriter>(device_.get());
    writer_->setResolution(1200);
    writer_->setCreator(QStringLiteral("蓝禾艺术照片设计"));
    writer_->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    return true;
}

QPdfWriter& PdfFile::writer() { return *writer_; }

bool PdfFile::commit(QString* why)
{
    const qint64 size = device_->written();
    device_->close();
    if (size > 0 && file_->commit(size))
        return true;
    if (why)
        *why = file_->reason().isEmpty() ? QStringLiteral("PDF 文件没有写出内容") : file_->reason();
    file_->cancel();
    return false;
}

void PdfFile::cancel()
{
    if (device_->isOpen())
        device_->close();
    file_->cancel();
}

}   // namespace lh::printing
