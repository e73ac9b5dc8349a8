#include "engine/FileAccess.h"

#include <QFile>
#include <QSaveFile>

#include <fcntl.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lh {

QString systemErrorReason(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC: return QStringLiteral("磁盘已满");
    case EDQUOT: return QStringLiteral("超出磁盘配额");
    case EACCES:
    case EPERM: return QStringLiteral("没有权限");
    case EROFS: return QStringLiteral("文件系统只读");
    case EIO: return QStringLiteral("磁盘读写出错");
    case EFBIG: return QStringLiteral("文件太大");
    default: return QString::fromLocal8Bit(std::strerror(errorNumber));
    }
}

bool openRegularFile(QFile& file, const QString& path, QString* reason)
{
    auto fail = [&](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(errno == ENOENT ? QStringLiteral("文件不存在") : systemErrorReason(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail(QStringLiteral("不是普通文件"));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return fail(file.errorString());
    return true;
}

AtomicFileWriter::AtomicFileWriter(const QString& path) : file_(std::make_unique<QSaveFile>(path)) {}

AtomicFileWriter::~AtomicFileWriter() { cancel(); }

bool AtomicFileWriter::fail(const QString& why)
{
    cancel();
    failed_ = true;
    reason_ = why;
    return false;
}

bool AtomicFileWriter::open()
{
    // Unbuffered: no byte waits in a buffer for the commit, whose late write
    // failure would otherwise go unnoticed.
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(file_->errorString());
    return true;
}

bool AtomicFileWriter::write(const char* data, qint64 size)
{
    if (failed_ || !file_->isOpen())
        return fail(reason_.isEmpty() ? QStringLiteral("文件没有打开") : reason_);
    const int fd = file_->handle();
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size_t(size - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(systemErrorReason(errno));
        }
        if (n == 0)
            return fail(systemErrorReason(ENOSPC));
        done += n;
    }
    return true;
}

bool AtomicFileWriter::commit(qint64 expectedSize)
{
    if (failed_ || !file_->isOpen())
        return fail(reason_.isEmpty() ? QStringLiteral("文件没有打开") : reason_);
    const int fd = file_->handle();
    // Some file systems report a lack of space or a device error only here.
    if (::fsync(fd) != 0)
        return fail(systemErrorReason(errno));
    struct stat written {};
    if (::fstat(fd, &written) != 0)
        return fail(systemErrorReason(errno));
    if (written.st_size != expectedSize)
        return fail(QStringLiteral("写入的文件不完整（%1 / %2 字节）").arg(qint64(written.st_size)).arg(expectedSize));
    if (!file_->commit()) {
        failed_ = true;
        reason_ = file_->errorString();
        return false;
    }
    return true;
}

void AtomicFileWriter::cancel()
{
    if (!file_->isOpen())
        return;
    file_->cancelWriting();
    file_->commit();   // with writing cancelled this only removes the temporary file
}

bool saveFileAtomically(const QString& path, const QByteArray& bytes, QString* reason)
{
    AtomicFileWriter writer(path);
    if (writer.open() && writer.write(bytes.constData(), bytes.size()) && writer.commit(bytes.size()))
        return true;
    if (reason)
        *reason = writer.reason();
    return false;
}

}   // namespace lh
