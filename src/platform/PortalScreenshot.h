#pragma once
// A picture of the whole screen from the desktop's Screenshot portal
// (org.freedesktop.portal.Screenshot), for display servers that do not hand
// the screen to programs (Wayland, XWayland). The request is asked for
// without a dialog; the answer comes as a Response signal on a Request object
// whose path follows from our unique bus name and a token we choose, so the
// signal is subscribed to before the call goes out.

#include <QDBusConnection>
#include <QImage>
#include <QString>

namespace lh {

enum class PortalOutcome {
    Picture,      // the screen, in device pixels
    Cancelled,    // the user cancelled the portal's dialog (response 1)
    Refused,      // the portal answered that it would not (response 2 or another)
    NoService,    // no session bus, no portal, or the portal has no Screenshot
    NoAnswer,     // no answer in time
    Unreadable,   // an answer whose file is missing or not a picture
};

struct PortalShot {
    PortalOutcome outcome = PortalOutcome::NoService;
    QImage picture;
};

// The object path of the Request the portal makes for a call from the bus
// name `uniqueName` (":1.42") with the handle token `token`.
QString portalRequestPath(const QString& uniqueName, const QString& token);

// True when the file lies in a folder for temporary files: the system's
// (/tmp, /var/tmp), the one TMPDIR names, or the user's runtime folder.
bool inTemporaryFolder(const QString& path);

class PortalScreenshot {
public:
    static constexpr int kAnswerTimeoutMs = 30000;

    explicit PortalScreenshot(QDBusConnection bus = QDBusConnection::sessionBus(),
                              int answerTimeoutMs = kAnswerTimeoutMs);

    // Asks the portal for the screen and waits for its answer with the
    // thread's events running (user input held back until the answer), at
    // most the answer timeout. The picture's file is read and, when it lies in
    // a temporary folder, removed.
    PortalShot take();

private:
    QDBusConnection bus_;
    int timeoutMs_;
    int requests_ = 0;
};

}   // namespace lh
