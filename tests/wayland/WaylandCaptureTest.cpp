// The capture and the grabber on a real Wayland desktop: a headless sway
// session with the desktop portal (tests/wayland/session.sh), the program a
// native Wayland client or an X client through XWayland. The pointer moves
// and presses through the compositor's virtual pointer (LH_VPOINTER names
// the helper); the reference colours come from the session
// (LH_SESSION_BACKGROUND). Run by tests/wayland/run.sh, which picks the
// cases for each platform.

#include "forms/Controls.h"
#include "platform/QtClipboard.h"
#include "platform/QtServices.h"
#include "platform/ScreenGrabbers.h"
#include "tools/Form20.h"
#include "tools/FrmMain.h"
#include "tools/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include "Fakes.h"

#include <functional>

using namespace lh;
using namespace lh::tools;

namespace {

QColor sessionBackground() { return QColor(qEnvironmentVariable("LH_SESSION_BACKGROUND")); }

// Runs a program to its end with this thread's events running (a program
// that reads our clipboard needs them), returning its standard output.
QByteArray runToEnd(const QString& program, const QStringList& args, int* exitCode = nullptr)
{
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForStarted(10000)) << program.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 30000))
        << program.toStdString() << " did not end";
    if (exitCode)
        *exitCode = p.exitCode();
    return p.readAllStandardOutput();
}

// The pointer through the compositor: absolute positions on the layout, then "down"/"up".
void pointer(const QStringList& steps)
{
    const QSize layout = QGuiApplication::primaryScreen()->geometry().size();
    int code = -1;
    runToEnd(qEnvironmentVariable("LH_VPOINTER"),
             QStringList{QString::number(layout.width()), QString::number(layout.height())} + steps, &code);
    ASSERT_EQ(code, 0) << "the virtual pointer failed";
}

// The number of pixels of a picture that are not the colour.
int pixelsNot(const QImage& picture, QColor colour)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    int off = 0;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            off += (rgb.pixel(x, y) & 0xFFFFFFu) != (colour.rgb() & 0xFFFFFFu);
    return off;
}

// Every node of sway's tree.
void forEachNode(const QJsonObject& node, const std::function<void(const QJsonObject&)>& visit)
{
    visit(node);
    for (const char* list : {"nodes", "floating_nodes"})
        for (const QJsonValue& child : node.value(QLatin1String(list)).toArray())
            forEachNode(child.toObject(), visit);
}

// The shell sway names for a window of that process; empty when it has none.
QString shellOfProcess(qint64 pid)
{
    const QJsonObject tree = QJsonDocument::fromJson(runToEnd(QStringLiteral("swaymsg"), {"-t", "get_tree"})).object();
    QString shell;
    forEachNode(tree, [&](const QJsonObject& n) {
        if (n.value(QLatin1String("pid")).toInteger() == pid && n.contains(QLatin1String("shell")))
            shell = n.value(QLatin1String("shell")).toString();
    });
    return shell;
}

struct Rig : test::FakeServices {
    QtClipboard systemClipboard;
    std::unique_ptr<ScreenGrabber> screen = makeScreenGrabber(QGuiApplication::platformName());
    test::RecordingNavigator navigator;
    Rig()
    {
        services.clipboard = &systemClipboard;
        services.screen = screen.get();
    }
};

// Arms the capture and waits for its views to cover the screen.
void armAndWaitForViews(Form20& form)
{
    form.mnuFileSnap()->trigger();
    ASSERT_TRUE(form.SnapArmed()) << "the capture was not armed";
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QList<QWidget*> views = form.desktopViews();
            if (views.isEmpty())
                return false;
            for (QWidget* v : views)
                if (!v->isVisible() || !v->windowHandle() || !v->windowHandle()->isExposed()
                    || v->geometry() != v->screen()->geometry())
                    return false;
            return true;
        },
        15000))
        << "the capture's views did not cover the screen";
}

}   // namespace

