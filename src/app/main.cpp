// The program: the administrator password gate, then the main window.

#include "app/ProgramLook.h"
#include "app/ProgramServices.h"
#include "app/ProgramWindows.h"
#include "app/WindowSet.h"
#include "gallery/GalleryStore.h"
#include "login/LoginGate.h"
#include "platform/Services.h"
#include "platform/WindowPlacement.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Names the user's data folder (~/.local/share/lanhe-designer).
    QCoreApplication::setApplicationName(QStringLiteral("lanhe-designer"));
    // The program ends when its last window on screen is closed (the window
    // set decides, waiting for a long task under way); hidden designer
    // windows and the invisible music window do not keep it running.
    QApplication::setQuitOnLastWindowClosed(false);
    lh::app::installProgramLook(app);
    // Windows stay inside their screen, and a dialog closed gives the keys
    // back to the window that opened it.
    lh::installWindowKeeper();

    const lh::app::ProgramServices services;
    const lh::login::GateOutcome outcome =
        lh::login::RunLoginGate(services.services(), lh::programDirectory(), lh::login::execLoginWindow);
    if (outcome == lh::login::GateOutcome::Cancelled)
        return 0;
    if (outcome != lh::login::GateOutcome::Granted)
        return 1;

    // The kept designs, in the user's data folder.
    lh::gallery::GalleryStore gallery;
    lh::app::WindowSet windows;
    lh::app::installProgramWindows(windows, services.services(), gallery);
    windows.setMainWindowClosedHandler([] { QCoreApplication::quit(); });
    windows.showMainWindow();
    if (!windows.designer(1)) {
        qCritical("lanhe-designer: the main window could not be created");
        return 1;
    }
    return app.exec();
}
