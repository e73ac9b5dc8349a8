#pragma once
// Files the user names, read and written without trusting them.
//
// Writing a whole file in one atomic step: the bytes go to a temporary file
// beside the target, are written unbuffered, synced and size-checked, and only
// then replace the target. On any failure the old file stays as it was and no
// temporary file is left behind.
//
// Reading: only a regular file (after following links) is opened, and opening
// never waits, so a FIFO or a device under a file's name cannot block.

#include <QByteArray>
#include <QString>

#include <memory>

class QFile;
class QSaveFile;

namespace lh {

// Opens `path` for reading into `file` when it is a regular file. False with
// the reason otherwise (missing, not a regular file, no permission).
bool openRegularFile(QFile& file, const QString& path, QString* reason = nullptr);

// False with the reason for the user (in Chinese where the system's reason is
// a common one, e.g. "磁盘已满" for a full disk) when the file was not replaced.
bool saveFileAtomically(const QString& path, const QByteArray& bytes, QString* reason = nullptr);

// A file written in pieces that appears whole or not at all: the pieces go
// unbuffered to a temporary file beside the target, and commit() syncs it,
// checks its size and only then puts it in the target's place. A writer
// destroyed or cancelled before its commit leaves no file behind and an
// existing target as it was.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const QString& path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool open();
    // False after the first failure; later calls do nothing.
    bool write(const char* data, qint64 size);
    // True when the file holds exactly `expectedSize` bytes, is on the disk and
    // has replaced the target.
    bool commit(qint64 expectedSize);
    void cancel();
    // Why the last step failed, for the user (in Chinese where the system's
    // reason is a common one, e.g. "磁盘已满" for a full disk).
    QString reason() const { return reason_; }

private:
    bool fail(const QString& why);

    std::unique_ptr<QSaveFile> file_;
    bool failed_ = false;
    QString reason_;
};

// A system error number as a reason for the user, in Chinese.
QString systemErrorReason(int errorNumber);

// Why a file cannot be written at `path`, as its folder tells it (missing,
// not a folder, a system pseudo folder, read-only, no permission; the name
// is a folder); empty when the folder would take it.
QString writeFailureReason(const QString& path);

}   // namespace lh
