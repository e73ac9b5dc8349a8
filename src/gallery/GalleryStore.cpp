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
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUuid>
#include <QVariant>

#include <cerrno>
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

}   // namespace

// A connection of its own to a database file.
class GalleryConnection {
public:
    explicit GalleryConnection(const QString& file, bool readOnly = false)
        : name_(QStringLiteral("lh-gallery-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(file);
        db.setConnectOptions(readOnly ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000;QSQLITE_OPEN_READONLY")
                                      : QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        opened_ = db.open();
        if (!opened_)
            error_ = db.lastError().text();
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
    const QString& error() const { return error_; }
    QSqlDatabase db() const { return QSqlDatabase::database(name_, false); }
    const QString& name() const { return name_; }

private:
    QString name_;
    bool opened_ = false;
    QString error_;
};

namespace {

using Connection = GalleryConnection;

// Runs one statement; false with the reason on failure.
bool run(const QSqlDatabase& db, const QString& sql, QString* why = nullptr)
{
    QSqlQuery q(db);
    if (q.exec(sql))
        return true;
    if (why)
        *why = q.lastError().text();
    return false;
}

std::optional<qint64> pragma(const QSqlDatabase& db, const char* name, QString* why)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA %1").arg(QLatin1String(name))) || !q.next()) {
        if (why)
            *why = q.lastError().text();
        return std::nullopt;
    }
    return q.value(0).toLongLong();
}

bool createTables(const QSqlDatabase& db, QString* why)
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
    Empty,      // a new database: no tables yet
    Ours,       // a gallery this program reads
    Later,      // a gallery of a later version
    Foreign,    // another program's database
    Damaged
};

struct Check {
    Kind kind = Kind::Damaged;
    qint64 version = 0;
    QString why;
};

// What a database file holds, without changing it.
Check check(const QSqlDatabase& db)
{
    Check c;
    const auto version = pragma(db, "user_version", &c.why);
    const auto application = version ? pragma(db, "application_id", &c.why) : std::nullopt;
    if (!version || !application)
        return c;   // "file is not a database" and the like
    c.version = *version;
    QSqlQuery tables(db);
    if (!tables.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !tables.next()) {
        c.why = tables.lastError().text();
        return c;
    }
    const qint64 entries = tables.value(0).toLongLong();
    if (entries == 0 && *version == 0 && *application == 0) {
        c.kind = Kind::Empty;
        return c;
    }
    if (*application != kGalleryApplicationId) {
        c.kind = Kind::Foreign;
        return c;
    }
    if (*version > kGalleryFormatVersion) {
        c.kind = Kind::Later;
        return c;
    }
    // Reading every row's place walks the tables' pages: a file cut short or
    // overwritten in the middle fails here.
    QSqlQuery rows(db);
    if (!rows.exec(QStringLiteral("SELECT count(*), sum(length(hash)) FROM designs")) || !rows.next()
        || !rows.exec(QStringLiteral("SELECT count(*), sum(length(hash)) FROM photos")) || !rows.next()) {
        c.why = rows.lastError().text();
        return c;
    }
    const auto pageCount = pragma(db, "page_count", &c.why);
    const auto pageSize = pragma(db, "page_size", &c.why);
    if (!pageCount || !pageSize)
        return c;
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

QImage pictureOf(const QByteArray& bytes, const char* format)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    // Photos are at most 1024 pixels a side, thumbnails far less.
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > 4096 || size.height() > 4096)
        return {};
    return reader.read();
}

