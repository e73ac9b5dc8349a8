#include "designer/DesignerCore.h"
#include "forms/Notices.h"

#include "core/Random.h"
#include "design/WindowTexts.h"
#include "forms/SurfaceView.h"
#include "forms/FormToolkit.h"
#include "forms/Navigator.h"
#include "forms/ProgramKeys.h"
#include "platform/Services.h"
#include "printing/PrintLayoutDialog.h"

#include <QCheckBox>
#include <QtConcurrent/QtConcurrentRun>
#include <QComboBox>
#include <QGuiApplication>
#include <QHash>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include <cmath>
#include <utility>

namespace lh::designer {

QStringList lineWidthItems()
{
    QStringList items;
    for (int w = 2; w <= 20; ++w)
        items << QString::number(w);
    for (int w = 30; w <= 90; w += 10)
        items << QString::number(w);
    return items;
}

QStringList colourSchemeItems()
{
    QStringList items;
    for (int m = 0; m <= 16; ++m)
        if (m != 11)
            items << QString::number(m);
    return items;
}

QString pauseCaption(bool running) { return running ? QStringLiteral("暂停") : QStringLiteral("播放"); }

QString shortcutSummary() { return forms::programKeysText(); }

// The design tick's view of the window: texts by control name, the count,
// the previews and the date label.
class DesignerCore::Host final : public design::DesignHost {
public:
    explicit Host(DesignerCore& core) : core_(core) {}

