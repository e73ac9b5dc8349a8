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

    const PlatformServices& services() const { return m_services; }

private:
    QtFileDialogs m_files;
    QtFontColorDialogs m_fontColor;
    QtMessageBoxes m_messages;
    SystemClock m_clock;
    QtClipboard m_clipboard;
    QtPicturePrinter m_printer;
    QtExportDialogs m_exports;
    std::unique_ptr<ScreenGrabber> m_screen;
    PlatformServices m_services;
};

} // namespace lh::app
