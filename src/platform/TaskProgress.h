#pragma once
// The progress of a long task a window runs in its own thread (tiling,
// saving, printing, exporting): a window-modal dialog with "取消" that shows
// once the task has run for a while. Each step the task reports lets the
// program's other windows go on.

#include "platform/Services.h"

#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

namespace lh {

class TaskProgress final : public Progress {
public:
    // `total` steps make the whole task; `delayMs` is how long the task runs
    // before the dialog shows (0: at once). The dialog is named `objectName`.
    TaskProgress(QWidget* window, const QString& objectName, const QString& title, const QString& label, qint64 total,
                 int delayMs);
    ~TaskProgress() override;
    TaskProgress(const TaskProgress&) = delete;
    TaskProgress& operator=(const TaskProgress&) = delete;

    void setValue(int done) override { step(done, total_); }
    bool cancelled() override;
    // `done` of `total` steps are done (the total may be learnt on the way);
    // false once the user cancelled.
    bool step(qint64 done, qint64 total);

    // Long tasks under way in the program: the program does not end while
    // one runs (it is finished or cancelled by the user, never dropped).
    static int running();

private:
    std::unique_ptr<QProgressDialog> dialog_;
    qint64 total_;
};

}   // namespace lh
