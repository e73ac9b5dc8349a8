#include "app/ProgramWindows.h"
#include "app/WindowSet.h"

#include "Fakes.h"
#include "core/Random.h"
#include "designer/CategoryWindow.h"
#include "designer/DesignerCore.h"
#include "gallery/GalleryStore.h"
#include "platform/TaskProgress.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <QCoreApplication>
#include <QFile>
#include <QAbstractItemView>
#include <QLabel>
#include <QPointer>
#include <QShortcut>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using lh::app::WindowSet;

namespace {

// The program's windows on scripted services.
class ProgramWindows : public ::testing::Test, protected lh::test::FakeServices {
protected:
    void SetUp() override
    {
        services.screen = &screen;
        lh::app::installProgramWindows(set, services, gallery);
    }

    struct NoScreen : lh::ScreenGrabber {
        bool canGrabScreen() const override { return false; }
        QImage grabDesktop() override { return {}; }
    };

    NoScreen screen;
    QTemporaryDir galleryDir;
    lh::gallery::GalleryStore gallery{galleryDir.filePath(QStringLiteral("gallery.sqlite"))};
    WindowSet set;
};

}   // namespace

TEST_F(ProgramWindows, CategoryButtonsShowOneDesignerAndLoadTheRestHiddenAndRunning)
{
    set.showMainWindow();
    ASSERT_NE(set.designer(1), nullptr);
    EXPECT_EQ(set.designer(1)->objectName(), QStringLiteral("Form1"));

    // The main window keeps its category buttons hidden; its Ctrl+2 acts like button "2".
    set.designer(1)->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(set.designer(1)));
    QTest::keyClick(set.designer(1), Qt::Key_2, Qt::ControlModifier);
    QWidget* form2 = set.designer(2);
    ASSERT_NE(form2, nullptr);
    EXPECT_TRUE(form2->isVisible());

    QTest::mouseClick(form2->findChild<QWidget*>(QStringLiteral("Command12")), Qt::LeftButton);
    for (int k = 1; k <= WindowSet::kDesignerWindows; ++k) {
        SCOPED_TRACE(k);
        QWidget* w = set.designer(k);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->objectName(), QStringLiteral("Form%1").arg(k));
        EXPECT_EQ(w->isVisible(), k == 5);
        auto* timer = w->findChild<QTimer*>(QStringLiteral("Timer1"));
        ASSERT_NE(timer, nullptr);
        EXPECT_TRUE(timer->isActive());
    }
    // The hidden full-recipe window draws in the background.
    auto* form11 = qobject_cast<lh::designer::CategoryWindow*>(set.designer(11));
    ASSERT_NE(form11, nullptr);
    form11->core().timer().setInterval(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form11->designCount() > 0; }, 20000));
}

TEST_F(ProgramWindows, ClosingTheLastDesignerOnScreenEndsTheProgram)
{
    int ends = 0;
    set.setMainWindowClosedHandler([&ends] { ++ends; });
    set.showMainWindow();
    set.showCategory(3);
    set.designer(3)->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends == 1; }, 5000));

    // With two designers on screen, closing one leaves the program running.
    set.showCategory(4);
    set.showMainWindow();
    set.designer(4)->close();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(ends, 1);
    set.designer(1)->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends == 2; }, 5000));
}

TEST_F(ProgramWindows, ToolsOpenedFromTheMainWindowAreOwnedByIt)
{
    set.showMainWindow();
    QWidget* main = set.designer(1);
    set.openCapture(main);
    set.openZoom(main);
    set.openPrinting(main);
    for (auto tool : {WindowSet::Tool::Capture, WindowSet::Tool::Zoom, WindowSet::Tool::Printing}) {
        ASSERT_NE(set.tool(tool), nullptr);
        EXPECT_EQ(set.tool(tool)->parentWidget(), main);
        EXPECT_TRUE(set.tool(tool)->isWindow());
    }
    set.startMusic();
    ASSERT_NE(set.musicWindow(), nullptr);
    EXPECT_EQ(set.musicWindow()->parentWidget(), main);
}