    QString text(const QString& name) const override
    {
        // Controls live as long as the window: look each up once, not on every tick.
        QWidget*& w = controls_[name];
        if (!w)
            w = core_.window_.findChild<QWidget*>(name);
        if (auto* combo = qobject_cast<QComboBox*>(w))
            return combo->currentText();
        if (auto* label = qobject_cast<QLabel*>(w))
            return label->text();
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            return edit->text();
        throw StepFailure("no such control: " + name.toStdString());
    }
    // Captions and previews go on screen when the design is presented.
    void setCountCaption(const QString& caption) override { core_.pending_.count = caption; }
    void setPreview(int, const QImage&) override
    {
        // Every preview shows the surface; they are brought up to date when
        // the design is presented.
        core_.pending_.previews = true;
    }
    void setDateCaption(const QString& caption) override { core_.pending_.date = caption; }
    void setDateColor(Rgb colour) override { core_.pending_.dateColour = colour; }

private:
    DesignerCore& core_;
    mutable QHash<QString, QWidget*> controls_;
};

DesignerCore::DesignerCore(QWidget& window, const PlatformServices& services, Navigator& navigator, DesignerSetup setup,
                           std::unique_ptr<Surface> surface)
    : QObject(&window),
      window_(window),
      services_(services),
      navigator_(navigator),
      setup_(setup),
      surface_(std::move(surface)),
      host_(std::make_unique<Host>(*this))
{
    view_ = new SurfaceView(*surface_, &window);
    view_->setObjectName(QStringLiteral("Picture1"));
    view_->setGeometry(forms::twipsRect(0, 0, 12915, 12915));
    surface_->setBackColor(rgb(0x00, 0x00, 0x40));

    // The tick draws through the recorder, which keeps what decides each design.
    recorder_ = std::make_unique<design::DesignRecorder>(*services.random, *host_, *services.clock);
    tick_ = std::make_unique<design::DesignTick>(design::recipeForCategory(setup.category), *surface_,
                                                 recorder_->random(), recorder_->host(), recorder_->clock());

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(kNormalInterval);
    connect(timer_, &QTimer::timeout, this, &DesignerCore::designTimerFired);
    pacer_ = new QTimer(this);
    pacer_->setSingleShot(true);
    connect(pacer_, &QTimer::timeout, this, &DesignerCore::designTimerFired);
    steady_.start();

    keptCaptionTimer_ = new QTimer(this);
    keptCaptionTimer_->setSingleShot(true);
    keptCaptionTimer_->setInterval(kKeptCaptionMs);
    connect(keptCaptionTimer_, &QTimer::timeout, this, &DesignerCore::dropKeptCaption);

    frame_ = new QTimer(this);
    frame_->setSingleShot(true);
    connect(frame_, &QTimer::timeout, this, [this] { presentNow(true); });
    previewPace_ = new QTimer(this);
    previewPace_->setSingleShot(true);
    connect(previewPace_, &QTimer::timeout, this, [this] { showPreviews(true); });
    previewWatcher_ = new QFutureWatcher<std::vector<QImage>>(this);
    connect(previewWatcher_, &QFutureWatcherBase::finished, this, &DesignerCore::previewsMade);
}

DesignerCore::~DesignerCore() = default;

void DesignerCore::load()
{
    const QHash<QString, QString> texts = design::initialWindowTexts(setup_.category);
    auto* combo1 = forms::control<QComboBox>(&window_, "Combo1");
    auto* combo2 = forms::control<QComboBox>(&window_, "Combo2");
    combo1->addItems(lineWidthItems());
    combo1->setEditText(texts.value(QStringLiteral("Combo1")));
    combo2->addItems(colourSchemeItems());
    combo2->setEditText(texts.value(QStringLiteral("Combo2")));
    combo1->lineEdit()->setCursorPosition(0);
    combo2->lineEdit()->setCursorPosition(0);

    const QString category = forms::control<QPushButton>(&window_, setup_.categoryButton)->text();
    if (auto* label8 = forms::control<QLabel>(&window_, "Label8"))
        label8->setText(QStringLiteral("第") + category + QStringLiteral("大类"));
    forms::control<QLabel>(&window_, setup_.categoryField)->setText(category);

    count_ = forms::control<QLabel>(&window_, "Label11");
    check2_ = forms::checkBox(&window_, "Check2");
    check2_->setChecked(true);
    check2_->setText(pauseCaption(true));
    connect(check2_, &QCheckBox::toggled, this, &DesignerCore::Check2_Click);

    const std::pair<const char*, int> speeds[] = {{"Command4", kNormalInterval},
                                                  {"Command5", kFastInterval},
                                                  {"Command6", kTopInterval},
                                                  {"Command7", kSlowInterval}};
    for (const auto& [name, interval] : speeds)
        if (auto* b = forms::control<QPushButton>(&window_, name))
            connect(b, &QPushButton::clicked, this, [this, interval = interval] { timer_->setInterval(interval); });

    for (int k = 1; k <= 10; ++k) {
        const QByteArray name = "Command" + QByteArray::number(7 + k);
        if (auto* b = forms::control<QPushButton>(&window_, name.constData()))
            connect(b, &QPushButton::clicked, this, [this, k] { navigator_.showCategory(k); });
        // Ctrl+1 .. Ctrl+9, Ctrl+0 act like the category buttons, which the
        // main window keeps hidden.
        auto* key = new QShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_0 + k % 10)), &window_);
        key->setObjectName(QStringLiteral("CategoryShortcut%1").arg(k));
        connect(key, &QShortcut::activated, this, [this, k] { navigator_.showCategory(k); });
    }
    // The window grabber and the wallpaper maker have no button anywhere.
    auto* grabberKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_G), &window_);
    grabberKey->setObjectName(QStringLiteral("GrabberShortcut"));
    connect(grabberKey, &QShortcut::activated, this, [this] { navigator_.openGrabber(); });
    auto* wallpaperKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_B), &window_);
    wallpaperKey->setObjectName(QStringLiteral("WallpaperShortcut"));
    connect(wallpaperKey, &QShortcut::activated, this, [this] { navigator_.openWallpaper(); });
    // Stepping through the designs drawn so far (while paused).
    auto* back = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), &window_);
    back->setObjectName(QStringLiteral("HistoryBackShortcut"));
    connect(back, &QShortcut::activated, this, [this] { stepHistory(-1); });
    auto* forward = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Right), &window_);
    forward->setObjectName(QStringLiteral("HistoryForwardShortcut"));
    connect(forward, &QShortcut::activated, this, [this] { stepHistory(1); });
    // Exports of the design on show and of new designs.
    auto* exportKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), &window_);
    exportKey->setObjectName(QStringLiteral("ExportShortcut"));
    connect(exportKey, &QShortcut::activated, this, [this] { exportShownDesign(); });
    auto* batchKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E), &window_);
    batchKey->setObjectName(QStringLiteral("BatchShortcut"));
    connect(batchKey, &QShortcut::activated, this, [this] { exportNewDesigns(); });
    // Keeping the design on show, and the gallery of kept designs.
    auto* keepKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), &window_);
    keepKey->setObjectName(QStringLiteral("KeepShortcut"));
    connect(keepKey, &QShortcut::activated, this, [this] { keepShownDesign(); });
    auto* printKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), &window_);
    printKey->setObjectName(QStringLiteral("PrintLayoutShortcut"));
    connect(printKey, &QShortcut::activated, this, [this] { printShownDesign(); });
    auto* galleryKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), &window_);
    galleryKey->setObjectName(QStringLiteral("GalleryShortcut"));
    connect(galleryKey, &QShortcut::activated, this, [this] { navigator_.openGallery(); });
    lastBatch_.category = setup_.category;

    if (auto* heading = forms::control<QLabel>(&window_, "Label2"))
        heading->setToolTip(shortcutSummary());

    timer_->start();
}

