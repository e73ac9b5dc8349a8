#include "design/DesignTick.h"
#include "design/TickRules.h"

#include "core/Random.h"
#include "drawing/RotatedText.h"
#include "drawing/StarPolygon.h"
#include "engine/Surface.h"
#include "core/Clock.h"

#include <chrono>
#include <limits>

namespace lh::design {

namespace {

Rgb randomColour(RandomSource& random)
{
    const float r = random.next();
    const float g = random.next();
    const float b = random.next();
    return rgb(randomChannel(r), randomChannel(g), randomChannel(b));
}

using SteadyClock = std::chrono::steady_clock;

// Runs the steps of one tick under the recipe's error policy: with the skip
// flag a failing step is abandoned and the next one runs; without it the
// first failure ends the tick.
class StepRunner {
public:
    explicit StepRunner(bool skip) : skip_(skip) {}

    template <typename F>
    void operator()(F&& step)
    {
        if (stopped_)
            return;
        try {
            step();
        } catch (...) {
            if (!skip_)
                stopped_ = true;
        }
    }
    bool stopped() const { return stopped_; }

private:
    bool skip_;
    bool stopped_ = false;
};

}   // namespace

QString serialLineText(const DesignRecipe& recipe, const DesignHost& host, float u, Rgb colour)
{
    QString text = recipe.serial.prefix;
    if (recipe.categoryFlag)
        text += host.text(recipe.categorySource);
    text += host.text(QStringLiteral("Combo1"));
    text += host.text(QStringLiteral("Combo2"));
    text += QStringLiteral("350");
    text += singleToText(99.0f * u);
    text += QString::number(colour);
    return text;
}

QString generalDateText(const QDateTime& when) { return when.toString(QStringLiteral("yyyy-M-d H:mm:ss")); }

DesignTick::DesignTick(DesignRecipe recipe, Surface& surface, RandomSource& random, DesignHost& host, Clock& clock)
    : recipe_(std::move(recipe)), surface_(surface), random_(random), host_(host), clock_(clock)
{}

bool DesignTick::run()
{
    StepRunner step(recipe_.skipFlag);
    TickProfile profile;
    auto mark = SteadyClock::now();
    auto lap = [&](double& bucket) {
        if (!profile_)
            return;
        const auto now = SteadyClock::now();
        bucket += std::chrono::duration<double, std::milli>(now - mark).count();
        mark = now;
    };
    Surface& s = surface_;

    // Count and clear.
    step([&] {
        if (count_ == std::numeric_limits<std::int32_t>::max())
            throw StepFailure("overflow: design count");
        ++count_;
    });
    step([&] { host_.setCountCaption(QString::number(count_)); });
    step([&] { s.clear(); });
    if (recipe_.background == Background::RandomDraw) {
        step([&] { s.setBackColor(randomColour(random_)); });
    } else {
        step([&] {
            const std::int32_t value = toInt32(parseNumber(host_.text(recipe_.backgroundSource)));
            if (value < 0 || static_cast<Rgb>(value) > kMaxRgb)
                throw StepFailure("invalid property value: background colour");
            s.setBackColor(static_cast<Rgb>(value));
        });
    }
    step([&] {
        const std::int16_t width = toInt16(parseNumber(host_.text(QStringLiteral("Combo1"))));
        if (width < 1)
            throw StepFailure("invalid property value: line width");
        s.setDrawWidth(width);
    });
    step([&] {
        const std::int16_t mode = toInt16(parseNumber(host_.text(QStringLiteral("Combo2"))));
        if (mode < 1 || mode > 16)
            throw StepFailure("invalid property value: drawing mode");
        s.setDrawMode(mode);
    });
    lap(profile.clearMs);

    // Star layers: the four draws of a layer come before its drawing call.
    for (const LayerSpec& layer : recipe_.layers) {
        step([&] {
            const float u1 = random_.next();
            const Rgb colour = randomColour(random_);
            const std::int16_t points = toInt16(99.0 * static_cast<double>(u1));
            drawing::DrawStarPolygon(s, layer.left, layer.top, layer.width, layer.height, points, 0, colour, &stars_);
        });
    }
    lap(profile.starsMs);

    // Ring font, text colour and the rings.
    step([&] { s.setFontName(recipe_.ringFace); });
    step([&] { s.setFontSize(recipe_.ringSize); });
    step([&] { s.setFontBold(recipe_.ringBold); });
    step([&] { s.setForeColor(randomColour(random_)); });
    for (const RingSpec& ring : recipe_.rings) {
        step([&] {
            const QString text = host_.text(ring.textSource);
            const int w = s.scaleWidth();
            const int h = s.scaleHeight();
            const double factor =
                ring.radiusSource.isEmpty() ? ring.radiusFactor : parseNumber(host_.text(ring.radiusSource));
            const std::int32_t cx = toInt32(ring.centreXFactor * w);
            const std::int32_t cy = toInt32(ring.centreYFactor * h);
            drawing::DrawTextRing(s, text, cx, cy, toInt32(factor * h), ring.start, &rings_);
        });
    }
    lap(profile.ringsMs);

    // Serial line at the top.
    serialLine_.clear();
    step([&] {
        const float u = random_.next();
        const Rgb colour = randomColour(random_);
        const QString text = serialLineText(recipe_, host_, u, colour);
        const std::int16_t x = toInt16(static_cast<double>(s.scaleWidth()) / recipe_.serial.xDivisor);
        drawing::DrawRotatedText(360, s, recipe_.serial.face, recipe_.serial.size, x, 0, text);
        serialLine_ = text;
    });
    lap(profile.serialMs);

    if (recipe_.previewFlag) {
        for (int i = 1; i <= 5; ++i)
            step([&] { host_.setPreview(i, s.image()); });
    }
    if (recipe_.dateLabel) {
        step([&] { host_.setDateCaption(generalDateText(clock_.now())); });
        step([&] { host_.setDateColor(randomColour(random_)); });
    }

    if (profile_)
        *profile_ = profile;
    return !step.stopped();
}

}   // namespace lh::design
