// The installed program: `cmake --install` into a temporary prefix puts every
// file where the README says, the menu entry validates, a second install
// keeps the owner's password, and the launcher on the path starts a program
// that finds its password file and lets a new user in with the empty password.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "CloseRequest.h"
#include "Xdotool.h"

#include <X11/Xlib.h>

using lh::test::xdotool;
using lh::test::xdotoolOutput;

namespace {

// Runs a command to its end; its exit code (-1 when it did not run or end).
int run(const QString& program, const QStringList& args, QString* output = nullptr, int seconds = 120)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(seconds * 1000) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    if (output)
        *output = QString::fromLocal8Bit(p.readAll());
    return p.exitCode();
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

class Installed : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(prefix.isValid());
        QString log;
        ASSERT_EQ(run(LH_CMAKE_COMMAND, {"--install", LH_BUILD_DIR, "--prefix", prefix.path()}, &log), 0)
            << log.toStdString();
    }
    QString at(const QString& relative) const { return QDir(prefix.path()).filePath(relative); }

    QTemporaryDir prefix;
};

}   // namespace

TEST_F(Installed, EveryFileInPlaceAndTheMenuEntryValidates)
{
    const QString programDir = at("lib/lanhe-designer");
    const QFileInfo program(programDir + "/lanhe-designer");
    EXPECT_TRUE(program.isFile() && program.isExecutable());
    EXPECT_GT(QFileInfo(programDir + QStringLiteral("/生日快乐.mp3")).size(), 0);
    EXPECT_EQ(readBytes(programDir + "/zrvcom.cct"), QByteArray("\"\"\r\n"));

    const QFileInfo launcher(at("bin/lanhe-designer"));
    EXPECT_TRUE(launcher.isExecutable());
    EXPECT_EQ(launcher.canonicalFilePath(), program.canonicalFilePath());

    EXPECT_GT(QFileInfo(at("share/icons/hicolor/64x64/apps/lanhe-designer.png")).size(), 0);
    const QString desktop = at("share/applications/lanhe-designer.desktop");
    QString complaints;
    EXPECT_EQ(run("desktop-file-validate", {desktop}, &complaints), 0) << complaints.toStdString();
    const QByteArray entry = readBytes(desktop);
    EXPECT_TRUE(entry.contains("Exec=\"" + QFile::encodeName(at("bin/lanhe-designer")) + "\"")) << entry.constData();
    EXPECT_TRUE(entry.contains("Icon=lanhe-designer\n"));

    // Installing again keeps a password the owner has set.
    const QByteArray changed("\"ehk\"\r\n");
    {
        QFile f(programDir + "/zrvcom.cct");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(changed);
    }
    QString log;
    ASSERT_EQ(run(LH_CMAKE_COMMAND, {"--install", LH_BUILD_DIR, "--prefix", prefix.path()}, &log), 0);
    EXPECT_EQ(readBytes(programDir + "/zrvcom.cct"), changed);
}

// A new user with a fresh home folder starts the launcher by its path: the
// login window opens, the empty password lets them in, and the main window's
// close box ends the program.
TEST_F(Installed, LauncherStartsTheProgramAndTheEmptyPasswordLetsANewUserIn)
{
    ASSERT_FALSE(qgetenv("DISPLAY").isEmpty()) << "needs the X display of test.sh";
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("LH_PROGRAM_DIR");
    env.remove("QT_QPA_PLATFORM");
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.filePath(".config"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(home.path());
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(at("bin/lanhe-designer"), {});
    ASSERT_TRUE(program.waitForStarted(10000));
    const QString pid = QString::number(program.processId());
    auto cleanup = qScopeGuard([&] {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(5000);
        }
    });

    const QString login =
        xdotoolOutput({"search", "--sync", "--onlyvisible", "--pid", pid, "--name", QStringLiteral("^管理员登录$")}, 15)
            .section('\n', 0, 0);
    ASSERT_FALSE(login.isEmpty()) << "no login window";
    xdotool({"mousemove", "--window", login, "190", "24", "click", "1"});   // Text1
    xdotool({"key", "Return"});

    QString main;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QStringList shown = xdotoolOutput({"search", "--onlyvisible", "--pid", pid}, 2).split('\n', Qt::SkipEmptyParts);
            if (shown.size() == 1 && shown.first() != login)
                main = shown.first();
            return !main.isEmpty();
        },
        15000))
        << "no main window after the empty password";
    lh::test::sendCloseRequest(main);
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, 15000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << "the program said: " << program.readAll().toStdString();
}
