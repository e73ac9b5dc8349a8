#include "gallery/GalleryStore.h"

#include "design/DesignCodec.h"
#include "pictures/FileAccess.h"
#include "pictures/PngEncoder.h"
#include "scene/SceneCodec.h"

#include <QBuffer>
#include <QtConcurrent/QtConcurrentRun>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QUrl>
#include <QTemporaryFile>
#include <QUuid>
#include <QVariant>

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace lh::gallery {

namespace {

const char* const kTables[] = {
    "CREATE TABLE photos (id INTEGER PRIMARY KEY, hash BLOB NOT NULL UNIQUE, picture BLOB NOT NULL)",
    "CREATE TABLE designs (id INTEGER PRIMARY KEY, category INTEGER NOT NULL, kept_at INTEGER NOT NULL, "
    "record BLOB NOT NULL, scene BLOB NOT NULL, photo_id INTEGER REFERENCES photos(id), "
    "thumbnail BLOB NOT NULL, hash BLOB NOT NULL UNIQUE)",
    "CREATE INDEX designs_newest ON designs (kept_at DESC, id DESC)",
    "CREATE INDEX designs_category ON designs (category, kept_at DESC, id DESC)",
};

// How long a statement waits for another program's lock: a keep or the
// start waits at most this long on the window's thread.
constexpr int kLockWaitMs = 1000;
// Less room than this on the gallery's disk is a full disk: the log and its
// index need more.
constexpr qint64 kRoomToOpen = 256 * 1024;

// What a design file may hold: what the program writes, with room to spare.
// Photos are at most the photo slots' size; thumbnails the gallery's.
constexpr QSize kPhotoBound{1024, 1024};
constexpr int kThumbnailPixels = 160;
constexpr qint64 kMostDesignsInFile = 10'000'000;
constexpr qint64 kLargestRecordBytes = 64 << 20;   // a background picture at most the largest export
constexpr qint64 kLargestSceneBytes = 16 << 20;
constexpr qint64 kLargestThumbnailBytes = 1 << 20;
constexpr qint64 kLargestPhotoBytes = 16 << 20;
// A thumbnail larger than the gallery's is read scaled down up to this side;
// a larger one is not read at all.
constexpr int kLargestScaledThumbnail = 4096;
// The longest an import reads a design file.
constexpr std::chrono::minutes kLongestImport{10};
// The longest the start checks the gallery's pages.
constexpr std::chrono::milliseconds kLongestStartCheck{2000};

}   // namespace

// A connection of its own to a database file. `waitMs`: how long a statement
// waits for another program's lock before it fails.
class GalleryConnection {
public:
    enum class Mode { ReadWrite, ReadOnly, Immutable };

    explicit GalleryConnection(const QString& file, Mode mode = Mode::ReadWrite, int waitMs = kLockWaitMs)
        : name_(QStringLiteral("lh-gallery-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(waitMs);
        if (mode == Mode::Immutable) {
            // A file on read-only media, read as it is: no lock, no log.
            db.setDatabaseName(QString::fromLatin1(QUrl::fromLocalFile(file).toEncoded()) + QStringLiteral("?immutable=1"));
            options += QStringLiteral(";QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI");
        } else {
            db.setDatabaseName(file);
            if (mode == Mode::ReadOnly)
                options += QStringLiteral(";QSQLITE_OPEN_READONLY");
        }
        db.setConnectOptions(options);
        opened_ = db.open();
        if (!opened_)
            error_ = db.lastError();
    }
    ~GalleryConnection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(name_, false);
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }
    GalleryConnection(const GalleryConnection&) = delete;
    GalleryConnection& operator=(const GalleryConnection&) = delete;

    bool opened() const { return opened_; }
    const QSqlError& error() const { return error_; }
    QSqlDatabase db() const { return QSqlDatabase::database(name_, false); }
    const QString& name() const { return name_; }

private:
    QString name_;
    bool opened_ = false;
    QSqlError error_;
};

namespace {

using Connection = GalleryConnection;

// SQLite's primary result code of a failed statement (0: none known).
int codeOf(const QSqlError& e)
{
    bool ok = false;
    const int code = e.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xFF) : 0;
}

// The file is not a database or its pages do not hold together: damage.
// Everything else (locked, read-only, full, no room for the log) says
// nothing about the file.
bool isDamage(int code) { return code == SQLITE_CORRUPT || code == SQLITE_NOTADB; }

// Why a statement failed, in words for the user; SQLite's own text stays out.
QString reasonOf(const QSqlError& e)
{
    switch (codeOf(e)) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return QStringLiteral("收藏夹正被别的程序占用");
    case SQLITE_READONLY: return QStringLiteral("文件所在的位置只能读，不能写");
    case SQLITE_CANTOPEN: return QStringLiteral("打不开文件（文件夹不存在、只能读或没有权限，或者磁盘已满）");
    case SQLITE_PERM:
    case SQLITE_AUTH: return QStringLiteral("没有权限");
    case SQLITE_FULL: return QStringLiteral("磁盘已满");
    case SQLITE_IOERR: return QStringLiteral("读写磁盘时出错");
    case SQLITE_NOMEM: return QStringLiteral("内存不够");
    case SQLITE_CORRUPT: return QStringLiteral("数据库的内容已损坏");
    case SQLITE_NOTADB: return QStringLiteral("它不是数据库文件");
    case SQLITE_INTERRUPT: return QStringLiteral("读得太久，已停下");
    case SQLITE_TOOBIG: return QStringLiteral("数据太大");
    default: return QStringLiteral("数据库出错（错误码 %1）").arg(e.nativeErrorCode());
    }
}

