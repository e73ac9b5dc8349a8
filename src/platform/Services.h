#pragma once
// The small interfaces through which windows reach everything a test must be
// able to script: dialogs, message boxes, the clock, the clipboard, the
// screen, the printer and the media player. PlatformServices bundles them;
// the program passes the real ones (Qt), tests pass fakes.

#include "core/Clock.h"
#include "design/DesignRules.h"
#include "core/Numeric.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QPageSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QPrinter;
class QWidget;

namespace lh {

class RandomSource;

// Filters are written "Description|pattern|Description|pattern".
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Empty optional: the user cancelled.
    virtual std::optional<QString> openFile(QWidget* parent, const QString& title, const QString& filter,
                                            const QString& directory) = 0;
    // The dialog itself asks before overwriting when askOverwrite is set.
    virtual std::optional<QString> saveFile(QWidget* parent, const QString& title, const QString& filter,
                                            const QString& directory, bool askOverwrite) = 0;
};

struct FontChoice {
    QString face;
    float size = 0;   // points
};

class FontColorDialogs {
public:
    virtual ~FontColorDialogs() = default;
    virtual std::optional<FontChoice> chooseFont(QWidget* parent, const FontChoice& initial) = 0;
    virtual std::optional<Rgb> chooseColor(QWidget* parent, Rgb initial) = 0;
};

enum class MessageIcon {
    Information,
    Question,
    Exclamation,
    Critical
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Modal notice with one OK button.
    virtual void inform(QWidget* parent, const QString& text, const QString& title, MessageIcon icon) = 0;
    // Modal question with Yes and No, Escape answering No; true for Yes. The
    // default button (Enter) is Yes unless a question asks for No (one that
    // deletes, say).
    enum class Default {
        Yes,
        No
    };
    virtual bool ask(QWidget* parent, const QString& text, const QString& title, Default byDefault = Default::Yes) = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setImage(const QImage& image) = 0;
    virtual QImage image() const = 0;
};

// Grabs what the screen shows. The X11 backend reads the real screen; on
// Wayland and XWayland the desktop's Screenshot portal hands it out; where
// neither can (offscreen, no portal) the grabber falls back to what the
// program's own windows show, and says that it did.
class ScreenGrabber {
public:
    virtual ~ScreenGrabber() = default;
    virtual bool canGrabScreen() const = 0;
    // The whole virtual desktop in device pixels; null on failure.
    virtual QImage grabDesktop() = 0;
    // True when every grab asks the desktop for a picture (a round trip that
    // may take a while or show a dialog): callers grab once and work on that
    // picture instead of reading the screen again and again.
    virtual bool grabsThroughDesktop() const { return false; }
    // True when the last grab came back null because the user cancelled it
    // (in the desktop's own dialog): nothing is to be said.
    virtual bool lastGrabCancelled() const { return false; }
    // False where the program cannot know where its windows stand on the
    // screen (Wayland): the own-windows picture then shows none of them.
    virtual bool knowsWindowPositions() const { return true; }

    // The whole virtual desktop; where the platform refuses it, what the
    // program's visible windows (except leaveOut) show, each at its place
    // on a white desktop (none where their places are not known).
    // fellBack tells which of the two it is.
    QImage grabDesktopOrOwnWindows(const QWidget* leaveOut, bool* fellBack);
    // True the first time a window (by name) asks: each window tells the user
    // once per run that it can reach only the program's own windows.
    bool ownWindowsNoticeDue(const QString& window)
    {
        if (told_.contains(window))
            return false;
        told_.append(window);
        return true;
    }

private:
    QStringList told_;
};

class PicturePrinter {
public:
    virtual ~PicturePrinter() = default;
    // Told, between the bands of a long print, the bands done out of all;
    // false cancels the print.
    using Progress = std::function<bool(int done, int total)>;
    // Prints the picture at the page origin at its own physical size as one
    // document of one page. False, with a reason, when nothing was printed
    // (also when `progress` cancelled it: then nothing reaches the paper).
    virtual bool printPicture(const QImage& picture, QString* error, const Progress& progress = {}) = 0;

    // The printers the system offers, the default one first; empty without any.
    virtual QStringList printerNames() const = 0;
    // The paper sizes the named printer takes; empty when it does not say.
    virtual QList<QPageSize> paperSizes(const QString& printer) const = 0;
    // A job on the named printer: a device whose pages go to that printer and
    // never into a file. Null, with the reason, when the printer is gone or
    // does not take jobs now.
    virtual std::unique_ptr<QPrinter> openJob(const QString& printer, QString* why) = 0;
};

class AudioPlayer {
public:
    virtual ~AudioPlayer() = default;
    // Plays the file from its start; a file that cannot be played leaves the
    // player in an error state (no crash, no hang).
    virtual void play(const QString& path) = 0;
    virtual void stop() = 0;
    virtual bool isPlaying() const = 0;
};

// The export rules live with the design rules; the dialogs offer them.
using design::kExportScales;
using design::kMaxBatchCount;
using design::kMaxDotsPerInch;
using design::kMinDotsPerInch;
inline constexpr int kDesignerCategories = design::kCategoryCount;

// What the export dialog asks: the scale of a design (1, 2, 4 or 8 times the
// surface), the resolution written into the file, and the file.
struct ExportChoice {
    int scale = 4;
    int dotsPerInch = 300;
    QString file;
};

// What the batch dialog asks: how many new designs of which window, at what
// scale and resolution, into which folder.
struct BatchChoice {
    int category = 1;
    int count = 10;
    int scale = 2;
    int dotsPerInch = 300;
    QString folder;
};

// A long task's progress as the user sees it: shown once the task has run
// for half a second, with a button that cancels it.
class Progress {
public:
    virtual ~Progress() = default;
    // Steps done out of the total given when the progress started.
    virtual void setValue(int done) = 0;
    virtual bool cancelled() = 0;
};

// What the gallery's export asks: kept designs at what scale and resolution
// into which folder.
struct FolderExportChoice {
    int scale = 2;
    int dotsPerInch = 300;
    QString folder;
};

class ExportDialogs {
public:
    virtual ~ExportDialogs() = default;
    // Empty optional: the user cancelled.
    virtual std::optional<ExportChoice> askExport(QWidget* parent, const ExportChoice& initial) = 0;
    virtual std::optional<BatchChoice> askBatch(QWidget* parent, const BatchChoice& initial) = 0;
    virtual std::optional<FolderExportChoice> askFolderExport(QWidget* parent, const FolderExportChoice& initial,
                                                              int designs) = 0;
    virtual std::unique_ptr<Progress> startProgress(QWidget* parent, const QString& label, int total) = 0;
};

// Every member is always set: a platform without a service of a kind gets the
// null one (NullServices.h), never a null pointer.
struct PlatformServices {
    PlatformServices();
    RandomSource* random;
    FileDialogs* files;
    FontColorDialogs* fontColor;
    MessageBoxes* messages;
    Clock* clock;
    Clipboard* clipboard;
    ScreenGrabber* screen;
    PicturePrinter* printer;
    ExportDialogs* exports;
    // Makes a player for the music window; each start of the music gets a new one.
    std::function<std::unique_ptr<AudioPlayer>()> makeAudioPlayer;
};

// The program's directory (where the password file and the song live).
QString programDirectory();

}   // namespace lh
