#include "app/ProgramServices.h"

#include "music/QtAudioPlayer.h"
#include "platform/Random.h"

namespace lh::app {

ProgramServices::ProgramServices()
{
    m_services.random = &programRandom();
    m_services.files = &m_files;
    m_services.fontColor = &m_fontColor;
    m_services.messages = &m_messages;
    m_services.clock = &m_clock;
    m_services.makeAudioPlayer = [] { return std::make_unique<music::QtAudioPlayer>(); };
}

} // namespace lh::app
