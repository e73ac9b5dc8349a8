#pragma once
// The kept designs in one SQLite database (Qt SQL, the QSQLITE driver) under
// the user's data folder. A keep is one transaction, committed to the
// write-ahead journal when keep() returns, so a program killed right after
// loses nothing; two programs share the file (each waits its turn). A photo
// shared by many designs is stored once, keyed by its content; a design kept
// twice is kept once. Design files (.lhd) to share are databases of the same
// tables.
//
// A gallery is used only when its objects are exactly the gallery's tables
// and indexes (read from sqlite_master before any of its data) and SQLite's
// quick check passes. A file that is not a database, fails the check, holds
// other objects or is another program's (random bytes, cut short, a folder,
// a view where a table belongs) is moved aside under a new name, never
// deleted, and a new empty gallery is used. A gallery that cannot be used
// now (locked by another program beyond a second, a read-only or full disk)
// and one of a later version of the program are left untouched and not used
// in this run. Design files are checked the same way, read one design at a
// time within bounds of size and time, and their photos' keys worked out
// from the pixels.

#include "gallery/KeptDesigns.h"

#include <QFuture>
#include <QHash>
#include <QString>

#include <functional>
#include <memory>

class QSqlDatabase;

namespace lh::gallery {

// The version of the tables; a later program reads every earlier one.
inline constexpr int kGalleryFormatVersion = 1;
// Marks the program's files among other SQLite databases ("LHDG").
inline constexpr int kGalleryApplicationId = 0x4C484447;

// One connection of Qt SQL to a database file.
class GalleryConnection;

class GalleryStore final : public KeptDesigns {
public:
    // The database file of the program: gallery.sqlite in the user's data
    // folder (QStandardPaths::AppDataLocation).
    static QString defaultFile();

    explicit GalleryStore(QString file = defaultFile());
    ~GalleryStore() override;
    GalleryStore(const GalleryStore&) = delete;
    GalleryStore& operator=(const GalleryStore&) = delete;

    const QString& file() const { return file_; }
    // What happened when the gallery was opened (a damaged file moved aside,
    // say), to tell the user once; empty when nothing.
    const QString& openingNote() const { return note_; }

    QString unavailable() const override { return unavailable_; }
    std::optional<KeepOutcome> keep(const scene::DesignScene& scene, const QImage& shown, QString* error) override;
    std::vector<KeptEntry> list(int category) override;
    QImage thumbnail(std::int64_t id) override;
    std::optional<KeptScene> load(std::int64_t id, QString* error) override;
    bool remove(const std::vector<std::int64_t>& ids, QString* error) override;
    bool exportTo(const QString& file, const std::vector<std::int64_t>& ids, QString* error) override;
    std::optional<ImportOutcome> importFrom(const QString& file, QString* error) override;
    std::optional<ImportOutcome> importWithProgress(const QString& file, QString* error,
                                                    const ImportProgress& progress) override;

    std::int64_t count();

    // Gets a photo ready for keeping, off the calling thread: its content
    // key and its PNG file. A keep with that photo then uses them (waiting
    // for them if they are not ready yet) instead of making them itself.
    // The last few photos are kept ready.
    void preparePhoto(const QImage& photo);
    // How many keeps stored a prepared photo's file (for tests and benchmarks).
    int preparedPhotosUsed() const { return preparedUsed_; }

private:
    bool open();
    QSqlDatabase db() const;
    // The content hash of a photo.
    QByteArray photoKey(const QImage& photo);
    // The photo's prepared key and file, when it was prepared.
    struct PreparedPhoto {
        QByteArray hash;
        QByteArray png;
    };
    std::optional<PreparedPhoto> preparedPhoto(const QImage& photo);
    // Counts `keeps` more designs written; after every kKeepsPerCheckpoint
    // the log is carried into the database off the calling thread.
    void checkpointSoon(int keeps);
    static constexpr int kKeepsPerCheckpoint = 100;

    QString file_;
    std::unique_ptr<GalleryConnection> connection_;
    QString note_;
    QString unavailable_;
    // Photos already stored, by the picture's cache key: a photo is encoded
    // and hashed once per run, not on every keep.
    QHash<qint64, QByteArray> photoHashes_;
    // Photos being got ready, newest last, by the picture's cache key.
    std::vector<std::pair<qint64, QFuture<PreparedPhoto>>> prepared_;
    int preparedUsed_ = 0;
    // The file the connection opened (device and inode): a keep goes only
    // into the file the next start will open.
    std::pair<quint64, quint64> identity_{0, 0};
    QFuture<void> checkpoint_;
    int keepsSinceCheckpoint_ = 0;
    // An import's transaction is open: a keep then waits for its end.
    bool importing_ = false;
    // The number of designs after a keep, without counting them all each
    // time (a count of 100,000 rows takes milliseconds).
    std::int64_t countAfterKeep(bool added);
    std::int64_t counted_ = -1;   // -1: to be counted
    qint64 countedVersion_ = -1;
};

// The thumbnail of a design as the window showed it.
QByteArray thumbnailBytes(const QImage& shown);

}   // namespace lh::gallery
