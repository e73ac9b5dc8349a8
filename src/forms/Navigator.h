#pragma once
// How windows reach each other. The window set (app) implements it: windows
// are created on first use and kept; no window hands a value to another.

#include <cstdint>
#include <optional>

class QImage;
class QWidget;

namespace lh::scene {
struct DesignScene;
}   // namespace lh::scene

namespace lh {

// How a keep went: the number of designs kept, and whether the design was new
// (a design kept before is kept once).
struct KeptCount {
    std::int64_t total = 0;
    bool added = true;
};

class Navigator {
public:
    virtual ~Navigator() = default;
    // Category navigation: show designer window k (1 is the main window) and
    // hide every other window of the designer set, loading each first.
    virtual void showCategory(int category) = 0;
    // Tool windows, shown non-modal; owner may be null (no owner).
    virtual void openCapture(QWidget* owner) = 0;    // Form20
    virtual void openZoom(QWidget* owner) = 0;       // Form40
    virtual void openPrinting(QWidget* owner) = 0;   // lhtdy
    // The window grabber frmMain and the wallpaper maker Form30: non-modal,
    // owned by no window; when one is open it comes to the front instead.
    virtual void openGrabber() = 0;
    virtual void openWallpaper() = 0;
    // The music window mp3test: loaded hidden to play, unloaded to stop.
    virtual void startMusic() = 0;
    virtual void stopMusic() = 0;
    // Brings the main window Form1 back (tools call it when they close).
    virtual void showMainWindow() = 0;
    // The main window, loaded (and left hidden) if it is not loaded yet: the
    // owner of the tool windows that the category windows open.
    virtual QWidget* mainWindow() = 0;
    // Keeps a design in the gallery as the window `from` shows it (`shown`
    // is its picture at scale 1); committed when this returns. How it went,
    // or empty when it could not be kept (the user was told why).
    virtual std::optional<KeptCount> keepDesign(QWidget* from, const scene::DesignScene& scene,
                                                const QImage& shown) = 0;
    // The gallery "蓝禾图案收藏": shown, or brought to the front.
    virtual void openGallery() = 0;
    // A photo is now on show in a designer window: designs kept from now on
    // carry it, so the gallery may get it ready beforehand (its content key
    // and file), off the window's thread.
    virtual void photoShown(const QImage& photo) { (void)photo; }
};

}   // namespace lh
