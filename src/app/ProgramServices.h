#pragma once
// The real platform services of the program, assembled once in main and
// handed to every window.

#include "platform/QtServices.h"
#include "platform/Services.h"

namespace lh::app {

class ProgramServices {
public:
    ProgramServices();
    ProgramServices(const ProgramServices&) = delete;
    ProgramServices& operator=(const ProgramServices&) = delete;

    const PlatformServices& services() const { return m_services; }

private:
    QtFileDialogs m_files;
    QtFontColorDialogs m_fontColor;
    QtMessageBoxes m_messages;
    SystemClock m_clock;
    PlatformServices m_services;
};

} // namespace lh::app
