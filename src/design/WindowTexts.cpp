#include "design/WindowTexts.h"

namespace lh::design {

QHash<QString, QString> initialWindowTexts(int category)
{
    if (category == 1) {
        return {
            {QStringLiteral("Combo1"), QStringLiteral("90")},
            {QStringLiteral("Combo2"), QStringLiteral("8")},
            {QStringLiteral("Label14"), QStringLiteral("1")},
            {QStringLiteral("Text6"), QStringLiteral("RGB(230 * Rnd, 230 * Rnd, 230 * Rnd)")},
            {QStringLiteral("Combo3"), QStringLiteral("★★★★★★★★★   祝您生日快乐   ★★★★★★★★★")},
            {QStringLiteral("Combo4"), QStringLiteral("★★★美好青春 美好回忆★★★")},
            {QStringLiteral("Combo6"), QStringLiteral("0.2")},
            {QStringLiteral("Combo5"), QStringLiteral("我最新的美术图案作品")},
        };
    }
    const QString width = category == 9    ? QStringLiteral("20")
                          : category == 10 ? QStringLiteral("12")
                                           : QStringLiteral("90");
    QHash<QString, QString> texts = {
        {QStringLiteral("Combo1"), width},
        {QStringLiteral("Combo2"), QStringLiteral("5")},
        {QStringLiteral("Text2"), QStringLiteral("蓝禾软件公元2011年1月出品")},
        {QStringLiteral("Text3"), QStringLiteral("世界顶级美术图案作品")},
        {QStringLiteral("Text4"), QStringLiteral(" 蓝禾软件  祝全世界人民  幸福安康")},
    };
    // The hidden full-recipe window takes its category field from the button
    // "10" (its serial line does not show it).
    texts.insert(QStringLiteral("Label7"), QString::number(category == 11 ? 10 : category));
    return texts;
}

}   // namespace lh::design
