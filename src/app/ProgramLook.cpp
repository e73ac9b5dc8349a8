#include "app/ProgramLook.h"

#include "engine/Fonts.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

// Resources of a static library must be registered by name.
static void initAppResources() { Q_INIT_RESOURCE(app); }

namespace lh::app {

bool installProgramLook(QApplication& app)
{
    initAppResources();
    installFontSubstitutions();

    QFont font = QApplication::font();
    QStringList families = font.families();
    if (families.isEmpty())
        families << font.family();
    families << QStringLiteral("Noto Sans CJK SC");
    font.setFamilies(families);
    QApplication::setFont(font);

    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app/lanhe.png")));

    // The translators live as long as the application.
    auto* qtTexts = new QTranslator(&app);
    const bool loaded =
        qtTexts->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded)
        QApplication::installTranslator(qtTexts);
    else
        delete qtTexts;
    return loaded;
}

}   // namespace lh::app
