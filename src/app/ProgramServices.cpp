#include "app/ProgramServices.h"

#include "music/QtAudioPlayer.h"
#include "core/Random.h"
#include "platform/ScreenGrabbers.h"

#include <QGuiApplication>

namespace lh::app {

ProgramServices::ProgramServices() : m_screen(makeScreenGrabber(QGuiApplication::platformName()))
{
    m_services.random = &programRandom();
    m_services.files = &m_files;
    m_services.fontColor = &m_fontColor;
    m_services.messages = &m_messages;
    m_services.clock = &m_clock;
    m_services.clipboard = &m_clipboard;
    m_services.screen = m_screen.get();
    m_services.printer = &m_printer;
    m_services.exports = &m_exports;
    m_services.makeAudioPlayer = [] { return std::make_unique<music::QtAudioPlayer>(); };
}

ProgramServices::~ProgramServices() = default;

} // namespace lh::app
