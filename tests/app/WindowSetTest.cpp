#include "app/WindowSet.h"
#include "Fakes.h"
#include "music/Mp3Test.h"

#include "platform/Services.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

using lh::app::WindowSet;

namespace {

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// A window set whose windows are plain widgets named Form1, Form2, ... and
// that counts how often each one was made.
class Windows : public ::testing::Test {
protected:
    void registerDesigners(std::initializer_list<int> windows)
    {
        for (int k : windows)
            set.setDesignerFactory(k, [this, k](lh::Navigator&) {
                auto* w = new QWidget;
                w->setObjectName(QStringLiteral("Form%1").arg(k));
                ++made[w->objectName()];
                return w;
            });
    }
    void registerTool(WindowSet::Tool tool, const QString& name)
    {
        set.setToolFactory(tool, [this, name](lh::Navigator&, QWidget* owner) {
            auto* w = new QWidget(owner, Qt::Window);
            w->setObjectName(name);
            ++made[name];
            return w;
        });
    }
    // Names of the visible designer windows, and of those loaded.
    QStringList visibleDesigners() const { return designers(true); }
    QStringList loadedDesigners() const { return designers(false); }

    QStringList designers(bool visibleOnly) const
    {
        QStringList out;
        for (int k = 1; k <= WindowSet::kDesignerWindows; ++k)
            if (QWidget* w = set.designer(k); w && (!visibleOnly || w->isVisible()))
                out << w->objectName();
        return out;
    }

    WindowSet set;
    std::map<QString, int> made;
};

QStringList forms(std::initializer_list<int> ks)
{
    QStringList out;
    for (int k : ks)
        out << QStringLiteral("Form%1").arg(k);
    return out;
}

}   // namespace

TEST_F(Windows, MainWindowIsMadeOnceAndKept)
{
    registerDesigners({1});
    EXPECT_EQ(set.designer(1), nullptr);
    set.showMainWindow();
    QWidget* main = set.designer(1);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    main->hide();
    set.showMainWindow();
    EXPECT_EQ(set.designer(1), main);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(made["Form1"], 1);
}

