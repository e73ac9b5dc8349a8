// The gallery's database: kept designs come back drawn pixel for pixel as
// they were kept, after the store (or the program) is gone; a design kept
// twice is kept once, a shared photo stored once; damaged files are put
// aside and a new gallery begun, a later version's is left alone; two
// programs keep at once without losing a design; design files carry designs
// from one gallery to another and damaged or foreign ones change nothing.

#include "gallery/GalleryStore.h"

#include "FullDisk.h"
#include "GalleryTestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <random>

using namespace lh;
using namespace lh::gallery;

namespace {

// Runs statements on a database file from a connection of its own; the
// values of the last one's first row.
std::vector<qint64> sql(const QString& file, const QStringList& statements)
{
    std::vector<qint64> values;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
        db.setDatabaseName(file);
        EXPECT_TRUE(db.open());
        QSqlQuery q(db);
        for (const QString& statement : statements)
            EXPECT_TRUE(q.exec(statement)) << statement.toStdString();
        if (q.next())
            for (int i = 0; i < q.record().count(); ++i)
                values.push_back(q.value(i).toLongLong());
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
    return values;
}

class GalleryStoreTest : public ::testing::Test {
protected:
    QString file(const char* name = "gallery.sqlite") const { return dir.filePath(QString::fromLatin1(name)); }
    static QByteArray digest(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1)
                                           : QByteArray();
    }
    static std::vector<std::int64_t> ids(const std::vector<KeptEntry>& entries)
    {
        std::vector<std::int64_t> out;
        for (const KeptEntry& e : entries)
            out.push_back(e.id);
        return out;
    }
    // Runs the keeper program; its exit status (-1: it crashed or was killed).
    static int keeper(const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral(LH_GALLERY_KEEPER), args);
        EXPECT_TRUE(p.waitForFinished(120000));
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    QTemporaryDir dir;
};

}   // namespace

TEST_F(GalleryStoreTest, KeptDesignsComeBackDrawnAsTheyWereAfterTheStoreIsGone)
{
    const scene::DesignScene cases[] = {test::sceneOf(1, 3, true), test::sceneOf(4, 9), test::sceneOf(11, 2)};
    std::vector<QImage> shown;
    {
        GalleryStore store(file());
        ASSERT_TRUE(store.unavailable().isEmpty()) << store.unavailable().toStdString();
        EXPECT_TRUE(store.openingNote().isEmpty());
        for (const scene::DesignScene& s : cases) {
            shown.push_back(scene::renderScene(s, 1));
            QString why;
            const auto kept = store.keep(s, shown.back(), &why);
            ASSERT_TRUE(kept.has_value()) << why.toStdString();
            EXPECT_TRUE(kept->added);
            EXPECT_EQ(kept->total, static_cast<std::int64_t>(shown.size()));
        }
    }
    GalleryStore store(file());
    const std::vector<KeptEntry> all = store.list(0);
    ASSERT_EQ(all.size(), 3u);
    // Newest first.
    const int categories[] = {11, 4, 1};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(all[i].category, categories[i]);
        QString why;
        const auto loaded = store.load(all[i].id, &why);
        ASSERT_TRUE(loaded.has_value()) << why.toStdString();
        EXPECT_EQ(loaded->scene.category, categories[i]);
        EXPECT_EQ(scene::renderScene(loaded->scene, 1), shown[2 - i]) << "category " << categories[i];
        const QImage thumbnail = store.thumbnail(all[i].id);
        EXPECT_EQ(thumbnail.size(), QSize(160, 160));
    }
    EXPECT_EQ(store.list(4).size(), 1u);
    EXPECT_TRUE(store.list(7).empty());

    // Removing takes the design and nothing else; its photo goes with the last design that shows it.
    QString why;
    ASSERT_TRUE(store.remove({all[2].id}, &why)) << why.toStdString();
    EXPECT_EQ(ids(store.list(0)), (std::vector<std::int64_t>{all[0].id, all[1].id}));
    EXPECT_FALSE(store.load(all[2].id, &why).has_value());
    EXPECT_EQ(sql(file(), {QStringLiteral("SELECT count(*) FROM photos")}), std::vector<qint64>{0});
}

