#pragma once
// Asking where a picture goes: the save dialog with the bitmap filter, then,
// for a name that exists, "文件已经存在，是否覆盖文件？" titled "询问".

#include <QString>

#include <optional>

class QWidget;

namespace lh {
struct PlatformServices;
}   // namespace lh

namespace lh::forms {

// The filter of the bitmap save dialogs.
QString bitmapFileFilter();

// The name to write under, exactly as given; nothing when the user cancelled
// the dialog or answered No.
std::optional<QString> askBitmapFileName(QWidget* window, const PlatformServices& services, const QString& title,
                                         const QString& start);

}   // namespace lh::forms
