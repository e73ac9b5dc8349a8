#pragma once
// A design as a value. What a tick draws is decided by the recipe, the
// surface's settings before the tick, the draws it takes from the random
// source, the window texts it reads and the clock reading. DesignRecorder
// sits between a tick and the window's sources and writes all of that into
// a DesignRecord; redrawDesign draws the record again, on any surface.
//
// Texts are kept as QStrings, which share their characters with the window's
// controls and with the records before: an unchanged text costs no copy.

#include "core/Random.h"
#include "design/DesignTick.h"
#include "core/Clock.h"

#include <QDateTime>
#include <QImage>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace lh::design {

// The surface settings a tick may depend on: a step that fails (a line width
// text that is not a number, say) leaves the setting of the design before.
struct SurfaceSettings {
    Rgb back = 0xFFFFFF;
    Rgb fore = 0;
    int drawWidth = 1;
    int drawMode = 13;
    QString fontName;
    float fontSize = 9;
    bool fontBold = false;
    QImage background;   // the background picture, null when none

    static SurfaceSettings of(const Surface& surface);
    // Puts the settings on a surface. The background colour and picture are
    // set only where they differ (either repaints the whole image).
    void applyTo(Surface& surface) const;
};

// One window text as the tick read it.
struct RecordedText {
    QString name;
    QString value;
    bool missing = false;   // the window has no such control
};

struct DesignRecord {
    std::int32_t countBefore = 0;   // design count before the tick
    SurfaceSettings before;
    std::vector<float> draws;          // every draw, in order
    std::vector<RecordedText> texts;   // each name once, in the order first read
    std::optional<QDateTime> when;     // the clock reading, when the tick read it
    QImage photo;                      // the photo shown over the design (main window), null if none

    // Bytes of the record and its vectors, without the characters of its
    // texts (those are shared; DesignHistory counts each buffer once).
    std::size_t fixedBytes() const;
};

// Wraps a window's random source, clock and host for its tick: every call is
// passed through and, while a record is open, written into it.
class DesignRecorder {
public:
    DesignRecorder(RandomSource& random, DesignHost& host, Clock& clock);
    ~DesignRecorder();
    DesignRecorder(const DesignRecorder&) = delete;
    DesignRecorder& operator=(const DesignRecorder&) = delete;

    // The sources to build the tick with.
    RandomSource& random();
    DesignHost& host();
    Clock& clock();

    // Starts a record of the next tick on `surface`; finish() hands it over.
    void begin(const Surface& surface, std::int32_t countBefore);
    DesignRecord finish();

private:
    class Random;
    class Host;
    class RecordingClock;
    std::optional<DesignRecord> open_;
    std::unique_ptr<Random> random_;
    std::unique_ptr<Host> host_;
    std::unique_ptr<RecordingClock> clock_;
};

// Draws the recorded design on `surface` with the recipe it was drawn with:
// the settings are put back, the tick runs on the recorded draws, texts and
// clock reading. The count, previews and date label go to `echo` when given
// (a window showing the design again); the surface's random source is not
// touched. Returns what DesignTick::run returned.
bool redrawDesign(const DesignRecipe& recipe, const DesignRecord& record, Surface& surface, DesignHost* echo = nullptr);

// The last designs of a window, oldest first; the oldest goes when a new one
// arrives at capacity.
class DesignHistory {
public:
    static constexpr std::size_t kDefaultCapacity = 1000;
    explicit DesignHistory(std::size_t capacity = kDefaultCapacity) : capacity_(capacity < 1 ? 1 : capacity) {}

    void push(DesignRecord record);
    std::size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    std::size_t capacity() const { return capacity_; }
    const DesignRecord& at(std::size_t index) const { return records_.at(index); }
    const DesignRecord& newest() const { return records_.back(); }
    // Bytes of all records: their fixed parts and every distinct text
    // buffer once. Pictures (the photo, a background picture) are shared
    // with the window and counted by pictureBytes, each distinct one once.
    std::size_t textAndRecordBytes() const;
    std::size_t pictureBytes() const;

private:
    std::size_t capacity_;
    std::deque<DesignRecord> records_;
};

}   // namespace lh::design