TEST_F(ProgramWindows, EveryToolOpensItsOwnWindowAndTheCloseBoxUnloadsIt)
{
    const struct {
        WindowSet::Tool tool;
        void (WindowSet::*open)(QWidget*);
        const char* name;
    } tools[] = {
        {WindowSet::Tool::Capture, &WindowSet::openCapture, "Form20"},
        {WindowSet::Tool::Zoom, &WindowSet::openZoom, "Form40"},
        {WindowSet::Tool::Printing, &WindowSet::openPrinting, "lhtdy"},
    };
    for (const auto& t : tools) {
        SCOPED_TRACE(t.name);
        (set.*t.open)(nullptr);
        QPointer<QWidget> window = set.tool(t.tool);
        ASSERT_TRUE(window);
        EXPECT_EQ(window->objectName(), QString::fromLatin1(t.name));
        EXPECT_TRUE(window->isVisible());
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull());
        (set.*t.open)(nullptr);
        ASSERT_NE(set.tool(t.tool), nullptr);
        set.tool(t.tool)->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(ProgramWindows, CtrlGAndCtrlBOnTheMainWindowOpenTheGrabberAndTheWallpaperMaker)
{
    set.showMainWindow();
    QWidget* main = set.designer(1);
    const struct {
        const char* shortcut;
        QKeySequence keys;
        WindowSet::Tool tool;
        const char* name;
    } cases[] = {{"GrabberShortcut", QKeySequence(QStringLiteral("Ctrl+G")), WindowSet::Tool::Grabber, "frmMain"},
                 {"WallpaperShortcut", QKeySequence(QStringLiteral("Ctrl+B")), WindowSet::Tool::Wallpaper, "Form30"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto* key = main->findChild<QShortcut*>(QString::fromLatin1(c.shortcut));
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->key(), c.keys);
        emit key->activated();
        QPointer<QWidget> window = set.tool(c.tool);
        ASSERT_TRUE(window);
        EXPECT_EQ(window->objectName(), QString::fromLatin1(c.name));
        EXPECT_EQ(window->parentWidget(), nullptr);
        EXPECT_TRUE(window->isVisible());
        emit key->activated();
        EXPECT_EQ(set.tool(c.tool), window.data());
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull());
    }
    // The shortcut list of the designer windows names both.
    auto* heading = main->findChild<QLabel*>(QStringLiteral("Label2"));
    ASSERT_NE(heading, nullptr);
    EXPECT_TRUE(heading->toolTip().contains(QStringLiteral("Ctrl+G")));
    EXPECT_TRUE(heading->toolTip().contains(QStringLiteral("Ctrl+B")));
}

TEST_F(ProgramWindows, MusicPlaysTheSongOfTheProgramDirectory)
{
    set.startMusic();
    ASSERT_NE(set.musicWindow(), nullptr);
    EXPECT_EQ(set.musicWindow()->objectName(), QStringLiteral("mp3test"));
    ASSERT_NE(lastPlayer, nullptr);
    EXPECT_TRUE(lastPlayer->playing);
    EXPECT_TRUE(lastPlayer->path.endsWith(QStringLiteral("/生日快乐.mp3")));
    set.stopMusic();
    EXPECT_EQ(set.musicWindow(), nullptr);
}

