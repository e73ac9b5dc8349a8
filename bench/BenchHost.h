#pragma once
// The texts a designer window starts with, for the headless benchmark and
// the render command.

#include "BenchPlatform.h"
#include "design/DesignTick.h"
#include "platform/Services.h"

#include <QGuiApplication>
#include <QHash>
#include <QString>

namespace lh::bench {

class WindowTexts : public design::DesignHost {
public:
    explicit WindowTexts(int category)
    {
        if (category == 1) {
            texts_ = {
                {QStringLiteral("Combo1"), QStringLiteral("90")},
                {QStringLiteral("Combo2"), QStringLiteral("8")},
                {QStringLiteral("Label14"), QStringLiteral("1")},
                {QStringLiteral("Text6"), QStringLiteral("RGB(230 * Rnd, 230 * Rnd, 230 * Rnd)")},
                {QStringLiteral("Combo3"), QStringLiteral("★★★★★★★★★   祝您生日快乐   ★★★★★★★★★")},
                {QStringLiteral("Combo4"), QStringLiteral("★★★美好青春 美好回忆★★★")},
                {QStringLiteral("Combo6"), QStringLiteral("0.2")},
            };
            return;
        }
        const QString width = category == 9 ? QStringLiteral("20") : category == 10 ? QStringLiteral("12") : QStringLiteral("90");
        texts_ = {
            {QStringLiteral("Combo1"), width},
            {QStringLiteral("Combo2"), QStringLiteral("5")},
            {QStringLiteral("Label7"), QString::number(category)},
            {QStringLiteral("Text2"), QStringLiteral("蓝禾软件公元2011年1月出品")},
            {QStringLiteral("Text3"), QStringLiteral("世界顶级美术图案作品")},
            {QStringLiteral("Text4"), QStringLiteral(" 蓝禾软件  祝全世界人民  幸福安康")},
        };
    }
    void set(const QString& control, const QString& value) { texts_[control] = value; }

    QString text(const QString& control) const override { return texts_.value(control); }
    void setCountCaption(const QString&) override {}

private:
    QHash<QString, QString> texts_;
};

} // namespace lh::bench
