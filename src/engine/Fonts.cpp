#include "engine/Fonts.h"

#include "core/Twips.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace lh {

namespace {

const QString kSansSC = QStringLiteral("Noto Sans CJK SC");
const QString kSerifSC = QStringLiteral("Noto Serif CJK SC");

constexpr int kDefaultPixelSize = 16;   // the character height of a record of height 0

}   // namespace

QStringList fontFamiliesFor(const QString& face)
{
    const QString key = face.trimmed().toLower();
    if (key == QLatin1String("arial") || key == QLatin1String("helvetica") || key == QLatin1String("ms sans serif"))
        return {QStringLiteral("Liberation Sans"), kSansSC};
    if (key == QLatin1String("times new roman") || key == QLatin1String("times"))
        return {QStringLiteral("Liberation Serif"), kSerifSC};
    if (key == QLatin1String("courier new") || key == QLatin1String("courier"))
        return {QStringLiteral("Liberation Mono"), kSansSC};
    if (key == QStringLiteral("宋体") || key == QLatin1String("simsun") || key == QStringLiteral("新宋体")
        || key == QLatin1String("nsimsun") || key == QStringLiteral("仿宋") || key == QStringLiteral("仿宋_gb2312")
        || key == QStringLiteral("楷体") || key == QStringLiteral("楷体_gb2312"))
        return {kSerifSC};
    if (key == QStringLiteral("黑体") || key == QLatin1String("simhei") || key == QStringLiteral("微软雅黑")
        || key == QLatin1String("microsoft yahei"))
        return {kSansSC};
    if (key.isEmpty())
        return {QStringLiteral("Liberation Sans"), kSansSC};
    return {face.trimmed(), kSansSC};
}

int pointsToPixels(double points)
{
    if (!std::isfinite(points))
        return kDefaultPixelSize;
    return static_cast<int>(std::nearbyint(std::clamp(points * double(kTwipsPerPoint) / kTwipsPerPixel, -1e6, 1e6)));
}

void installFontSubstitutions()
{
    static const bool done = [] {
        for (const QString& face :
             {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("新宋体"), QStringLiteral("黑体"),
              QStringLiteral("SimHei"), QStringLiteral("Arial"), QStringLiteral("arial"),
              QStringLiteral("Times New Roman"), QStringLiteral("Courier New")})
            QFont::insertSubstitutions(face, fontFamiliesFor(face));
        return true;
    }();
    (void)done;
}

QFont resolvePixelFont(const QString& face, int pixelSize, int weight, bool italic, bool underline, bool strikeOut)
{
    installFontSubstitutions();
    QFont font;
    font.setFamilies(fontFamiliesFor(face));
    font.setStyleHint(QFont::AnyStyle, QFont::PreferAntialias);
    // Qt refuses sizes below 1; huge sizes only cost memory and time.
    font.setPixelSize(std::clamp(pixelSize, 1, 4000));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(weight <= 0 ? 400 : weight, 1, 1000)));
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeOut);
    font.setKerning(false);
    return font;
}

QFont resolveFont(const QString& face, double pointSize, bool bold)
{
    return resolvePixelFont(face, pointsToPixels(pointSize), bold ? 700 : 400);
}

QFont fontForRecord(const LogFontRecord& record)
{
    const bool italic = record.italic != 0, underline = record.underline != 0, strike = record.strikeOut != 0;
    const std::int64_t h = record.height;
    if (h < 0)
        return resolvePixelFont(record.faceName, static_cast<int>(std::min<std::int64_t>(-h, 4000)), record.weight,
                                italic, underline, strike);
    if (h == 0)
        return resolvePixelFont(record.faceName, kDefaultPixelSize, record.weight, italic, underline, strike);
    // Cell height: scale the character height so ascent + descent match it.
    QFont probe = resolvePixelFont(record.faceName, 100, record.weight, italic, underline, strike);
    const QFontMetricsF m(probe);
    const double cell = m.ascent() + m.descent();
    const double px =
        cell > 0 ? static_cast<double>(std::min<std::int64_t>(h, 4000)) * 100.0 / cell : static_cast<double>(h);
    probe.setPixelSize(std::max(1, static_cast<int>(std::nearbyint(px))));
    return probe;
}

}   // namespace lh