TEST(WaylandSession, TheProgramStartsAsANativeWaylandClient)
{
    // Started as a user starts it: no platform asked for, XWayland there too.
    const QString program = qEnvironmentVariable("LH_PROGRAM");
    ASSERT_FALSE(program.isEmpty());
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY"));
    struct Case {
        const char* name;
        QString sessionType, desktop;   // empty: not set
    };
    const Case cases[] = {
        {"only WAYLAND_DISPLAY tells", QString(), QString()},
        {"a GNOME session", QStringLiteral("wayland"), QStringLiteral("GNOME")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("XDG_SESSION_TYPE"));
        env.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
        if (!c.sessionType.isEmpty())
            env.insert(QStringLiteral("XDG_SESSION_TYPE"), c.sessionType);
        if (!c.desktop.isEmpty())
            env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), c.desktop);
        p.setProcessEnvironment(env);
        p.start(program, QStringList());
        ASSERT_TRUE(p.waitForStarted(10000));
        QString shell;
        const bool shown = QTest::qWaitFor(
            [&] {
                shell = shellOfProcess(p.processId());
                return !shell.isEmpty();
            },
            20000);
        p.terminate();
        if (!p.waitForFinished(10000)) {
            p.kill();
            p.waitForFinished(10000);
        }
        ASSERT_TRUE(shown) << "sway shows no window of the program";
        EXPECT_EQ(shell, QStringLiteral("xdg_shell")) << "the program is not a Wayland client";
    }
}

// The same drag on Wayland and through XWayland: the bare background, never
// black, never the program's own windows.
TEST(WaylandCapture, ARegionOverTheBareBackgroundIsSavedAndOnTheClipboardInItsColour)
{
    const QColor background = sessionBackground();
    ASSERT_TRUE(background.isValid());
    Rig rig;
    ASSERT_TRUE(rig.screen->grabsThroughDesktop()) << "the screen is not asked of the desktop's portal";
    Form20 form(rig.services, rig.navigator, nullptr);
    form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.windowHandle() && form.windowHandle()->isExposed(); }, 15000));
    armAndWaitForViews(form);
    // A 200 x 150 drag in the top-left corner, away from the program's
    // windows. The compositor may map a view a moment before it hands it the
    // pointer (through XWayland, on a busy machine): a drag that reached no
    // view leaves the capture armed, and is made again.
    for (int attempt = 0; attempt < 5; ++attempt) {
        pointer({"60,50", "down", "160,120", "260,200", "up"});
        if (QTest::qWaitFor([&] { return form.state() != Form20::State::Armed; }, 2000))
            break;
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.state() == Form20::State::Captured; }, 15000))
        << "the drag did not end a capture";
    EXPECT_TRUE(rig.messages.messages.empty()) << rig.messages.texts().join(' ').toStdString();

    const QImage picture = form.picture1()->picture();
    EXPECT_EQ(picture.size(), QSize(200, 150));
    EXPECT_EQ(pixelsNot(picture, background), 0) << "the capture is not the background";

    const QImage pasted = QImage::fromData(runToEnd(QStringLiteral("wl-paste"), {"--type", "image/png"}), "PNG");
    EXPECT_EQ(pasted.size(), QSize(200, 150)) << "the clipboard holds no picture of the drag";
    EXPECT_EQ(pixelsNot(pasted, background), 0) << "the clipboard's picture is not the background";

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("cut.bmp"));
    rig.files.saveAnswers.push_back(file);
    form.mnuFileSave_Click();
    const QImage saved(file);
    EXPECT_EQ(saved.size(), QSize(200, 150));
    EXPECT_EQ(pixelsNot(saved, background), 0) << "the saved file is not the background";
}

// Run after the session's portal was stopped.
TEST(WaylandCaptureWithoutPortal, SaysTheDesktopGaveNoScreenAndCapturesNothing)
{
    Rig rig;
    Form20 form(rig.services, rig.navigator, nullptr);
    form.show();
    rig.systemClipboard.setImage(QImage());
    form.mnuFileSnap()->trigger();
    ASSERT_EQ(rig.messages.messages.size(), 1u);
    EXPECT_TRUE(rig.messages.messages[0].text.contains(QStringLiteral("桌面没有交出屏幕图像")))
        << rig.messages.messages[0].text.toStdString();
    EXPECT_EQ(rig.messages.messages[0].title, QStringLiteral("蓝禾提示"));
    // On Wayland the program cannot place its own windows: nothing to cut from.
    EXPECT_FALSE(form.SnapArmed());
    EXPECT_TRUE(form.desktopViews().isEmpty());
    EXPECT_TRUE(form.picture1()->picture().isNull());
    EXPECT_FALSE(form.mnuFileSave()->isEnabled());
}

