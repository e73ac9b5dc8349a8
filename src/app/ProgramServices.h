#pragma once
// The real platform services of the program, assembled once in main and
// handed to every window.

#include "platform/QtClipboard.h"
#include "platform/QtExportDialogs.h"
#include "platform/QtPicturePrinter.h"
#include "platform/QtServices.h"
#include "platform/Services.h"

#include <memory>

namespace lh::app {

// Made after the QApplication: the screen grabber depends on the platform.
class ProgramServices {
public:
    ProgramServices();
    ~ProgramServices();
    ProgramServices(const ProgramServices&) = delete;
    ProgramServices& operator=(const ProgramServices&) = delete;

    const PlatformServices& services() const { return services_; }

private:
    QtFileDialogs files_;
    QtFontColorDialogs fontColor_;
    QtMessageBoxes messages_;
    SystemClock clock_;
    QtClipboard clipboard_;
    QtPicturePrinter printer_;
    QtExportDialogs exports_;
    std::unique_ptr<ScreenGrabber> screen_;
    PlatformServices services_;
};

}   // namespace lh::app
