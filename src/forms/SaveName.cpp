#include "forms/SaveName.h"

#include "platform/Services.h"

#include <QFileInfo>

namespace lh::forms {

QString bitmapFileFilter() { return QStringLiteral("位图文件 (*.Bmp)|*.Bmp"); }

std::optional<QString> askBitmapFileName(QWidget* window, const PlatformServices& services, const QString& title,
                                         const QString& start)
{
    const std::optional<QString> name =
        services.files->saveFile(window, title, bitmapFileFilter(), start, /*askOverwrite=*/false);
    if (!name || name->isEmpty())
        return std::nullopt;
    const QFileInfo target(*name);
    if ((target.exists() || target.isSymLink())
        && !services.messages->ask(window, QStringLiteral("文件已经存在，是否覆盖文件？"), QStringLiteral("询问")))
        return std::nullopt;
    return name;
}

}   // namespace lh::forms
