// The gallery window: newest first with the first selected, the category
// filter, a design kept meanwhile taking its place, Enter opening the design
// drawn again pixel for pixel at the viewer's top left (once a design, a
// bounded number at once), Delete asking (No by default) before removing,
// Ctrl+E exporting the selected designs into a folder, Ctrl+P, the menu's
// entries for the keys, and design files through the menu.

#include "gallery/DesignViewer.h"
#include "gallery/GalleryModel.h"
#include "gallery/GalleryStore.h"
#include "gallery/GalleryWindow.h"

#include "GalleryTestSupport.h"

#include <QAction>
#include <QCoreApplication>
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
    // It ends with a word: how many, and where.
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text,
              QStringLiteral("已导出 3 个图案到文件夹：\n%1").arg(QDir::toNativeSeparators(out.path())));
    messages.messages.clear();

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

TEST_F(GalleryWindowTest, ADesignKeptMeanwhileTakesItsPlaceAndTheSelectionStays)
{
    key(Qt::Key_Right);   // the photo design selected
    const std::int64_t selected = window->selectedIds().front();
    auto* filter = window->findChild<QComboBox*>(QStringLiteral("cboCategory"));
    const struct Case {
        int filter;     // the category listed, 0 all
        int category;   // of the design kept
        bool listed;
    } cases[] = {{0, 5, true}, {0, 1, true}, {2, 4, false}, {2, 2, true}};
    std::uint32_t seed = 40;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter * 100 + c.category);
        filter->setCurrentIndex(filter->findData(c.filter));
        const int rows = window->model().rowCount();
        const scene::DesignScene s = test::sceneOf(c.category, ++seed);
        const std::optional<KeepOutcome> kept = store.keep(s, scene::renderScene(s, 1), nullptr);
        ASSERT_TRUE(kept.has_value());
        window->takeIn({kept->id, c.category, kept->kept});
        ASSERT_EQ(window->model().rowCount(), rows + (c.listed ? 1 : 0));
        // Listed where reading the list again would put it, and only once.
        window->takeIn({kept->id, c.category, kept->kept});
        std::vector<std::int64_t> shown, stored;
        for (int row = 0; row < window->model().rowCount(); ++row)
            shown.push_back(window->model().entry(row).id);
        for (const KeptEntry& e : store.list(c.filter))
            stored.push_back(e.id);
        EXPECT_EQ(shown, stored);
        if (c.filter == 0) {
            EXPECT_EQ(window->selectedIds(), std::vector<std::int64_t>{selected});
        } else {   // a list that was empty gets its first selected
            EXPECT_EQ(window->selectedIds().size(), c.listed ? 1u : 0u);
        }
    }
}

TEST_F(GalleryWindowTest, EnterBringsAnOpenViewerForwardAndOpensABoundedNumber)
{
    for (std::uint32_t seed = 10; seed < 10 + GalleryWindow::kMostViewers; ++seed) {
        const scene::DesignScene s = test::sceneOf(2, seed);
        ASSERT_TRUE(store.keep(s, scene::renderScene(s, 1), nullptr).has_value());
    }
    window->refresh();
    const auto openViewers = [this] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window->findChildren<DesignViewer*>();
    };
    // The same design again: its viewer, not another.
    key(Qt::Key_Home);
    DesignViewer* first = window->openSelected();
    ASSERT_NE(first, nullptr);
    for (int press = 0; press < 3; ++press)
        key(Qt::Key_Return);
    EXPECT_EQ(openViewers().size(), 1u);
    EXPECT_EQ(window->openSelected(), first);

    // One more design than may be open: the one opened longest ago closes.
    for (std::size_t n = 1; n <= GalleryWindow::kMostViewers; ++n) {
        key(Qt::Key_Right);
        key(Qt::Key_Return);
    }
    const QList<DesignViewer*> open = openViewers();
    EXPECT_EQ(static_cast<std::size_t>(open.size()), GalleryWindow::kMostViewers);
    EXPECT_FALSE(open.contains(first));
    // Closed by the user, a design's viewer opens anew.
    DesignViewer* last = window->openSelected();
    ASSERT_TRUE(open.contains(last));
    last->close();
    EXPECT_FALSE(openViewers().contains(last));
    DesignViewer* again = window->openSelected();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->isVisible());
    EXPECT_EQ(openViewers().size(), static_cast<qsizetype>(GalleryWindow::kMostViewers));
}