std::int32_t DesignerCore::designCount() const { return tick_->designCount(); }

bool DesignerCore::running() const { return timer_->isActive(); }

std::int64_t nanosUntilDue(std::int64_t due, std::int64_t now) { return due < 0 || now >= due ? 0 : due - now; }

std::int64_t nextDue(std::int64_t due, std::int64_t now, int intervalMs)
{
    const std::int64_t interval = static_cast<std::int64_t>(std::max(0, intervalMs)) * 1000000;
    if (due < 0 || now < due - interval || now - due > kMostBehindNs)
        return now + interval;
    return due + interval;
}

void DesignerCore::designTimerFired()
{
    if (timer_->interval() >= kPacedBelowInterval) {
        Timer1_Timer();
        return;
    }
    // Paced: the design timer's own ticks come only after the interval has
    // passed since the last one ended (and the event loop rounds waits up to
    // whole milliseconds), so the window keeps its own grid of due times.
    if (!timer_->isActive())
        return;   // paused meanwhile
    const std::int64_t now = steady_.nsecsElapsed();
    const std::int64_t wait = nanosUntilDue(due_, now);
    if (wait == 0) {
        due_ = nextDue(due_, now, timer_->interval());
        Timer1_Timer();
    }
    // Whatever input and painting waits is handled before the next design.
    pacer_->start(static_cast<int>(wait / 1000000));
}

void DesignerCore::Timer1_Timer()
{
    // A new design goes on from the latest one, never from one stepped back to.
    if (shown_)
        leaveHistory();
    stamps_.clear();
    recorder_->begin(*surface_, tick_->designCount());
    try {
        tick_->run();
    } catch (const std::exception&) {
        // Every step of the tick is skipped on failure; nothing else may end it.
    }
    design::DesignRecord record = recorder_->finish();
    if (photoSource_)
        record.photo = photoSource_();
    history_.push(std::move(record));
    afterDesign();
}

const design::DesignRecord* DesignerCore::designOnShow() const
{
    if (shown_)
        return &history_.at(*shown_);
    return history_.empty() ? nullptr : &history_.newest();
}

std::optional<KeptCount> DesignerCore::keepShownDesign()
{
    const std::optional<scene::DesignScene> shown = sceneOnShow();
    if (!shown) {
        services_.messages->inform(&window_, QStringLiteral("还没有可以收藏的图案。"), forms::kNoticeTitle,
                                   MessageIcon::Information);
        return std::nullopt;
    }
    // The picture as the window shows it, for the thumbnail: the surface and
    // what lies over it.
    QImage picture = surface_->image().copy();
    if (shown->overlay) {
        QPainter painter(&picture);
        scene::paintOverlay(painter, shown->record.photo, *shown->overlay, 1);
    }
    const std::optional<KeptCount> kept = navigator_.keepDesign(&window_, *shown, picture);
    if (kept) {
        dropKeptCaption();
        keptCaption_ = kept->added ? QStringLiteral(" [已收藏 %1]").arg(kept->total)
                                   : QStringLiteral(" [这个图案已在收藏中]");
        window_.setWindowTitle(window_.windowTitle() + keptCaption_);
        keptCaptionTimer_->start();
    }
    return kept;
}

void DesignerCore::dropKeptCaption()
{
    if (!keptCaption_.isEmpty() && window_.windowTitle().endsWith(keptCaption_))
        window_.setWindowTitle(window_.windowTitle().chopped(keptCaption_.size()));
    keptCaption_.clear();
}

