// The gallery window: newest first with the first selected, the category
// filter, Enter opening the design drawn again pixel for pixel at the
// viewer's top left, Delete asking (No by default) before removing, Ctrl+E
// exporting the selected designs into a folder, and design files through the
// menu.

#include "gallery/DesignViewer.h"
#include "gallery/GalleryModel.h"
#include "gallery/GalleryStore.h"
#include "gallery/GalleryWindow.h"

#include "GalleryTestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QImageReader>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace lh;
using namespace lh::gallery;

namespace {

class GalleryWindowTest : public ::testing::Test, protected test::FakeServices {
protected:
    void SetUp() override
    {
        // Kept oldest first: category 3, then 1 (dressed), then 7 (designs
        // kept in one millisecond list in the order they were kept).
        for (const scene::DesignScene& s : {test::sceneOf(3, 1), test::sceneOf(1, 2, true), test::sceneOf(7, 3)})
            ASSERT_TRUE(store.keep(s, scene::renderScene(s, 1), nullptr).has_value());
        window = std::make_unique<GalleryWindow>(services, store);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(window->view(), static_cast<Qt::Key>(k), mods);
    }
    int currentCategory() const { return window->model().entry(window->view()->currentIndex().row()).category; }

    QTemporaryDir dir;
    GalleryStore store{dir.filePath(QStringLiteral("gallery.sqlite"))};
    std::unique_ptr<GalleryWindow> window;
};

}   // namespace

TEST_F(GalleryWindowTest, OpensNewestFirstWithTheFirstSelectedAndFiltersByCategory)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("蓝禾图案收藏"));
    ASSERT_EQ(window->model().rowCount(), 3);
    EXPECT_EQ(window->selectedIds(), std::vector<std::int64_t>{window->model().entry(0).id});
    EXPECT_EQ(currentCategory(), 7);
    EXPECT_TRUE(window->model().data(window->model().index(0), Qt::DisplayRole).toString().startsWith(
        QStringLiteral("第7大类\n")));
    EXPECT_TRUE(window->view()->hasFocus());

    key(Qt::Key_Right);
    EXPECT_EQ(currentCategory(), 1);
    key(Qt::Key_End);
    EXPECT_EQ(currentCategory(), 3);

    auto* filter = window->findChild<QComboBox*>(QStringLiteral("cboCategory"));
    ASSERT_NE(filter, nullptr);
    ASSERT_EQ(filter->count(), 12);
    filter->setCurrentIndex(1);   // category 1
    ASSERT_EQ(window->model().rowCount(), 1);
    EXPECT_EQ(currentCategory(), 1);
    filter->setCurrentIndex(0);
    EXPECT_EQ(window->model().rowCount(), 3);
}

TEST_F(GalleryWindowTest, EnterOpensTheDesignDrawnAgainPixelForPixel)
{
    key(Qt::Key_Right);   // the dressed photo design
    key(Qt::Key_Return);
    auto* viewer = window->findChild<DesignViewer*>();
    ASSERT_NE(viewer, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
    const QImage expected = scene::renderScene(test::sceneOf(1, 2, true), 1).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(viewer->size(), QSize(857, 857));
    const QImage shown = viewer->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, expected);
    EXPECT_TRUE(viewer->windowTitle().contains(QStringLiteral("第1大类")));
}

TEST_F(GalleryWindowTest, DeleteAsksWithNoByDefaultAndRemovesOnlyOnYes)
{
    const std::int64_t first = window->model().entry(0).id;
    messages.answers = {false};
    key(Qt::Key_Delete);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].title, QStringLiteral("询问"));
    EXPECT_EQ(messages.messages[0].byDefault, MessageBoxes::Default::No);
    EXPECT_EQ(store.list(0).size(), 3u);

    // Two selected, Yes: both go, the next one is selected.
    key(Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_EQ(window->selectedIds().size(), 2u);
    messages.answers = {true};
    key(Qt::Key_Delete);
    ASSERT_EQ(store.list(0).size(), 1u);
    EXPECT_NE(store.list(0).front().id, first);
    EXPECT_EQ(window->model().rowCount(), 1);
    EXPECT_EQ(currentCategory(), 3);
}

TEST_F(GalleryWindowTest, CtrlEExportsTheSelectedDesignsIntoAFolder)
{
    QTemporaryDir out;
    key(Qt::Key_End, Qt::ShiftModifier);   // all three
    exports.folderAnswers.push_back(FolderExportChoice{2, 300, out.path()});
    key(Qt::Key_E, Qt::ControlModifier);
    ASSERT_EQ(exports.folderAsked.size(), 1u);
    QDir folder(out.path());
    const QStringList files = folder.entryList({QStringLiteral("*.png")});
    ASSERT_EQ(files.size(), 3) << files.join(u' ').toStdString();
    EXPECT_EQ(QImageReader(folder.filePath(files.front())).size(), QSize(1714, 1714));

    // Again into the same folder: asked once before replacing; No writes nothing.
    const QDateTime before = QFileInfo(folder.filePath(files.front())).lastModified();
    exports.folderAnswers.push_back(FolderExportChoice{1, 300, out.path()});
    messages.answers = {false};
    key(Qt::Key_E, Qt::ControlModifier);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, QStringLiteral("文件已经存在，是否覆盖文件？"));
    EXPECT_EQ(QImageReader(folder.filePath(files.front())).size(), QSize(1714, 1714));
    EXPECT_EQ(QFileInfo(folder.filePath(files.front())).lastModified(), before);
}

TEST_F(GalleryWindowTest, DesignFilesThroughTheMenu)
{
    QTemporaryDir out;
    const QString shared = out.filePath(QStringLiteral("mine"));
    key(Qt::Key_End, Qt::ShiftModifier);
    files.saveAnswers.push_back(shared);
    window->findChild<QAction*>(QStringLiteral("mnuFileExport"))->trigger();
    ASSERT_TRUE(QFileInfo::exists(shared + QStringLiteral(".lhd")));

    GalleryStore other(out.filePath(QStringLiteral("other.sqlite")));
    GalleryWindow otherWindow(services, other);
    files.openAnswers.push_back(shared + QStringLiteral(".lhd"));
    otherWindow.findChild<QAction*>(QStringLiteral("mnuFileImport"))->trigger();
    EXPECT_EQ(other.list(0).size(), 3u);
    EXPECT_EQ(otherWindow.model().rowCount(), 3);
    ASSERT_FALSE(messages.messages.empty());
    EXPECT_TRUE(messages.messages.back().text.contains(QStringLiteral("已加入 3 个图案")));
}
