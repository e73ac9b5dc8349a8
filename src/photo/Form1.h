#pragma once
// The main window: the photo designer. A new design is drawn around the
// user's photo on every tick of Timer1; the column on the right holds the
// photo slots, the quick text, the background and tool buttons, the pause
// toggle, the line-width and colour-scheme lists, the speed buttons and the
// greeting lists.

#include "photo/PhotoSlots.h"
#include "platform/Numeric.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <memory>

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
class RandomSource;
class Clock;
}

namespace lh::photo {

class ImageBox;
class ShapeBox;

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

public slots:
    void Timer1_Timer();
    void Timer2_Timer();
    void Picture1_MouseUp(Qt::MouseButton button, double xTwips, double yTwips);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class Host;

    void buildWindow();
    void buildPhotoPanel();
    void buildSurfaceChildren();
    void Form_Load();
    void showSlotInMiddle(int slot);
    void replaceSlot(int slot);
    void refreshSurface();

    void Check2_Click();
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
    RandomSource& random_;
    Clock& clock_;

    struct Engine;
    std::unique_ptr<Engine> engine_;   // surface, view, design tick, rotated font
    std::unique_ptr<Host> host_;

    PhotoSlots slots_;
    QImage designCopy_;
    std::int32_t elapsed_ = 0;

    QWidget* picture1_ = nullptr;
    QTimer* timer1_ = nullptr;
    QTimer* timer2_ = nullptr;
    QCheckBox* check2_ = nullptr;
    QCheckBox* check5_ = nullptr;
    QComboBox* combo1_ = nullptr;
    QComboBox* combo2_ = nullptr;
    QComboBox* combo3_ = nullptr;
    QComboBox* combo4_ = nullptr;
    QComboBox* combo5_ = nullptr;
    QComboBox* combo6_ = nullptr;
    QScrollBar* hscroll1_ = nullptr;
    QLineEdit* text6_ = nullptr;
    QLabel* label5_ = nullptr;
    QLabel* label8_ = nullptr;
    QLabel* label11_ = nullptr;
    QLabel* label13_ = nullptr;
    QLabel* label14_ = nullptr;
    QLabel* label18_ = nullptr;
    QLabel* label24_ = nullptr;
    ImageBox* image6_ = nullptr;
    ShapeBox* shape9_ = nullptr;
    QLabel* picture2_ = nullptr;
    ImageBox* thumbnails_[PhotoSlots::kCount] = {};
};

} // namespace lh::photo
