#include "designer/SaveDesign.h"

#include "pictures/PictureFiles.h"
#include "platform/Services.h"

#include <QFileInfo>

namespace lh::designer {

QString designFileFilter() { return QStringLiteral("位图文件 (*.Bmp)|*.Bmp"); }

SaveOutcome SaveDesignAsBitmap(QWidget* window, const PlatformServices& services, SaveDialogState& state,
                               const std::function<QImage()>& current)
{
    const QString start = state.lastName.isEmpty() ? programDirectory() : state.lastName;
    const std::optional<QString> chosen =
        services.files->saveFile(window, QString(), designFileFilter(), start, /*askOverwrite=*/false);
    if (!chosen || chosen->isEmpty())
        return SaveOutcome::Cancelled;
    state.lastName = *chosen;

    const QFileInfo target(*chosen);
    if (target.exists() || target.isSymLink()) {
        if (!services.messages->ask(window, QStringLiteral("文件已经存在，是否覆盖文件？"), QStringLiteral("询问")))
            return SaveOutcome::Declined;
    }
    QString why;
    if (!writeBmp24(current(), *chosen, &why)) {
        services.messages->inform(window, QStringLiteral("图案没有保存。\n%1").arg(why), QStringLiteral("蓝禾提示"),
                                  MessageIcon::Exclamation);
        return SaveOutcome::Failed;
    }
    return SaveOutcome::Saved;
}

}   // namespace lh::designer
