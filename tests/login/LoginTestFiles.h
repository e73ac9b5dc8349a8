#pragma once
// Small file helpers for the login tests.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lh::test {

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Marks a folder immutable (chattr +i) so that no file can be created or
// renamed in it, even by root, for whom permission bits stop nothing.
class ImmutableDirectory {
public:
    explicit ImmutableDirectory(const QString& path) : path_(QFile::encodeName(path))
    {
        const int fd = ::open(path_.constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) {
            reason_ = QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            active_ = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        if (!active_)
            reason_ = QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
    }
    ~ImmutableDirectory() { release(); }
    ImmutableDirectory(const ImmutableDirectory&) = delete;
    ImmutableDirectory& operator=(const ImmutableDirectory&) = delete;

    bool active() const { return active_; }
    QString reason() const { return reason_; }
    void release()
    {
        if (!active_)
            return;
        const int fd = ::open(path_.constData(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0) {
            int flags = 0;
            if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
            }
            ::close(fd);
        }
        active_ = false;
    }

private:
    QByteArray path_;
    bool active_ = false;
    QString reason_;
};

}   // namespace lh::test
