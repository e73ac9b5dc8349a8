// Design files made by someone else, as an attacker would make them with
// sqlite3 and a script: views and triggers where tables belong, photos too
// large or shared by many designs, thumbnails far larger than the gallery's,
// texts longer than any box holds, stamps and places no window makes,
// numbers that are not numbers. Each is imported and its designs drawn in a
// probe process of bounded memory and time: refused with its reason, or
// imported and drawn within the memory a few designs take.

#include "gallery/GalleryModel.h"
#include "gallery/GalleryStore.h"
#include "gallery/GalleryWindow.h"

#include "GalleryTestSupport.h"
#include "design/DesignCodec.h"
#include "scene/SceneCodec.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QAction>
#include <QFile>
#include <QImageWriter>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>

using namespace lh;
using namespace lh::gallery;

namespace {

// A few designs and one photo's pixels; AddressSanitizer holds up to 256 MB of
// freed memory in quarantine on top of that.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kMostPeakKb = (300 + 256) * 1024;
#else
constexpr long kMostPeakKb = 300 * 1024;
#endif


// Runs statements on a database file from a connection of its own, each
// with its values bound.
void exec(const QString& file, const std::vector<std::pair<QString, QVariantList>>& statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("attacker"));
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        for (const auto& [sql, values] : statements) {
            QSqlQuery q(db);
            ASSERT_TRUE(q.prepare(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
            for (const QVariant& v : values)
                q.addBindValue(v);
            ASSERT_TRUE(q.exec()) << sql.toStdString() << ": " << q.lastError().text().toStdString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("attacker"));
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setCompression(1);
    EXPECT_TRUE(writer.write(image));
    return out;
}

// Pixels that do not compress: a photo file as large as its size allows.
QImage noise(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = 0xFF000000u | (random() & 0xFFFFFFu);
    }
    return image;
}

QImage plain(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 90));
    return image;
}

const QString kView = QStringLiteral(
    "CREATE VIEW designs AS WITH RECURSIVE r(id, category, kept_at, record, scene, photo_id, thumbnail, hash) AS "
    "(SELECT 1, 4, 0, x'00', x'00', NULL, x'00', x'00' UNION ALL "
    "SELECT id + 1, category, kept_at + 1, record, scene, photo_id, thumbnail, hash FROM r) SELECT * FROM r");

// Copies of the designs of the file many times over, each with a hash of its own.
const QString kManyCopies = QStringLiteral(
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 149) "
    "INSERT INTO designs (category, kept_at, record, scene, photo_id, thumbnail, hash) "
    "SELECT d.category, d.kept_at + i, d.record, d.scene, d.photo_id, d.thumbnail, randomblob(20) "
    "FROM designs d, n WHERE d.photo_id IS NOT NULL");

class HostileDesignFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        GalleryStore source(dir.filePath(QStringLiteral("source.sqlite")));
        ASSERT_TRUE(source.keep(photoDesign, {}, nullptr).has_value());
        ASSERT_TRUE(source.keep(ringDesign, {}, nullptr).has_value());
        std::vector<std::int64_t> ids;
        for (const KeptEntry& e : source.list(0))
            ids.push_back(e.id);
        QString why;
        ASSERT_TRUE(source.exportTo(base, ids, &why)) << why.toStdString();
    }

    // A copy of the two-design file, changed.
    QString madeFrom(const char* name, const std::vector<std::pair<QString, QVariantList>>& changes)
    {
        const QString file = dir.filePath(QString::fromLatin1(name));
        QFile::remove(file);
        EXPECT_TRUE(QFile::copy(base, file));
        exec(file, changes);
        return file;
    }
    // The ring design's record with its ring texts replaced.
    QByteArray ringRecord(const QString& ringText) const
    {
        design::DesignRecord record = ringDesign.record;
        for (design::RecordedText& t : record.texts)
            if (t.name.startsWith(QLatin1String("Text")))
                t.value = ringText;
        return design::encodeRecord(record);
    }
    // The ring design's record on a background picture of `side` pixels.
    QByteArray backgroundRecord(int side) const
    {
        design::DesignRecord r = ringDesign.record;
        r.before.background = QImage(side, side, QImage::Format_RGB32);
        r.before.background.fill(Qt::darkGreen);
        return design::encodeRecord(r);
    }
    QByteArray sceneWith(const std::function<void(scene::DesignScene&)>& change) const
    {
        scene::DesignScene s = photoDesign;
        change(s);
        return scene::encodeSceneExtras(s);
    }

    QTemporaryDir dir;
    QString base = dir.filePath(QStringLiteral("base.lhd"));
    scene::DesignScene photoDesign = test::sceneOf(1, 3, true);
    scene::DesignScene ringDesign = test::sceneOf(4, 9);
};

}   // namespace

