#pragma once
// Printing window "蓝禾图像打印": opens a picture file, shows it at its own
// size and prints it on the default printer.

#include "tools/PictureToolWindow.h"

class QPushButton;

namespace lh::tools {

class PictureBox;

class Lhtdy : public PictureToolWindow {
    Q_OBJECT
public:
    Lhtdy(const PlatformServices& services, Navigator& navigator, QWidget* owner);

    PictureBox* picture1() const { return picture1_; }
    QPushButton* command4() const { return command4_; }
    QPushButton* command2() const { return command2_; }

    void Command4_Click();   // "取图"
    void Command2_Click();   // "打印"
    void layoutButtons() override;
    // How long a print runs before its progress shows (tests: 0).
    void setProgressDelay(int ms) { progressDelayMs_ = ms; }

private:
    int progressDelayMs_ = 500;
    PictureBox* picture1_ = nullptr;
    QPushButton* command4_ = nullptr;
    QPushButton* command2_ = nullptr;
};

}   // namespace lh::tools
