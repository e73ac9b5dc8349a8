#pragma once
// A completely full disk for tests: a small tmpfs mounted on a folder and
// filled to the last byte. The guard unmounts it when it goes out of scope,
// so a failing assertion between mount and unmount never leaves it mounted.
// Mounting needs root; where it is refused, reason() says why. With it, a
// file's bytes written and read back whole.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lh::test {

// The file's bytes; empty when it cannot be read.
inline QByteArray readFileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

class FullTmpfs {
public:
    explicit FullTmpfs(const QString& mountPoint, const char* size = "200k") : path_(QFile::encodeName(mountPoint))
    {
        if (::geteuid() != 0) {
            reason_ = QStringLiteral("mounting a tmpfs needs root");
            return;
        }
        const QByteArray options = QByteArray("size=") + size;
        if (::mount("tmpfs", path_.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) != 0) {
            reason_ = QStringLiteral("mount tmpfs: ") + QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        mounted_ = true;
    }
    ~FullTmpfs() { unmount(); }
    FullTmpfs(const FullTmpfs&) = delete;
    FullTmpfs& operator=(const FullTmpfs&) = delete;

    bool mounted() const { return mounted_; }
    QString reason() const { return reason_; }

    // Writes a filler file until the file system has no byte left. True when
    // the disk ended up full (the last write failed with ENOSPC).
    bool fill()
    {
        const QByteArray filler = path_ + "/filler";
        const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0)
            return false;
        static const char block[4096] = {};
        int lastErrno = 0;
        for (size_t chunk : {sizeof block, size_t(1)}) {
            for (;;) {
                const ssize_t n = ::write(fd, block, chunk);
                if (n < 0) {
                    lastErrno = errno;
                    if (lastErrno == EINTR)
                        continue;
                    break;
                }
            }
        }
        ::close(fd);
        return lastErrno == ENOSPC;
    }

    // Mounts it again read-only: nothing can be written there any more.
    bool makeReadOnly()
    {
        return mounted_
               && ::mount("tmpfs", path_.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, "") == 0;
    }

    void unmount()
    {
        if (!mounted_)
            return;
        // Lazy: a file still open in the test cannot keep the mount alive.
        ::umount2(path_.constData(), MNT_DETACH);
        mounted_ = false;
    }

private:
    QByteArray path_;
    bool mounted_ = false;
    QString reason_;
};

}   // namespace lh::test
