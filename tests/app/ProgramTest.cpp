// The built program as a user meets it, on the X display: the login window,
// its messages and the end of the program. Input goes through xdotool.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "CloseRequest.h"
#include "Xdotool.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

using lh::test::xdotool;
using lh::test::xdotoolOutput;

namespace {

QString programPath() { return QDir(QString::fromLocal8Bit(qgetenv("LH_RUNTIME_DIR"))).filePath("lanhe-designer"); }

// The first visible window with this exact title, waiting for it to appear.
QString waitForWindow(const QString& title)
{
    const QString found = xdotoolOutput({"search", "--sync", "--onlyvisible", "--name", "^" + title + "$"});
    return found.section('\n', 0, 0);
}

void clickAt(const QString& window, int x, int y)
{
    xdotool({"mousemove", "--window", window, QString::number(x), QString::number(y), "click", "1"});
}

// The pixels of a part of a window as the X server holds them (0xffRRGGBB).
QImage windowPixels(const QString& window, const QRect& area)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return {};
    QImage out;
    if (XImage* image =
            XGetImage(display, window.toULong(), area.x(), area.y(), area.width(), area.height(), AllPlanes, ZPixmap)) {
        out = QImage(area.size(), QImage::Format_RGB32);
        for (int y = 0; y < area.height(); ++y)
            for (int x = 0; x < area.width(); ++x)
                out.setPixel(x, y, 0xFF000000u | static_cast<QRgb>(XGetPixel(image, x, y)));
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return out;
}

// The program started in its own folder with a password file of our own.
class Program : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::exists(programPath())) << programPath().toStdString();
        ASSERT_FALSE(qgetenv("DISPLAY").isEmpty()) << "needs the X display of test.sh";
    }
    void TearDown() override
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    void start(const QByteArray& passwordRecord)
    {
        QFile f(dir.filePath("zrvcom.cct"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(passwordRecord);
        f.close();
        // The song next to it, as in the program's own folder.
        QFile::copy(QDir(QString::fromLocal8Bit(qgetenv("LH_RUNTIME_DIR"))).filePath(QStringLiteral("生日快乐.mp3")),
                    dir.filePath(QStringLiteral("生日快乐.mp3")));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LH_PROGRAM_DIR", dir.path());
        env.remove("QT_QPA_PLATFORM");
        process.setProcessEnvironment(env);
        process.start(programPath(), {});
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    // Types an entry into the login window and confirms it with Enter.
    void enterPassword(const QString& password)
    {
        const QString login = waitForWindow(QStringLiteral("管理员登录"));
        ASSERT_FALSE(login.isEmpty()) << "login window did not appear";
        clickAt(login, 190, 24);   // Text1
        if (!password.isEmpty())
            xdotool({"type", "--delay", "20", password});
        xdotool({"key", "Return"});
    }

    // Confirms the message box with this title.
    void confirmMessage(const QString& title)
    {
        const QString box = waitForWindow(title);
        ASSERT_FALSE(box.isEmpty()) << "no message box titled " << title.toStdString();
        xdotool({"windowfocus", "--sync", box});
        xdotool({"key", "Return"});
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return xdotoolOutput({"search", "--onlyvisible", "--name", "^" + title + "$"}, 2) != box;
            },
            10000))
            << "the message box titled " << title.toStdString() << " stayed open";
    }

    bool ends(int* exitCode)
    {
        // The program may have ended already, while xdotool ran.
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 15000))
            return false;
        *exitCode = process.exitCode();
        return process.exitStatus() == QProcess::NormalExit;
    }

    QTemporaryDir dir;
    QProcess process;
};

}   // namespace

TEST_F(Program, ThreeWrongEntriesShowBothMessagesAndEndIt)
{
    start("\"ehk\"\r\n");
    for (int attempt = 1; attempt <= 3; ++attempt) {
        SCOPED_TRACE(attempt);
        enterPassword("777");
        confirmMessage(QStringLiteral("蓝禾提示"));
    }
    confirmMessage(QStringLiteral("蓝禾禁告！"));
    int code = -1;
    ASSERT_TRUE(ends(&code));
    EXPECT_NE(code, 0);
}

