#pragma once
// Zoom window "蓝禾图像缩放剪裁": shows one picture file stretched to a size
// the user changes in quarter steps, so a region can then be cut out of the
// screen with the region capture window.

#include "tools/PictureToolWindow.h"
#include "tools/ToolGeometry.h"

class QPushButton;

namespace lh::tools {

class StretchImage;

class Form40 : public PictureToolWindow {
    Q_OBJECT
public:
    Form40(const PlatformServices& services, Navigator& navigator, QWidget* owner);

    StretchImage* image1() const { return image1_; }
    ZoomSize imageSize() const { return size_; }
    QPushButton* command1() const { return command1_; }
    QPushButton* command2() const { return command2_; }
    QPushButton* command3() const { return command3_; }
    QPushButton* command4() const { return command4_; }

    void Command4_Click();   // "取图"
    void Command1_Click();   // "放大"
    void Command2_Click();   // "缩小"
    void Command3_Click();   // "剪裁保存"
    void layoutButtons() override;

private:
    void applySize();

    StretchImage* image1_ = nullptr;
    QPushButton* command4_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    QPushButton* command3_ = nullptr;
    ZoomSize size_{9195.0f, 8505.0f};
};

}   // namespace lh::tools
