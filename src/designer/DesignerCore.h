#pragma once
// What every designer window shares, the main window included: the drawing
// surface and its view, the design timer running the window's recipe, the
// pause toggle Check2, the speed buttons Command4..7, the category buttons
// Command8..17 with the navigation rule, the line-width and colour-scheme
// lists Combo1 and Combo2, the category field and the design count Label11.
//
// A window builds its controls from its own table (the places differ), then
// hands itself to the core, which finds those controls by name and runs them.

#include "design/DesignHistory.h"
#include "design/DesignTick.h"
#include "designer/ExportDesign.h"
#include "engine/Surface.h"
#include "forms/Navigator.h"
#include "scene/SceneCodec.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QTimer;
class QWidget;

namespace lh {
class Navigator;
class SurfaceView;
struct PlatformServices;
}   // namespace lh

namespace lh::forms {
class ImageBox;
}   // namespace lh::forms

namespace lh::designer {

// Intervals of the four speed buttons "正常", "快速", "高速", "慢速".
inline constexpr int kNormalInterval = 3000;
inline constexpr int kFastInterval = 1000;
inline constexpr int kTopInterval = 1;
inline constexpr int kSlowInterval = 6000;

// Design timers faster than a screen frame are paced by the window itself,
// on a grid of due times one interval apart: a design that is due is drawn
// at once, and one that ran long is made up by the next ones running back
// to back, so a window draws at the interval or as fast as its designs take,
// whichever is slower, on average and not only design by design.
inline constexpr int kPacedBelowInterval = 16;

// How far a paced window may fall behind its grid and still catch up; a
// window further behind (a stall, a long design) starts a new grid.
inline constexpr std::int64_t kMostBehindNs = 16'000'000;

// Nanoseconds from `now` until the design due at `due` (negative: none
// planned yet); zero when it is due.
std::int64_t nanosUntilDue(std::int64_t due, std::int64_t now);

// When the design after the one due at `due` is due, that one starting at
// `now`: an interval later on the grid, or an interval from now for the
// first design and for a window more than kMostBehindNs behind (or a clock
// that went back).
std::int64_t nextDue(std::int64_t due, std::int64_t now, int intervalMs);

// Previews made beside the window's thread (designs faster than the screen
// refreshes) are made at most once in this many milliseconds: at that pace
// thumbnails look as lively, and the window's thread keeps the processor.
inline constexpr int kBesidePreviewMs = 100;

// How long the caption says that a design was kept.
inline constexpr int kKeptCaptionMs = 3000;

// Line widths offered by Combo1 and drawing modes offered by Combo2 ("11" is not one).
QStringList lineWidthItems();
QStringList colourSchemeItems();

// Pause toggle caption for its state (checked means running).
QString pauseCaption(bool running);

// The shortcut keys of the designer windows, as the heading's tooltip lists them.
QString shortcutSummary();

struct DesignerSetup {
    int category = 1;                          // 1..11: the recipe and the initial texts
    const char* categoryButton = "Command8";   // the button whose caption names the category
    const char* categoryField = "Label7";      // the hidden label the serial line reads
};

class DesignerCore final : public QObject {
    Q_OBJECT
public:
    // The surface is 857 x 857 pixels (12855 twips) inside Picture1 at the
    // window's top-left corner; the view is made here as the window's child.
    DesignerCore(QWidget& window, const PlatformServices& services, Navigator& navigator, DesignerSetup setup,
                 std::unique_ptr<Surface> surface);
    ~DesignerCore() override;

    // Form_Load: fills the two lists, sets the category labels, wires the
    // controls and starts the design timer. Call once the window's controls exist.
    void load();

    Surface& surface() { return *surface_; }
    SurfaceView& view() { return *view_; }
    design::DesignTick& tick() { return *tick_; }
    std::int32_t designCount() const;
    QTimer& timer() { return *timer_; }
    bool running() const;

    // Previews Image1..Image5 that receive each design (category windows).
    void setPreviews(const std::array<forms::ImageBox*, 5>& previews) { previews_ = previews; }
    // The date label on the surface (photo designer).
    void setDateLabel(QLabel* label) { dateLabel_ = label; }

    // Repaints what the surface changed (and the previews) now.
    void present();

    // One design, as a tick of Timer1.
    void Timer1_Timer();

    // The last designs of the window, each as the value that draws it again.
    const design::DesignHistory& history() const { return history_; }
    // What the window shows over the surface with each design (the main
    // window's photo); recorded with the design.
    void setPhotoSource(std::function<QImage()> photo) { photoSource_ = std::move(photo); }

    // What lies over the surface with the design (the main window's photo
    // and its ring), for exports.
    void setPhotoOverlay(std::function<std::optional<PhotoOverlay>()> overlay) { overlay_ = std::move(overlay); }