TEST_F(GalleryStoreTest, ADesignIsKeptOnceAndASharedPhotoStoredOnce)
{
    GalleryStore store(file());
    const scene::DesignScene dressed = test::sceneOf(1, 5, true);
    QString why;
    const auto first = store.keep(dressed, {}, &why);
    ASSERT_TRUE(first.has_value()) << why.toStdString();
    const auto again = store.keep(dressed, {}, &why);
    ASSERT_TRUE(again.has_value());
    EXPECT_FALSE(again->added);
    EXPECT_EQ(again->id, first->id);
    EXPECT_EQ(again->total, 1);

    // Other designs around the same photo (another picture object with the same pixels too).
    scene::DesignScene other = test::sceneOf(1, 6, true);
    other.record.photo = test::patterned(120, 90, 1);
    ASSERT_TRUE(store.keep(other, {}, &why).has_value());
    ASSERT_TRUE(store.keep(test::sceneOf(1, 7, true), {}, &why).has_value());
    // A stamp more makes another design.
    scene::DesignScene restamped = dressed;
    restamped.stamps.pop_back();
    const auto third = store.keep(restamped, {}, &why);
    ASSERT_TRUE(third && third->added);

    EXPECT_EQ(sql(file(), {QStringLiteral("SELECT count(*), count(DISTINCT photo_id) FROM designs")}),
              (std::vector<qint64>{4, 1}));
    EXPECT_EQ(sql(file(), {QStringLiteral("SELECT count(*) FROM photos")}), std::vector<qint64>{1});
}

// A photo on show is got ready beforehand: the keep then stores the
// prepared file under the same content key as one it made itself, and the
// design comes back with the photo's pixels.
TEST_F(GalleryStoreTest, APreparedPhotoIsStoredAsAnyOther)
{
    GalleryStore store(file());
    const QImage photo = test::patterned(640, 480, 9);
    store.preparePhoto(photo);
    store.preparePhoto(photo);   // once is enough
    scene::DesignScene dressed = test::sceneOf(1, 5, true);
    dressed.record.photo = photo;
    QString why;
    const auto kept = store.keep(dressed, {}, &why);
    ASSERT_TRUE(kept.has_value()) << why.toStdString();
    EXPECT_EQ(store.preparedPhotosUsed(), 1);

    // The same pixels in another picture, not prepared: the same photo row.
    scene::DesignScene other = test::sceneOf(1, 6, true);
    other.record.photo = photo.copy();
    ASSERT_TRUE(store.keep(other, {}, &why).has_value());
    EXPECT_EQ(store.preparedPhotosUsed(), 1);
    EXPECT_EQ(sql(file(), {QStringLiteral("SELECT count(*), count(DISTINCT photo_id) FROM designs")}),
              (std::vector<qint64>{2, 1}));

    const auto loaded = store.load(kept->id, &why);
    ASSERT_TRUE(loaded.has_value()) << why.toStdString();
    EXPECT_EQ(loaded->scene.record.photo.convertToFormat(QImage::Format_RGB32), photo);

    // Photos prepared and never kept cost nothing but their preparation.
    for (int seed = 20; seed < 26; ++seed)
        store.preparePhoto(test::patterned(64, 48, seed));
    ASSERT_TRUE(store.keep(test::sceneOf(3, 2), {}, &why).has_value());
}

// Keeps only append to the write-ahead log; the log is carried into the
// database file beside the window's thread after every hundred keeps, and
// a gallery opened again sees every design either way.
TEST_F(GalleryStoreTest, TheLogIsCarriedOverBesideTheKeeps)
{
    const auto mainFileSize = [&] { return QFileInfo(file()).size(); };
    {
        GalleryStore store(file());
        QString why;
        ASSERT_TRUE(store.keep(test::sceneOf(2, 1), {}, &why).has_value()) << why.toStdString();
        ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(10000));
        const qint64 before = mainFileSize();
        for (std::uint32_t seed = 2; seed < 100; ++seed)
            ASSERT_TRUE(store.keep(test::sceneOf(2 + seed % 9, seed), {}, &why).has_value()) << why.toStdString();
        ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(10000));
        EXPECT_EQ(mainFileSize(), before) << "99 keeps are in the log only";
        ASSERT_TRUE(store.keep(test::sceneOf(5, 100), {}, &why).has_value());
        ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(10000));
        EXPECT_GT(mainFileSize(), before + 100 * 4096) << "the hundredth keep carried the log over";
    }
    GalleryStore again(file());
    EXPECT_EQ(again.count(), 100);
}

