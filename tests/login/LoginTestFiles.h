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
    explicit ImmutableDirectory(const QString& path) : m_path(QFile::encodeName(path))
    {
        const int fd = ::open(m_path.constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) {
            m_reason = QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            m_active = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        if (!m_active)
            m_reason = QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
    }
    ~ImmutableDirectory() { release(); }
    ImmutableDirectory(const ImmutableDirectory&) = delete;
    ImmutableDirectory& operator=(const ImmutableDirectory&) = delete;

    bool active() const { return m_active; }
    QString reason() const { return m_reason; }
    void release()
    {
        if (!m_active)
            return;
        const int fd = ::open(m_path.constData(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0) {
            int flags = 0;
            if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
            }
            ::close(fd);
        }
        m_active = false;
    }

private:
    QByteArray m_path;
    bool m_active = false;
    QString m_reason;
};

} // namespace lh::test
