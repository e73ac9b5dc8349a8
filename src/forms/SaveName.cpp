#include "forms/SaveName.h"
#include "forms/Notices.h"

#include "pictures/PictureFiles.h"
#include "platform/Services.h"

#include <QFileInfo>

namespace lh::forms {

QString bitmapFileFilter() { return QStringLiteral("位图文件 (*.Bmp)|*.Bmp"); }

std::optional<QString> askBitmapFileName(QWidget* window, const PlatformServices& services, const QString& title,
                                         const QString& start, const QString& filter)
{
    const std::optional<QString> name = services.files->saveFile(window, title, filter, start, /*askOverwrite=*/false);
    if (!name || name->isEmpty())
        return std::nullopt;
    if (!mayReplace(window, services, *name))
        return QString();   // declined: an empty name
    return name;
}

bool mayReplace(QWidget* window, const PlatformServices& services, const QString& path)
{
    const QFileInfo target(path);
    return !(target.exists() || target.isSymLink())
           || services.messages->ask(window, QStringLiteral("文件已经存在，是否覆盖文件？"), QStringLiteral("询问"));
}

SaveOutcome savePictureAsBitmap(QWidget* window, const PlatformServices& services, const BitmapSave& how,
                                const std::function<QImage()>& picture, QString* chosen)
{
    const std::optional<QString> name = askBitmapFileName(window, services, how.title, how.start, how.filter);
    if (!name)
        return SaveOutcome::Cancelled;
    if (name->isEmpty())
        return SaveOutcome::Declined;
    if (chosen)
        *chosen = *name;
    QString why;
    if (!writeBmp24(picture(), *name, &why)) {
        services.messages->inform(window, how.notSaved + u'\n' + why, kNoticeTitle,
                                  MessageIcon::Exclamation);
        return SaveOutcome::Failed;
    }
    return SaveOutcome::Saved;
}

}   // namespace lh::forms
