#include "app/WindowSet.h"

#include "platform/TaskProgress.h"
#include "platform/WindowPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <algorithm>

namespace lh::app {

namespace {

void bringUp(QWidget* w)
{
    // A minimized window comes back in the state it had before (normal or maximized).
    if (w->isMinimized())
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    w->show();
    w->raise();
    w->activateWindow();
}

}   // namespace

WindowSet::WindowSet() = default;

WindowSet::~WindowSet()
{
    // The music first, so the sound ends before anything else goes.
    delete music_.data();
    for (auto& t : tools_)
        delete t.data();
    for (auto& d : designers_)
        delete d.data();
}

void WindowSet::setDesignerFactory(int window, DesignerFactory factory)
{
    if (window >= 1 && window <= kDesignerWindows)
        designerFactories_[window] = std::move(factory);
}

void WindowSet::setToolFactory(Tool tool, ToolFactory factory) { toolFactories_[toolIndex(tool)] = std::move(factory); }

void WindowSet::setMusicFactory(MusicFactory factory) { musicFactory_ = std::move(factory); }

void WindowSet::setKeeper(Keeper keeper) { keeper_ = std::move(keeper); }

void WindowSet::setMainWindowClosedHandler(std::function<void()> handler) { mainWindowClosed_ = std::move(handler); }

QWidget* WindowSet::designer(int window) const
{
    return window >= 1 && window <= kDesignerWindows ? designers_[window].data() : nullptr;
}

QWidget* WindowSet::tool(Tool tool) const { return tools_[toolIndex(tool)].data(); }

QWidget* WindowSet::musicWindow() const { return music_.data(); }

QWidget* WindowSet::loadDesigner(int window)
{
    if (window < 1 || window > kDesignerWindows)
        return nullptr;
    if (!designers_[window] && designerFactories_[window]) {
        QWidget* w = designerFactories_[window](*this);
        designers_[window] = w;
        if (w)
            w->installEventFilter(this);
    }
    return designers_[window].data();
}

void WindowSet::showCategory(int category)
{
    if (category < 1 || category > kCategories)
        return;
    QWidget* shown = loadDesigner(category);
    if (!shown)
        return;   // that category's window is not part of this program
    // The window switched to stands where the one on screen stood.
    if (QWidget* from = designerOnScreen(shown);
        from && !(from->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        shown->move(from->pos());
    bringUp(shown);
    for (int window = 1; window <= kDesignerWindows; ++window) {
        if (window == category)
            continue;
        if (QWidget* other = loadDesigner(window))
            other->hide();
    }
}

QWidget* WindowSet::designerOnScreen(const QWidget* except) const
{
    for (int window = 1; window <= kDesignerWindows; ++window) {
        QWidget* w = designer(window);
        if (w && w != except && w->isVisible() && !w->isMinimized())
            return w;
    }
    return nullptr;
}

void WindowSet::openTool(Tool tool, QWidget* owner, const QWidget* beside)
{
    QPointer<QWidget>& slot = tools_[toolIndex(tool)];
    if (!slot) {
        const ToolFactory& factory = toolFactories_[toolIndex(tool)];
        if (!factory)
            return;
        QWidget* w = factory(*this, owner);
        if (!w)
            return;
        placeBesideIfNobodyPlaces(w, beside);
        // The close box unloads a tool window; the next opening makes a fresh one.
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->installEventFilter(this);
        slot = w;
    } else if (slot->parentWidget() != owner) {
        slot->setParent(owner, slot->windowFlags() | Qt::Window);
    }
    bringUp(slot);
}

void WindowSet::openCapture(QWidget* owner) { openTool(Tool::Capture, owner); }

void WindowSet::openZoom(QWidget* owner) { openTool(Tool::Zoom, owner); }

void WindowSet::openPrinting(QWidget* owner) { openTool(Tool::Printing, owner); }

void WindowSet::openGrabber() { openTool(Tool::Grabber, nullptr); }

void WindowSet::openWallpaper() { openTool(Tool::Wallpaper, nullptr); }

void WindowSet::startMusic()
{
    if (music_ || !musicFactory_)
        return;
    music_ = musicFactory_(designer(1));
}

void WindowSet::stopMusic() { delete music_.data(); }

void WindowSet::showMainWindow()
{
    if (QWidget* main = loadDesigner(1))
        bringUp(main);
}

QWidget* WindowSet::mainWindow() { return loadDesigner(1); }

std::optional<KeptCount> WindowSet::keepDesign(QWidget* from, const scene::DesignScene& scene, const QImage& shown)
{
    if (!keeper_)
        return std::nullopt;
    return keeper_(from, scene, shown);
}

void WindowSet::openGallery()
{
    // Beside the designer window on screen, where nobody else places it.
    openTool(Tool::Gallery, nullptr, designerOnScreen());
}

void WindowSet::photoShown(const QImage& photo)
{
    if (photoPreparer_ && !photo.isNull())
        photoPreparer_(photo);
}

bool WindowSet::eventFilter(QObject* watched, QEvent* event)
{
    // Decide once the window has handled the event: a close it refused
    // leaves it on screen and the program running.
    if (event->type() == QEvent::Close && mainWindowClosed_)
        QTimer::singleShot(0, this, &WindowSet::endIfNothingIsOnScreen);
    return QObject::eventFilter(watched, event);
}

void WindowSet::endIfNothingIsOnScreen()
{
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = w->windowType();
        if (w->isVisible() && type != Qt::Popup && type != Qt::ToolTip)
            return;
    }
    if (TaskProgress::running() > 0) {
        // Asked again when the task had time to end.
        QTimer::singleShot(200, this, &WindowSet::endIfNothingIsOnScreen);
        return;
    }
    if (mainWindowClosed_)
        mainWindowClosed_();
}

}   // namespace lh::app
