// The portal screenshot client against a fake portal on a private session
// bus (a dbus-daemon this test starts, with no services to activate, so the
// real portal can never answer in the fake's place).

#include "platform/PortalScreenshot.h"
#include "platform/ScreenGrabbers.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace lh {
namespace {

// How the fake portal answers a Screenshot call.
enum class Answer {
    Later,           // Response after the method's reply
    BeforeReply,     // Response sent before the method's reply goes out
    OtherPath,       // an old portal: Response on a path of its own choosing
    Never,
};

class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
public:
    explicit FakePortal(QDBusConnection bus) : bus_(std::move(bus)) {}

    Answer answer = Answer::Later;
    uint response = 0;
    QString uri;
    int calls = 0;
    QVariantMap lastOptions;

public slots:
    QDBusObjectPath Screenshot(const QString& parentWindow, const QVariantMap& options, const QDBusMessage& message)
    {
        Q_UNUSED(parentWindow);
        ++calls;
        lastOptions = options;
        QString path = portalRequestPath(message.service(), options.value(QStringLiteral("handle_token")).toString());
        if (answer == Answer::OtherPath)
            path = QStringLiteral("/org/freedesktop/portal/desktop/request/old/%1").arg(calls);
        switch (answer) {
        case Answer::BeforeReply:
            respond(path);
            break;
        case Answer::Later:
        case Answer::OtherPath:
            QTimer::singleShot(20, this, [this, path] { respond(path); });
            break;
        case Answer::Never:
            break;
        }
        return QDBusObjectPath(path);
    }

private:
    void respond(const QString& path)
    {
        QDBusMessage signal =
            QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        signal << response << QVariantMap{{QStringLiteral("uri"), uri}};
        bus_.send(signal);
    }
    QDBusConnection bus_;
};

class PortalScreenshotTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        config_ = new QTemporaryDir;
        const QString file = config_->filePath(QStringLiteral("bus.conf"));
        QFile conf(file);
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                   " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                   "<busconfig><type>session</type>"
                   "<listen>unix:dir=" + config_->path().toUtf8() + "</listen><auth>EXTERNAL</auth>"
                   "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                   "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        conf.close();
        daemon_ = new QProcess;
        daemon_->start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + file, QStringLiteral("--nofork"),
                        QStringLiteral("--print-address=1")});
        ASSERT_TRUE(daemon_->waitForStarted(10000)) << "dbus-daemon did not start";
        ASSERT_TRUE(QTest::qWaitFor([] { return daemon_->canReadLine(); }, 10000)) << "dbus-daemon gave no address";
        address_ = QString::fromUtf8(daemon_->readLine()).trimmed();
    }
    static void TearDownTestSuite()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("lh_fake_portal"));
        QDBusConnection::disconnectFromBus(QStringLiteral("lh_portal_client"));
        if (daemon_) {
            daemon_->terminate();
            daemon_->waitForFinished(10000);
        }
        delete daemon_;
        daemon_ = nullptr;
        delete config_;
        config_ = nullptr;
    }

    void SetUp() override
    {
        ASSERT_FALSE(address_.isEmpty());
        portalBus_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address_, QStringLiteral("lh_fake_portal")));
        ASSERT_TRUE(portalBus_->isConnected());
        client_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address_, QStringLiteral("lh_portal_client")));
        ASSERT_TRUE(client_->isConnected());
        portal_ = std::make_unique<FakePortal>(*portalBus_);
    }
    void TearDown() override
    {
        if (portalBus_) {
            portalBus_->unregisterObject(QStringLiteral("/org/freedesktop/portal/desktop"));
            portalBus_->unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
        }
        portal_.reset();
    }

    void servePortal()
    {
        ASSERT_TRUE(portalBus_->registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), portal_.get(),
                                               QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(portalBus_->registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    }

    // A picture file in a temporary folder, as a portal backend leaves it.
    QString writePicture(const QImage& picture)
    {
        const QString file = files_.filePath(QStringLiteral("shot.png"));
        EXPECT_TRUE(picture.save(file, "PNG"));
        return file;
    }

    static QImage testPicture()
    {
        QImage img(40, 30, QImage::Format_RGB32);
        img.fill(QColor(0x12, 0x80, 0xC0));
        for (int x = 0; x < 40; ++x)
            img.setPixel(x, x % 30, qRgb(0xF0, 0x20, 0x20));
        return img;
    }

    static QProcess* daemon_;
    static QTemporaryDir* config_;
    static QString address_;
    std::unique_ptr<QDBusConnection> portalBus_;
    std::unique_ptr<QDBusConnection> client_;
    std::unique_ptr<FakePortal> portal_;
    QTemporaryDir files_;
};

QProcess* PortalScreenshotTest::daemon_ = nullptr;
QTemporaryDir* PortalScreenshotTest::config_ = nullptr;
QString PortalScreenshotTest::address_;