bool DesignerCore::stepHistory(int delta)
{
    if (running() || history_.empty() || delta == 0)
        return false;
    dropKeptCaption();
    const auto newest = static_cast<std::ptrdiff_t>(history_.size()) - 1;
    const std::ptrdiff_t from = shown_ ? static_cast<std::ptrdiff_t>(*shown_) : newest;
    const std::ptrdiff_t to = from + delta;
    if (to < 0 || to > newest || to == from)
        return false;
    if (!shown_) {
        liveSettings_ = design::SurfaceSettings::of(*surface_);
        liveTitle_ = window_.windowTitle();
    }
    if (to == newest) {
        leaveHistory();
    } else {
        shown_ = static_cast<std::size_t>(to);
        showRecord(*shown_);
        showHistoryCaption();
    }
    stamps_.clear();
    present();
    emit historyStepped();
    return true;
}

void DesignerCore::showRecord(std::size_t index)
{
    // Drawn with the recorded draws; the window's random source is not touched.
    design::redrawDesign(tick_->recipe(), history_.at(index), *surface_, host_.get());
}

void DesignerCore::leaveHistory()
{
    if (!shown_)
        return;
    shown_.reset();
    // The newest design again, and the surface as it was when stepping began,
    // so the next design is drawn exactly as if no step had been taken.
    showRecord(history_.size() - 1);
    try {
        liveSettings_.applyTo(*surface_);
    } catch (const StepFailure&) {
        // Settings taken from the surface are valid for it.
    }
    window_.setWindowTitle(liveTitle_);
}

std::optional<scene::DesignScene> DesignerCore::sceneOnShow() const
{
    const design::DesignRecord* shown = designOnShow();
    if (!shown)
        return std::nullopt;
    scene::DesignScene scene{setup_.category, *shown, stamps_, overlay_ ? overlay_() : std::nullopt};
    // The photo over the design is the one shown now (another slot may have
    // been clicked since the design was drawn).
    if (photoSource_)
        scene.record.photo = photoSource_();
    return scene;
}

void DesignerCore::printShownDesign()
{
    // The design at the moment of the key, drawn again at the printer's scale.
    const std::optional<scene::DesignScene> shown = sceneOnShow();
    if (!shown) {
        services_.messages->inform(&window_, QStringLiteral("还没有可以打印的图案。"), forms::kNoticeTitle,
                                   MessageIcon::Information);
        return;
    }
    printing::RedrawnPrintSource source(QSize(scene::kDesignPixels, scene::kDesignPixels),
                                        [scene = *shown](int scale) { return scene::renderScene(scene, scale); });
    printing::askAndPrint(&window_, services_, source);
}

ExportOutcome DesignerCore::exportShownDesign()
{
    // A copy: designs drawn while the dialogs are open may push it out of the history.
    const std::optional<scene::DesignScene> shown = sceneOnShow();
    if (!shown) {
        services_.messages->inform(&window_, QStringLiteral("还没有可以导出的图案。"), QStringLiteral("导出图案"),
                                   MessageIcon::Information);
        return {ExportOutcome::Kind::Cancelled, {}, 0};
    }
    return askAndExportScene(&window_, services_, *shown, lastExport_);
}

ExportOutcome DesignerCore::exportNewDesigns()
{
    auto choice = services_.exports->askBatch(&window_, lastBatch_);
    if (!choice)
        return {ExportOutcome::Kind::Cancelled, {}, 0};
    lastBatch_ = *choice;
    // A relative folder is taken in the program folder, as every export takes it.
    choice->folder = exportFolderFor(choice->folder, programDirectory());
    BatchSources sources;
    sources.texts = design::initialWindowTexts(choice->category);
    if (choice->category == setup_.category) {
        // This window's own texts as they are now.
        for (auto it = sources.texts.begin(); it != sources.texts.end(); ++it) {
            try {
                it.value() = host_->text(it.key());
            } catch (const StepFailure&) {
            }
        }
        if (photoSource_)
            sources.photo = photoSource_();
        if (overlay_)
            sources.overlay = overlay_();
    }
    // A source of the batch's own: the windows' sequences are not touched.
    SeededRandom random(static_cast<std::uint32_t>(services_.clock->now().toMSecsSinceEpoch())
                        ^ static_cast<std::uint32_t>(history_.size() * 2654435761u));
    sources.random = &random;
    sources.clock = services_.clock;
    ExportOutcome outcome;
    {
        const auto progress =
            services_.exports->startProgress(&window_, QStringLiteral("正在画出并导出新图案……"), choice->count);
        outcome = exportBatch(*choice, sources, *progress);
    }
    if (outcome.kind == ExportOutcome::Kind::Failed)
        services_.messages->inform(&window_, outcome.error, QStringLiteral("批量导出"), MessageIcon::Exclamation);
    return outcome;
}

