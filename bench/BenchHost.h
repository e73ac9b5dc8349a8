#pragma once
// The texts a designer window starts with, for the headless benchmark and
// the render command.

#include "BenchPlatform.h"
#include "design/DesignTick.h"
#include "design/WindowTexts.h"
#include "platform/Services.h"

#include <QGuiApplication>
#include <QHash>
#include <QString>

namespace lh::bench {

class WindowTexts : public design::DesignHost {
public:
    explicit WindowTexts(int category) : texts_(design::initialWindowTexts(category)) {}
    void set(const QString& control, const QString& value) { texts_[control] = value; }

    QString text(const QString& control) const override { return texts_.value(control); }
    void setCountCaption(const QString&) override {}

private:
    QHash<QString, QString> texts_;
};

}   // namespace lh::bench
