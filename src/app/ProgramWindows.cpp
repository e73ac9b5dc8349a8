#include "app/ProgramWindows.h"
#include "forms/Notices.h"

#include "app/WindowSet.h"
#include "designer/CategoryWindow.h"
#include "gallery/GalleryStore.h"
#include "gallery/GalleryWindow.h"
#include "music/Mp3Test.h"
#include "photo/Form1.h"
#include "platform/Services.h"
#include "tools/Form20.h"
#include "tools/Form30.h"
#include "tools/Form40.h"
#include "tools/FrmMain.h"
#include "tools/Lhtdy.h"

#include <memory>

namespace lh::app {

void installProgramWindows(WindowSet& windows, const PlatformServices& services, gallery::GalleryStore& gallery)
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
    // What happened when the gallery was opened (a damaged file put aside,
    // say) is told once: the first time the gallery is opened or a design
    // kept, whichever comes first.
    auto toldOpening = std::make_shared<bool>(false);
    auto tellOpening = [&services, &gallery, toldOpening](QWidget* from) {
        if (*toldOpening || gallery.openingNote().isEmpty())
            return;
        *toldOpening = true;
        services.messages->inform(from, gallery.openingNote(), forms::kNoticeTitle, MessageIcon::Exclamation);
    };
    windows.setToolFactory(WindowSet::Tool::Gallery, [&services, &gallery, tellOpening](Navigator&, QWidget* owner) {
        tellOpening(owner);
        return new gallery::GalleryWindow(services, gallery, owner);
    });
    windows.setKeeper([&services, &gallery, &windows, tellOpening](QWidget* from, const scene::DesignScene& scene,
                                                                   const QImage& shown) -> std::optional<KeptCount> {
        tellOpening(from);
        QString why;
        const std::optional<gallery::KeepOutcome> kept = gallery.keep(scene, shown, &why);
        if (!kept) {
            services.messages->inform(from, QStringLiteral("图案没有收藏。\n%1").arg(why), forms::kNoticeTitle,
                                      MessageIcon::Exclamation);
            return std::nullopt;
        }
        // An open gallery lists a new design at once.
        auto* open = qobject_cast<gallery::GalleryWindow*>(windows.tool(WindowSet::Tool::Gallery));
        if (open && kept->added)
            open->takeIn({kept->id, scene.category, kept->kept});
        return KeptCount{kept->total, kept->added};
    });
    windows.setPhotoPreparer([&gallery](const QImage& photo) { gallery.preparePhoto(photo); });
    windows.setMusicFactory([&services](QWidget* owner) { return new music::Mp3Test(services, owner); });
}

}   // namespace lh::app