QString dbError(const QSqlQuery& q) { return q.lastError().text(); }

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
    const QImage small = shown.scaled(160, 160, Qt::KeepAspectRatio, Qt::SmoothTransformation)
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
    for (int attempt = 0; attempt < 2; ++attempt) {
        QString why;
        Kind kind = Kind::Damaged;
        const QFileInfo info(file_);
        if (info.exists() && !info.isFile()) {
            why = QStringLiteral("它不是一个文件");
        } else {
            auto c = std::make_unique<Connection>(file_);
            if (c->opened()) {
                const Check found = check(c->db());
                kind = found.kind;
                why = found.why;
                if (kind == Kind::Later) {
                    unavailable_ = QStringLiteral("收藏夹来自较新版本的程序（格式 %1，本程序只认识到 %2），本程序不使用它，文件没有改动：\n%3")
                                       .arg(found.version)
                                       .arg(kGalleryFormatVersion)
                                       .arg(file_);
                    return false;
                }
                if (kind == Kind::Empty && !createTables(c->db(), &why))
                    kind = Kind::Damaged;
                if (kind == Kind::Empty || kind == Kind::Ours) {
                    run(c->db(), QStringLiteral("PRAGMA journal_mode = WAL"));
                    run(c->db(), QStringLiteral("PRAGMA synchronous = NORMAL"));
                    // The log is carried into the database beside the
                    // window's thread (checkpointSoon), never in a keep.
                    run(c->db(), QStringLiteral("PRAGMA wal_autocheckpoint = 0"));
                    // The connection stays open for the store's life.
                    connection_ = std::move(c);
                    return true;
                }
                if (kind == Kind::Foreign)
                    why = QStringLiteral("它是别的程序的数据库");
            } else {
                why = c->error();
            }
        }
        // Not a gallery: kept aside under a new name, and a new one begun.
        const QString aside = asideName(file_);
        if (std::rename(QFile::encodeName(file_).constData(), QFile::encodeName(aside).constData()) != 0) {
            unavailable_ = QStringLiteral("收藏夹文件已损坏（%1），也不能改名保存，本程序不使用它：\n%2").arg(why, file_);
            return false;
        }
        for (const char* suffix : {"-wal", "-shm"})
            if (QFileInfo::exists(file_ + QLatin1String(suffix)))
                std::rename(QFile::encodeName(file_ + QLatin1String(suffix)).constData(),
                            QFile::encodeName(aside + QLatin1String(suffix)).constData());
        note_ = QStringLiteral("收藏夹文件已损坏（%1），已改名保存为：\n%2\n现在使用一个新的空收藏夹。").arg(why, aside);
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
    if (!run(db, QStringLiteral("BEGIN IMMEDIATE"), &why))
        return fail(why);
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
    if (!added || !run(db, QStringLiteral("COMMIT"), &why)) {
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
    QString why;
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
    return pictureOf(q.value(0).toByteArray(), "jpeg");
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
        kept.scene.record.photo = pictureOf(q.value(4).toByteArray(), "png");
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
    QString why;
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
            *error = why;
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
            return fail(target.error());
        const QSqlDatabase to = target.db();
        const QSqlDatabase from = db();
        written = createTables(to, &why) && run(to, QStringLiteral("BEGIN"), &why);
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
        written = written && run(to, QStringLiteral("COMMIT"), &why);
    }
    if (written && std::rename(QFile::encodeName(part).constData(), QFile::encodeName(file).constData()) != 0) {
        why = QString::fromLocal8Bit(std::strerror(errno));
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
    auto fail = [&](const QString& reason) -> std::optional<ImportOutcome> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    if (!connection_)
        return fail(unavailable_);
    if (!QFileInfo(file).isFile())
        return fail(QStringLiteral("不是文件：%1").arg(file));
    std::vector<Row> rows;
    {
        Connection source(file, true);
        if (!source.opened())
            return fail(QStringLiteral("打不开：%1").arg(source.error()));
        const Check found = check(source.db());
        switch (found.kind) {
        case Kind::Ours: break;
        case Kind::Later: return fail(QStringLiteral("文件来自较新版本的程序（格式 %1）。").arg(found.version));
        case Kind::Empty:
        case Kind::Foreign: return fail(QStringLiteral("不是蓝禾图案收藏文件。"));
        case Kind::Damaged: return fail(QStringLiteral("文件已损坏（%1）。").arg(found.why));
        }
        QSqlQuery q(source.db());
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("SELECT d.category, d.kept_at, d.record, d.scene, d.thumbnail, p.hash, p.picture "
                                   "FROM designs d LEFT JOIN photos p ON p.id = d.photo_id ORDER BY d.kept_at, d.id")))
            return fail(QStringLiteral("文件已损坏（%1）。").arg(dbError(q)));
        while (q.next()) {
            Row row;
            row.category = q.value(0).toInt();
            row.keptAt = q.value(1).toLongLong();
            row.record = q.value(2).toByteArray();
            row.scene = q.value(3).toByteArray();
            row.thumbnail = q.value(4).toByteArray();
            row.photoHash = q.value(5).toByteArray();
            row.photo = q.value(6).toByteArray();
            // Every design must read back before any is added.
            QString why;
            scene::DesignScene check;
            if (!design::decodeRecord(row.record, &why) || !scene::decodeSceneExtras(row.scene, check, &why)
                || check.category != row.category)
                return fail(QStringLiteral("文件里的图案已损坏（%1）。").arg(why));
            if (!row.photoHash.isEmpty() && (row.photoHash.size() != 20 || pictureOf(row.photo, "png").isNull()))
                return fail(QStringLiteral("文件里的照片已损坏。"));
            row.hash = sha1(row.record, row.scene, row.photoHash);
            rows.push_back(std::move(row));
        }
        if (q.lastError().isValid())
            return fail(QStringLiteral("文件已损坏（%1）。").arg(dbError(q)));
    }
    const QSqlDatabase db = this->db();
    QString why;
    if (!run(db, QStringLiteral("BEGIN IMMEDIATE"), &why))
        return fail(why);
    ImportOutcome outcome;
    for (const Row& row : rows) {
        const std::optional<bool> added = insertRow(db, row, nullptr, &why);
        if (!added) {
            run(db, QStringLiteral("ROLLBACK"));
            return fail(why);
        }
        ++(*added ? outcome.added : outcome.skipped);
    }
    if (!run(db, QStringLiteral("COMMIT"), &why)) {
        run(db, QStringLiteral("ROLLBACK"));
        return fail(why);
    }
    checkpointSoon(outcome.added);
    counted_ = -1;
    return outcome;
}

}   // namespace lh::gallery
