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

bool saveFileAtomically(const QString& path, const QByteArray& bytes, QString* reason)
{
    auto fail = [&](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    // Unbuffered: no byte waits in a buffer for the commit, whose late write
    // failure would otherwise go unnoticed.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(file.errorString());

    const int fd = file.handle();
    const char* data = bytes.constData();
    const qint64 size = bytes.size();
    qint64 done = 0;
    int error = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size_t(size - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        if (n == 0) {
            error = ENOSPC;
            break;
        }
        done += n;
    }
    // Some file systems report a lack of space or a device error only here.
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    struct stat written {};
    if (error == 0 && ::fstat(fd, &written) != 0)
        error = errno;
    if (error != 0) {
        file.cancelWriting();
        return fail(systemErrorReason(error));
    }
    if (written.st_size != size) {
        file.cancelWriting();
        return fail(QStringLiteral("写入的文件不完整（%1 / %2 字节）").arg(qint64(written.st_size)).arg(size));
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

}   // namespace lh
