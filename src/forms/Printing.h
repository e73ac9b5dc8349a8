#pragma once
// Printing a picture from a window: the printer service behind a progress
// that shows for a long print and can cancel it, and a word to the user when
// nothing was printed.

#include <QString>

class QImage;
class QWidget;

namespace lh {
struct PlatformServices;
}   // namespace lh

namespace lh::forms {

// Prints the picture through the printer service, showing a progress named
// "PrintProgress" after `delayMs`. When it was not printed, says so under
// "蓝禾提示" as `notPrinted` ("壁纸没有打印。") and the reason; a print the user
// cancelled says nothing. True when printed.
bool printShowingProgress(QWidget* window, const PlatformServices& services, const QImage& picture,
                          const QString& notPrinted, int delayMs);

}   // namespace lh::forms
