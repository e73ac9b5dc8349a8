#pragma once
// Region capture window "蓝禾剪裁抓图": the user arms a capture from the menu,
// drags a rectangle anywhere on the screen, and gets its pixels on the
// clipboard, in the window and, on request, in a BMP file.

#include "platform/Services.h"
#include "tools/Module2.h"

#include <QEvent>
#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <optional>
#include <vector>

class QAction;
class QMenu;

namespace lh {
class Navigator;
}   // namespace lh

namespace lh::tools {

class PictureBox;
class SelectionOverlay;

class Form20 : public QMainWindow {
    Q_OBJECT
public:
    enum class State {
        Loaded,
        Armed,
        Selecting,
        Captured
    };

    Form20(const PlatformServices& services, Navigator& navigator, QWidget* owner);
    ~Form20() override;

    State state() const { return state_; }
    bool SnapArmed() const { return snapArmed_; }
    PictureBox* picture1() const { return picture1_; }
    QAction* mnuFileSnap() const { return mnuFileSnap_; }
    QAction* mnuFileSave() const { return mnuFileSave_; }
    QAction* mnuFileExit() const { return mnuFileExit_; }
    // The last selection, in device pixels of the virtual desktop.
    const SelRect& lastRect() const { return lastRect_; }
    // The frameless full-screen view that holds the screen while selecting
    // (the first of them where the desktop handed out the screen).
    QWidget* overlay() const;
    // Where the desktop hands out the screen: the views, one full screen on
    // each screen, that show its picture from the moment the capture is armed.
    QList<QWidget*> desktopViews() const;

    void mnuFileSnap_Click();
    void mnuFileSave_Click();
    void mnuFileExit_Click();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    // Tells the user, once per run, that only the program's own windows can be captured.
    void tellOwnWindowsOnly();
    void beginSelection(QPoint anchor);
    void endSelection(QPoint position);
    void grabPointer();
    void releasePointer();
    // Arming where the desktop hands out the screen: its picture is asked for
    // at once and shown full screen on every screen, which takes the pointer.
    void armOverDesktop();
    void openDesktopViews();
    void closeDesktopViews();
    void updateDesktopViews(const QRegion& changed);
    void onDesktopViewPointer(QEvent::Type type, QPoint at, Qt::MouseButton button);

    const PlatformServices& services_;
    Navigator& navigator_;
    QMenu* mnuFile_ = nullptr;
    QAction* mnuFileSnap_ = nullptr;
    QAction* mnuFileSave_ = nullptr;
    QAction* mnuFileSep_ = nullptr;
    QAction* mnuFileExit_ = nullptr;
    PictureBox* picture1_ = nullptr;

    bool snapArmed_ = false;
    bool grabFellBack_ = false;
    bool pointerGrabbed_ = false;
    bool placed_ = false;
    bool fetching_ = false;   // waiting for the desktop's picture
    State state_ = State::Loaded;
    QImage held_;   // the screen as it was at the press
    std::optional<SelectScreenRegion> selection_;
    QPointer<SelectionOverlay> overlay_;
    std::vector<QPointer<SelectionOverlay>> views_;
    SelRect lastRect_;
};

}   // namespace lh::tools
