#include "forms/TaskProgress.h"

#include "platform/Services.h"

#include <QApplication>
#include <QImage>
#include <QProgressDialog>

#include <algorithm>

namespace lh::forms {

namespace {
constexpr int kParts = 1000;
}   // namespace

TaskProgress::TaskProgress(QWidget* window, const QString& objectName, const QString& label, int delayMs)
    : dialog_(std::make_unique<QProgressDialog>(label, QStringLiteral("取消"), 0, kParts, window))
{
    dialog_->setObjectName(objectName);
    dialog_->setWindowTitle(QStringLiteral("蓝禾提示"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(std::max(delayMs, 0));
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setValue(0);
}

TaskProgress::~TaskProgress() = default;

bool TaskProgress::step(qint64 done, qint64 total)
{
    const qint64 part = total > 0 ? std::clamp<qint64>(done * kParts / total, 0, kParts) : 0;
    dialog_->setValue(int(part));
    return !dialog_->wasCanceled();
}

bool TaskProgress::cancelled() const { return dialog_->wasCanceled(); }

bool printShowingProgress(QWidget* window, const PlatformServices& services, const QImage& picture,
                          const QString& notPrinted, int delayMs)
{
    QString why;
    bool printed = false;
    bool cancelled = false;
    {
        TaskProgress progress(window, QStringLiteral("PrintProgress"), QStringLiteral("正在打印……"), delayMs);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        printed = services.printer->printPicture(
            picture, &why, [&progress](int done, int total) { return progress.step(done, total); });
        QApplication::restoreOverrideCursor();
        cancelled = progress.cancelled();
    }
    if (!printed && !cancelled)
        services.messages->inform(window, QStringLiteral("%1\n%2").arg(notPrinted, why), QStringLiteral("蓝禾提示"),
                                  MessageIcon::Exclamation);
    return printed;
}

}   // namespace lh::forms
