#pragma once
// Zoom window "蓝禾图像缩放剪裁": shows one picture file stretched to a size
// the user changes in quarter steps, so a region can then be cut out of the
// screen with the region capture window.

#include "platform/Services.h"
#include "tools/ToolGeometry.h"

#include <QWidget>

class QPushButton;

namespace lh {
class Navigator;
}

namespace lh::tools {

class StretchImage;

class Form40 : public QWidget {
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
    // Places the buttons for the current outer width.
    void layoutButtons();

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void applySize();

    const PlatformServices& services_;
    Navigator& navigator_;
    StretchImage* image1_ = nullptr;
    QPushButton* command4_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    QPushButton* command3_ = nullptr;
    ZoomSize size_{9195.0f, 8505.0f};
};

// The filter of the open dialogs of the zoom and printing windows.
QString pictureOpenFilter();

// A button of the tool windows at a twips rectangle, face colour #C0C0FF.
QPushButton* makeToolButton(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                            int width, int height);

} // namespace lh::tools
