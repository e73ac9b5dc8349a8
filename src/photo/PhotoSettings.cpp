#include "photo/PhotoSettings.h"

#include "core/Random.h"
#include "design/TickRules.h"

namespace lh::photo {

QString elapsedMinutesCaption(std::int32_t seconds)
{
    return QStringLiteral("%1分%2秒")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString elapsedHoursCaption(std::int32_t seconds) { return QString::number(seconds / 3600) + QStringLiteral("小时"); }

QString angleCaption(int degrees) { return QString::number(degrees) + QStringLiteral("度"); }

QString randomBackgroundText(RandomSource& random)
{
    const int r = design::randomChannel(random.next());
    const int g = design::randomChannel(random.next());
    const int b = design::randomChannel(random.next());
    return backgroundText(rgb(r, g, b));
}

QString backgroundText(Rgb colour) { return QString::number(colour); }

QString pauseCaption(bool running) { return running ? QStringLiteral("暂停") : QStringLiteral("播放"); }

QString musicCaption(bool playing) { return playing ? QStringLiteral("关闭音乐") : QStringLiteral("播放音乐"); }

}   // namespace lh::photo