// Runs one statement; false with the reason on failure.
bool run(const QSqlDatabase& db, const QString& sql, QSqlError* why = nullptr)
{
    QSqlQuery q(db);
    if (q.exec(sql))
        return true;
    if (why)
        *why = q.lastError();
    return false;
}

std::optional<qint64> pragma(const QSqlDatabase& db, const char* name, QSqlError* why)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA %1").arg(QLatin1String(name))) || !q.next()) {
        if (why)
            *why = q.lastError();
        return std::nullopt;
    }
    return q.value(0).toLongLong();
}

bool createTables(const QSqlDatabase& db, QSqlError* why)
{
    if (!run(db, QStringLiteral("BEGIN IMMEDIATE"), why))
        return false;
    for (const char* sql : kTables)
        if (!run(db, QString::fromLatin1(sql), why)) {
            run(db, QStringLiteral("ROLLBACK"));
            return false;
        }
    if (!run(db, QStringLiteral("PRAGMA user_version = %1").arg(kGalleryFormatVersion), why)
        || !run(db, QStringLiteral("PRAGMA application_id = %1").arg(kGalleryApplicationId), why)
        || !run(db, QStringLiteral("COMMIT"), why)) {
        run(db, QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

enum class Kind {
    Empty,         // a new database: no tables yet
    Ours,          // a gallery this program reads
    Later,         // a gallery of a later version
    Foreign,       // another program's database
    Strange,       // marked as ours, but with tables, views or triggers that are not
    Damaged,       // not a database, or its pages do not hold together
    Unavailable    // cannot be read now (locked, no room, no permission): says nothing of the file
};

struct Check {
    Kind kind = Kind::Damaged;
    qint64 version = 0;
    QString why;
};

Check failedCheck(const QSqlError& e)
{
    Check c;
    c.kind = isDamage(codeOf(e)) ? Kind::Damaged : Kind::Unavailable;
    c.why = reasonOf(e);
    return c;
}

// Whether the database's objects are exactly the gallery's: its two tables
// with their columns, their indexes, and nothing else (no view, trigger or
// other table that a query of ours could run into). Read from sqlite_master
// alone, before any query of the data.
std::optional<bool> schemaIsOurs(const QSqlDatabase& db, QSqlError* why)
{
    struct Entry {
        QString type, name, table, sql;
        bool operator==(const Entry&) const = default;
    };
    std::vector<Entry> expected;
    for (const char* sql : kTables) {
        // "CREATE TABLE name (…" and "CREATE INDEX name ON table (…".
        const QString text = QString::fromLatin1(sql);
        const QStringList words = text.split(u' ');
        const bool table = words.value(1) == QLatin1String("TABLE");
        expected.push_back({table ? QStringLiteral("table") : QStringLiteral("index"), words.value(2),
                            words.value(table ? 2 : 4), text});
    }
    // The indexes SQLite makes itself for the UNIQUE columns.
    expected.push_back({QStringLiteral("index"), QStringLiteral("sqlite_autoindex_photos_1"), QStringLiteral("photos"), {}});
    expected.push_back({QStringLiteral("index"), QStringLiteral("sqlite_autoindex_designs_1"), QStringLiteral("designs"), {}});

    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master"))) {
        *why = q.lastError();
        return std::nullopt;
    }
    std::vector<Entry> found;
    while (q.next()) {
        if (found.size() > expected.size())
            return false;   // more objects than a gallery has; no need to read on
        found.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                         q.value(3).isNull() ? QString() : q.value(3).toString()});
    }
    if (q.lastError().isValid()) {
        *why = q.lastError();
        return std::nullopt;
    }
    if (found.size() != expected.size())
        return false;
    for (const Entry& e : expected)
        if (std::find(found.begin(), found.end(), e) == found.end())
            return false;
    return true;
}

// Stops every statement on a connection that runs past a deadline or is
// cancelled, while it lives: a design file cannot hold the program longer.
class ReadBound {
public:
    ReadBound(const QSqlDatabase& db, std::chrono::milliseconds most, const std::atomic<bool>* cancel = nullptr)
        : handle_(handleOf(db)), deadline_(std::chrono::steady_clock::now() + most), cancel_(cancel)
    {
        if (handle_)
            sqlite3_progress_handler(handle_, 1000, &ReadBound::stop, this);
    }
    ~ReadBound()
    {
        if (handle_)
            sqlite3_progress_handler(handle_, 0, nullptr, nullptr);
    }
    ReadBound(const ReadBound&) = delete;
    ReadBound& operator=(const ReadBound&) = delete;