TEST_F(HostileDesignFiles, AreRefusedOrImportedAndDrawnWithinBoundedMemoryAndTime)
{
    // The ring design draws its ring texts: a long one there is laid out.
    ASSERT_TRUE(std::any_of(ringDesign.record.texts.begin(), ringDesign.record.texts.end(),
                            [](const design::RecordedText& t) { return t.name.startsWith(QLatin1String("Text")); }));
    const QString zeroWidth(1, QChar(0x200B));
    const QString photoRow = QStringLiteral("UPDATE designs SET scene = ? WHERE photo_id IS NOT NULL");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct Case {
        const char* what;
        QString file;
        int status;         // of the probe: 0 imported and drawn, 1 refused
        const char* says;   // in the refusal
    } cases[] = {
        {"designs a recursive view",
         madeFrom("view.lhd", {{QStringLiteral("DROP TABLE designs"), {}}, {kView, {}}}), 1, "不是蓝禾图案收藏文件"},
        {"a trigger",
         madeFrom("trigger.lhd",
                  {{QStringLiteral("CREATE TRIGGER t AFTER INSERT ON photos BEGIN SELECT 1; END"), {}}}),
         1, "不是蓝禾图案收藏文件"},
        {"a table more", madeFrom("table.lhd", {{QStringLiteral("CREATE TABLE notes (text TEXT)"), {}}}), 1,
         "不是蓝禾图案收藏文件"},
        {"a column more", madeFrom("column.lhd", {{QStringLiteral("ALTER TABLE designs ADD COLUMN x"), {}}}), 1,
         "不是蓝禾图案收藏文件"},
        {"a photo beyond 1024 pixels",
         madeFrom("large-photo.lhd",
                  {{QStringLiteral("UPDATE photos SET picture = ?"), {encoded(noise(1025, 16), "png")}}}),
         1, "1024"},
        {"one full-size photo shared by 150 designs",
         madeFrom("shared.lhd", {{QStringLiteral("UPDATE photos SET picture = ?"), {encoded(noise(1024, 1024), "png")}},
                                 {kManyCopies, {}}}),
         0, ""},
        {"thumbnails of 4096 pixels",
         madeFrom("thumbnails.lhd",
                  {{QStringLiteral("UPDATE designs SET thumbnail = ?"), {encoded(plain(4096, 4096), "jpeg")}}}),
         0, ""},
        {"thumbnails that are no picture",
         madeFrom("no-thumbnails.lhd", {{QStringLiteral("UPDATE designs SET thumbnail = x'FFD8FF00'"), {}}}), 0, ""},
        {"a ring of 30,000 zero-width spaces",
         madeFrom("ring.lhd", {{QStringLiteral("UPDATE designs SET record = ? WHERE category = 4"),
                                {ringRecord(zeroWidth.repeated(30000))}}}),
         0, ""},
        {"a ring of 60,000 zero-width spaces, more than a text box holds",
         madeFrom("long-ring.lhd", {{QStringLiteral("UPDATE designs SET record = ? WHERE category = 4"),
                                     {ringRecord(zeroWidth.repeated(60000))}}}),
         1, "图案记录已损坏"},
        {"a background of 2000 pixels, larger than the surface",
         madeFrom("background.lhd", {{QStringLiteral("UPDATE designs SET record = ? WHERE category = 4"),
                                      {backgroundRecord(2000)}}}),
         1, "图案记录已损坏"},
        {"a background of 5700 pixels, a record larger than any window makes",
         madeFrom("huge-background.lhd", {{QStringLiteral("UPDATE designs SET record = ? WHERE category = 4"),
                                           {backgroundRecord(5700)}}}),
         1, "超出了本程序能做的范围"},
        {"a draw that is not a number",
         madeFrom("nan-draw.lhd", {{QStringLiteral("UPDATE designs SET record = ? WHERE category = 4"), {[&] {
                                        design::DesignRecord r = ringDesign.record;
                                        r.draws.front() = std::numeric_limits<float>::quiet_NaN();
                                        return design::encodeRecord(r);
                                    }()}}}),
         1, "图案记录已损坏"},
        {"1,001 stamps",
         madeFrom("stamps.lhd", {{photoRow, {sceneWith([](scene::DesignScene& s) {
                                      s.stamps.resize(1001, s.stamps.front());
                                  })}}}),
         1, "图案场景数据已损坏"},
        {"a stamp of 65535 pixels",
         madeFrom("stamp-font.lhd", {{photoRow, {sceneWith([](scene::DesignScene& s) {
                                          s.stamps.front().font.height = -65535;
                                      })}}}),
         1, "图案场景数据已损坏"},
        {"a stamp placed at no number",
         madeFrom("nan-stamp.lhd", {{photoRow, {sceneWith([nan](scene::DesignScene& s) { s.stamps.front().xTwips = nan; })}}}),
         1, "图案场景数据已损坏"},
        {"a photo place of 40000 pixels",
         madeFrom("photo-place.lhd", {{photoRow, {sceneWith([](scene::DesignScene& s) {
                                           s.overlay->photo = QRect(0, 0, 40000, 40000);
                                       })}}}),
         1, "图案场景数据已损坏"},
        {"a category its scene does not have",
         madeFrom("category.lhd", {{QStringLiteral("UPDATE designs SET category = 7 WHERE category = 4"), {}}}), 1,
         "类别"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QProcess probe;
        probe.start(QStringLiteral(LH_IMPORT_PROBE), {c.file});
        // A file that holds the program fails here instead of hanging the test.
        ASSERT_TRUE(probe.waitForFinished(60000));
        const QString said = QString::fromUtf8(probe.readAllStandardOutput());
        EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(probe.exitCode(), c.status) << said.toStdString();
        if (c.status == 1) {
            EXPECT_TRUE(said.contains(QString::fromUtf8(c.says))) << said.toStdString();
            EXPECT_FALSE(said.contains(QStringLiteral("（）"))) << said.toStdString();
        }
        // A few designs and one photo's pixels, never one copy per design.
        const QString peak = said.section(QStringLiteral("peak_kb "), 1).trimmed();
        ASSERT_FALSE(peak.isEmpty()) << said.toStdString();
        EXPECT_LT(peak.toLong(), kMostPeakKb) << said.toStdString();
    }
}

// The photo's key comes from its pixels: a file that names another photo's
// key changes nothing of the designs already kept with that photo.
TEST_F(HostileDesignFiles, APhotoUnderAnotherPhotosKeyStaysItself)
{
    GalleryStore target(dir.filePath(QStringLiteral("target.sqlite")));
    scene::DesignScene own = test::sceneOf(1, 20, true);
    own.record.photo = test::patterned(120, 90, 5);
    const auto kept = target.keep(own, {}, nullptr);
    ASSERT_TRUE(kept.has_value());
    QByteArray ownKey;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
        db.setDatabaseName(dir.filePath(QStringLiteral("target.sqlite")));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT hash FROM photos")) && q.next());
        ownKey = q.value(0).toByteArray();
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
    const QString poisoned = madeFrom("poisoned.lhd", {{QStringLiteral("UPDATE photos SET hash = ?"), {ownKey}}});

    QString why;
    const auto imported = target.importFrom(poisoned, &why);
    ASSERT_TRUE(imported.has_value()) << why.toStdString();
    EXPECT_EQ(imported->added, 2);
    for (const KeptEntry& e : target.list(1)) {
        const auto loaded = target.load(e.id, &why);
        ASSERT_TRUE(loaded.has_value()) << why.toStdString();
        const QImage expected = (e.id == kept->id ? own : photoDesign).record.photo;
        EXPECT_EQ(loaded->scene.record.photo.convertToFormat(QImage::Format_RGB32),
                  expected.convertToFormat(QImage::Format_RGB32))
            << "design " << e.id;
    }
}

namespace {

// A store whose thumbnails are 1000 × 1000 pixels (4 MB each).
class LargeThumbnails : public KeptDesigns {
public:
    QString unavailable() const override { return {}; }
    std::optional<KeepOutcome> keep(const scene::DesignScene&, const QImage&, QString*) override { return {}; }
    std::vector<KeptEntry> list(int) override
    {
        std::vector<KeptEntry> entries;
        for (std::int64_t id = 1; id <= 100; ++id)
            entries.push_back({id, 2, QDateTime()});
        return entries;
    }
    QImage thumbnail(std::int64_t) override
    {
        QImage image(1000, 1000, QImage::Format_RGB32);
        image.fill(Qt::red);
        return image;
    }
    std::optional<KeptScene> load(std::int64_t, QString*) override { return {}; }
    bool remove(const std::vector<std::int64_t>&, QString*) override { return false; }
    bool exportTo(const QString&, const std::vector<std::int64_t>&, QString*) override { return false; }
    std::optional<ImportOutcome> importFrom(const QString&, QString*) override { return {}; }
};

}   // namespace

// The thumbnail cache is bounded in bytes: thumbnails far larger than the
// gallery's make it hold fewer, not 600 of them.
TEST(GalleryThumbnailCache, IsBoundedInBytes)
{
    LargeThumbnails store;
    GalleryModel model(store);
    model.reload(0);
    for (int row = 0; row < 40; ++row)
        model.data(model.index(row), Qt::DecorationRole);
    ASSERT_EQ(model.thumbnailsRead(), 40);
    // 40 of 4 MB are far more than the cache holds: the first was let go.
    model.data(model.index(0), Qt::DecorationRole);
    EXPECT_EQ(model.thumbnailsRead(), 41);
    // The last one read is still there.
    model.data(model.index(39), Qt::DecorationRole);
    EXPECT_EQ(model.thumbnailsRead(), 41);
}

// An import tells its progress through the program's progress dialog, in
// parts of a thousand, and can be cancelled there; a cancelled import adds
// nothing and says so.
TEST_F(HostileDesignFiles, AnImportShowsItsProgressAndACancelledOneAddsNothing)
{
    GalleryStore target(dir.filePath(QStringLiteral("target.sqlite")));
    const struct Case {
        const char* what;
        int cancelAt;
        std::size_t designs;
        const char* says;
    } cases[] = {{"cancelled half way", 500, 0, "取消"}, {"to the end", -1, 2, "已加入 2 个图案"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::FakeServices fake;
        fake.files.openAnswers.push_back(base);
        fake.exports.cancelAt = c.cancelAt;
        GalleryWindow window(fake.services, target);
        window.findChild<QAction*>(QStringLiteral("mnuFileImport"))->trigger();
        ASSERT_EQ(fake.exports.progresses.size(), 1u);
        EXPECT_EQ(fake.exports.progresses.front().total, 1000);
        const std::vector<int> expected = c.cancelAt < 0 ? std::vector<int>{500, 1000} : std::vector<int>{500};
        EXPECT_EQ(fake.exports.progresses.front().values, expected);
        EXPECT_EQ(target.list(0).size(), c.designs);
        ASSERT_FALSE(fake.messages.messages.empty());
        EXPECT_TRUE(fake.messages.texts().back().contains(QString::fromUtf8(c.says)))
            << fake.messages.texts().back().toStdString();
    }
}

// While an import's progress lets the windows go on, a keep from one of
// them does not run inside the import's transaction: it is refused with the
// reason, and the import adds its designs.
TEST_F(HostileDesignFiles, AKeepDuringAnImportWaitsForItsEnd)
{
    GalleryStore target(dir.filePath(QStringLiteral("target.sqlite")));
    QString keepWhy, why;
    int keeps = 0;
    const auto imported = target.importWithProgress(base, &why, [&](qint64, qint64) {
        keeps += target.keep(test::sceneOf(2, 40), {}, &keepWhy).has_value() ? 1 : 0;
        return true;
    });
    ASSERT_TRUE(imported.has_value()) << why.toStdString();
    EXPECT_EQ(imported->added, 2);
    EXPECT_EQ(keeps, 0);
    EXPECT_TRUE(keepWhy.contains(QStringLiteral("正在导入"))) << keepWhy.toStdString();
    ASSERT_TRUE(target.keep(test::sceneOf(2, 40), {}, &why).has_value()) << why.toStdString();
    EXPECT_EQ(target.list(0).size(), 3u);
}
