// Windows on a real X display, as the program keeps them: without a window
// manager a dialog closed with Escape gives the keys back to the window that
// opened it, and a window with nobody to place it opens beside its opener;
// under a window manager (openbox) a category window put where the main
// window stood stays inside the screen.

#include "app/WindowSet.h"
#include "forms/ProgramKeys.h"
#include "gallery/DesignViewer.h"
#include "gallery/GalleryStore.h"
#include "gallery/GalleryWindow.h"
#include "platform/QtServices.h"
#include "platform/WindowPlacement.h"
#include "printing/PrintLayoutDialog.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#include "GalleryTestSupport.h"
#include "Xdotool.h"

using lh::app::WindowSet;
using lh::test::xdotool;

namespace {

std::string text(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

QRect available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

class WindowKeeperX11 : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X display";
        ASSERT_FALSE(lh::windowManagerPresent()) << "another window manager runs on this display";
        lh::installWindowKeeper();
    }
    void TearDown() override
    {
        if (windowManager.state() != QProcess::NotRunning) {
            windowManager.terminate();
            if (!windowManager.waitForFinished(3000))
                windowManager.kill();
            windowManager.waitForFinished(3000);
            // The display as it was found: no window manager runs on it.
            EXPECT_TRUE(QTest::qWaitFor([] { return !lh::windowManagerPresent(); }, 10000));
        }
    }

    QProcess windowManager;
};

// A window with a key of its own, as the designer windows have Ctrl+L.
class Opener : public QWidget {
public:
    Opener()
    {
        setWindowTitle(QStringLiteral("lh-opener"));
        resize(500, 400);
        lh::forms::installHelpKey(this);
        auto* key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
        QObject::connect(key, &QShortcut::activated, this, [this] { ++presses; });
    }
    int presses = 0;
};

}   // namespace

TEST_F(WindowKeeperX11, ADialogClosedWithEscapeGivesTheKeysBackToItsOpener)
{
    lh::QtFileDialogs files;
    lh::QtMessageBoxes messages;
    lh::PlatformServices services;
    services.files = &files;
    services.messages = &messages;
    lh::printing::PicturePrintSource picture(QImage(200, 100, QImage::Format_RGB32));

    Opener opener;
    opener.move(50, 50);
    opener.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&opener));
    opener.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &opener; }, 5000));

    const struct {
        const char* label;
        std::function<void()> open;   // returns when the dialog has closed
    } dialogs[] = {
        {"the key help (F1)",
         [&] {
             ASSERT_TRUE(xdotool({"key", "F1"}));
             ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() == nullptr; }, 10000));
         }},
        {"a message box", [&] { messages.inform(&opener, QStringLiteral("消息"), QStringLiteral("蓝禾提示"), lh::MessageIcon::Information); }},
        {"a file dialog", [&] { EXPECT_FALSE(files.openFile(&opener, QStringLiteral("打开"), QString(), QString())); }},
        {"the print dialog", [&] { lh::printing::askAndPrint(&opener, services, picture); }},
    };
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.label);
        // Once the dialog has the keys, Escape from outside closes it.
        bool closed = false;
        QTimer closer;
        closer.setInterval(50);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeWindow());
            if (!dialog || !dialog->isVisible())
                return;
            closer.stop();
            closed = xdotool({"key", "Escape"});
        });
        closer.start();
        const int before = opener.presses;
        d.open();
        closer.stop();
        ASSERT_TRUE(closed) << "the dialog never had the keys";
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &opener; }, 5000))
            << "the keys went to no window";
        ASSERT_TRUE(xdotool({"key", "ctrl+l"}));
        EXPECT_TRUE(QTest::qWaitFor([&] { return opener.presses == before + 1; }, 5000))
            << "the opener's key did nothing";
        opener.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &opener; }, 5000));
    }
}

TEST_F(WindowKeeperX11, WithNobodyToPlaceItTheGalleryOpensBesideTheWindowOnScreen)
{
    const struct {
        const char* label;
        QRect main;
        QSize gallery;
        QRect expected;
    } cases[] = {
        {"right of it", {0, 0, 700, 600}, {857, 857}, {700, 0, 857, 857}},
        {"left of it", {800, 100, 700, 600}, {700, 500}, {100, 100, 700, 500}},
        // The main window at the corner leaves 478 pixels on its right.
        {"as far right as the screen lets it", {0, 0, 1122, 837}, {940, 720}, {660, 0, 940, 720}},
    };
    ASSERT_EQ(available(), QRect(0, 0, 1600, 1000)) << "the cases are worked out for the screen of test.sh";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        WindowSet set;
        set.setDesignerFactory(1, [&](lh::Navigator&) {
            auto* w = new QWidget;
            w->setGeometry(c.main);
            return w;
        });
        set.setToolFactory(WindowSet::Tool::Gallery, [&](lh::Navigator&, QWidget* owner) {
            auto* w = new QWidget(owner, Qt::Window);
            w->resize(c.gallery);
            return w;
        });
        set.showMainWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(set.designer(1)));
        set.openGallery();
        QWidget* gallery = set.tool(WindowSet::Tool::Gallery);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(gallery));
        EXPECT_EQ(text(gallery->frameGeometry()), text(c.expected));
    }
}