void DesignerCore::showHistoryCaption()
{
    window_.setWindowTitle(liveTitle_ + QStringLiteral(" [历史 %1/%2]").arg(*shown_ + 1).arg(history_.size()));
}

int DesignerCore::framePeriod() const
{
    const QScreen* screen = window_.screen();
    const double hz = screen ? screen->refreshRate() : 60.0;
    return hz >= 1.0 ? std::max(1, static_cast<int>(std::lround(1000.0 / hz))) : 16;
}

void DesignerCore::afterDesign()
{
    // Designs that come faster than the screen refreshes are shown once a
    // frame, the latest one; slower ones at once.
    if (timer_->interval() >= framePeriod()) {
        present();
        return;
    }
    if (!frame_->isActive())
        frame_->start(framePeriod());
}

void DesignerCore::present() { presentNow(false); }

void DesignerCore::presentNow(bool previewsBeside)
{
    frame_->stop();
    view_->refresh();
    Pending pending = std::exchange(pending_, {});
    if (pending.count && count_)
        count_->setText(*pending.count);
    if (dateLabel_) {
        if (pending.date)
            dateLabel_->setText(*pending.date);
        if (pending.dateColour) {
            const Rgb c = *pending.dateColour;
            QPalette p = dateLabel_->palette();
            p.setColor(QPalette::WindowText, QColor(redOf(c), greenOf(c), blueOf(c)));
            dateLabel_->setPalette(p);
        }
    }
    if (pending.previews)
        showPreviews(previewsBeside);
}

void DesignerCore::showPreviews(bool beside)
{
    if (beside) {
        // Made beside the window at most once in kBesidePreviewMs, from the
        // latest design; one set at a time.
        if (previewJob_.busy) {
            previewsAgain_ = true;
            return;
        }
        if (previewPace_->isActive())
            return;   // the latest design is taken when it is their turn
        const std::int64_t now = steady_.elapsed();
        if (lastPreviewsMs_ >= 0 && now - lastPreviewsMs_ < kBesidePreviewMs) {
            previewPace_->start(static_cast<int>(kBesidePreviewMs - (now - lastPreviewsMs_)));
            return;
        }
        lastPreviewsMs_ = now;
    } else {
        // Shown now: previews still being made, or waiting their turn, are
        // out of date.
        previewPace_->stop();
        ++previewGeneration_;
        previewsAgain_ = false;
    }
    // The design is read once for all the previews on screen; hidden ones
    // keep it for when they are shown.
    const QImage picture = surface_->image();
    std::vector<QPointer<forms::ImageBox>> boxes;
    std::vector<QSize> sizes;
    for (forms::ImageBox* preview : previews_) {
        if (!preview)
            continue;
        if (preview->isVisible()) {
            boxes.emplace_back(preview);
            sizes.push_back(preview->size());
        } else {
            preview->setPicture(picture);
        }
    }
    if (!beside) {
        const std::vector<QImage> stretched = forms::stretchForBoxes(picture, sizes);
        for (std::size_t i = 0; i < boxes.size(); ++i)
            boxes[i]->setPicture(picture, stretched[i]);
        return;
    }
    if (boxes.empty())
        return;
    previewJob_ = {picture, std::move(boxes), previewGeneration_, true};
    previewWatcher_->setFuture(
        QtConcurrent::run([picture, sizes] { return forms::stretchForBoxes(picture, sizes); }));
}

void DesignerCore::previewsMade()
{
    if (!previewJob_.busy)
        return;
    const PreviewJob job = std::exchange(previewJob_, {});
    if (job.generation == previewGeneration_ && previewWatcher_->future().resultCount() > 0) {
        const std::vector<QImage> stretched = previewWatcher_->result();
        for (std::size_t i = 0; i < job.boxes.size() && i < stretched.size(); ++i)
            if (job.boxes[i])
                job.boxes[i]->setPicture(job.picture, stretched[i]);
    }
    // The latest design, when designs came while these were made.
    if (std::exchange(previewsAgain_, false))
        showPreviews(true);
}

void DesignerCore::Check2_Click()
{
    const bool running = check2_->isChecked();
    if (running && shown_) {
        leaveHistory();
        emit historyStepped();
    }
    if (running)
        timer_->start();
    else
        timer_->stop();
    check2_->setText(pauseCaption(running));
    emit runningChanged(running);
    // The design on show stays; whatever is pending goes on screen now.
    present();
}

}   // namespace lh::designer
