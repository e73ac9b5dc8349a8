#include "login/PasswordFile.h"

#include "pictures/FileAccess.h"

#include <QDir>
#include <QFile>

namespace lh::login {

namespace {

constexpr char kQuote = '"';
// More than any record the program writes; a large file is never read whole.
constexpr qint64 kReadLimit = 64 * 1024;

int shiftAt(int position) { return 2 * position + 50; }

}   // namespace

std::optional<QByteArray> encodePasswordRecord(const QString& password)
{
    if (password.size() > kMaxStoredLength)
        return std::nullopt;
    QByteArray out;
    out.reserve(password.size() + 4);
    out.append(kQuote);
    for (int i = 0; i < password.size(); ++i) {
        const int shifted = password.at(i).unicode() + shiftAt(i + 1);
        if (shifted > 255)
            return std::nullopt;
        out.append(static_cast<char>(shifted));
    }
    out.append(kQuote);
    out.append("\r\n");
    return out;
}

std::optional<QByteArray> firstField(const QByteArray& content)
{
    qsizetype pos = 0;
    while (pos < content.size() && (content.at(pos) == ' ' || content.at(pos) == '\t'))
        ++pos;
    if (pos == content.size())
        return std::nullopt;
    if (content.at(pos) == kQuote) {
        const qsizetype close = content.indexOf(kQuote, pos + 1);
        if (close < 0)
            return std::nullopt;   // cut off: never read as a (shorter) password
        return content.mid(pos + 1, close - pos - 1);
    }
    qsizetype end = pos;
    while (end < content.size() && content.at(end) != ',' && content.at(end) != '\r' && content.at(end) != '\n')
        ++end;
    if (end == pos)
        return std::nullopt;
    return content.mid(pos, end - pos);
}

std::optional<QString> decodeField(const QByteArray& field)
{
    if (field.size() > kMaxStoredLength)
        return std::nullopt;
    QString out;
    out.reserve(field.size());
    for (int i = 0; i < field.size(); ++i) {
        const int code = static_cast<unsigned char>(field.at(i)) - shiftAt(i + 1);
        if (code < 0)
            return std::nullopt;
        out.append(QChar(code));
    }
    return out;
}

QString loginPart(const QString& decoded) { return decoded.left(kLoginLength); }

bool hasExactEntry(const QString& directory, const QString& name)
{
    const QDir dir(directory);
    const QStringList found =
        dir.entryList(QStringList{name}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return found.contains(name, Qt::CaseSensitive);
}

StoredPasswordRead readStoredPassword(const QString& directory)
{
    StoredPasswordRead result;
    if (!hasExactEntry(directory, kPasswordFileName)) {
        result.status = ReadStatus::Missing;
        return result;
    }
    // Only a regular file (after following links) is read, and opening never
    // waits: a FIFO or a device of that name cannot block the start.
    QFile file;
    if (!openRegularFile(file, QDir(directory).filePath(kPasswordFileName), &result.detail)) {
        result.status = ReadStatus::Unreadable;
        return result;
    }
    const QByteArray content = file.read(kReadLimit);
    if (file.error() != QFileDevice::NoError) {
        result.status = ReadStatus::Unreadable;
        result.detail = file.errorString();
        return result;
    }
    const auto field = firstField(content);
    const auto decoded = field ? decodeField(*field) : std::nullopt;
    if (!decoded) {
        result.status = ReadStatus::Damaged;
        return result;
    }
    result.status = ReadStatus::Ok;
    result.password = loginPart(*decoded);
    return result;
}

bool writePasswordFile(const QString& path, const QString& password, QString* error)
{
    const auto record = encodePasswordRecord(password);
    if (!record) {
        if (error)
            *error = QStringLiteral("password cannot be stored");
        return false;
    }
    // Written unbuffered, synced and size-checked before it replaces the old
    // file: a small record on a full disk must not pass for saved.
    return saveFileAtomically(path, *record, error);
}

}   // namespace lh::login