    bool cancelled() const { return cancel_ && cancel_->load(); }
    bool late() const { return std::chrono::steady_clock::now() > deadline_; }

private:
    static sqlite3* handleOf(const QSqlDatabase& db)
    {
        const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
        if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
            return nullptr;
        return *static_cast<sqlite3* const*>(v.data());
    }
    static int stop(void* self)
    {
        const auto* bound = static_cast<const ReadBound*>(self);
        return bound->cancelled() || bound->late() ? 1 : 0;
    }

    sqlite3* handle_;
    std::chrono::steady_clock::time_point deadline_;
    const std::atomic<bool>* cancel_;
};

// What a database file holds, without changing it: its marks, its objects
// and SQLite's quick check of every page, for at most `checkTime` (a file
// too large to check in that time is checked as far as the time goes).
Check check(const QSqlDatabase& db, std::chrono::milliseconds checkTime)
{
    Check c;
    QSqlError fault;
    const auto version = pragma(db, "user_version", &fault);
    const auto application = version ? pragma(db, "application_id", &fault) : std::nullopt;
    if (!version || !application)
        return failedCheck(fault);
    c.version = *version;
    QSqlQuery objects(db);
    if (!objects.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !objects.next())
        return failedCheck(objects.lastError());
    if (objects.value(0).toLongLong() == 0 && *version == 0 && *application == 0) {
        c.kind = Kind::Empty;
        return c;
    }
    if (*application != kGalleryApplicationId) {
        c.kind = Kind::Foreign;
        c.why = QStringLiteral("它是别的程序的数据库");
        return c;
    }
    if (*version > kGalleryFormatVersion) {
        c.kind = Kind::Later;
        return c;
    }
    const std::optional<bool> ours = schemaIsOurs(db, &fault);
    if (!ours)
        return failedCheck(fault);
    if (!*ours || *version < 1) {
        c.kind = Kind::Strange;
        c.why = QStringLiteral("里面有本程序不认识的表、视图或触发器");
        return c;
    }
    {
        // Every page is read: a file cut short or overwritten fails here.
        const ReadBound bound(db, checkTime);
        QSqlQuery quick(db);
        if (!quick.exec(QStringLiteral("PRAGMA quick_check(1)")) || !quick.next()) {
            if (!bound.late())
                return failedCheck(quick.lastError());
        } else if (quick.value(0).toString() != QLatin1String("ok")) {
            c.why = QStringLiteral("数据库检查没有通过");
            return c;
        }
    }
    c.kind = Kind::Ours;
    return c;
}


QByteArray sha1(const QByteArray& a, const QByteArray& b = {}, const QByteArray& c = {})
{
    QCryptographicHash h(QCryptographicHash::Sha1);
    h.addData(a);
    h.addData(b);
    h.addData(c);
    return h.result();
}

// A picture's content, whatever its format: its size and 32-bit pixels.
QByteArray pictureHash(const QImage& picture)
{
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    QCryptographicHash h(QCryptographicHash::Sha1);
    const std::int32_t size[2] = {argb.width(), argb.height()};
    h.addData(QByteArrayView(reinterpret_cast<const char*>(size), sizeof size));
    for (int y = 0; y < argb.height(); ++y)
        h.addData(QByteArrayView(reinterpret_cast<const char*>(argb.constScanLine(y)), argb.width() * 4));
    return h.result();
}

// A picture of at most `most` pixels a side (checked in its header before
// anything is decoded); null otherwise. One larger than `shrinkTo`, when
// given, is read scaled down to fit it.
QImage pictureOf(const QByteArray& bytes, const char* format, QSize most, QSize shrinkTo = {})
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > most.width() || size.height() > most.height())
        return {};
    if (shrinkTo.isValid() && (size.width() > shrinkTo.width() || size.height() > shrinkTo.height()))
        reader.setScaledSize(size.scaled(shrinkTo, Qt::KeepAspectRatio));
    return reader.read();
}

// A thumbnail as the gallery shows it: at most its own size. A larger one
// (from a design file of another program) is read scaled down, within
// reason; beyond that it is none.
QImage thumbnailOf(const QByteArray& bytes)
{
    return pictureOf(bytes, "jpeg", {kLargestScaledThumbnail, kLargestScaledThumbnail},
                     {kThumbnailPixels, kThumbnailPixels});
}

// Whether a thumbnail from a design file is one the gallery shows as it is:
// a JPEG picture of at most the gallery's size, as its header says (one
// that then does not decode shows as none).
bool thumbnailFits(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const QSize size = QImageReader(&buffer, "jpeg").size();
    return size.isValid() && size.width() <= kThumbnailPixels && size.height() <= kThumbnailPixels;
}

QString dbError(const QSqlQuery& q) { return reasonOf(q.lastError()); }

