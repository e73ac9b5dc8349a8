#pragma once
// The progress of a long task a window runs in its own thread (tiling,
// saving, printing): a window-modal dialog with "取消" that shows once the
// task has run for a while. Each step the task reports lets the program's
// other windows go on.

#include <QString>

#include <memory>

class QImage;
class QProgressDialog;
class QWidget;

namespace lh {
struct PlatformServices;
}   // namespace lh

namespace lh::forms {

// Steps are reported as parts of a thousand.
class TaskProgress {
public:
    // `delayMs`: how long the task runs before the dialog shows (0: at once).
    // The dialog is titled "蓝禾提示" and named `objectName`.
    TaskProgress(QWidget* window, const QString& objectName, const QString& label, int delayMs);
    ~TaskProgress();
    TaskProgress(const TaskProgress&) = delete;
    TaskProgress& operator=(const TaskProgress&) = delete;

    // `done` of `total` steps are done; false once the user cancelled.
    bool step(qint64 done, qint64 total);
    bool cancelled() const;

private:
    std::unique_ptr<QProgressDialog> dialog_;
};

// Prints the picture through the printer service, showing a TaskProgress
// named "PrintProgress" after `delayMs`. When it was not printed, says so
// under "蓝禾提示" as `notPrinted` ("壁纸没有打印。") and the reason; a print the
// user cancelled says nothing. True when printed.
bool printShowingProgress(QWidget* window, const PlatformServices& services, const QImage& picture,
                          const QString& notPrinted, int delayMs);

}   // namespace lh::forms