TEST_F(Program, EmptyEntryOpensTheMainWindowAndClosingItEndsTheProgramWithItsSong)
{
    for (const bool withSong : {true, false}) {
        SCOPED_TRACE(withSong ? "song present" : "song missing");
        start("\"\"\r\n");
        if (!withSong) {
            ASSERT_TRUE(QFile::remove(dir.filePath(QStringLiteral("生日快乐.mp3"))));
        }
        const QString login = waitForWindow(QStringLiteral("管理员登录"));
        ASSERT_FALSE(login.isEmpty());
        enterPassword("");

        // The one visible window of the program, once the login window has gone.
        QString main;
        const QString pid = QString::number(process.processId());
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                const QStringList shown =
                    xdotoolOutput({"search", "--onlyvisible", "--pid", pid}, 2).split('\n', Qt::SkipEmptyParts);
                if (shown.size() == 1 && shown.first() != login)
                    main = shown.first();
                return !main.isEmpty();
            },
            15000))
            << "no main window";
        const QString geometry = xdotoolOutput({"getwindowgeometry", main});
        EXPECT_TRUE(geometry.contains("1122x837")) << geometry.toStdString();

        // "播放音乐" on, off and on again, then the main window's close box:
        // the program ends, song and all. Each click is seen through in the
        // check box: ticked after the first and third, as at first after the second.
        const QRect box(876, 356, 71, 19);
        xdotool({"mousemove", "--window", main, "5", "5"});
        // Painted once its green face panel shows.
        QImage unticked;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                unticked = windowPixels(main, box);
                return !unticked.isNull() && unticked.pixel(box.width() - 2, 1) == qRgb(0xA2, 0xC8, 0x59);
            },
            10000))
            << "the main window never painted its music check box";
        for (int click = 1; click <= 3; ++click) {
            SCOPED_TRACE(click);
            clickAt(main, 885, 365);
            xdotool({"mousemove", "--window", main, "5", "5"});
            const bool ticked = click % 2 == 1;
            ASSERT_TRUE(QTest::qWaitFor([&] { return (windowPixels(main, box) != unticked) == ticked; }, 10000));
        }
        ASSERT_EQ(process.state(), QProcess::Running);
        EXPECT_EQ(xdotoolOutput({"search", "--onlyvisible", "--pid", pid}, 2), main) << "only the main window is to be seen";
        lh::test::sendCloseRequest(main);
        int code = -1;
        ASSERT_TRUE(ends(&code));
        EXPECT_EQ(code, 0);
    }
}

TEST_F(Program, AfterTheKeyHelpIsClosedTheMainWindowsKeysWorkAgainWithoutAWindowManager)
{
    start("\"\"\r\n");
    const QString login = waitForWindow(QStringLiteral("管理员登录"));
    ASSERT_FALSE(login.isEmpty());
    enterPassword("");
    const QString main = waitForWindow(QStringLiteral("蓝禾艺术照片设计"));
    ASSERT_FALSE(main.isEmpty()) << "no main window";
    ASSERT_TRUE(xdotool({"windowfocus", "--sync", main}));
    // F1, then Escape in the help: the keys are the main window's again, so
    // Ctrl+2 goes to the category window 2.
    ASSERT_TRUE(xdotool({"key", "F1"}));
    const QString help = waitForWindow(QStringLiteral("蓝禾快捷键"));
    ASSERT_FALSE(help.isEmpty()) << "F1 opened no help";
    ASSERT_TRUE(xdotool({"key", "Escape"}));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return xdotoolOutput({"search", "--onlyvisible", "--name", QStringLiteral("^蓝禾快捷键$")}, 2).isEmpty(); },
        10000))
        << "Escape left the help open";
    ASSERT_TRUE(xdotool({"key", "ctrl+2"}));
    const QString category =
        xdotoolOutput({"search", "--sync", "--onlyvisible", "--name", QStringLiteral("第2大类")}, 10).section('\n', 0, 0);
    EXPECT_FALSE(category.isEmpty()) << "Ctrl+2 after the help reached no window";
    process.kill();
    process.waitForFinished(5000);
}

TEST_F(Program, CancelEndsItAtOnce)
{
    start("\"\"\r\n");
    const QString login = waitForWindow(QStringLiteral("管理员登录"));
    ASSERT_FALSE(login.isEmpty());
    clickAt(login, 262, 108);   // 取消
    int code = -1;
    ASSERT_TRUE(ends(&code));
    EXPECT_EQ(code, 0);
}

TEST_F(Program, LoginCloseBoxEndsItEvenWithTheEmptyPassword)
{
    start("\"\"\r\n");
    const QString login = waitForWindow(QStringLiteral("管理员登录"));
    ASSERT_FALSE(login.isEmpty());
    lh::test::sendCloseRequest(login);
    int code = -1;
    ASSERT_TRUE(ends(&code));
    EXPECT_EQ(code, 0);
}

TEST_F(Program, MissingPasswordFileEndsItWithTheMessage)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LH_PROGRAM_DIR", dir.path());
    process.setProcessEnvironment(env);
    process.start(programPath(), {});
    ASSERT_TRUE(process.waitForStarted(10000));
    confirmMessage(QStringLiteral("蓝禾提示"));
    int code = -1;
    ASSERT_TRUE(ends(&code));
    EXPECT_NE(code, 0);
}
