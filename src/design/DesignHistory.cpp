#include "design/DesignHistory.h"

#include "engine/Surface.h"

#include <algorithm>
#include <unordered_set>

namespace lh::design {

SurfaceSettings SurfaceSettings::of(const Surface& surface)
{
    SurfaceSettings s;
    s.back = surface.backColor();
    s.fore = surface.foreColor();
    s.drawWidth = surface.drawWidth();
    s.drawMode = surface.drawMode();
    s.fontName = surface.fontName();
    s.fontSize = surface.fontSize();
    s.fontBold = surface.fontBold();
    s.background = surface.backgroundPicture();
    return s;
}

void SurfaceSettings::applyTo(Surface& surface) const
{
    if (surface.backColor() != back)
        surface.setBackColor(back);
    if (!background.isNull() || surface.hasBackgroundPicture())
        surface.setBackgroundPicture(background);
    surface.setForeColor(fore);
    surface.setDrawWidth(drawWidth);
    surface.setDrawMode(drawMode);
    surface.setFontName(fontName);
    surface.setFontSize(fontSize);
    surface.setFontBold(fontBold);
}

std::size_t DesignRecord::fixedBytes() const
{
    return sizeof(DesignRecord) + draws.capacity() * sizeof(float) + texts.capacity() * sizeof(RecordedText);
}

class DesignRecorder::Random final : public RandomSource {
public:
    Random(RandomSource& source, std::optional<DesignRecord>& open) : source_(source), open_(open) {}
    float next() override
    {
        const float u = source_.next();
        if (open_)
            open_->draws.push_back(u);
        return u;
    }

private:
    RandomSource& source_;
    std::optional<DesignRecord>& open_;
};

class DesignRecorder::Host final : public DesignHost {
public:
    Host(DesignHost& host, std::optional<DesignRecord>& open) : host_(host), open_(open) {}
    QString text(const QString& control) const override
    {
        if (!open_)
            return host_.text(control);
        auto& texts = open_->texts;
        const auto known =
            std::find_if(texts.begin(), texts.end(), [&](const RecordedText& t) { return t.name == control; });
        if (known != texts.end() && !known->missing)
            return known->value;
        try {
            QString value = host_.text(control);
            if (known == texts.end())
                texts.push_back({control, value, false});
            return value;
        } catch (...) {
            if (known == texts.end())
                texts.push_back({control, QString(), true});
            throw;
        }
    }
    void setCountCaption(const QString& caption) override { host_.setCountCaption(caption); }
    void setPreview(int index, const QImage& picture) override { host_.setPreview(index, picture); }
    void setDateCaption(const QString& caption) override { host_.setDateCaption(caption); }
    void setDateColor(Rgb colour) override { host_.setDateColor(colour); }

private:
    DesignHost& host_;
    std::optional<DesignRecord>& open_;
};

class DesignRecorder::RecordingClock final : public Clock {
public:
    RecordingClock(Clock& clock, std::optional<DesignRecord>& open) : clock_(clock), open_(open) {}
    QDateTime now() const override
    {
        QDateTime when = clock_.now();
        if (open_)
            open_->when = when;
        return when;
    }

private:
    Clock& clock_;
    std::optional<DesignRecord>& open_;
};

DesignRecorder::DesignRecorder(RandomSource& random, DesignHost& host, Clock& clock)
    : random_(std::make_unique<Random>(random, open_)),
      host_(std::make_unique<Host>(host, open_)),
      clock_(std::make_unique<RecordingClock>(clock, open_))
{}

DesignRecorder::~DesignRecorder() = default;

RandomSource& DesignRecorder::random() { return *random_; }
DesignHost& DesignRecorder::host() { return *host_; }
Clock& DesignRecorder::clock() { return *clock_; }

void DesignRecorder::begin(const Surface& surface, std::int32_t countBefore)
{
    open_.emplace();
    open_->countBefore = countBefore;
    open_->before = SurfaceSettings::of(surface);
    // A design of the seven layers takes 38 draws (41 with the date label).
    open_->draws.reserve(48);
    open_->texts.reserve(8);
}

DesignRecord DesignRecorder::finish()
{
    DesignRecord record = open_ ? std::move(*open_) : DesignRecord{};
    open_.reset();
    record.draws.shrink_to_fit();
    record.texts.shrink_to_fit();
    return record;
}

namespace {

// The window as it was when the design was drawn.
class ReplayHost final : public DesignHost {
public:
    ReplayHost(const DesignRecord& record, DesignHost* echo) : record_(record), echo_(echo) {}
    QString text(const QString& control) const override
    {
        for (const RecordedText& t : record_.texts) {
            if (t.name != control)
                continue;
            if (t.missing)
                break;
            return t.value;
        }
        throw StepFailure("no such control: " + control.toStdString());
    }
    void setCountCaption(const QString& caption) override
    {
        if (echo_)
            echo_->setCountCaption(caption);
    }
    void setPreview(int index, const QImage& picture) override
    {
        if (echo_)
            echo_->setPreview(index, picture);
    }
    void setDateCaption(const QString& caption) override
    {
        if (echo_)
            echo_->setDateCaption(caption);
    }
    void setDateColor(Rgb colour) override
    {
        if (echo_)
            echo_->setDateColor(colour);
    }

private:
    const DesignRecord& record_;
    DesignHost* echo_;
};

class ReplayClock final : public Clock {
public:
    explicit ReplayClock(const DesignRecord& record) : record_(record) {}
    QDateTime now() const override { return record_.when.value_or(QDateTime()); }

private:
    const DesignRecord& record_;
};

}   // namespace

bool redrawDesign(const DesignRecipe& recipe, const DesignRecord& record, Surface& surface, DesignHost* echo)
{
    try {
        record.before.applyTo(surface);
    } catch (const StepFailure&) {
        // Settings read from a surface are valid for a surface; should one be
        // refused, the tick draws over what the surface has.
    }
    ScriptedRandom random(record.draws);
    ReplayHost host(record, echo);
    ReplayClock clock(record);
    DesignTick tick(recipe, surface, random, host, clock);
    tick.setDesignCount(record.countBefore);
    try {
        return tick.run();
    } catch (const std::exception&) {
        return false;
    }
}

void DesignHistory::push(DesignRecord record)
{
    if (records_.size() >= capacity_)
        records_.pop_front();
    records_.push_back(std::move(record));
}

std::size_t DesignHistory::textAndRecordBytes() const
{
    std::size_t bytes = 0;
    std::unordered_set<const void*> seen;
    auto text = [&](const QString& s) {
        // Literals live in the program, not on the heap (no allocated capacity).
        if (s.capacity() == 0)
            return;
        if (seen.insert(s.constData()).second)
            bytes += sizeof(QArrayData) + static_cast<std::size_t>(s.capacity() + 1) * sizeof(char16_t);
    };
    for (const DesignRecord& r : records_) {
        bytes += r.fixedBytes();
        text(r.before.fontName);
        for (const RecordedText& t : r.texts) {
            text(t.name);
            text(t.value);
        }
    }
    return bytes;
}

std::size_t DesignHistory::pictureBytes() const
{
    std::size_t bytes = 0;
    std::unordered_set<qint64> seen;
    auto picture = [&](const QImage& image) {
        if (!image.isNull() && seen.insert(image.cacheKey()).second)
            bytes += static_cast<std::size_t>(image.sizeInBytes());
    };
    for (const DesignRecord& r : records_) {
        picture(r.before.background);
        picture(r.photo);
    }
    return bytes;
}

}   // namespace lh::design
