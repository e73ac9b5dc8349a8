#include "app/ProgramWindows.h"

#include "app/WindowSet.h"
#include "designer/CategoryWindow.h"
#include "music/Mp3Test.h"
#include "photo/Form1.h"
#include "platform/Services.h"
#include "tools/Form20.h"
#include "tools/Form30.h"
#include "tools/Form40.h"
#include "tools/FrmMain.h"
#include "tools/Lhtdy.h"

namespace lh::app {

void installProgramWindows(WindowSet& windows, const PlatformServices& services)
{
    // Designer windows: the main window Form1, the category windows Form2 to
    // Form10 and the hidden full-recipe window Form11.
    windows.setDesignerFactory(1, [&services](Navigator& navigator) { return new photo::Form1(services, navigator); });
    for (int category = 2; category <= WindowSet::kDesignerWindows; ++category)
        windows.setDesignerFactory(category, [&services, category](Navigator& navigator) {
            return new designer::CategoryWindow(services, navigator, category);
        });
    windows.setToolFactory(WindowSet::Tool::Capture, [&services](Navigator& navigator, QWidget* owner) {
        return new tools::Form20(services, navigator, owner);
    });
    windows.setToolFactory(WindowSet::Tool::Zoom, [&services](Navigator& navigator, QWidget* owner) {
        return new tools::Form40(services, navigator, owner);
    });
    windows.setToolFactory(WindowSet::Tool::Printing, [&services](Navigator& navigator, QWidget* owner) {
        return new tools::Lhtdy(services, navigator, owner);
    });
    windows.setToolFactory(WindowSet::Tool::Grabber, [&services](Navigator& navigator, QWidget* owner) {
        return new tools::FrmMain(services, navigator, owner);
    });
    windows.setToolFactory(WindowSet::Tool::Wallpaper, [&services](Navigator& navigator, QWidget* owner) {
        return new tools::Form30(services, navigator, owner);
    });
    windows.setMusicFactory([&services](QWidget* owner) { return new music::Mp3Test(services, owner); });
}

}   // namespace lh::app
