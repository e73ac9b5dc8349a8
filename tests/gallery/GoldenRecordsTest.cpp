// Kept designs draw the same pixels in every later version of the program:
// the records stored in golden/designs.lhd (one design of each category, and
// one photo design with its ring, date and stamps), written by an earlier
// version, are drawn again and compared with the pictures stored beside them.
// A change of the engine or of the formats that would change a kept design
// fails here.
//
// The records and pictures were written by gallery_golden_writer (only ever
// run again for a deliberate change of the formats, never to make this test
// pass).

#include "gallery/GalleryStore.h"

#include "GoldenRecords.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace lh;
using namespace lh::gallery;

namespace {

const QString kGolden = QStringLiteral(LH_GOLDEN_DIR);


}   // namespace

TEST(GoldenRecords, StoredDesignsDrawTheirStoredPictures)
{
    QTemporaryDir dir;
    // A copy: opening a gallery may change its file.
    const QString copy = dir.filePath(QStringLiteral("designs.lhd"));
    ASSERT_TRUE(QFile::copy(QDir(kGolden).filePath(QStringLiteral("designs.lhd")), copy));
    GalleryStore store(copy);
    ASSERT_TRUE(store.unavailable().isEmpty()) << store.unavailable().toStdString();
    ASSERT_TRUE(store.openingNote().isEmpty()) << store.openingNote().toStdString();
    const std::vector<KeptEntry> entries = store.list(0);
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(design::kCategoryCount + 1));
    int dressed = 0;
    for (const KeptEntry& e : entries) {
        QString why;
        const auto kept = store.load(e.id, &why);
        ASSERT_TRUE(kept.has_value()) << why.toStdString();
        const bool withPhoto = !kept->scene.record.photo.isNull();
        dressed += withPhoto ? 1 : 0;
        if (withPhoto) {
            EXPECT_EQ(kept->scene.stamps.size(), 2u);
            EXPECT_TRUE(kept->scene.overlay && kept->scene.overlay->date);
        }
        const QImage stored(QDir(kGolden).filePath(test::goldenPictureName(e.category, withPhoto)));
        ASSERT_FALSE(stored.isNull()) << test::goldenPictureName(e.category, withPhoto).toStdString();
        const QImage drawn = scene::renderScene(kept->scene, 1);
        EXPECT_EQ(drawn.convertToFormat(QImage::Format_RGB32), stored.convertToFormat(QImage::Format_RGB32))
            << test::goldenPictureName(e.category, withPhoto).toStdString();
    }
    EXPECT_EQ(dressed, 1);
}
