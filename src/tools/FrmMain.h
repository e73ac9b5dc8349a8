#pragma once
// Window grabber "蓝禾抓图器": press the left button on the handle, drag over
// the screen while the window under the pointer is marked with an inverted
// frame every 400 ms, release over the wanted window, and its pixels show in
// a scrollable picture that can be saved as a BMP file.

#include "platform/Services.h"
#include "platform/WindowFinder.h"
#include "tools/GrabberLayout.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QPushButton;
class QScrollBar;
class QTimer;

namespace lh {
class Navigator;
}   // namespace lh
namespace lh::forms {
class PicturePane;
}   // namespace lh::forms

namespace lh::tools {

class GrabFrame;
class PointerHolder;

class FrmMain : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTickMs = 400;

    FrmMain(const PlatformServices& services, Navigator& navigator, QWidget* owner = nullptr);
    ~FrmMain() override;

    // Test hooks: the finder of windows (the platform's by default) and where
    // the pointer is, in global coordinates (the cursor by default).
    void setWindowFinder(std::unique_ptr<WindowFinder> finder) { finder_ = std::move(finder); }
    void setPointerPosition(std::function<QPoint()> pointer) { pointer_ = std::move(pointer); }

    forms::PicturePane* picSnap() const { return picSnap_; }
    forms::PicturePane* picBmp() const { return picBmp_; }
    forms::PicturePane* picScroll() const { return picScroll_; }
    QScrollBar* hScroll() const { return hScroll1_; }
    QScrollBar* vScroll() const { return vScroll1_; }
    QCheckBox* chk() const { return chk_; }
    QTimer* tmr() const { return tmr_; }
    bool grabbing() const { return grabbing_; }
    // Released, waiting for the screen to settle before the copy.
    bool finishing() const { return finishing_; }
    // Finished grabs (a release that grabbed nothing does not count).
    int grabs() const { return grabs_; }
    // The rectangle of the last tick, screen pixels; none before the first tick.
    std::optional<EdgeRect> found() const { return found_; }
    // The small windows that show the frame of the current tick (none shown between ticks).
    QList<QWidget*> frameWindows() const;

    void picSnap_MouseDown(Qt::MouseButton button);
    void picSnap_MouseUp(Qt::MouseButton button);
    void tmr_Timer();
    void cmdSave_Click();
    void Form_Resize();

    // The notice that only the program's own windows can be grabbed is given
    // once per run; this makes the next grab give it again.

protected:
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The rectangle and, for a control of this program, the control under a point.
    struct Target {
        EdgeRect rect;
        QPointer<QWidget> own;
    };
    std::optional<Target> targetAt(QPoint global);
    bool seesEverything() const;
    // Native Wayland: neither other programs' windows nor where our own stand
    // on screen can be known, so a grab could follow nothing.
    bool cannotFindWindows() const;
    // Says what the grabber cannot do here and opens the region capture when
    // the user agrees (Enter agrees).
    void offerRegionCapture();
    void tellOwnWindowsOnly();
    void showFrame();
    void finishGrab();
    QImage grabRect(const EdgeRect& r);
    void restoreWindow();
    std::vector<std::uint64_t> ownWindowIds() const;

    const PlatformServices& services_;
    Navigator& navigator_;
    std::unique_ptr<WindowFinder> finder_;
    std::function<QPoint()> pointer_;
    forms::PicturePane* picSnap_ = nullptr;
    forms::PicturePane* picScroll_ = nullptr;
    forms::PicturePane* picBmp_ = nullptr;
    QCheckBox* chk_ = nullptr;
    QPushButton* cmdSave_ = nullptr;
    QScrollBar* hScroll1_ = nullptr;
    QScrollBar* vScroll1_ = nullptr;
    QTimer* tmr_ = nullptr;
    std::unique_ptr<GrabFrame> frame_;
    std::unique_ptr<PointerHolder> holder_;

    bool grabbing_ = false;
    bool finishing_ = false;
    bool placed_ = false;
    bool grabbed_ = false;
    int grabs_ = 0;
    std::optional<EdgeRect> found_;
    QPointer<QWidget> foundOwn_;
    std::optional<EdgeRect> pendingFrame_;
    std::optional<EdgeRect> shownFrame_;   // where the frame is on screen
    Qt::WindowStates lastState_ = Qt::WindowNoState;
};

}   // namespace lh::tools
