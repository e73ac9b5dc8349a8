#include "platform/PortalScreenshot.h"

#include "pictures/PictureFiles.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

#include <optional>

namespace lh {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kObject = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshot = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

bool isUnder(const QString& path, const QString& folder)
{
    if (folder.isEmpty())
        return false;
    QString f = QFileInfo(folder).canonicalFilePath();
    if (f.isEmpty())
        return false;
    if (!f.endsWith(QLatin1Char('/')))
        f += QLatin1Char('/');
    return path.startsWith(f);
}

}   // namespace

// Receives the Response signal of one request.
class PortalResponse : public QObject {
    Q_OBJECT
public:
    std::optional<uint> response;
    QVariantMap results;

signals:
    void answered();

public slots:
    void onResponse(uint code, const QVariantMap& values)
    {
        if (response)
            return;
        response = code;
        results = values;
        emit answered();
    }
};

QString portalRequestPath(const QString& uniqueName, const QString& token)
{
    QString sender = uniqueName;
    if (sender.startsWith(QLatin1Char(':')))
        sender.remove(0, 1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

bool inTemporaryFolder(const QString& path)
{
    const QString file = QFileInfo(path).canonicalFilePath();
    if (file.isEmpty())
        return false;
    const QString folders[] = {QStringLiteral("/tmp"), QStringLiteral("/var/tmp"), QDir::tempPath(),
                               qEnvironmentVariable("XDG_RUNTIME_DIR")};
    for (const QString& folder : folders)
        if (isUnder(file, folder))
            return true;
    return false;
}

PortalScreenshot::PortalScreenshot(QDBusConnection bus, int answerTimeoutMs)
    : bus_(std::move(bus)), timeoutMs_(answerTimeoutMs)
{
}

PortalShot PortalScreenshot::take()
{
    if (!bus_.isConnected())
        return {PortalOutcome::NoService, {}};
    const QString token = QStringLiteral("lanhe%1_%2").arg(++requests_).arg(QRandomGenerator::global()->generate());
    QString path = portalRequestPath(bus_.baseService(), token);

    PortalResponse response;
    // Subscribed before the call: a portal that answers at once is not missed.
    const auto subscribe = [&](const QString& p) {
        return bus_.connect(kService, p, kRequest, QStringLiteral("Response"), &response,
                            SLOT(onResponse(uint, QVariantMap)));
    };
    const auto unsubscribe = [&](const QString& p) {
        bus_.disconnect(kService, p, kRequest, QStringLiteral("Response"), &response,
                        SLOT(onResponse(uint, QVariantMap)));
    };
    if (!subscribe(path))
        return {PortalOutcome::NoService, {}};

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kObject, kScreenshot, QStringLiteral("Screenshot"));
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("modal"), true},
                              {QStringLiteral("interactive"), false}};
    call << QString() << options;

    QEventLoop loop;
    bool callFailed = false;
    QDBusPendingCallWatcher watcher(bus_.asyncCall(call, timeoutMs_));
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, [&](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            callFailed = true;
            loop.quit();
            return;
        }
        // An older portal may choose another path than the one predicted.
        const QString handed = reply.value().path();
        if (handed != path && !response.response) {
            unsubscribe(path);
            path = handed;
            subscribe(path);
        }
    });
    QObject::connect(&response, &PortalResponse::answered, &loop, &QEventLoop::quit);
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(timeoutMs_);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    unsubscribe(path);

    if (!response.response) {
        if (callFailed)
            return {PortalOutcome::NoService, {}};
        // The request is given up: the portal may close its dialog.
        bus_.call(QDBusMessage::createMethodCall(kService, path, kRequest, QStringLiteral("Close")),
                  QDBus::NoBlock);
        return {PortalOutcome::NoAnswer, {}};
    }
    if (*response.response == 1)
        return {PortalOutcome::Cancelled, {}};
    if (*response.response != 0)
        return {PortalOutcome::Refused, {}};

    const QUrl uri(response.results.value(QStringLiteral("uri")).toString());
    const QString file = uri.isLocalFile() ? uri.toLocalFile() : QString();
    if (file.isEmpty())
        return {PortalOutcome::Unreadable, {}};
    QImage picture = loadPicture(file);
    if (inTemporaryFolder(file))
        QFile::remove(file);
    if (picture.isNull())
        return {PortalOutcome::Unreadable, {}};
    picture.setDevicePixelRatio(1.0);
    picture.setDotsPerMeterX(kScreenDotsPerMetre);
    picture.setDotsPerMeterY(kScreenDotsPerMetre);
    return {PortalOutcome::Picture, picture.convertToFormat(QImage::Format_RGB32)};
}

}   // namespace lh

#include "PortalScreenshot.moc"