    // A text the user stamped on the design on show: drawn again on its
    // export. The stamps go with the design: a new design, a step through
    // the history or clearStamps() (the design shown again without them)
    // drops them. At most scene::kMaxStamps are kept: a kept design holds
    // no more.
    void addStamp(StampedText stamp)
    {
        if (stamps_.size() < static_cast<std::size_t>(scene::kMaxStamps))
            stamps_.push_back(std::move(stamp));
    }
    void clearStamps() { stamps_.clear(); }
    const std::vector<StampedText>& stamps() const { return stamps_; }

    // Ctrl+D: keeps the design on show in the gallery, as the window shows
    // it; the caption says so for a moment (and that it was there already
    // when it was). How it went, or empty when it was not kept.
    std::optional<KeptCount> keepShownDesign();

    // Ctrl+P: the print layout dialog for the design on show, drawn again at
    // the scale the printed size and the printer's resolution need.
    void printShownDesign();

    // Ctrl+E: the design on show with its stamps, at the scale, resolution
    // and file the export dialog asks for.
    ExportOutcome exportShownDesign();
    // Ctrl+Shift+E: new designs of a category, drawn off screen on a random
    // source of their own, into a folder.
    ExportOutcome exportNewDesigns();

    // Alt+Left / Alt+Right while paused: the design `delta` places back
    // (negative) or forward in the history, re-drawn on the surface. Stepping
    // onto the newest design ends the stepping. False when the window runs or
    // there is no design that far.
    bool stepHistory(int delta);
    // Index of the design on show while stepping; empty when the window
    // shows its latest design.
    std::optional<std::size_t> historyPosition() const { return shown_; }
    // The record of the design on show (while stepping, or the newest one);
    // null before the first design.
    const design::DesignRecord* designOnShow() const;
    // The design on show as the window shows it: its record with the photo
    // shown over it now, the stamps and what lies over the surface. Empty
    // before the first design.
    std::optional<scene::DesignScene> sceneOnShow() const;

signals:
    // The pause toggle changed: running or paused.
    void runningChanged(bool running);
    // A step through the history re-drew the surface.
    void historyStepped();

private:
    class Host;

    void Check2_Click();
    void designTimerFired();
    // What the designs left for the screen goes on it; the previews are made
    // on the window's thread, or beside it (shown when ready, a frame later).
    void presentNow(bool previewsBeside);
    void showPreviews(bool beside);
    void previewsMade();
    void afterDesign();
    void showRecord(std::size_t index);
    void leaveHistory();
    void showHistoryCaption();
    void dropKeptCaption();
    int framePeriod() const;

    QWidget& window_;
    const PlatformServices& services_;
    Navigator& navigator_;
    DesignerSetup setup_;
    std::unique_ptr<Surface> surface_;
    SurfaceView* view_ = nullptr;
    std::unique_ptr<Host> host_;
    std::unique_ptr<design::DesignRecorder> recorder_;
    std::unique_ptr<design::DesignTick> tick_;
    design::DesignHistory history_;
    std::function<QImage()> photoSource_;
    std::function<std::optional<PhotoOverlay>()> overlay_;
    std::vector<StampedText> stamps_;
    ExportChoice lastExport_;
    BatchChoice lastBatch_;
    std::optional<std::size_t> shown_;       // history index on show while stepping
    design::SurfaceSettings liveSettings_;   // the surface's settings when stepping began
    QString liveTitle_;                      // the caption when stepping began
    QTimer* timer_ = nullptr;
    QTimer* frame_ = nullptr;
    QTimer* pacer_ = nullptr;        // the next design of a paced timer
    QElapsedTimer steady_;           // start times of paced designs
    std::int64_t due_ = -1;   // when the next paced design is due
    QTimer* keptCaptionTimer_ = nullptr;   // takes the keep's note off the caption
    QString keptCaption_;   // at top speed the screen is refreshed once a frame
    QCheckBox* check2_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* dateLabel_ = nullptr;
    std::array<forms::ImageBox*, 5> previews_{};
    // The previews being made beside the window's thread (at top speed), for
    // the design `picture`; a presentation made since (`generation` behind)
    // makes them out of date. `again`: a newer design waits for them.
    struct PreviewJob {
        QImage picture;
        std::vector<QPointer<forms::ImageBox>> boxes;
        std::uint64_t generation = 0;
        bool busy = false;   // being made; the watcher says when it is done
    } previewJob_;
    QFutureWatcher<std::vector<QImage>>* previewWatcher_ = nullptr;
    std::uint64_t previewGeneration_ = 0;
    bool previewsAgain_ = false;
    QTimer* previewPace_ = nullptr;        // the next previews made beside
    std::int64_t lastPreviewsMs_ = -1;     // when the last ones were begun
    // What the designs since the last presentation left for the screen.
    struct Pending {
        std::optional<QString> count, date;
        std::optional<Rgb> dateColour;
        bool previews = false;
    } pending_;
};

}   // namespace lh::designer