// The file a path names now (device and inode); none when there is none.
std::pair<quint64, quint64> fileIdentity(const QString& file)
{
    struct stat st {};
    if (::stat(QFile::encodeName(file).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {0, 0};
    return {static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
}

// Where a damaged file goes: beside it, named after the time it was found.
QString asideName(const QString& file)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = QStringLiteral("%1.damaged-%2").arg(file, stamp);
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = QStringLiteral("%1.damaged-%2-%3").arg(file, stamp).arg(n);
    return name;
}

struct Row {
    int category = 1;
    qint64 keptAt = 0;
    QByteArray record, scene, thumbnail, hash, photoHash, photo;
};

// Inserts one design (and its photo unless stored) in an open transaction;
// true when it was new.
std::optional<bool> insertRow(const QSqlDatabase& db, const Row& row, std::int64_t* id, QString* why)
{
    QVariant photoId;
    if (!row.photoHash.isEmpty()) {
        QSqlQuery find(db);
        find.prepare(QStringLiteral("SELECT id FROM photos WHERE hash = ?"));
        find.addBindValue(row.photoHash);
        if (!find.exec()) {
            *why = dbError(find);
            return std::nullopt;
        }
        if (find.next()) {
            photoId = find.value(0);
        } else {
            if (row.photo.isEmpty()) {
                *why = QStringLiteral("照片不见了。");
                return std::nullopt;
            }
            QSqlQuery add(db);
            add.prepare(QStringLiteral("INSERT INTO photos (hash, picture) VALUES (?, ?)"));
            add.addBindValue(row.photoHash);
            add.addBindValue(row.photo);
            if (!add.exec()) {
                *why = dbError(add);
                return std::nullopt;
            }
            photoId = add.lastInsertId();
        }
    }
    QSqlQuery add(db);
    add.prepare(QStringLiteral("INSERT OR IGNORE INTO designs (category, kept_at, record, scene, photo_id, thumbnail, "
                               "hash) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    add.addBindValue(row.category);
    add.addBindValue(row.keptAt);
    add.addBindValue(row.record);
    add.addBindValue(row.scene);
    add.addBindValue(photoId.isValid() ? photoId : QVariant(QMetaType(QMetaType::LongLong)));
    add.addBindValue(row.thumbnail);
    add.addBindValue(row.hash);
    if (!add.exec()) {
        *why = dbError(add);
        return std::nullopt;
    }
    if (add.numRowsAffected() == 1) {
        if (id)
            *id = add.lastInsertId().toLongLong();
        return true;
    }
    QSqlQuery find(db);
    find.prepare(QStringLiteral("SELECT id FROM designs WHERE hash = ?"));
    find.addBindValue(row.hash);
    if (!find.exec() || !find.next()) {
        *why = dbError(find);
        return std::nullopt;
    }
    if (id)
        *id = find.value(0).toLongLong();
    return false;
}

QString idList(const std::vector<std::int64_t>& ids)
{
    QStringList parts;
    for (std::int64_t id : ids)
        parts << QString::number(id);
    return parts.join(u',');
}

}   // namespace

QByteArray thumbnailBytes(const QImage& shown)
{
    if (shown.isNull())
        return {};
    const QImage small = shown.scaled(kThumbnailPixels, kThumbnailPixels, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGB32);
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(85);
    return writer.write(small) ? out : QByteArray();
}

QString GalleryStore::defaultFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("gallery.sqlite"));
}

GalleryStore::GalleryStore(QString file) : file_(std::move(file))
{
    if (!open() && unavailable_.isEmpty())
        unavailable_ = QStringLiteral("收藏夹打不开：%1").arg(file_);
}

GalleryStore::~GalleryStore()
{
    // Closing the last connection carries the rest of the log over.
    checkpoint_.waitForFinished();
}

void GalleryStore::checkpointSoon(int keeps)
{
    keepsSinceCheckpoint_ += keeps;
    if (keepsSinceCheckpoint_ < kKeepsPerCheckpoint || checkpoint_.isRunning())
        return;
    keepsSinceCheckpoint_ = 0;
    // On a connection of its own, in the worker's thread; it waits for no
    // keep and no keep waits for it.
    checkpoint_ = QtConcurrent::run([file = file_] {
        GalleryConnection c(file);
        if (c.opened())
            run(c.db(), QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
    });
}

QSqlDatabase GalleryStore::db() const { return connection_ ? connection_->db() : QSqlDatabase(); }

bool GalleryStore::open()
{
    QDir().mkpath(QFileInfo(file_).absolutePath());
    QString aside;   // where a damaged file was put, if one was
    for (int attempt = 0; attempt < 2; ++attempt) {
        Check found;
        std::unique_ptr<Connection> c;
        const QFileInfo info(file_);
        if (info.exists() && !info.isFile()) {
            found.why = QStringLiteral("它不是一个文件");
        } else {
            // A program holding the file waits the start at most kLockWaitMs.
            c = std::make_unique<Connection>(file_);
            found = c->opened() ? check(c->db(), kLongestStartCheck) : failedCheck(c->error());
        }
        QSqlError fault;
        if (found.kind == Kind::Empty) {
            if (createTables(c->db(), &fault)) {
                found.kind = Kind::Ours;
            } else {
                found.kind = Kind::Unavailable;   // a new file not made (no room, say): nothing to put aside
                found.why = reasonOf(fault);
            }
        }
        if (found.kind == Kind::Ours) {
            // The log mode and its settings hold for this connection; a disk
            // without room for the log's index fails here, not at a keep.
            if (run(c->db(), QStringLiteral("PRAGMA journal_mode = WAL"), &fault)
                && run(c->db(), QStringLiteral("PRAGMA synchronous = NORMAL"), &fault)
                // The log is carried into the database beside the window's
                // thread (checkpointSoon), never in a keep.
                && run(c->db(), QStringLiteral("PRAGMA wal_autocheckpoint = 0"), &fault)) {
                // The connection stays open for the store's life.
                connection_ = std::move(c);
                identity_ = fileIdentity(file_);
                return true;
            }
            found.kind = Kind::Unavailable;
            found.why = reasonOf(fault);
        }
        if (found.kind == Kind::Later) {
            unavailable_ = QStringLiteral("收藏夹来自较新版本的程序（格式 %1，本程序只认识到 %2），本程序不使用它，文件没有改动：\n%3")
                               .arg(found.version)
                               .arg(kGalleryFormatVersion)
                               .arg(file_);
            return false;
        }
        if (found.kind == Kind::Unavailable) {
            // SQLite says only that it could not open or write the log's
            // index; the disk says why.
            const QStorageInfo disk(QFileInfo(file_).absolutePath());
            if (disk.isValid() && disk.isReadOnly())
                found.why = QStringLiteral("收藏夹所在的磁盘只能读");
            else if (disk.isValid() && disk.bytesAvailable() < kRoomToOpen)
                found.why = QStringLiteral("磁盘已满");
        }
        if (found.kind == Kind::Unavailable || attempt > 0) {
            // Locked by another program, read-only, no room: the file is left
            // as it is and the gallery is not used in this run.
            unavailable_ = aside.isEmpty()
                               ? QStringLiteral("收藏夹现在不能用：%1。文件没有改动，这次运行不使用收藏夹：\n%2")
                                     .arg(found.why, file_)
                               : QStringLiteral("收藏夹文件已损坏，已改名保存为：\n%1\n新的收藏夹也不能用：%2。这次运行不使用收藏夹。")
                                     .arg(aside, found.why);
            return false;
        }
        // Not a database, damaged or another program's: kept aside under a
        // new name, and a new one begun.
        c.reset();
        aside = asideName(file_);
        if (std::rename(QFile::encodeName(file_).constData(), QFile::encodeName(aside).constData()) != 0) {
            unavailable_ = QStringLiteral("收藏夹文件已损坏（%1），也不能改名保存，本程序不使用它：\n%2").arg(found.why, file_);
            return false;
        }
        for (const char* suffix : {"-wal", "-shm"})
            if (QFileInfo::exists(file_ + QLatin1String(suffix)))
                std::rename(QFile::encodeName(file_ + QLatin1String(suffix)).constData(),
                            QFile::encodeName(aside + QLatin1String(suffix)).constData());
        note_ = QStringLiteral("收藏夹文件已损坏（%1），已改名保存为：\n%2\n现在使用一个新的空收藏夹。").arg(found.why, aside);
    }
    return false;
}

QByteArray GalleryStore::photoKey(const QImage& photo)
{
    QByteArray& hash = photoHashes_[photo.cacheKey()];
    if (hash.isEmpty()) {
        if (const std::optional<PreparedPhoto> ready = preparedPhoto(photo))
            hash = ready->hash;
        else
            hash = pictureHash(photo);
    }
    return hash;
}

void GalleryStore::preparePhoto(const QImage& photo)
{
    if (photo.isNull() || !connection_)
        return;   // nothing can be kept: nothing to get ready
    const qint64 key = photo.cacheKey();
    if (photoHashes_.contains(key))
        return;   // kept already: its key is known and the gallery has it
    for (const auto& [k, future] : prepared_)
        if (k == key)
            return;
    // A few photos are kept ready: the one on show and those just before it.
    constexpr std::size_t kMostPrepared = 3;
    if (prepared_.size() >= kMostPrepared)
        prepared_.erase(prepared_.begin());
    prepared_.emplace_back(key, QtConcurrent::run([photo] { return PreparedPhoto{pictureHash(photo), encodePng(photo)}; }));
}

std::optional<GalleryStore::PreparedPhoto> GalleryStore::preparedPhoto(const QImage& photo)
{
    for (auto& [key, future] : prepared_) {
        if (key != photo.cacheKey())
            continue;
        const PreparedPhoto ready = future.result();   // waits for the rest, if any
        if (ready.hash.isEmpty() || ready.png.isEmpty())
            return std::nullopt;
        return ready;
    }
    return std::nullopt;
}

std::optional<KeepOutcome> GalleryStore::keep(const scene::DesignScene& scene, const QImage& shown, QString* error)
{
    QString why = unavailable_;
    auto fail = [&](const QString& reason) -> std::optional<KeepOutcome> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    if (!why.isEmpty())
        return fail(why);
    if (importing_)
        return fail(QStringLiteral("收藏夹正在导入设计文件，图案没有收藏。请等导入完成后再收藏。"));
    if (fileIdentity(file_) != identity_) {
        // Moved, replaced or deleted under the program: a keep into the file
        // still open would be lost to the next start.
        return fail(QStringLiteral("收藏夹文件在程序运行时被移走或换掉了，图案没有收藏。请重新启动程序：\n%1").arg(file_));
    }
    Row row;
    row.category = scene.category;
    row.keptAt = QDateTime::currentMSecsSinceEpoch();
    row.record = design::encodeRecord(scene.record);
    row.scene = scene::encodeSceneExtras(scene);
    row.thumbnail = thumbnailBytes(shown.isNull() ? scene::renderScene(scene, 1) : shown);
    if (!scene.record.photo.isNull()) {
        row.photoHash = photoKey(scene.record.photo);
    }
    row.hash = sha1(row.record, row.scene, row.photoHash);

    const QSqlDatabase db = this->db();
    QSqlError fault;
    if (!run(db, QStringLiteral("BEGIN IMMEDIATE"), &fault))
        return fail(reasonOf(fault));
    if (!row.photoHash.isEmpty()) {
        // The photo's pixels are encoded only when the gallery has not got them.
        QSqlQuery find(db);
        find.prepare(QStringLiteral("SELECT 1 FROM photos WHERE hash = ?"));
        find.addBindValue(row.photoHash);
        if (find.exec() && !find.next()) {
            const std::optional<PreparedPhoto> ready = preparedPhoto(scene.record.photo);
            row.photo = ready ? ready->png : encodePng(scene.record.photo);
            preparedUsed_ += ready ? 1 : 0;
        }
    }
    KeepOutcome outcome;
    const std::optional<bool> added = insertRow(db, row, &outcome.id, &why);
    if (added && !run(db, QStringLiteral("COMMIT"), &fault))
        why = reasonOf(fault);
    if (!added || !why.isEmpty()) {
        run(db, QStringLiteral("ROLLBACK"));
        return fail(why);
    }
    outcome.added = *added;
    outcome.kept = QDateTime::fromMSecsSinceEpoch(row.keptAt, Qt::UTC);
    outcome.total = countAfterKeep(outcome.added);
    checkpointSoon(1);
    // A photo kept is in the gallery and its key known: its prepared file can go.
    if (!scene.record.photo.isNull())
        std::erase_if(prepared_, [key = scene.record.photo.cacheKey()](const auto& p) { return p.first == key; });
    return outcome;
}

std::int64_t GalleryStore::countAfterKeep(bool added)
{
    // The number counted before holds, plus this keep, unless another
    // connection has changed the gallery since (SQLite's data_version moves
    // then, not for this connection's own changes).
    QSqlError why;
    const std::optional<qint64> version = pragma(db(), "data_version", &why);
    if (counted_ < 0 || !version || *version != countedVersion_) {
        counted_ = count();
        countedVersion_ = version.value_or(-1);
    } else if (added) {
        ++counted_;
    }
    return counted_;
}

std::int64_t GalleryStore::count()
{
    QSqlQuery q(db());
    if (!connection_ || !q.exec(QStringLiteral("SELECT count(*) FROM designs")) || !q.next())
        return 0;
    return q.value(0).toLongLong();
}

std::vector<KeptEntry> GalleryStore::list(int category)
{
    std::vector<KeptEntry> entries;
    if (!connection_)
        return entries;
    QSqlQuery q(db());
    q.setForwardOnly(true);
    if (category > 0) {
        q.prepare(QStringLiteral("SELECT id, category, kept_at FROM designs WHERE category = ? "
                                 "ORDER BY kept_at DESC, id DESC"));
        q.addBindValue(category);
    } else {
        // Read from the category's index, which holds all three: the rows
        // themselves are not visited.
        q.prepare(QStringLiteral("SELECT id, category, kept_at FROM designs INDEXED BY designs_category "
                                 "ORDER BY kept_at DESC, id DESC"));
    }
    if (!q.exec())
        return entries;
    while (q.next())
        entries.push_back({q.value(0).toLongLong(), q.value(1).toInt(),
                           QDateTime::fromMSecsSinceEpoch(q.value(2).toLongLong(), Qt::UTC)});
    return entries;
}

QImage GalleryStore::thumbnail(std::int64_t id)
{
    if (!connection_)
        return {};
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT thumbnail FROM designs WHERE id = ?"));
    q.addBindValue(static_cast<qint64>(id));
    if (!q.exec() || !q.next())
        return {};
    return thumbnailOf(q.value(0).toByteArray());
}

std::optional<KeptScene> GalleryStore::load(std::int64_t id, QString* error)
{
    auto fail = [&](const QString& reason) -> std::optional<KeptScene> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    if (!connection_)
        return fail(unavailable_);
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT d.category, d.kept_at, d.record, d.scene, p.picture FROM designs d "
                             "LEFT JOIN photos p ON p.id = d.photo_id WHERE d.id = ?"));
    q.addBindValue(static_cast<qint64>(id));
    if (!q.exec())
        return fail(dbError(q));
    if (!q.next())
        return fail(QStringLiteral("收藏夹里没有这个图案了。"));
    QString why;
    std::optional<design::DesignRecord> record = design::decodeRecord(q.value(2).toByteArray(), &why);
    if (!record)
        return fail(why);
    KeptScene kept;
    kept.scene.record = std::move(*record);
    if (!scene::decodeSceneExtras(q.value(3).toByteArray(), kept.scene, &why))
        return fail(why);
    if (!q.value(4).isNull()) {
        kept.scene.record.photo = pictureOf(q.value(4).toByteArray(), "png", kPhotoBound);
        if (kept.scene.record.photo.isNull())
            return fail(QStringLiteral("图案的照片已损坏。"));
    }
    kept.kept = QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong());
    return kept;
}

