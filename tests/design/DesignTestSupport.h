#pragma once
// A window stand-in for design ticks: texts from a map, captions, previews
// and the date label recorded.

#include "design/DesignTick.h"
#include "design/WindowTexts.h"

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
        h.texts = design::initialWindowTexts(category);
        return h;
    }
    static FakeDesignHost photoWindow() { return categoryWindow(1); }

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

}   // namespace lh::test
