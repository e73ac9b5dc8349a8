#include "app/ProgramServices.h"

#include "core/Random.h"
#include "music/QtAudioPlayer.h"
#include "platform/ScreenGrabbers.h"

#include <QGuiApplication>

namespace lh::app {

ProgramServices::ProgramServices() : screen_(makeScreenGrabber(QGuiApplication::platformName()))
{
    services_.random = &programRandom();
    services_.files = &files_;
    services_.fontColor = &fontColor_;
    services_.messages = &messages_;
    services_.clock = &clock_;
    services_.clipboard = &clipboard_;
    services_.screen = screen_.get();
    services_.printer = &printer_;
    services_.exports = &exports_;
    services_.makeAudioPlayer = [] { return std::make_unique<music::QtAudioPlayer>(); };
}

ProgramServices::~ProgramServices() = default;

}   // namespace lh::app
