#pragma once
// The main window: the photo designer. A new design is drawn around the
// user's photo on every tick of Timer1 (the designer core runs the timer, the
// pause toggle, the speed and category buttons and the two scheme lists);
// this window adds the photo slots, the quick text and its angle, the
// background buttons, the elapsed-time clock, the music toggle, the tool
// buttons and the copy of the design kept on pause.

#include "forms/Controls.h"
#include "photo/PhotoSlots.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QScrollBar;
class QTimer;

namespace lh {
struct PlatformServices;
class Navigator;
class Surface;
}   // namespace lh

namespace lh::designer {
class DesignerCore;
}   // namespace lh::designer

namespace lh::scene {
struct PhotoOverlay;
}   // namespace lh::scene

namespace lh::photo {

using forms::ImageBox;
using forms::ShapeBox;

class Form1 : public QWidget {
    Q_OBJECT
public:
    Form1(const PlatformServices& services, Navigator& navigator, QWidget* parent = nullptr);
    // The same window over a given drawing surface of 12855 twips square
    // (tests pass one that records the drawing).
    Form1(const PlatformServices& services, Navigator& navigator, std::unique_ptr<Surface> surface,
          QWidget* parent = nullptr);
    ~Form1() override;

    // The drawing surface Picture1 shows (its persistent image).
    Surface& surface();
    // Designs drawn since the window loaded.
    std::int32_t designCount() const;
    // Seconds the window has run unpaused.
    std::int32_t elapsedSeconds() const { return elapsed_; }
    // The copy of the design taken at the last pause.
    const QImage& designCopy() const { return designCopy_; }
    designer::DesignerCore& core() { return *core_; }

public slots:
    void Timer1_Timer();
    void Timer2_Timer();
    void Picture1_MouseUp(Qt::MouseButton button, double xTwips, double yTwips);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Stamp;

    void Form_Load();
    void wire();
    void showSlotInMiddle(int slot);
    void replaceSlot(int slot);

    // The photo in the ring (null when none is shown) and what lies over
    // the surface as the window shows it now.
    QImage shownPhoto() const;
    scene::PhotoOverlay overlayOnShow() const;

    void runningChanged(bool running);
    void historyStepped();
    void showPhoto(const QImage& picture);
    void Check5_Click();
    void HScroll1_Change(int value);
    void HScroll1_Scroll(int value);
    void Command20_Click();
    void Command21_Click();
    void Command22_Click();
    void Command23_Click();
    void Command25_Click();

    const PlatformServices& services_;
    Navigator& navigator_;
    designer::DesignerCore* core_ = nullptr;
    std::unique_ptr<Stamp> stamp_;   // the rotated font of the quick text

    PhotoSlots slots_;
    QImage designCopy_;
    // The photo in the ring before stepping back through the designs began
    // (a null picture: none was shown).
    std::optional<QImage> livePhoto_;
    std::int32_t elapsed_ = 0;

    QTimer* timer2_ = nullptr;
    QCheckBox* check5_ = nullptr;
    QComboBox* combo5_ = nullptr;
    QScrollBar* hscroll1_ = nullptr;
    QLineEdit* text6_ = nullptr;
    QLabel* label5_ = nullptr;
    QLabel* label13_ = nullptr;
    QLabel* label18_ = nullptr;
    QLabel* dateLabel_ = nullptr;   // Label24
    ImageBox* image6_ = nullptr;
    ShapeBox* shape9_ = nullptr;
    ImageBox* thumbnails_[PhotoSlots::kCount] = {};
};

}   // namespace lh::photo