TEST_F(PortalScreenshotTest, APictureIsReadWithItsPixelsAndItsTemporaryFileRemoved)
{
    servePortal();
    // However the portal times its answer, the client hears it.
    for (const Answer answer : {Answer::Later, Answer::BeforeReply, Answer::OtherPath}) {
        SCOPED_TRACE(int(answer));
        const QImage picture = testPicture();
        const QString file = writePicture(picture);
        portal_->answer = answer;
        portal_->response = 0;
        portal_->uri = QUrl::fromLocalFile(file).toString();
        const PortalShot shot = PortalScreenshot(*client_, 5000).take();
        ASSERT_EQ(shot.outcome, PortalOutcome::Picture);
        EXPECT_EQ(shot.picture.size(), picture.size());
        EXPECT_EQ(shot.picture.convertToFormat(QImage::Format_RGB32), picture);
        EXPECT_FALSE(QFile::exists(file)) << "the portal's file in a temporary folder stays behind";
    }
    // Asked without a dialog, with a token of its own each time.
    EXPECT_EQ(portal_->lastOptions.value(QStringLiteral("interactive")).toBool(), false);
    EXPECT_FALSE(portal_->lastOptions.value(QStringLiteral("handle_token")).toString().isEmpty());
}

TEST_F(PortalScreenshotTest, EveryOtherAnswerIsToldApart)
{
    servePortal();
    struct Case {
        const char* name;
        Answer answer;
        uint response;
        bool fileThere;
        PortalOutcome expected;
    };
    const Case cases[] = {
        {"cancelled by the user", Answer::Later, 1, true, PortalOutcome::Cancelled},
        {"refused", Answer::Later, 2, true, PortalOutcome::Refused},
        {"an unknown response", Answer::Later, 7, true, PortalOutcome::Refused},
        {"a file that is missing", Answer::Later, 0, false, PortalOutcome::Unreadable},
        {"no answer at all", Answer::Never, 0, true, PortalOutcome::NoAnswer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString file = files_.filePath(QStringLiteral("missing.png"));
        if (c.fileThere)
            file = writePicture(testPicture());
        portal_->answer = c.answer;
        portal_->response = c.response;
        portal_->uri = QUrl::fromLocalFile(file).toString();
        const PortalShot shot = PortalScreenshot(*client_, 400).take();
        EXPECT_EQ(shot.outcome, c.expected);
        EXPECT_TRUE(shot.picture.isNull());
    }
}

TEST_F(PortalScreenshotTest, NoPortalOnTheBusIsNoServiceAtOnce)
{
    QElapsedTimer clock;
    clock.start();
    const PortalShot shot = PortalScreenshot(*client_, 20000).take();
    EXPECT_EQ(shot.outcome, PortalOutcome::NoService);
    EXPECT_LT(clock.elapsed(), 10000) << "a missing portal waited for the whole timeout";
    EXPECT_EQ(PortalScreenshot(QDBusConnection(QStringLiteral("lh_never_connected"))).take().outcome,
              PortalOutcome::NoService);
}

TEST_F(PortalScreenshotTest, TheWindowsEventsRunWhileThePortalIsAwaited)
{
    servePortal();
    portal_->answer = Answer::Never;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    const PortalShot shot = PortalScreenshot(*client_, 500).take();
    EXPECT_EQ(shot.outcome, PortalOutcome::NoAnswer);
    EXPECT_GE(ticks, 3) << "the thread's timers stood still during the wait";
}

TEST(PortalRequestPath, FollowsTheSendersUniqueNameAndTheToken)
{
    EXPECT_EQ(portalRequestPath(QStringLiteral(":1.42"), QStringLiteral("lanhe1")),
              QStringLiteral("/org/freedesktop/portal/desktop/request/1_42/lanhe1"));
    EXPECT_EQ(portalRequestPath(QStringLiteral(":12.3.4"), QStringLiteral("t")),
              QStringLiteral("/org/freedesktop/portal/desktop/request/12_3_4/t"));
}

TEST(TemporaryFolder, OnlyFilesReallyInATemporaryFolderCount)
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/lh-portal-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    const QString inTemp = dir.filePath(QStringLiteral("a.png"));
    QFile(inTemp).open(QIODevice::WriteOnly);
    const QString link = dir.filePath(QStringLiteral("link.png"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/etc/passwd"), link));
    struct Case {
        QString path;
        bool expected;
    };
    const Case cases[] = {
        {inTemp, true},
        {QStringLiteral("/tmp/../etc/passwd"), false},
        {link, false},   // a link out of the folder is not the folder's file
        {dir.filePath(QStringLiteral("none.png")), false},
        {QStringLiteral("/etc/passwd"), false},
        {QString(), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(inTemporaryFolder(c.path), c.expected) << c.path.toStdString();
}

}   // namespace
}   // namespace lh

#include "PortalScreenshotTest.moc"
