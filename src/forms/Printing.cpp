#include "forms/Printing.h"
#include "forms/Notices.h"

#include "platform/Services.h"
#include "platform/TaskProgress.h"

#include <QApplication>
#include <QImage>

namespace lh::forms {

bool printShowingProgress(QWidget* window, const PlatformServices& services, const QImage& picture,
                          const QString& notPrinted, int delayMs)
{
    const QString title = kNoticeTitle;
    QString why;
    bool printed = false;
    bool cancelled = false;
    {
        TaskProgress progress(window, QStringLiteral("PrintProgress"), title, QStringLiteral("正在打印……"), 0, delayMs);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        printed = services.printer->printPicture(
            picture, &why, [&progress](int done, int total) { return progress.step(done, total); });
        QApplication::restoreOverrideCursor();
        cancelled = progress.cancelled();
    }
    if (!printed && !cancelled)
        services.messages->inform(window, QStringLiteral("%1\n%2").arg(notPrinted, why), title,
                                  MessageIcon::Exclamation);
    return printed;
}

}   // namespace lh::forms
