#include "platform/TaskProgress.h"

#include <QProgressDialog>

#include <algorithm>

namespace lh {

namespace {
// The dialog counts in parts of a thousand, whatever the task's steps.
constexpr int kParts = 1000;
int tasksRunning = 0;
}   // namespace

int TaskProgress::running() { return tasksRunning; }

TaskProgress::TaskProgress(QWidget* window, const QString& objectName, const QString& title, const QString& label,
                           qint64 total, int delayMs)
    : dialog_(std::make_unique<QProgressDialog>(label, QStringLiteral("取消"), 0, kParts, window)), total_(total)
{
    dialog_->setObjectName(objectName);
    dialog_->setWindowTitle(title);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(std::max(delayMs, 0));
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setValue(0);
    ++tasksRunning;
}

TaskProgress::~TaskProgress() { --tasksRunning; }

bool TaskProgress::step(qint64 done, qint64 total)
{
    total_ = total;
    const qint64 part = total > 0 ? std::clamp<qint64>(done * kParts / total, 0, kParts) : 0;
    dialog_->setValue(int(part));
    return !dialog_->wasCanceled();
}

bool TaskProgress::cancelled() { return dialog_->wasCanceled(); }

}   // namespace lh