TEST_F(ProgramWindows, CtrlDKeepsTheDesignOnShowAndCtrlLShowsItInTheGallery)
{
    set.showMainWindow();
    set.showCategory(4);   // loads every designer window
    const struct {
        int window;
        int category;
    } cases[] = {{1, 1}, {4, 4}};
    std::int64_t kept = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.window);
        QWidget* w = set.designer(c.window);
        ASSERT_NE(w, nullptr);
        auto* core = w->findChild<lh::designer::DesignerCore*>();
        ASSERT_NE(core, nullptr);
        if (c.window == 1)   // a photo in the ring, as a user puts one there first
            QMetaObject::invokeMethod(w->findChild<QObject*>(QStringLiteral("Image7")), "clicked");
        core->Timer1_Timer();
        core->timer().stop();   // the same design on show while the caption changes back
        const QString title = w->windowTitle();
        auto* keep = w->findChild<QShortcut*>(QStringLiteral("KeepShortcut"));
        ASSERT_NE(keep, nullptr);
        EXPECT_EQ(keep->key(), QKeySequence(QStringLiteral("Ctrl+D")));
        emit keep->activated();
        ++kept;
        // Committed when the key returns, and the caption says so for a moment.
        ASSERT_EQ(gallery.list(0).size(), static_cast<std::size_t>(kept));
        EXPECT_EQ(gallery.list(0).front().category, c.category);
        EXPECT_EQ(w->windowTitle(), title + QStringLiteral(" [已收藏 %1]").arg(kept));
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->windowTitle() == title; }, 10000));
        // The same design again is kept once, and the caption says it was there.
        emit keep->activated();
        EXPECT_EQ(gallery.list(0).size(), static_cast<std::size_t>(kept));
        EXPECT_EQ(w->windowTitle(), title + QStringLiteral(" [这个图案已在收藏中]"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->windowTitle() == title; }, 10000));
    }
    // The main window's design comes back with its photo, as it was shown.
    QString why;
    const auto photoDesign = gallery.load(gallery.list(1).front().id, &why);
    ASSERT_TRUE(photoDesign.has_value()) << why.toStdString();
    EXPECT_FALSE(photoDesign->scene.record.photo.isNull());
    ASSERT_TRUE(photoDesign->scene.overlay.has_value());

    auto* galleryKey = set.designer(4)->findChild<QShortcut*>(QStringLiteral("GalleryShortcut"));
    ASSERT_NE(galleryKey, nullptr);
    EXPECT_EQ(galleryKey->key(), QKeySequence(QStringLiteral("Ctrl+L")));
    emit galleryKey->activated();
    QPointer<QWidget> window = set.tool(WindowSet::Tool::Gallery);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("蓝禾图案收藏"));
    EXPECT_TRUE(window->isVisible());
    auto* list = window->findChild<QAbstractItemView*>(QStringLiteral("lstDesigns"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->model()->rowCount(), 2);
    // A design kept while the gallery is open shows at once, first.
    auto* core = set.designer(4)->findChild<lh::designer::DesignerCore*>();
    core->Timer1_Timer();
    core->keepShownDesign();
    EXPECT_EQ(list->model()->rowCount(), 3);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(ProgramWindows, AToolWindowOnScreenOrALongTaskKeepsTheProgramRunning)
{
    int ends = 0;
    set.setMainWindowClosedHandler([&ends] { ++ends; });
    const struct {
        const char* what;
        std::function<void()> open;
        WindowSet::Tool tool;
    } cases[] = {
        {"the capture window", [&] { set.openCapture(set.mainWindow()); }, WindowSet::Tool::Capture},
        {"the wallpaper maker", [&] { set.openWallpaper(); }, WindowSet::Tool::Wallpaper},
        {"the gallery", [&] { set.openGallery(); }, WindowSet::Tool::Gallery},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        set.showMainWindow();
        c.open();
        QPointer<QWidget> tool = set.tool(c.tool);
        ASSERT_TRUE(tool);
        const int before = ends;
        set.designer(1)->close();
        // The program goes on while the tool is on screen ...
        ASSERT_TRUE(QTest::qWaitFor([&] { return !set.designer(1)->isVisible(); }, 2000));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_EQ(ends, before);
        // ... and ends when it is closed too.
        tool->close();
        ASSERT_TRUE(QTest::qWaitFor([&] { return ends == before + 1; }, 5000));
    }

    // A long task under way is waited for.
    set.showMainWindow();
    auto task = std::make_unique<lh::TaskProgress>(set.designer(1), QStringLiteral("Task"), QStringLiteral("保存"),
                                                   QStringLiteral("正在保存……"), 10, 100000);
    const int before = ends;
    set.designer(1)->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !set.designer(1)->isVisible(); }, 2000));
    EXPECT_FALSE(QTest::qWaitFor([&] { return ends != before; }, 600));
    task.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends == before + 1; }, 5000));
}

