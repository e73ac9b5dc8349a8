#include "designer/SaveDesign.h"

#include "platform/Services.h"


namespace lh::designer {

QString designFileFilter() { return QStringLiteral("位图文件 (*.Bmp)|*.Bmp"); }

SaveOutcome SaveDesignAsBitmap(QWidget* window, const PlatformServices& services, SaveDialogState& state,
                               const std::function<QImage()>& current)
{
    const forms::BitmapSave how{QString(), designFileFilter(),
                                state.lastName.isEmpty() ? programDirectory() : state.lastName,
                                QStringLiteral("图案没有保存。")};
    return forms::savePictureAsBitmap(window, services, how, current, &state.lastName);
}

}   // namespace lh::designer
