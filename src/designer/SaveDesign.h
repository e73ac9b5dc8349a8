#pragma once
// Saving the design on a designer window's surface as a BMP file.

#include "forms/SaveName.h"

#include <QImage>
#include <QString>

#include <functional>

class QWidget;

namespace lh {
struct PlatformServices;
}   // namespace lh

namespace lh::designer {

// The filter of the save dialog.
QString designFileFilter();

// What one window's save remembers between uses: the name last chosen.
struct SaveDialogState {
    QString lastName;
};

using forms::SaveOutcome;

// Asks for a file name (in the program's directory, or the name last chosen
// on this window), asks "文件已经存在，是否覆盖文件？" before replacing an
// existing file, then writes the picture that `current` returns at that
// moment as a 24-bit BMP under the name exactly as given (no extension is
// added). A write that fails says why under "蓝禾提示" and leaves neither a
// partial file nor a damaged old one.
SaveOutcome SaveDesignAsBitmap(QWidget* window, const PlatformServices& services, SaveDialogState& state,
                               const std::function<QImage()>& current);

}   // namespace lh::designer
