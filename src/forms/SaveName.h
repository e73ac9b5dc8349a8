#pragma once
// Saving a picture as a BMP file, the one way every window does it: the save
// dialog with the window's filter and starting folder, the name as typed,
// "文件已经存在，是否覆盖文件？" (询问, Yes the default, Escape No) before
// replacing a file, the picture written whole or not at all, and a failure
// said under "蓝禾提示" with its reason.

#include <QImage>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace lh {
struct PlatformServices;
}   // namespace lh

namespace lh::forms {

// The filter of the bitmap save dialogs.
QString bitmapFileFilter();

// True when `path` may be written: no file is there, or the user answered
// Yes to "文件已经存在，是否覆盖文件？" (询问, Yes the default, Escape No).
// Asked of the name that will be written, after any ending is added.
bool mayReplace(QWidget* window, const PlatformServices& services, const QString& path);

// The name to write under, exactly as given; nothing when the user cancelled
// the dialog, an empty name when they answered No to replacing a file.
std::optional<QString> askBitmapFileName(QWidget* window, const PlatformServices& services, const QString& title,
                                         const QString& start, const QString& filter = bitmapFileFilter());

enum class SaveOutcome {
    Cancelled,
    Declined,
    Saved,
    Failed
};

// How a window saves: its dialog's title, filter and starting folder, and the
// first line of its failure message ("图案没有保存。").
struct BitmapSave {
    QString title;
    QString filter = bitmapFileFilter();
    QString start;
    QString notSaved;
};

// Asks for the name, asks before replacing, writes what `picture` returns at
// that moment as a 24-bit BMP under the name as typed; `chosen` gets the name
// the user gave (also when the write failed).
SaveOutcome savePictureAsBitmap(QWidget* window, const PlatformServices& services, const BitmapSave& how,
                                const std::function<QImage()>& picture, QString* chosen = nullptr);

}   // namespace lh::forms
