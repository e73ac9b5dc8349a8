#include "pictures/FileAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/vfs.h>
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
    case ENOENT: return QStringLiteral("文件或文件夹不存在");
    case ENOTDIR: return QStringLiteral("路径中有一部分不是文件夹");
    case EISDIR: return QStringLiteral("这是一个文件夹");
    case ENAMETOOLONG: return QStringLiteral("文件名太长");
    case EEXIST: return QStringLiteral("文件已经存在");
    case ELOOP: return QStringLiteral("符号链接太多");
    case EMFILE:
    case ENFILE: return QStringLiteral("打开的文件太多");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("文件正在使用");
    case ENXIO:
    case ENODEV: return QStringLiteral("没有这个设备");
    case EINVAL: return QStringLiteral("文件名或位置无效");
    case EAGAIN: return QStringLiteral("暂时不能使用，请再试一次");
    case ENOMEM: return QStringLiteral("内存不足");
    case EXDEV: return QStringLiteral("不能跨文件系统移动文件");
    default: return QStringLiteral("系统错误（代码 %1）").arg(errorNumber);
    }
}

QString writeFailureReason(const QString& path)
{
    const QFileInfo target(path);
    if (target.isDir())
        return systemErrorReason(EISDIR);
    const QString folder = target.absolutePath();
    const QByteArray native = QFile::encodeName(folder);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0)
        return errno == ENOENT ? QStringLiteral("文件夹不存在：%1").arg(folder) : systemErrorReason(errno);
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("不是文件夹：%1").arg(folder);
    struct statfs fs {};
    if (::statfs(native.constData(), &fs) == 0) {
        switch (static_cast<unsigned long>(fs.f_type)) {
        case 0x9fa0:       // proc
        case 0x62656572:   // sysfs
        case 0x64626720:   // debugfs
        case 0x27e0eb:     // cgroup
        case 0x63677270:   // cgroup2
            return QStringLiteral("这是系统的虚拟文件夹，不能保存文件：%1").arg(folder);
        default: break;
        }
    }
    struct statvfs vfs {};
    if (::statvfs(native.constData(), &vfs) == 0 && (vfs.f_flag & ST_RDONLY))
        return systemErrorReason(EROFS);
    if (::access(native.constData(), W_OK) != 0)
        return systemErrorReason(errno);
    return {};
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
        return fail(systemErrorReason(errno));
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
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const int openErrno = errno;
        // Why, as the folder tells it, rather than the temporary file's error.
        const QString why = writeFailureReason(file_->fileName());
        return fail(why.isEmpty() ? systemErrorReason(openErrno) : why);
    }
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
        const int commitErrno = errno;
        failed_ = true;
        const QString why = writeFailureReason(file_->fileName());
        reason_ = why.isEmpty() ? systemErrorReason(commitErrno) : why;
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