TEST_F(GalleryWindowTest, TheMenuHoldsTheKeysAndCtrlPSaysWhenNothingIsListed)
{
    int printed = 0;
    window->setPrintAction([&printed](QWidget*, const scene::DesignScene&) { ++printed; });
    const struct Case {
        const char* entry;
        const char* text;
        std::function<bool()> done;
    } cases[] = {
        {"mnuFileExportPictures", "导出图片…\tCtrl+E", [&] { return exports.folderAsked.size() == 1; }},
        {"mnuFilePrint", "打印…\tCtrl+P", [&] { return printed == 1; }},
        {"mnuFileDelete", "删除\tDel",
         [&] { return messages.messages.size() == 1 && messages.messages[0].title == QStringLiteral("询问"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        auto* entry = window->findChild<QAction*>(QString::fromLatin1(c.entry));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->text(), QString::fromUtf8(c.text));
        entry->trigger();
        EXPECT_TRUE(c.done());
    }
    EXPECT_EQ(store.list(0).size(), 3u);   // the question was answered No

    // An empty gallery: Ctrl+P and Ctrl+E say why nothing happens.
    QTemporaryDir emptyDir;
    GalleryStore empty(emptyDir.filePath(QStringLiteral("gallery.sqlite")));
    GalleryWindow nothing(services, empty);
    nothing.setPrintAction([&printed](QWidget*, const scene::DesignScene&) { ++printed; });
    nothing.show();
    nothing.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&nothing));
    messages.messages.clear();
    QTest::keyClick(nothing.view(), Qt::Key_P, Qt::ControlModifier);
    QTest::keyClick(nothing.view(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(messages.texts(),
              QStringList({QStringLiteral("没有可以打印的图案。"), QStringLiteral("请先选择要导出的图案。")}));
    EXPECT_EQ(printed, 1);
    EXPECT_EQ(exports.folderAsked.size(), 1u);
}

TEST_F(GalleryWindowTest, AFolderExportTakesARelativeFolderInTheProgramFolder)
{
    QTemporaryDir program;
    ASSERT_TRUE(QDir(program.path()).mkdir(QStringLiteral("out")));
    const QByteArray before = qgetenv("LH_PROGRAM_DIR");
    qputenv("LH_PROGRAM_DIR", QFile::encodeName(program.path()));
    const struct Case {
        const char* typed;
        const char* folder;   // in the program folder
    } cases[] = {{".", ""}, {"out", "out"}, {" out/ ", "out"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        QDir folder(QDir(program.path()).filePath(QString::fromUtf8(c.folder)));
        for (const QString& png : folder.entryList({QStringLiteral("*.png")}))
            ASSERT_TRUE(folder.remove(png));
        messages.messages.clear();
        exports.folderAnswers.push_back(FolderExportChoice{1, 300, QString::fromUtf8(c.typed)});
        key(Qt::Key_E, Qt::ControlModifier);
        EXPECT_EQ(folder.entryList({QStringLiteral("*.png")}).size(), 1);
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_TRUE(messages.messages[0].text.endsWith(QDir::toNativeSeparators(folder.absolutePath())))
            << messages.messages[0].text.toStdString();
    }
    if (before.isEmpty())
        qunsetenv("LH_PROGRAM_DIR");
    else
        qputenv("LH_PROGRAM_DIR", before);
}

// 导出收藏 asks the program's question about the file it will write, the
// ending added and the blanks around the name dropped; the dialog itself
// does not ask.
TEST_F(GalleryWindowTest, ADesignFileExportAsksAboutTheNameItWrites)
{
    QTemporaryDir out;
    const auto path = [&out](const char* name) { return out.filePath(QString::fromUtf8(name)); };
    for (const char* old : {"old.lhd", "old2.lhd"}) {
        QFile file(path(old));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    const struct Case {
        QString typed;
        const char* written;
        bool asked;
        bool answer;
    } cases[] = {
        {path("old"), "old.lhd", true, false},
        {path("old2.lhd "), "old2.lhd", true, false},
        {path("old"), "old.lhd", true, true},
        {path("new"), "new.lhd", false, false},
    };
    key(Qt::Key_End, Qt::ShiftModifier);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        messages.messages.clear();
        messages.answers = {c.answer};
        files.saveAnswers.push_back(c.typed);
        window->findChild<QAction*>(QStringLiteral("mnuFileExport"))->trigger();
        EXPECT_FALSE(files.saveCalls.back().askOverwrite);
        const bool written = !c.asked || c.answer;
        ASSERT_EQ(messages.messages.size(), (c.asked ? 1u : 0u) + (written ? 1u : 0u));
        if (c.asked) {
            EXPECT_TRUE(messages.messages[0].question);
            EXPECT_EQ(messages.messages[0].text, QStringLiteral("文件已经存在，是否覆盖文件？"));
            EXPECT_EQ(messages.messages[0].title, QStringLiteral("询问"));
            EXPECT_EQ(messages.messages[0].byDefault, MessageBoxes::Default::Yes);
        }
        const QString file = path(c.written);
        EXPECT_EQ(QFileInfo(file).size() > 3, written);
        if (written) {
            EXPECT_EQ(messages.messages.back().text,
                      QStringLiteral("已导出 3 个图案到：\n%1").arg(QDir::toNativeSeparators(file)));
        }
    }
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files),
              QStringList({QStringLiteral("new.lhd"), QStringLiteral("old.lhd"), QStringLiteral("old2.lhd")}));
}