TEST_F(ProgramWindows, AWindowSwitchedToStandsWhereTheOldOneStood)
{
    set.showMainWindow();
    set.designer(1)->move(120, 70);
    ASSERT_TRUE(QTest::qWaitFor([&] { return set.designer(1)->pos() == QPoint(120, 70); }, 5000));
    const struct {
        int to;
        QPoint moveTo;
    } steps[] = {{3, {200, 40}}, {7, {10, 15}}, {1, {0, 0}}};
    QPoint at(120, 70);
    int from = 1;
    for (const auto& s : steps) {
        set.showCategory(s.to);
        EXPECT_TRUE(QTest::qWaitFor([&] { return set.designer(s.to)->pos() == at; }, 5000))
            << from << " to " << s.to << ": " << set.designer(s.to)->pos().x() << "," << set.designer(s.to)->pos().y();
        EXPECT_FALSE(set.designer(from)->isVisible());
        set.designer(s.to)->move(s.moveTo);
        ASSERT_TRUE(QTest::qWaitFor([&] { return set.designer(s.to)->pos() == s.moveTo; }, 5000));
        at = s.moveTo;
        from = s.to;
    }
}

TEST_F(ProgramWindows, CtrlPOpensThePrintLayoutWhereverAPictureIsShown)
{
    set.showMainWindow();
    set.showCategory(5);
    set.designer(5)->findChild<lh::designer::DesignerCore*>()->Timer1_Timer();
    set.openWallpaper();
    set.openPrinting(set.mainWindow());
    set.openGallery();
    const struct {
        const char* what;
        QWidget* window;
        bool opens;   // the dialog opens (the printing window has no picture yet)
    } places[] = {
        {"a category window", set.designer(5), true},
        {"the wallpaper maker", set.tool(WindowSet::Tool::Wallpaper), true},
        {"the printing window", set.tool(WindowSet::Tool::Printing), false},
        {"the gallery", set.tool(WindowSet::Tool::Gallery), false},
        {"the main window", set.designer(1), false},
    };
    for (const auto& p : places) {
        SCOPED_TRACE(p.what);
        ASSERT_NE(p.window, nullptr);
        auto* key = p.window->findChild<QShortcut*>(QStringLiteral("PrintLayoutShortcut"));
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->key(), QKeySequence(QStringLiteral("Ctrl+P")));
        if (!p.opens)
            continue;
        QString title;
        QTimer::singleShot(0, [&title] {
            // A dialog that never came shows as the empty title checked below.
            (void)QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 10000);
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                title = dialog->windowTitle();
                QMetaObject::invokeMethod(dialog, "reject");
            }
        });
        emit key->activated();
        EXPECT_EQ(title, QStringLiteral("蓝禾打印排版"));
    }
    for (auto tool : {WindowSet::Tool::Wallpaper, WindowSet::Tool::Printing, WindowSet::Tool::Gallery})
        set.tool(tool)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(ProgramWindows, F1InEveryWindowListsTheKeysAndEscapeClosesIt)
{
    set.showMainWindow();
    set.showCategory(4);
    set.openCapture(set.mainWindow());
    set.openZoom(set.mainWindow());
    set.openPrinting(set.mainWindow());
    set.openGrabber();
    set.openWallpaper();
    set.openGallery();
    const struct {
        const char* what;
        QWidget* window;
    } windows[] = {
        {"main", set.designer(1)},
        {"category 4", set.designer(4)},
        {"capture", set.tool(WindowSet::Tool::Capture)},
        {"zoom", set.tool(WindowSet::Tool::Zoom)},
        {"printing", set.tool(WindowSet::Tool::Printing)},
        {"grabber", set.tool(WindowSet::Tool::Grabber)},
        {"wallpaper", set.tool(WindowSet::Tool::Wallpaper)},
        {"gallery", set.tool(WindowSet::Tool::Gallery)},
    };
    for (const auto& w : windows) {
        SCOPED_TRACE(w.what);
        ASSERT_NE(w.window, nullptr);
        auto* key = w.window->findChild<QShortcut*>(QStringLiteral("HelpShortcut"));
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->key(), QKeySequence(Qt::Key_F1));
        QString title, keys;
        bool closed = false;
        QTimer::singleShot(0, [&] {
            // A dialog that never came shows as the empty title checked below.
            (void)QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 10000);
            QWidget* help = QApplication::activeModalWidget();
            if (!help)
                return;
            title = help->windowTitle();
            if (auto* label = help->findChild<QLabel*>(QStringLiteral("lblKeys")))
                keys = label->text();
            QTest::keyClick(help, Qt::Key_Escape);
            closed = QTest::qWaitFor([] { return QApplication::activeModalWidget() == nullptr; }, 5000);
        });
        emit key->activated();
        EXPECT_EQ(title, QStringLiteral("蓝禾快捷键"));
        for (const char* listed : {"Ctrl+0", "Ctrl+G", "Ctrl+B", "Alt+Left", "Ctrl+Shift+E", "Ctrl+D", "Ctrl+L", "Ctrl+P"})
            EXPECT_TRUE(keys.contains(QString::fromLatin1(listed))) << listed;
        EXPECT_TRUE(closed);
    }
    for (auto tool : {WindowSet::Tool::Capture, WindowSet::Tool::Zoom, WindowSet::Tool::Printing, WindowSet::Tool::Grabber,
                      WindowSet::Tool::Wallpaper, WindowSet::Tool::Gallery})
        set.tool(tool)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A gallery found damaged at the start is told once, naming where the file
