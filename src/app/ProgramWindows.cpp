#include "app/ProgramWindows.h"

#include "app/WindowSet.h"
#include "music/Mp3Test.h"
#include "platform/Services.h"

namespace lh::app {

void installProgramWindows(WindowSet& windows, const PlatformServices& services)
{
    windows.setMusicFactory([&services](QWidget* owner) { return new music::Mp3Test(services, owner); });
}

} // namespace lh::app
