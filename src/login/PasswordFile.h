#pragma once
// The administrator password file "zrvcom.cct" in the program's directory.
//
// One record: a double quote, the password with the character at 1-based
// position i stored as code + 2*i + 50, a double quote, CR LF. The file is
// handled as bytes: byte value n stands for the character with code n
// (Latin-1), which keeps every shifted value 0..255 exactly. A password
// character therefore has to have a code below 256, and its shifted code
// has to fit one byte as well.

#include <QByteArray>
#include <QString>

#include <optional>

namespace lh::login {

inline const QString kPasswordFileName = QStringLiteral("zrvcom.cct");
// The record holds at most 31 characters; only the first 8 take part in a login.
inline constexpr int kMaxStoredLength = 31;
inline constexpr int kLoginLength = 8;

// The whole record for a password, or nothing when the record cannot hold
// it back exactly (too long, or a shifted code above 255).
std::optional<QByteArray> encodePasswordRecord(const QString& password);

// The raw bytes of the first field of a file: leading blanks skipped; a
// quoted field runs to the next double quote, an unquoted one to the first
// comma or line end. Nothing when the file holds no field (empty, blank, an
// empty first line, an unclosed quote).
std::optional<QByteArray> firstField(const QByteArray& content);

// Undoes the position shift. Nothing when the field is longer than the
// record can hold or a character decodes below code 0 (not a password file).
std::optional<QString> decodeField(const QByteArray& field);

// The password as the login compares it: its first 8 characters.
QString loginPart(const QString& decoded);

enum class ReadStatus {
    Ok,
    Missing,
    Unreadable,
    Damaged
};

struct StoredPasswordRead {
    ReadStatus status = ReadStatus::Missing;
    QString password;   // first 8 decoded characters when status is Ok
    QString detail;     // what went wrong, for the message
};

// True when the directory holds an entry named exactly `name` (letter case
// counts, also where the file system itself ignores it).
bool hasExactEntry(const QString& directory, const QString& name);

// Looks up, reads and decodes the password file of `directory`.
StoredPasswordRead readStoredPassword(const QString& directory);

// Replaces the file at `path` with the record of `password` in one step
// (temporary file, then rename): on any failure the old file stays as it was.
// False with a reason when the password cannot be stored or the write failed.
bool writePasswordFile(const QString& path, const QString& password, QString* error);

}   // namespace lh::login