// went: the first time the gallery is opened or a design kept, whichever
// comes first.
TEST(ProgramWindowsDamagedGallery, IsToldTheFirstTimeTheGalleryIsOpenedOrADesignKept)
{
    const struct Case {
        const char* what;
        bool openFirst;
    } cases[] = {{"the gallery opened first", true}, {"a design kept first", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("gallery.sqlite"));
        {
            QFile damaged(file);
            ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
            damaged.write(QByteArray(5000, 'Z'));
        }
        lh::test::FakeServices fake;
        lh::gallery::GalleryStore gallery(file);
        ASSERT_TRUE(gallery.unavailable().isEmpty());
        WindowSet set;
        lh::app::installProgramWindows(set, fake.services, gallery);
        set.showMainWindow();
        const auto notes = [&] {
            QStringList told;
            for (const QString& text : fake.messages.texts())
                if (text.contains(QStringLiteral("已改名保存为")))
                    told << text;
            return told;
        };
        ASSERT_TRUE(notes().isEmpty());
        auto* core = set.designer(1)->findChild<lh::designer::DesignerCore*>();
        ASSERT_NE(core, nullptr);
        const std::function<void()> keep = [&] {
            core->Timer1_Timer();
            core->timer().stop();
            core->keepShownDesign();
        };
        const std::function<void()> open = [&] { set.openGallery(); };
        (c.openFirst ? open : keep)();
        ASSERT_EQ(notes().size(), 1);
        EXPECT_TRUE(notes().front().contains(file + QStringLiteral(".damaged-"))) << notes().front().toStdString();
        EXPECT_FALSE(notes().front().contains(QStringLiteral("file is not a database")));
        (c.openFirst ? keep : open)();
        EXPECT_EQ(notes().size(), 1);
        EXPECT_EQ(gallery.list(0).size(), 1u);
        if (QWidget* window = set.tool(WindowSet::Tool::Gallery))
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