bool GalleryStore::remove(const std::vector<std::int64_t>& ids, QString* error)
{
    if (!connection_) {
        if (error)
            *error = unavailable_;
        return false;
    }
    const QSqlDatabase db = this->db();
    QSqlError why;
    const bool done = run(db, QStringLiteral("BEGIN IMMEDIATE"), &why)
                      && run(db, QStringLiteral("DELETE FROM designs WHERE id IN (%1)").arg(idList(ids)), &why)
                      && run(db,
                             QStringLiteral("DELETE FROM photos WHERE id NOT IN "
                                            "(SELECT photo_id FROM designs WHERE photo_id IS NOT NULL)"),
                             &why)
                      && run(db, QStringLiteral("COMMIT"), &why);
    if (!done) {
        run(db, QStringLiteral("ROLLBACK"));
        if (error)
            *error = reasonOf(why);
    }
    counted_ = -1;
    return done;
}

bool GalleryStore::exportTo(const QString& file, const std::vector<std::int64_t>& ids, QString* error)
{
    QString why;
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!connection_)
        return fail(unavailable_);
    // Written beside the file under a new name of its own and put in its
    // place whole; no other file is touched.
    QString part;
    {
        QTemporaryFile reserved(file + QStringLiteral(".XXXXXX.part"));
        reserved.setAutoRemove(false);
        if (!reserved.open()) {
            const QString reason = writeFailureReason(file);
            return fail(reason.isEmpty() ? QStringLiteral("文件夹里不能写入文件。") : reason);
        }
        part = reserved.fileName();
    }
    bool written = false;
    {
        Connection target(part);
        if (!target.opened())
            return fail(reasonOf(target.error()));
        const QSqlDatabase to = target.db();
        const QSqlDatabase from = db();
        QSqlError fault;
        written = createTables(to, &fault) && run(to, QStringLiteral("BEGIN"), &fault);
        if (!written)
            why = reasonOf(fault);
        QSqlQuery q(from);
        q.setForwardOnly(true);
        if (written && !q.exec(QStringLiteral("SELECT d.category, d.kept_at, d.record, d.scene, d.thumbnail, d.hash, "
                                              "p.hash, p.picture FROM designs d LEFT JOIN photos p ON p.id = d.photo_id "
                                              "WHERE d.id IN (%1) ORDER BY d.kept_at, d.id")
                                   .arg(idList(ids)))) {
            why = dbError(q);
            written = false;
        }
        while (written && q.next()) {
            Row row{q.value(0).toInt(),       q.value(1).toLongLong(),  q.value(2).toByteArray(),
                    q.value(3).toByteArray(), q.value(4).toByteArray(), q.value(5).toByteArray(),
                    q.value(6).toByteArray(), q.value(7).toByteArray()};
            written = insertRow(to, row, nullptr, &why).has_value();
        }
        if (written && !run(to, QStringLiteral("COMMIT"), &fault)) {
            why = reasonOf(fault);
            written = false;
        }
    }
    if (written && std::rename(QFile::encodeName(part).constData(), QFile::encodeName(file).constData()) != 0) {
        why = systemErrorReason(errno);
        written = false;
    }
    if (!written) {
        QFile::remove(part);
        return fail(why);
    }
    return true;
}