TEST_F(GalleryStoreTest, DamagedFilesArePutAsideAndANewGalleryBegun)
{
    // A gallery with one design, to cut short.
    {
        GalleryStore store(file("whole.sqlite"));
        for (std::uint32_t seed = 1; seed <= 40; ++seed)
            ASSERT_TRUE(store.keep(test::sceneOf(1, seed, true, static_cast<int>(seed)), {}, nullptr).has_value());
    }
    QFile whole(file("whole.sqlite"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray wholeBytes = whole.readAll();
    ASSERT_GT(wholeBytes.size(), 64 * 1024);

    std::mt19937 random(4);
    QByteArray noise(70000, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    QByteArray overwritten = wholeBytes;
    for (int i = 8192; i < 8192 + 16384; ++i)
        overwritten[i] = static_cast<char>(random());

    const struct Case {
        const char* what;
        std::function<void(const QString&)> make;
    } cases[] = {
        {"random bytes", [&](const QString& f) {
             QFile out(f);
             ASSERT_TRUE(out.open(QIODevice::WriteOnly));
             out.write(noise);
         }},
        {"cut short", [&](const QString& f) {
             QFile out(f);
             ASSERT_TRUE(out.open(QIODevice::WriteOnly));
             out.write(wholeBytes.left(wholeBytes.size() / 3));
         }},
        {"overwritten in the middle", [&](const QString& f) {
             QFile out(f);
             ASSERT_TRUE(out.open(QIODevice::WriteOnly));
             out.write(overwritten);
         }},
        {"a folder", [&](const QString& f) { ASSERT_TRUE(QDir().mkpath(f + QStringLiteral("/inside"))); }},
        {"another program's database",
         [&](const QString& f) { sql(f, {QStringLiteral("CREATE TABLE notes (text TEXT)")}); }},
        {"cut in half", [&](const QString& f) {
             QFile out(f);
             ASSERT_TRUE(out.open(QIODevice::WriteOnly));
             out.write(wholeBytes.left(wholeBytes.size() / 2));
         }},
        {"ours with a view where its designs were", [&](const QString& f) {
             ASSERT_TRUE(QFile::copy(file("whole.sqlite"), f));
             sql(f, {QStringLiteral("DROP TABLE designs"),
                     QStringLiteral("CREATE VIEW designs AS WITH RECURSIVE r(id, category, kept_at) AS "
                                    "(SELECT 1, 1, 0 UNION ALL SELECT id + 1, 1, 0 FROM r) SELECT * FROM r")});
         }},
        {"ours with a trigger", [&](const QString& f) {
             ASSERT_TRUE(QFile::copy(file("whole.sqlite"), f));
             sql(f, {QStringLiteral("CREATE TRIGGER t AFTER INSERT ON designs BEGIN DELETE FROM photos; END")});
         }},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString f = file(qPrintable(QStringLiteral("case%1.sqlite").arg(++n)));
        c.make(f);
        const QByteArray before = QFileInfo(f).isFile() ? digest(f) : QByteArray();
        GalleryStore store(f);
        EXPECT_TRUE(store.unavailable().isEmpty()) << c.what << ": " << store.unavailable().toStdString();
        EXPECT_TRUE(store.openingNote().contains(QStringLiteral("已损坏"))) << c.what;
        // Said in Chinese: SQLite's own words stay out of the sentence.
        for (const char* english : {"database", "malformed", "file is", "unable"})
            EXPECT_FALSE(store.openingNote().contains(QLatin1String(english)))
                << c.what << ": " << store.openingNote().toStdString();
        EXPECT_TRUE(store.list(0).empty()) << c.what;
        QString why;
        EXPECT_TRUE(store.keep(test::sceneOf(3, 1), {}, &why).has_value()) << c.what << ": " << why.toStdString();
        // The damaged file is beside it under a new name, as it was.
        const QStringList aside = QDir(dir.path()).entryList({QFileInfo(f).fileName() + QStringLiteral(".damaged-*")},
                                                             QDir::AllEntries | QDir::NoDotAndDotDot);
        ASSERT_EQ(aside.size(), 1) << c.what;
        if (!before.isEmpty())
            EXPECT_EQ(digest(dir.filePath(aside.front())), before) << c.what;
        else
            EXPECT_TRUE(QFileInfo(dir.filePath(aside.front() + QStringLiteral("/inside"))).isDir()) << c.what;
    }
}

TEST_F(GalleryStoreTest, AGalleryOfALaterVersionIsLeftAlone)
{
    {
        GalleryStore store(file());
        ASSERT_TRUE(store.keep(test::sceneOf(2, 1), {}, nullptr).has_value());
    }
    sql(file(), {QStringLiteral("PRAGMA user_version = %1").arg(kGalleryFormatVersion + 1),
                 QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")});
    const QByteArray before = digest(file());
    {
        GalleryStore store(file());
        EXPECT_TRUE(store.unavailable().contains(QStringLiteral("较新版本"))) << store.unavailable().toStdString();
        QString why;
        EXPECT_FALSE(store.keep(test::sceneOf(2, 2), {}, &why).has_value());
        EXPECT_FALSE(why.isEmpty());
        EXPECT_TRUE(store.list(0).empty());
    }
    EXPECT_EQ(digest(file()), before);
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*.damaged-*")}).isEmpty());
}

TEST_F(GalleryStoreTest, TwoProgramsKeepAtOnceAndAKilledOneLosesNothing)
{
    {
        GalleryStore store(file());   // made before the programs start
    }
    QProcess a, b;
    a.start(QStringLiteral(LH_GALLERY_KEEPER), {file(), QStringLiteral("30"), QStringLiteral("1000")});
    b.start(QStringLiteral(LH_GALLERY_KEEPER), {file(), QStringLiteral("30"), QStringLiteral("2000")});
    GalleryStore here(file());
    for (std::uint32_t seed = 3000; seed < 3010; ++seed) {
        QString why;
        ASSERT_TRUE(here.keep(test::sceneOf(5, seed), {}, &why).has_value()) << why.toStdString();
    }
    ASSERT_TRUE(a.waitForFinished(120000));
    ASSERT_TRUE(b.waitForFinished(120000));
    EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();
    EXPECT_EQ(here.list(0).size(), 70u);

    // Killed right after its keep returned: the design is there.
    EXPECT_EQ(keeper({file(), QStringLiteral("1"), QStringLiteral("4000"), QStringLiteral("kill")}), -1);
    GalleryStore after(file());
    EXPECT_EQ(after.list(0).size(), 71u);
    QString why;
    EXPECT_TRUE(after.load(after.list(0).front().id, &why).has_value()) << why.toStdString();
}

TEST_F(GalleryStoreTest, DesignFilesCarryDesignsAndDamagedOrForeignOnesChangeNothing)
{
    GalleryStore source(file("source.sqlite"));
    for (std::uint32_t seed = 1; seed <= 3; ++seed)
        ASSERT_TRUE(source.keep(test::sceneOf(1, seed, true), {}, nullptr).has_value());
    ASSERT_TRUE(source.keep(test::sceneOf(6, 4), {}, nullptr).has_value());
    const std::vector<KeptEntry> kept = source.list(0);
    const QString shared = file("shared.lhd");
    QString why;
    ASSERT_TRUE(source.exportTo(shared, {kept[0].id, kept[1].id, kept[3].id}, &why)) << why.toStdString();
    EXPECT_FALSE(QFileInfo::exists(shared + QStringLiteral(".part")));

    GalleryStore target(file("target.sqlite"));
    ASSERT_TRUE(target.keep(test::sceneOf(1, 3, true), {}, nullptr).has_value());   // kept[1] already there
    const auto imported = target.importFrom(shared, &why);
    ASSERT_TRUE(imported.has_value()) << why.toStdString();
    EXPECT_EQ(imported->added, 2);
    EXPECT_EQ(imported->skipped, 1);
    ASSERT_EQ(target.list(0).size(), 3u);
    // The designs draw as they did in the first gallery.
    for (const KeptEntry& e : target.list(0)) {
        const auto there = target.load(e.id, &why);
        ASSERT_TRUE(there.has_value()) << why.toStdString();
        bool found = false;
        for (const KeptEntry& s : kept) {
            const auto here = source.load(s.id, &why);
            found = found || scene::renderScene(here->scene, 1) == scene::renderScene(there->scene, 1);
        }
        EXPECT_TRUE(found) << "design " << e.id;
    }
    // Importing again adds nothing.
    const auto again = target.importFrom(shared, &why);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->added, 0);
    EXPECT_EQ(again->skipped, 3);

    // Files that are no design file: refused, the gallery as it was.
    QFile shot(shared);
    ASSERT_TRUE(shot.open(QIODevice::ReadOnly));
    const QByteArray sharedBytes = shot.readAll();
    shot.close();
    auto write = [&](const char* name, const QByteArray& bytes) {
        QFile f(file(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return file(name);
    };
    {
        GalleryStore later(file("later.lhd"));
        ASSERT_TRUE(later.keep(test::sceneOf(2, 9), {}, nullptr).has_value());
    }
    sql(file("later.lhd"), {QStringLiteral("PRAGMA user_version = 99")});
    const struct Case {
        const char* what;
        QString path;
        const char* says;
    } refused[] = {
        {"random bytes", write("noise.lhd", QByteArray(5000, '\x5A')), "损坏"},
        {"cut short", write("short.lhd", sharedBytes.left(sharedBytes.size() / 2)), "损坏"},
        {"a picture", write("picture.lhd", QByteArray("\x89PNG\r\n\x1a\n") + QByteArray(100, '\0')), "损坏"},
        {"no file", file("missing.lhd"), "不是文件"},
        {"a folder", dir.path(), "不是文件"},
        {"a later version", file("later.lhd"), "较新"},
    };
    const std::vector<std::int64_t> before = ids(target.list(0));
    for (const Case& c : refused) {
        QString reason;
        EXPECT_FALSE(target.importFrom(c.path, &reason).has_value()) << c.what;
        EXPECT_TRUE(reason.contains(QString::fromUtf8(c.says))) << c.what << ": " << reason.toStdString();
        EXPECT_EQ(ids(target.list(0)), before) << c.what;
    }
}

// A gallery that cannot be used now is not damaged: locked by another
// program, on a read-only disk, on a full disk (no room for the log's index,
// or for a new gallery). The start waits a bounded time, says why in
// Chinese, leaves the file as it was and goes on without the gallery; the
// next start, with the cause gone, finds every design.
TEST_F(GalleryStoreTest, AGalleryThatCannotBeOpenedNowIsLeftAsItWasAndNotUsedThisRun)
{
    const QString mount = dir.filePath(QStringLiteral("disk"));
    ASSERT_TRUE(QDir().mkpath(mount));
    const auto keepThree = [](const QString& f) {
        GalleryStore store(f);
        for (std::uint32_t seed = 1; seed <= 3; ++seed)
            ASSERT_TRUE(store.keep(test::sceneOf(1, seed, true), {}, nullptr).has_value());
    };
    std::optional<test::FullTmpfs> disk;
    const QString onDisk = mount + QStringLiteral("/gallery.sqlite");
    const auto mountWith = [&](const char* size, bool designs) {
        disk.emplace(mount, size);
        EXPECT_TRUE(disk->mounted()) << disk->reason().toStdString();
        if (designs)
            keepThree(onDisk);
    };
    QSqlDatabase holder;
    const struct Case {
        const char* what;
        std::function<QString()> make;   // the gallery's file, made unusable
        std::function<void()> release;
        const char* says;
        int designs;   // once released
    } cases[] = {
        {"locked by another program",
         [&] {
             const QString f = file("locked.sqlite");
             keepThree(f);
             holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
             holder.setDatabaseName(f);
             EXPECT_TRUE(holder.open());
             QSqlQuery q(holder);
             EXPECT_TRUE(q.exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE")));
             EXPECT_TRUE(q.exec(QStringLiteral("BEGIN EXCLUSIVE")));
             return f;
         },
         [&] {
             {
                 QSqlQuery q(holder);
                 q.exec(QStringLiteral("COMMIT"));
             }
             holder.close();
             holder = QSqlDatabase();
             QSqlDatabase::removeDatabase(QStringLiteral("holder"));
         },
         "别的程序占用", 3},
        {"on a read-only disk",
         [&] {
             mountWith("8m", true);
             EXPECT_TRUE(disk->makeReadOnly());
             return onDisk;
         },
         [&] { disk.reset(); }, "只能读", -1},
        {"on a full disk",
         [&] {
             mountWith("8m", true);
             EXPECT_TRUE(disk->fill());
             return onDisk;
         },
         [&] { QFile::remove(mount + QStringLiteral("/filler")); }, "磁盘已满", 3},
        {"none yet, on a full disk",
         [&] {
             mountWith("1m", false);
             EXPECT_TRUE(disk->fill());
             return onDisk;
         },
         [&] { QFile::remove(mount + QStringLiteral("/filler")); }, "磁盘已满", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString f = c.make();
        const QString folder = QFileInfo(f).absolutePath();
        const QByteArray before = digest(f);
        {
            GalleryStore store(f);
            const QString why = store.unavailable();
            EXPECT_FALSE(why.isEmpty());
            EXPECT_TRUE(why.contains(QStringLiteral("这次运行不使用收藏夹"))) << why.toStdString();
            EXPECT_TRUE(why.contains(QString::fromUtf8(c.says))) << why.toStdString();
            for (const char* english : {"database", "disk", "unable", "locked", "readonly"})
                EXPECT_FALSE(why.section(u'\n', 0, 0).contains(QLatin1String(english))) << why.toStdString();
            EXPECT_TRUE(store.openingNote().isEmpty()) << store.openingNote().toStdString();
            EXPECT_TRUE(store.list(0).empty());
            QString keepWhy;
            EXPECT_FALSE(store.keep(test::sceneOf(2, 1), {}, &keepWhy).has_value());
            EXPECT_EQ(keepWhy, why);
        }
        if (!before.isEmpty()) {
            EXPECT_EQ(digest(f), before);
        }
        EXPECT_TRUE(QDir(folder).entryList({QStringLiteral("*.damaged-*")}).isEmpty());
        c.release();
        if (c.designs >= 0) {
            GalleryStore again(f);
            EXPECT_TRUE(again.unavailable().isEmpty()) << again.unavailable().toStdString();
            EXPECT_TRUE(again.openingNote().isEmpty()) << again.openingNote().toStdString();
            EXPECT_EQ(again.list(0).size(), static_cast<std::size_t>(c.designs));
        }
        disk.reset();
    }
}

// The gallery's file moved, replaced or deleted while the program runs: a
// keep would go into a file no start opens again, so it is refused and
// said, never reported kept.
TEST_F(GalleryStoreTest, AKeepIntoAFileReplacedUnderTheProgramIsRefused)
{
    const struct Case {
        const char* what;
        std::function<void(const QString&)> change;
    } cases[] = {
        {"replaced by a folder",
         [](const QString& f) {
             ASSERT_EQ(std::rename(QFile::encodeName(f).constData(), QFile::encodeName(f + ".old").constData()), 0);
             ASSERT_TRUE(QDir().mkpath(f));
         }},
        {"replaced by another gallery",
         [](const QString& f) {
             ASSERT_EQ(std::rename(QFile::encodeName(f).constData(), QFile::encodeName(f + ".old").constData()), 0);
             GalleryStore other(f);
         }},
        {"deleted", [](const QString& f) { ASSERT_TRUE(QFile::remove(f)); }},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString f = file(qPrintable(QStringLiteral("changed%1.sqlite").arg(++n)));
        GalleryStore store(f);
        QString why;
        ASSERT_TRUE(store.keep(test::sceneOf(2, 1), {}, &why).has_value()) << why.toStdString();
        c.change(f);
        EXPECT_FALSE(store.keep(test::sceneOf(2, 2), {}, &why).has_value());
        EXPECT_TRUE(why.contains(QStringLiteral("被移走或换掉"))) << why.toStdString();
    }
}

// Another program holding the gallery while a design is kept: the keep
// waits a bounded time, then says in Chinese that the gallery is busy; once
// the other program lets go, the next keep goes in.
TEST_F(GalleryStoreTest, AKeepWhileAnotherProgramHoldsTheGalleryIsToldAndTheNextOneGoesIn)
{
    GalleryStore store(file());
    QString why;
    ASSERT_TRUE(store.keep(test::sceneOf(2, 1), {}, &why).has_value()) << why.toStdString();
    {
        QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
        holder.setDatabaseName(file());
        ASSERT_TRUE(holder.open());
        {
            QSqlQuery q(holder);
            ASSERT_TRUE(q.exec(QStringLiteral("BEGIN IMMEDIATE")));
            EXPECT_FALSE(store.keep(test::sceneOf(2, 2), {}, &why).has_value());
            EXPECT_TRUE(why.contains(QStringLiteral("别的程序占用"))) << why.toStdString();
            EXPECT_FALSE(why.contains(QLatin1String("locked"))) << why.toStdString();
            ASSERT_TRUE(q.exec(QStringLiteral("COMMIT")));
        }
        holder.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("holder"));
    ASSERT_TRUE(store.keep(test::sceneOf(2, 2), {}, &why).has_value()) << why.toStdString();
    EXPECT_EQ(store.count(), 2);
}

// A copy of a gallery (in write-ahead-log mode) on read-only media, such as
// a backup disc, imports as a design file: read as it lies, not taken for
// damage because no log index can be made beside it.
TEST_F(GalleryStoreTest, AGalleryCopyOnReadOnlyMediaImports)
{
    const QString mount = dir.filePath(QStringLiteral("disc"));
    ASSERT_TRUE(QDir().mkpath(mount));
    test::FullTmpfs disc(mount, "8m");
    ASSERT_TRUE(disc.mounted()) << disc.reason().toStdString();
    const QString backup = mount + QStringLiteral("/gallery.sqlite");
    {
        GalleryStore store(backup);
        for (std::uint32_t seed = 1; seed <= 3; ++seed)
            ASSERT_TRUE(store.keep(test::sceneOf(1, seed, true), {}, nullptr).has_value());
    }
    ASSERT_TRUE(disc.makeReadOnly());
    GalleryStore target(file());
    QString why;
    const auto imported = target.importFrom(backup, &why);
    ASSERT_TRUE(imported.has_value()) << why.toStdString();
    EXPECT_EQ(imported->added, 3);
}

// A design file is written under a name of its own beside the file and put in
// its place whole: files that happen to be called "<name>.part" (or its
// journal) are not touched.
TEST_F(GalleryStoreTest, ADesignFileExportTouchesNoOtherFile)
{
    GalleryStore source(file("source.sqlite"));
    ASSERT_TRUE(source.keep(test::sceneOf(4, 1), {}, nullptr).has_value());
    const QDir out(dir.filePath(QStringLiteral("out")));
    ASSERT_TRUE(QDir().mkpath(out.path()));
    const QStringList others = {QStringLiteral("shared.lhd.part"), QStringLiteral("shared.lhd.part-journal")};
    for (const QString& other : others) {
        QFile mine(out.filePath(other));
        ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
        mine.write("mine");
    }
    QString why;
    ASSERT_TRUE(source.exportTo(out.filePath(QStringLiteral("shared.lhd")), {source.list(0).front().id}, &why))
        << why.toStdString();
    EXPECT_EQ(out.entryList(QDir::Files), QStringList({QStringLiteral("shared.lhd")}) + others);
    for (const QString& other : others) {
        QFile mine(out.filePath(other));
        ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
        EXPECT_EQ(mine.readAll(), QByteArray("mine")) << other.toStdString();
    }
}

// The number a keep reports is the number of designs in the gallery, also
// when another program kept or this one removed or imported designs since.
TEST_F(GalleryStoreTest, AKeepSaysHowManyDesignsTheGalleryHolds)
{
    GalleryStore store(file());
    GalleryStore other(file());   // another program on the same gallery
    std::uint32_t seed = 0;
    const auto keepIn = [&seed](GalleryStore& s, bool again = false) {
        if (!again)
            ++seed;
        const auto kept = s.keep(test::sceneOf(3, seed), {}, nullptr);
        EXPECT_TRUE(kept.has_value());
        return kept ? kept->total : -1;
    };
    const struct Step {
        const char* what;
        std::function<void()> act;
    } steps[] = {
        {"a keep", [&] { keepIn(store); }},
        {"the same design again", [&] { keepIn(store, true); }},
        {"another program's keeps", [&] { keepIn(other), keepIn(other); }},
        {"a removal", [&] { ASSERT_TRUE(store.remove({store.list(0).back().id}, nullptr)); }},
        {"an import", [&] {
             GalleryStore source(file("source.sqlite"));
             ASSERT_TRUE(source.keep(test::sceneOf(5, 99), {}, nullptr).has_value());
             ASSERT_TRUE(source.exportTo(file("shared.lhd"), {source.list(0).front().id}, nullptr));
             ASSERT_TRUE(store.importFrom(file("shared.lhd"), nullptr).has_value());
         }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        const std::int64_t again = keepIn(store, true);   // the last design again: nothing added
        EXPECT_EQ(again, store.count());
        const std::int64_t added = keepIn(store);
        EXPECT_EQ(added, store.count());
    }
}
