#pragma once
// The program's windows: each is created on first use and kept. Designer
// windows (1 is the main window Form1, 2..10 the category designers, 11 the
// hidden one) stay for the whole run; a tool window closed with its close
// box is destroyed and made fresh the next time; the music window exists
// only while the music plays.

#include "design/DesignRules.h"
#include "forms/Navigator.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>

namespace lh::app {

class WindowSet final : public QObject, public Navigator {
    Q_OBJECT
public:
    static constexpr int kDesignerWindows = design::kCategoryCount;   // Form1 .. Form11
    static constexpr int kCategories = 10;        // category buttons "1" .. "10"

    enum class Tool {
        Capture,
        Zoom,
        Printing,
        Grabber,
        Wallpaper,
        Gallery
    };   // Form20, Form40, lhtdy, frmMain, Form30, the gallery
    static constexpr int kTools = 6;

    // A designer window: top-level, no owner.
    using DesignerFactory = std::function<QWidget*(Navigator&)>;
    // A tool window owned by `owner` (null: no owner).
    using ToolFactory = std::function<QWidget*(Navigator&, QWidget* owner)>;
    // The music window owned by `owner`.
    using MusicFactory = std::function<QWidget*(QWidget* owner)>;
    // Keeps a design in the gallery (see Navigator::keepDesign).
    using Keeper = std::function<std::optional<KeptCount>(QWidget* from, const scene::DesignScene& scene,
                                                          const QImage& shown)>;

    WindowSet();
    ~WindowSet() override;

    void setDesignerFactory(int window, DesignerFactory factory);
    void setToolFactory(Tool tool, ToolFactory factory);
    void setMusicFactory(MusicFactory factory);
    void setKeeper(Keeper keeper);
    // What gets a photo on show ready for keeping (see Navigator::photoShown).
    void setPhotoPreparer(std::function<void(const QImage&)> preparer) { photoPreparer_ = std::move(preparer); }
    // Called when the user has closed the program's last window on screen
    // (the program then ends): hidden designer windows and the invisible
    // music window do not count; a long task still running (a save, a print,
    // an export) is waited for.
    void setMainWindowClosedHandler(std::function<void()> handler);

    // The loaded window, or null.
    QWidget* designer(int window) const;
    QWidget* tool(Tool tool) const;
    QWidget* musicWindow() const;
    // Loads designer window `window` if it can be made; null when it cannot.
    QWidget* loadDesigner(int window);

    void showCategory(int category) override;
    void openCapture(QWidget* owner) override;
    void openZoom(QWidget* owner) override;
    void openPrinting(QWidget* owner) override;
    void openGrabber() override;
    void openWallpaper() override;
    void startMusic() override;
    void stopMusic() override;
    void showMainWindow() override;
    QWidget* mainWindow() override;
    std::optional<KeptCount> keepDesign(QWidget* from, const scene::DesignScene& scene,
                                        const QImage& shown) override;
    void photoShown(const QImage& photo) override;
    void openGallery() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A fresh window opens beside `beside` where nobody else places it.
    void openTool(Tool tool, QWidget* owner, const QWidget* beside = nullptr);
    // The designer window on screen (not minimized) other than `except`, or null.
    QWidget* designerOnScreen(const QWidget* except = nullptr) const;
    void endIfNothingIsOnScreen();
    static int toolIndex(Tool tool) { return static_cast<int>(tool); }

    std::array<DesignerFactory, kDesignerWindows + 1> designerFactories_;
    std::array<QPointer<QWidget>, kDesignerWindows + 1> designers_;
    std::array<ToolFactory, kTools> toolFactories_;
    std::array<QPointer<QWidget>, kTools> tools_;
    MusicFactory musicFactory_;
    Keeper keeper_;
    std::function<void(const QImage&)> photoPreparer_;
    QPointer<QWidget> music_;
    std::function<void()> mainWindowClosed_;
};

}   // namespace lh::app
