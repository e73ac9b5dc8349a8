#include "login/LoginGate.h"

#include "login/Frmpass.h"
#include "login/PasswordFile.h"
#include "platform/Services.h"

#include <QDir>

namespace lh::login {

GateOutcome RunLoginGate(const PlatformServices& services, const QString& directory,
                         const ShowLoginWindow& showLoginWindow)
{
    MessageBoxes& messages = *services.messages;
    const StoredPasswordRead stored = readStoredPassword(directory);
    switch (stored.status) {
    case ReadStatus::Missing:
        messages.inform(nullptr, text::kMissingFile, text::kNotice, MessageIcon::Question);
        return GateOutcome::FileMissing;
    case ReadStatus::Unreadable:
        messages.inform(nullptr, text::kUnreadableFile, text::kNotice, MessageIcon::Critical);
        return GateOutcome::FileUnreadable;
    case ReadStatus::Damaged:
        messages.inform(nullptr, text::kDamagedFile, text::kNotice, MessageIcon::Critical);
        return GateOutcome::FileUnreadable;
    case ReadStatus::Ok: break;
    }

    const QString path = QDir(directory).filePath(kPasswordFileName);
    int attempts = 0;
    for (;;) {
        // Every attempt gets a fresh window: empty fields, change fields hidden.
        Frmpass window(messages, stored.password, path);
        showLoginWindow(window);
        if (!window.confirmed())
            return GateOutcome::Cancelled;
        if (window.grzbpass() == stored.password)
            return GateOutcome::Granted;
        ++attempts;
        messages.inform(nullptr, text::kWrongPassword, text::kNotice, MessageIcon::Exclamation);
        if (attempts >= 3) {
            messages.inform(nullptr, text::kNoRight, text::kBanned, MessageIcon::Exclamation);
            return GateOutcome::Refused;
        }
    }
}

void execLoginWindow(Frmpass& window) { window.exec(); }

}   // namespace lh::login
