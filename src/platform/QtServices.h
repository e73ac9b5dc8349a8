#pragma once
// The real dialogs, message boxes and clock of the program, on Qt's own
// widgets. Windows never call them directly: they reach them through
// PlatformServices, so tests can answer in their place.

#include "platform/Services.h"

#include <QFileIconProvider>

#include <QColor>
#include <QString>

namespace lh {

// Turns a filter written "Description|pattern|Description|pattern" into Qt's
// "Description (pattern);;Description (pattern)". Several patterns of one
// entry ("*.bmp;*.jpg") become blank-separated; a description that already
// shows its pattern in parentheses is kept as it is. A trailing description
// without a pattern is dropped; an empty filter gives an empty text.
QString qtFilterFromPipeList(const QString& filter);

// Icons and types of listed files by their names alone: listing a folder
// never opens a file (a file of /proc, a pipe or a device would hold the
// program until something is written to it).
class NameOnlyIconProvider final : public QAbstractFileIconProvider {
public:
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;

private:
    QFileIconProvider generic_;
};

// Folders of the kernel's pseudo file systems (/proc, /sys, /dev and the
// like), whose files may block whoever reads them.
bool isPseudoFileSystem(const QString& path);
// Where a file dialog asked to start in `wanted` (empty: the current folder)
// starts: never in a pseudo file system, the program folder instead.
QString dialogStartFolder(const QString& wanted);

// Open, save and folder dialogs on Qt's own file dialog, listing folders by
// names alone; the save dialog returns the name as typed (one name) in the
// folder on show. A dialog opened without a folder starts in the last one
// used. Every file and folder dialog of the program is one of these.
class QtFileDialogs final : public FileDialogs {
public:
    std::optional<QString> openFile(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& directory) override;
    std::optional<QString> saveFile(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& directory, bool askOverwrite) override;
    // A folder, on the same dialog showing folders only.
    std::optional<QString> chooseFolder(QWidget* parent, const QString& title, const QString& directory);

private:
    QString lastFolder_;
};

// Font dialog (face and size only) and colour dialog.
class QtFontColorDialogs final : public FontColorDialogs {
public:
    std::optional<FontChoice> chooseFont(QWidget* parent, const FontChoice& initial) override;
    std::optional<Rgb> chooseColor(QWidget* parent, Rgb initial) override;
};

class QtMessageBoxes final : public MessageBoxes {
public:
    void inform(QWidget* parent, const QString& text, const QString& title, MessageIcon icon) override;
    bool ask(QWidget* parent, const QString& text, const QString& title, Default byDefault = Default::Yes) override;
};

// The local date and time of the machine.
class SystemClock final : public Clock {
public:
    QDateTime now() const override;
};

// Colour value r + 256*g + 65536*b to and from QColor (alpha dropped).
QColor colorFromRgb(Rgb value);
Rgb rgbFromColor(const QColor& colour);

}   // namespace lh