TEST(WaylandGrabber, SaysWhatItCannotDoAndEnterOpensTheRegionCapture)
{
    Rig rig;
    QtMessageBoxes boxes;
    rig.services.messages = &boxes;
    // The question runs its own event loop: what the user does comes from a
    // timer that finds the question on screen and presses Enter through the
    // compositor, as the user would.
    QString title, text;
    QProcess enter;
    QTimer watch;
    watch.setInterval(50);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (enter.state() != QProcess::NotRunning || !title.isEmpty() || !box || !box->windowHandle()
            || !box->windowHandle()->isExposed() || !box->isActiveWindow())
            return;
        title = box->windowTitle();
        text = box->text();
        enter.start(QStringLiteral("wtype"), {"-s", "1000", "-k", "Return"});
    });
    watch.start();
    FrmMain grabber(rig.services, rig.navigator);
    grabber.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.navigator.captureOwners.empty(); }, 20000))
        << "Enter did not open the region capture (asked: " << text.toStdString() << ")";
    watch.stop();
    EXPECT_EQ(title, QStringLiteral("蓝禾提示"));
    EXPECT_TRUE(text.contains(QStringLiteral("抓图器抓不到窗口"))) << text.toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return enter.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(rig.navigator.captureOwners.size(), 1u);
    // A press on the handle starts no grab that would follow nothing.
    QTimer::singleShot(0, [] {
        if (auto* again = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            again->reject();
    });
    grabber.picSnap_MouseDown(Qt::LeftButton);
    EXPECT_FALSE(grabber.grabbing());
}

// Through XWayland the grabber finds windows as on X11 and takes their
// pixels from the portal's picture (the X server would hand out black).
TEST(XWaylandGrabber, TakesTheFoundWindowsPixelsFromThePortalsPicture)
{
    Rig rig;
    Form20 target(rig.services, rig.navigator, nullptr);
    target.show();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return target.windowHandle() && target.windowHandle()->isExposed() && target.pos() != QPoint(0, 0); },
        15000));
    FrmMain grabber(rig.services, rig.navigator);
    grabber.chk()->setChecked(false);
    grabber.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return grabber.windowHandle() && grabber.windowHandle()->isExposed(); }, 15000));
    // The session floats both windows at one place: the grabber steps aside
    // (once sway knows its title).
    const QString aside = QStringLiteral("[title=\"%1\"] move position 0 0").arg(grabber.windowTitle());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            int code = -1;
            runToEnd(QStringLiteral("swaymsg"), {aside}, &code);
            return code == 0;
        },
        15000))
        << "sway does not know the grabber";
    ASSERT_TRUE(QTest::qWaitFor([&] { return grabber.geometry().right() < target.geometry().left(); }, 15000))
        << "the grabber did not step aside";
    PictureBox* picture = target.picture1();
    const QPoint over = picture->mapToGlobal(QPoint(picture->width() / 2, picture->height() / 2));
    grabber.setPointerPosition([over] { return over; });

    grabber.picSnap_MouseDown(Qt::LeftButton);
    ASSERT_TRUE(grabber.grabbing());
    grabber.tmr_Timer();
    ASSERT_TRUE(grabber.found().has_value()) << "no window found under the pointer";
    grabber.picSnap_MouseUp(Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return grabber.grabs() == 1; }, 20000)) << "nothing was grabbed";
    EXPECT_TRUE(rig.messages.messages.empty()) << rig.messages.texts().join(' ').toStdString();

    const QImage grabbed = grabber.picBmp()->picture();
    EXPECT_EQ(grabbed.size(), picture->size());
    EXPECT_EQ(pixelsNot(grabbed, QColor(0xC0, 0xC0, 0xFF)), 0)
        << "the grab is not the window's own colour";
}
