#pragma once
// A window stand-in for design ticks: texts from a map, captions, previews
// and the date label recorded.

#include "design/DesignTick.h"

#include <QHash>
#include <QString>

#include <vector>

namespace lh::test {

class FakeDesignHost : public design::DesignHost {
public:
    QHash<QString, QString> texts;
    std::vector<QString> countCaptions;
    std::vector<int> previews;
    std::vector<QString> dateCaptions;
    std::vector<Rgb> dateColors;

    // The texts the windows start with.
    static FakeDesignHost categoryWindow(int category)
    {
        FakeDesignHost h;
        h.texts = {
            {QStringLiteral("Combo1"), QStringLiteral("90")},
            {QStringLiteral("Combo2"), QStringLiteral("5")},
            {QStringLiteral("Label7"), QString::number(category)},
            {QStringLiteral("Text2"), QStringLiteral("蓝禾软件公元2011年1月出品")},
            {QStringLiteral("Text3"), QStringLiteral("世界顶级美术图案作品")},
            {QStringLiteral("Text4"), QStringLiteral(" 蓝禾软件  祝全世界人民  幸福安康")},
        };
        return h;
    }
    static FakeDesignHost photoWindow()
    {
        FakeDesignHost h;
        h.texts = {
            {QStringLiteral("Combo1"), QStringLiteral("90")},
            {QStringLiteral("Combo2"), QStringLiteral("8")},
            {QStringLiteral("Label14"), QStringLiteral("1")},
            {QStringLiteral("Text6"), QStringLiteral("RGB(230 * Rnd, 230 * Rnd, 230 * Rnd)")},
            {QStringLiteral("Combo3"), QStringLiteral("★★★★★★★★★   祝您生日快乐   ★★★★★★★★★")},
            {QStringLiteral("Combo4"), QStringLiteral("★★★美好青春 美好回忆★★★")},
            {QStringLiteral("Combo6"), QStringLiteral("0.2")},
        };
        return h;
    }

    QString text(const QString& control) const override { return texts.value(control); }
    void setCountCaption(const QString& caption) override { countCaptions.push_back(caption); }
    void setPreview(int index, const QImage& picture) override
    {
        if (!picture.isNull())
            previews.push_back(index);
    }
    void setDateCaption(const QString& caption) override { dateCaptions.push_back(caption); }
    void setDateColor(Rgb colour) override { dateColors.push_back(colour); }
};

} // namespace lh::test
