#pragma once
// What the zoom and printing windows share: a maximized window in #C0FFFF
// whose buttons stand at its right edge, that opens one picture file at a
// time and brings the main window back when it is closed (and discarded).

#include "platform/Services.h"

#include <QImage>
#include <QWidget>

class QPushButton;

namespace lh {
class Navigator;
}   // namespace lh

namespace lh::tools {

class PictureToolWindow : public QWidget {
    Q_OBJECT
public:
    // Places the buttons for the current outer width.
    virtual void layoutButtons() = 0;

protected:
    PictureToolWindow(const PlatformServices& services, Navigator& navigator, QWidget* owner, const char* name,
                      const char* caption, int widthTwips, int heightTwips);

    // The open dialog with the picture filter; a null image when the user
    // cancels or the file is not a readable picture.
    QImage askForPicture();

    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

    const PlatformServices& services_;
    Navigator& navigator_;
};

// The filter of the open dialogs of the zoom and printing windows.
QString pictureOpenFilter();

}   // namespace lh::tools
