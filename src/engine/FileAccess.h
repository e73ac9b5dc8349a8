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

class QFile;

namespace lh {

// Opens `path` for reading into `file` when it is a regular file. False with
// the reason otherwise (missing, not a regular file, no permission).
bool openRegularFile(QFile& file, const QString& path, QString* reason = nullptr);

// False with the reason for the user (in Chinese where the system's reason is
// a common one, e.g. "磁盘已满" for a full disk) when the file was not replaced.
bool saveFileAtomically(const QString& path, const QByteArray& bytes, QString* reason = nullptr);

// A system error number as a reason for the user.
QString systemErrorReason(int errorNumber);

}   // namespace lh
