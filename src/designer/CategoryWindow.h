#pragma once
// A category designer window: Form2..Form10 draw the pure pattern designs of
// categories 2 to 10; Form11 draws the full recipe on a window nobody sees.
// One class; the control table says where the windows differ.

#include "designer/SaveDesign.h"

#include <QWidget>

#include <cstdint>
#include <memory>

namespace lh {
class Navigator;
class Surface;
struct PlatformServices;
}   // namespace lh

namespace lh::designer {

class DesignerCore;

class CategoryWindow : public QWidget {
    Q_OBJECT
public:
    // category: 2..10 for Form2..Form10, 11 for Form11.
    CategoryWindow(const PlatformServices& services, Navigator& navigator, int category, QWidget* parent = nullptr);
    // The same window over a given 857 x 857 drawing surface.
    CategoryWindow(const PlatformServices& services, Navigator& navigator, int category,
                   std::unique_ptr<Surface> surface, QWidget* parent = nullptr);
    ~CategoryWindow() override;

    int category() const { return category_; }
    DesignerCore& core() { return *core_; }
    Surface& surface();
    std::int32_t designCount() const;

    // The test strip: clears the surface and draws one star by hand.
    void Command1_Click(int index);
    // "保存图案".
    SaveOutcome Command2_Click();

private:
    void Form_Load();

    const PlatformServices& services_;
    Navigator& navigator_;
    int category_;
    DesignerCore* core_ = nullptr;
    SaveDialogState saveDialog_;
};

// The test strip's star: Text1 read as a 16-bit point count, drawn without
// fill in RGB(0, 250, 0) in the box 1200, 1200, 3600, 3600 twips after a
// clear. A text that is not a 16-bit number leaves the surface cleared.
void drawTestStar(Surface& surface, const QString& pointsText);

}   // namespace lh::designer
