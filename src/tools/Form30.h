#pragma once
// Wallpaper maker "蓝禾壁纸排版": repeats one picture (the tile) over a large
// canvas on a regular grid, from the default tile, one of twelve stored
// patterns or a picture file; the canvas is dragged about to be looked at,
// saved as a BMP file and printed.

#include "platform/Services.h"

#include <QFont>
#include <QImage>
#include <QMainWindow>

#include <array>
#include <cstdint>
#include <functional>

class QAction;
class QLineEdit;
class QPushButton;
class QWidget;

namespace lh {
class Navigator;
}   // namespace lh
namespace lh::forms {
class PicturePane;
}   // namespace lh::forms

namespace lh::tools {

class Form30 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kPatterns = 12;
    static constexpr int kCanvasBorder = 2;   // pixels of the canvas's sunken border

    Form30(const PlatformServices& services, Navigator& navigator, QWidget* owner = nullptr);
    ~Form30() override;

    forms::PicturePane* canvas() const { return picture1_; }
    // The current tile (Picture2) and the cell size it gives, in pixels.
    const QImage& tile() const;
    QSize cell() const;
    // Stored pattern k (1..12), as the window holds it.
    const QImage& pattern(int k) const;
    // The thirteen stored pictures: 0 the default tile, 1..12 the patterns.
    static QImage storedPicture(int index);

    // Free memory in bytes that canvas sizes are checked against; the
    // machine's by default.
    void setFreeMemory(std::function<std::int64_t()> freeMemory) { freeMemory_ = std::move(freeMemory); }
    // How long a tiling or a save runs before its progress dialog shows (500 ms).
    void setProgressDelay(int ms) { progressDelayMs_ = ms; }

    void Command1_Click();      // "高度"
    void Command2_Click();      // "宽度"
    void Command3_Click();      // "新建"
    void Command4_Click();      // "打开"
    void Command5_Click();      // "保存"
    void Command6_Click();      // "打印"
    void Command7_Click();      // "缩放"
    void Command8_Click();      // "剪裁"
    void patternClick(int k);   // "壁纸k"
    void mnuExit_Click();       // "退出"

protected:
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Tiles a new canvas of `inner` pixels with the picture at the current
    // cell and puts it in place; false (canvas as it was) when it cannot be
    // had or the user cancelled.
    bool tileNewCanvas(QSize inner, const QImage& picture);
    // Re-tiles after a text box set the canvas's outer width or height.
    void applySize(std::optional<double> widthTwips, std::optional<double> heightTwips);
    std::optional<double> currentWidthTwips() const;
    std::optional<double> currentHeightTwips() const;
    void layoutStrip();
    void tell(const QString& text);
    enum class SaveResult {
        Saved,
        Cancelled,
        Failed
    };
    // Writes the canvas as a BMP file, with a progress dialog that can
    // cancel it when it takes long.
    SaveResult saveCanvas(const QString& path, QString* why);

    const PlatformServices& services_;
    Navigator& navigator_;
    QWidget* client_ = nullptr;
    QWidget* picture3_ = nullptr;
    forms::PicturePane* picture1_ = nullptr;
    forms::PicturePane* picture2_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QLineEdit* text2_ = nullptr;
    std::array<QImage, kPatterns> patterns_;
    std::function<std::int64_t()> freeMemory_;
    bool placed_ = false;
    int progressDelayMs_ = 500;
    QFont hintFont_;   // the memory hint's face and size as the strip gives them
    // Dragging the canvas.
    bool dragging_ = false;
    QPoint dragStart_;
    QPoint dragPress_;
};

}   // namespace lh::tools
