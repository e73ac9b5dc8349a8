#pragma once
// The start-up password gate: reads the password file, shows the login
// window up to three times and says whether the program may go on.

#include <QString>

#include <functional>

namespace lh {
struct PlatformServices;
}   // namespace lh

namespace lh::login {

class Frmpass;

enum class GateOutcome {
    Granted,          // the password matched: open the main window
    Cancelled,        // "取消", the close box or Escape
    Refused,          // three wrong entries
    FileMissing,      // no "zrvcom.cct" in the program's directory
    FileUnreadable,   // the file is there but cannot be opened or holds no password
};

// Shows the login window and returns once it has closed. The program passes
// a modal exec(); tests drive the window themselves.
using ShowLoginWindow = std::function<void(Frmpass&)>;

// Runs the gate over the password file of `directory`. Every message goes
// through services.messages.
GateOutcome RunLoginGate(const PlatformServices& services, const QString& directory,
                         const ShowLoginWindow& showLoginWindow);

// Shows the window modally (the program's way).
void execLoginWindow(Frmpass& window);

}   // namespace lh::login