TEST_F(Windows, CategoryNavigationShowsOneAndLoadsAndHidesTheRest)
{
    registerDesigners({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    set.showMainWindow();

    set.showCategory(5);
    EXPECT_EQ(visibleDesigners(), forms({5}));
    EXPECT_EQ(loadedDesigners(), forms({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));

    set.showCategory(5);
    EXPECT_EQ(visibleDesigners(), forms({5}));

    set.showCategory(1);
    EXPECT_EQ(visibleDesigners(), forms({1}));
    for (const auto& [name, count] : made)
        EXPECT_EQ(count, 1) << name.toStdString() << " made more than once";
}

TEST_F(Windows, NavigationSkipsWindowsThisProgramDoesNotHave)
{
    registerDesigners({1, 3});
    set.showMainWindow();

    const struct {
        const char* label;
        int category;
        QStringList visible;
    } steps[] = {
        {"category without a window changes nothing", 2, forms({1})},
        {"out of range below", 0, forms({1})},
        {"out of range above", 11, forms({1})},
        {"existing category", 3, forms({3})},
        {"back to the main window", 1, forms({1})},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.label);
        set.showCategory(s.category);
        EXPECT_EQ(visibleDesigners(), s.visible);
    }
    EXPECT_EQ(loadedDesigners(), forms({1, 3}));
}

TEST_F(Windows, ToolWindowsAreKeptWhileHiddenAndMadeFreshAfterTheCloseBox)
{
    registerDesigners({1});
    registerTool(WindowSet::Tool::Capture, "Form20");
    set.showMainWindow();
    QWidget* main = set.designer(1);

    set.openCapture(main);
    QPointer<QWidget> first = set.tool(WindowSet::Tool::Capture);
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(first->isWindow());
    EXPECT_EQ(first->parentWidget(), main);

    // Its exit entry only hides it: the same window comes back.
    first->hide();
    set.openCapture(main);
    EXPECT_EQ(set.tool(WindowSet::Tool::Capture), first.data());
    EXPECT_TRUE(first->isVisible());

    // The close box unloads it.
    first->close();
    flushDeletes();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(set.tool(WindowSet::Tool::Capture), nullptr);
    set.openCapture(nullptr);
    ASSERT_NE(set.tool(WindowSet::Tool::Capture), nullptr);
    EXPECT_EQ(set.tool(WindowSet::Tool::Capture)->parentWidget(), nullptr);
    EXPECT_EQ(made["Form20"], 2);

    // Opened again by the main window, it becomes the main window's.
    set.openCapture(main);
    EXPECT_EQ(set.tool(WindowSet::Tool::Capture)->parentWidget(), main);
    EXPECT_TRUE(set.tool(WindowSet::Tool::Capture)->isWindow());
    EXPECT_EQ(made["Form20"], 2);
}

TEST_F(Windows, GrabberAndWallpaperHaveNoOwnerAndASecondOpenBringsTheOpenOneBack)
{
    registerDesigners({1});
    registerTool(WindowSet::Tool::Grabber, "frmMain");
    registerTool(WindowSet::Tool::Wallpaper, "Form30");
    set.showMainWindow();
    const struct {
        WindowSet::Tool tool;
        void (WindowSet::*open)();
        const char* name;
    } tools[] = {{WindowSet::Tool::Grabber, &WindowSet::openGrabber, "frmMain"},
                 {WindowSet::Tool::Wallpaper, &WindowSet::openWallpaper, "Form30"}};
    for (const auto& t : tools) {
        SCOPED_TRACE(t.name);
        (set.*t.open)();
        QPointer<QWidget> first = set.tool(t.tool);
        ASSERT_TRUE(first);
        EXPECT_EQ(first->objectName(), QString::fromLatin1(t.name));
        EXPECT_EQ(first->parentWidget(), nullptr);
        EXPECT_TRUE(first->isVisible());
        // Hidden or minimized, the same window comes back.
        first->hide();
        (set.*t.open)();
        first->showMinimized();
        (set.*t.open)();
        EXPECT_EQ(set.tool(t.tool), first.data());
        EXPECT_TRUE(first->isVisible());
        EXPECT_FALSE(first->isMinimized());
        EXPECT_EQ(made[t.name], 1);
        // A maximized window minimized comes back maximized.
        first->showMaximized();
        first->showMinimized();
        (set.*t.open)();
        EXPECT_TRUE(first->isMaximized());
        EXPECT_FALSE(first->isMinimized());
        // The close box unloads it; the next open makes a fresh one.
        first->close();
        flushDeletes();
        EXPECT_TRUE(first.isNull());
        (set.*t.open)();
        EXPECT_EQ(made[t.name], 2);
    }
    EXPECT_TRUE(set.designer(1)->isVisible());
}

TEST_F(Windows, ToolWithoutAWindowDoesNothing)
{
    registerDesigners({1});
    set.showMainWindow();
    set.openZoom(set.designer(1));
    set.openPrinting(set.designer(1));
    set.openGrabber();
    set.openWallpaper();
    EXPECT_EQ(set.tool(WindowSet::Tool::Grabber), nullptr);
    EXPECT_EQ(set.tool(WindowSet::Tool::Wallpaper), nullptr);
    EXPECT_EQ(set.tool(WindowSet::Tool::Zoom), nullptr);
    EXPECT_EQ(set.tool(WindowSet::Tool::Printing), nullptr);
}

TEST_F(Windows, MusicWindowLivesExactlyWhileTheMusicPlays)
{
    QStringList log;
    lh::PlatformServices services;
    services.makeAudioPlayer = [&] { return std::make_unique<lh::test::LoggingAudioPlayer>(log); };
    const QString play = QStringLiteral("play ") + lh::music::Mp3Test::songPath();
    set.setMusicFactory([&](QWidget* owner) { return new lh::music::Mp3Test(services, owner); });
    registerDesigners({1});
    set.showMainWindow();

    set.startMusic();
    QPointer<QWidget> music = set.musicWindow();
    ASSERT_TRUE(music);
    EXPECT_EQ(music->objectName(), QStringLiteral("mp3test"));
    EXPECT_EQ(music->parentWidget(), set.designer(1));
    EXPECT_FALSE(music->isVisible());
    set.startMusic();   // already playing: the same window, the song not restarted
    EXPECT_EQ(set.musicWindow(), music.data());
    EXPECT_EQ(log, QStringList{play});

    set.stopMusic();
    EXPECT_TRUE(music.isNull());
    EXPECT_EQ(log, (QStringList{play, "stop", "destroyed"}));

    set.startMusic();
    EXPECT_NE(set.musicWindow(), nullptr);
    EXPECT_EQ(log.size(), 4);
    EXPECT_EQ(log.back(), play);
    set.stopMusic();
    set.stopMusic();   // nothing left to stop
    EXPECT_EQ(set.musicWindow(), nullptr);
}

namespace {

class Unclosable : public QWidget {
protected:
    void closeEvent(QCloseEvent* e) override { e->ignore(); }
};

}   // namespace

TEST_F(Windows, ClosingTheMainWindowEndsTheProgramButHidingItDoesNot)
{
    registerDesigners({1, 2});
    int ended = 0;
    set.setMainWindowClosedHandler([&] { ++ended; });
    set.showMainWindow();

    set.showCategory(2);   // hides Form1
    set.showCategory(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(ended, 0);

    set.designer(1)->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended > 0; }, 5000)) << "closing the main window did not end the program";
    QCoreApplication::processEvents();
    EXPECT_EQ(ended, 1);
}

TEST(WindowSetMainWindow, RefusedCloseKeepsTheProgram)
{
    WindowSet set;
    int ended = 0;
    set.setDesignerFactory(1, [](lh::Navigator&) { return new Unclosable; });
    set.setMainWindowClosedHandler([&] { ++ended; });
    set.showMainWindow();
    set.designer(1)->close();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(set.designer(1)->isVisible());
}