TEST_F(WindowKeeperX11, WithNobodyToPlaceItAKeptDesignOpensBesideTheGallery)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    lh::gallery::GalleryStore store(dir.filePath(QStringLiteral("gallery.sqlite")));
    const lh::scene::DesignScene scene = lh::test::sceneOf(3, 1);
    ASSERT_TRUE(store.keep(scene, lh::scene::renderScene(scene, 1), nullptr).has_value());
    lh::test::FakeServices fakes;
    lh::gallery::GalleryWindow gallery(fakes.services, store);
    gallery.move(0, 0);
    gallery.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&gallery));
    QPointer<lh::gallery::DesignViewer> viewer = gallery.openSelected();
    ASSERT_TRUE(viewer);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer.data()));
    // Right of the gallery, as far as the screen lets it.
    const QRect area = available();
    const QRect expected(QPoint(area.right() + 1 - viewer->width(), 0), viewer->size());
    EXPECT_EQ(text(viewer->frameGeometry()), text(expected));
    EXPECT_GT(viewer->x(), 0);
    delete viewer.data();
}

// Under the sanitizers the program runs several times slower and openbox's
// framing races the window's first placements; the release build runs this
// case (the keeper's code runs under the sanitizers in the cases above).
#if !defined(__SANITIZE_ADDRESS__)
TEST_F(WindowKeeperX11, UnderAWindowManagerACategoryWindowWhereTheMainWindowStoodStaysOnTheScreen)
{
    // The main window and a category window at their sizes.
    WindowSet set;
    set.setDesignerFactory(1, [](lh::Navigator&) {
        auto* w = new QWidget;
        w->setWindowTitle(QStringLiteral("lh-main"));
        w->resize(1122, 837);
        return w;
    });
    set.setDesignerFactory(2, [](lh::Navigator&) {
        auto* w = new QWidget;
        w->setWindowTitle(QStringLiteral("lh-category"));
        w->resize(1429, 866);
        return w;
    });
    set.showMainWindow();
    QWidget* main = set.designer(1);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
    // The main window is up before the manager: openbox can miss a window
    // that asks to be shown while it is still starting. Windows already
    // there it takes over as it starts.
    windowManager.start("openbox", {"--sm-disable"});
    ASSERT_TRUE(windowManager.waitForStarted(5000)) << "openbox is needed (scripts/setup.sh installs it)";
    ASSERT_TRUE(QTest::qWaitFor([] { return lh::windowManagerPresent(); }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([] { return lh::test::managedWindowNamed(QStringLiteral("lh-main")); }, 10000))
        << "the window manager did not take the main window";

    const QRect area = available();
    const QPoint places[] = {{400, 30}, {100, 150}, {470, 160}, {100, 50}, {0, 0}};
    for (const QPoint& at : places) {
        SCOPED_TRACE(QStringLiteral("main window at %1,%2").arg(at.x()).arg(at.y()).toStdString());
        set.showCategory(1);
        // Moved once its frame is known, its frame stands at `at`. Qt learns
        // the frame when the window moves after the manager has framed it,
        // so it is nudged until then.
        int nudges = 0;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                if (main->frameGeometry() != main->geometry())
                    return true;
                main->move(at + QPoint(++nudges % 2, 0));
                return false;
            },
            10000));
        main->move(at);
        ASSERT_TRUE(QTest::qWaitFor([&] { return main->pos() == at; }, 5000)) << text(main->frameGeometry());
        set.showCategory(2);
        QWidget* category = set.designer(2);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(category));
        QRect frame;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                frame = category->frameGeometry();
                return frame != category->geometry() && area.contains(frame);
            },
            5000))
            << text(frame) << " lies outside " << text(area);
        // Where there is room, it stands where the main window stood.
        if (area.contains(QRect(at, frame.size()))) {
            EXPECT_EQ(category->pos(), at);
        }
    }
}
#endif