std::optional<ImportOutcome> GalleryStore::importFrom(const QString& file, QString* error)
{
    return importWithProgress(file, error, {});
}

std::optional<ImportOutcome> GalleryStore::importWithProgress(const QString& file, QString* error,
                                                              const ImportProgress& progress)
{
    auto fail = [&](const QString& reason) -> std::optional<ImportOutcome> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    if (!connection_)
        return fail(unavailable_);
    if (!QFileInfo(file).isFile())
        return fail(QStringLiteral("不是文件：%1").arg(file));
    const QString damaged = QStringLiteral("文件已损坏（%1）。");
    auto source = std::make_unique<Connection>(file, Connection::Mode::ReadOnly);
    Check found = source->opened() ? check(source->db(), kLongestImport) : failedCheck(source->error());
    if (found.kind == Kind::Unavailable) {
        // On read-only media the log's index cannot be made: the file is read as it lies.
        source = std::make_unique<Connection>(file, Connection::Mode::Immutable);
        if (source->opened())
            found = check(source->db(), kLongestImport);
    }
    switch (found.kind) {
    case Kind::Ours: break;
    case Kind::Later: return fail(QStringLiteral("文件来自较新版本的程序（格式 %1）。").arg(found.version));
    case Kind::Empty:
    case Kind::Foreign: return fail(QStringLiteral("不是蓝禾图案收藏文件。"));
    case Kind::Strange: return fail(QStringLiteral("不是蓝禾图案收藏文件：%1。").arg(found.why));
    case Kind::Damaged: return fail(damaged.arg(found.why));
    case Kind::Unavailable: return fail(QStringLiteral("文件现在读不了：%1。").arg(found.why));
    }
    const QSqlDatabase from = source->db();
    std::atomic<bool> cancelled{false};
    const ReadBound bound(from, kLongestImport, &cancelled);

    // What the file claims, from the lengths SQLite keeps beside each value:
    // more than the program ever writes is refused before any is read.
    QSqlQuery sizes(from);
    if (!sizes.exec(QStringLiteral("SELECT count(*), max(length(record)), max(length(scene)), max(length(thumbnail)), "
                                   "(SELECT max(length(picture)) FROM photos) FROM designs"))
        || !sizes.next())
        return fail(damaged.arg(dbError(sizes)));
    const qint64 total = sizes.value(0).toLongLong();
    if (total > kMostDesignsInFile || sizes.value(1).toLongLong() > kLargestRecordBytes
        || sizes.value(2).toLongLong() > kLargestSceneBytes || sizes.value(3).toLongLong() > kLargestThumbnailBytes
        || sizes.value(4).toLongLong() > kLargestPhotoBytes)
        return fail(QStringLiteral("文件里的图案超出了本程序能做的范围，没有导入。"));
    sizes.finish();

    const QSqlDatabase db = this->db();
    QSqlError fault;
    if (!run(db, QStringLiteral("BEGIN IMMEDIATE"), &fault))
        return fail(reasonOf(fault));
    // Until the commit every failure takes back what was added. While the
    // progress lets the program's windows go on, their keeps wait.
    importing_ = true;
    auto undo = [&](const QString& reason) {
        run(db, QStringLiteral("ROLLBACK"));
        importing_ = false;
        return fail(reason);
    };
    // The file's photos by their id there: the content key each got from
    // its pixels, and the photo's id in the gallery. Each is decoded once.
    QHash<qint64, QByteArray> photoKeys;
    QSqlQuery q(from);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT category, kept_at, record, scene, thumbnail, photo_id FROM designs "
                               "ORDER BY kept_at, id")))
        return undo(damaged.arg(dbError(q)));
    ImportOutcome outcome;
    qint64 done = 0;
    // Rows are read and added one at a time.
    while (q.next()) {
        Row row;
        row.category = q.value(0).toInt();
        row.keptAt = q.value(1).toLongLong();
        row.record = q.value(2).toByteArray();
        row.scene = q.value(3).toByteArray();
        row.thumbnail = q.value(4).toByteArray();
        const QVariant photoId = q.value(5);
        QString why;
        scene::DesignScene scene;
        std::optional<design::DesignRecord> record = design::decodeRecord(row.record, &why);
        if (!record || !scene::decodeSceneExtras(row.scene, scene, &why))
            return undo(QStringLiteral("文件里的图案已损坏（%1）。").arg(why));
        if (scene.category != row.category)
            return undo(QStringLiteral("文件里的图案已损坏（类别 %1 和它的场景数据 %2 不符）。")
                            .arg(row.category)
                            .arg(scene.category));
        scene.record = std::move(*record);
        const bool thumbnailShows = thumbnailFits(row.thumbnail);
        QImage photo;
        if (!photoId.isNull()) {
            const qint64 key = photoId.toLongLong();
            auto known = photoKeys.constFind(key);
            if (known == photoKeys.constEnd() || !thumbnailShows) {
                QSqlQuery picture(from);
                picture.prepare(QStringLiteral("SELECT picture FROM photos WHERE id = ?"));
                picture.addBindValue(key);
                if (!picture.exec())
                    return undo(damaged.arg(dbError(picture)));
                if (!picture.next())
                    return undo(QStringLiteral("文件里的照片不见了。"));
                row.photo = picture.value(0).toByteArray();
                photo = pictureOf(row.photo, "png", kPhotoBound);
                if (photo.isNull())
                    return undo(QStringLiteral("文件里的照片已损坏，或者大于 %1 × %2 像素。")
                                    .arg(kPhotoBound.width())
                                    .arg(kPhotoBound.height()));
                // The key comes from the pixels, never from the file: a
                // photo cannot pass for another one kept already.
                if (known == photoKeys.constEnd())
                    known = photoKeys.insert(key, pictureHash(photo));
            }
            row.photoHash = *known;
        }
        if (!thumbnailShows) {
            // Larger than the gallery shows, or not a picture: made again from the design.
            scene.record.photo = photo;
            row.thumbnail = thumbnailBytes(scene::renderScene(scene, 1));
        }
        row.hash = sha1(row.record, row.scene, row.photoHash);
        const std::optional<bool> added = insertRow(db, row, nullptr, &why);
        if (!added)
            return undo(why);
        ++(*added ? outcome.added : outcome.skipped);
        ++done;
        if (progress && !progress(done, total))
            cancelled = true;
        if (bound.cancelled())
            return undo(QStringLiteral("导入已取消，没有加入任何图案。"));
    }
    if (q.lastError().isValid())
        return undo(bound.cancelled() ? QStringLiteral("导入已取消，没有加入任何图案。")
                    : bound.late()    ? QStringLiteral("文件读得太久，已停下，没有加入任何图案。")
                                      : damaged.arg(dbError(q)));
    if (!run(db, QStringLiteral("COMMIT"), &fault))
        return undo(reasonOf(fault));
    importing_ = false;
    checkpointSoon(outcome.added);
    counted_ = -1;
    return outcome;
}

}   // namespace lh::gallery
