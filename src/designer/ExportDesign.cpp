#include "designer/ExportDesign.h"

#include "pictures/PictureFiles.h"
#include "forms/ProgramKeys.h"
#include "forms/SaveName.h"
#include "engine/RasterSurface.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace lh::designer {

namespace {

bool offeredScale(int scale)
{
    return std::find(std::begin(kExportScales), std::end(kExportScales), scale) != std::end(kExportScales);
}

QString checkScaleAndResolution(int scale, int dotsPerInch)
{
    if (!offeredScale(scale))
        return QStringLiteral("放大倍数只能是 %1。").arg(forms::offeredScalesText());
    if (dotsPerInch < kMinDotsPerInch || dotsPerInch > kMaxDotsPerInch)
        return QStringLiteral("分辨率须在 %1 到 %2 点/英寸之间。").arg(kMinDotsPerInch).arg(kMaxDotsPerInch);
    return {};
}

// The window as the batch sees it: its texts, nothing shown.
class BatchHost final : public design::DesignHost {
public:
    explicit BatchHost(const QHash<QString, QString>& texts) : texts_(texts) {}
    QString text(const QString& control) const override
    {
        const auto it = texts_.constFind(control);
        if (it == texts_.constEnd())
            throw StepFailure("no such control: " + control.toStdString());
        return *it;
    }
    void setCountCaption(const QString&) override {}
    void setDateCaption(const QString& caption) override { date_ = caption; }
    void setDateColor(Rgb colour) override { dateColour_ = QColor(redOf(colour), greenOf(colour), blueOf(colour)); }

    // The date caption of the last design, as the main window would show it.
    void captionTheDate(CaptionOverlay& date) const
    {
        date.text = date_;
        date.colour = dateColour_;
    }

private:
    const QHash<QString, QString>& texts_;
    QString date_;
    QColor dateColour_;
};

ExportOutcome failed(const QString& why) { return {ExportOutcome::Kind::Failed, why, 0}; }

}   // namespace


int dotsPerMetre(int dotsPerInch) { return static_cast<int>(std::lround(dotsPerInch / 0.0254)); }

QString checkExportChoice(const ExportChoice& choice)
{
    const QString why = checkScaleAndResolution(choice.scale, choice.dotsPerInch);
    if (!why.isEmpty())
        return why;
    if (choice.file.trimmed().isEmpty())
        return QStringLiteral("没有文件名。");
    return {};
}

QString checkBatchChoice(const BatchChoice& choice)
{
    const QString why = checkScaleAndResolution(choice.scale, choice.dotsPerInch);
    if (!why.isEmpty())
        return why;
    if (choice.category < 1 || choice.category > kDesignerCategories)
        return QStringLiteral("大类须在 1 到 %1 之间。").arg(kDesignerCategories);
    if (choice.count < 1 || choice.count > kMaxBatchCount)
        return QStringLiteral("张数须在 1 到 %1 之间。").arg(kMaxBatchCount);
    if (choice.folder.trimmed().isEmpty())
        return QStringLiteral("没有选择文件夹。");
    if (!QFileInfo(choice.folder).isDir())
        return QStringLiteral("文件夹不存在：%1").arg(choice.folder);
    return {};
}

QString fileNameFromSerialLine(const QString& serialLine, const QString& prefix)
{
    QString rest = serialLine.startsWith(prefix) ? serialLine.mid(prefix.size()) : serialLine;
    QString name;
    for (const QChar c : rest.trimmed()) {
        if (c == u' ')
            name += u'_';
        else if ((c.unicode() < 128 && c.isLetterOrNumber()) || c == u'.' || c == u'-' || c == u'_')
            name += c;
    }
    return name.isEmpty() ? QStringLiteral("design") : name;
}

ExportOutcome exportScene(const scene::DesignScene& scene, const ExportChoice& choice, Progress& progress)
{
    if (const QString why = checkExportChoice(choice); !why.isEmpty())
        return failed(why);
    progress.setValue(0);
    QImage image = scene::renderScene(scene, choice.scale);
    if (image.isNull())
        return failed(QStringLiteral("内存不足，无法画出 %1 倍大小的图案。").arg(choice.scale));
    progress.setValue(1);
    if (progress.cancelled())
        return {ExportOutcome::Kind::Cancelled, {}, 0};
    image.setDotsPerMeterX(dotsPerMetre(choice.dotsPerInch));
    image.setDotsPerMeterY(dotsPerMetre(choice.dotsPerInch));
    QString error;
    if (!writePng(image, choice.file, &error))
        return failed(error);
    progress.setValue(2);
    return {ExportOutcome::Kind::Written, {}, 1};
}

std::optional<QString> exportFileFor(const QString& typed, const QString& folder, QString* why, const QString& ending)
{
    const QString name = typed.trimmed();
    if (name.isEmpty()) {
        *why = QStringLiteral("没有文件名。");
        return std::nullopt;
    }
    const QString path = QDir::cleanPath(QDir(folder).absoluteFilePath(name));
    if (name.endsWith(u'/') || QFileInfo(path).isDir()) {
        *why = QStringLiteral("“%1”是一个文件夹，请在后面写上文件名。").arg(name);
        return std::nullopt;
    }
    if (!path.endsWith(ending, Qt::CaseInsensitive))
        return path + ending;
    return path;
}

QString exportFolderFor(const QString& typed, const QString& folder)
{
    const QString name = typed.trimmed();
    return name.isEmpty() ? QString() : QDir::cleanPath(QDir(folder).absoluteFilePath(name));
}

ExportOutcome askAndExportScene(QWidget* parent, const PlatformServices& services, const scene::DesignScene& scene,
                                ExportChoice& last)
{
    auto choice = services.exports->askExport(parent, last);
    if (!choice)
        return {ExportOutcome::Kind::Cancelled, {}, 0};
    last = *choice;
    QString why;
    const std::optional<QString> file = exportFileFor(choice->file, programDirectory(), &why);
    if (!file) {
        services.messages->inform(parent, why, QStringLiteral("导出图案"), MessageIcon::Exclamation);
        return {ExportOutcome::Kind::Failed, why, 0};
    }
    // An existing file is replaced only on Yes, as every save asks.
    if (!forms::mayReplace(parent, services, *file))
        return {ExportOutcome::Kind::Cancelled, {}, 0};
    choice->file = *file;
    ExportOutcome outcome;
    {
        const auto progress = services.exports->startProgress(parent, QStringLiteral("正在导出图案……"), 2);
        outcome = exportScene(scene, *choice, *progress);
    }
    if (outcome.kind == ExportOutcome::Kind::Failed)
        services.messages->inform(parent, outcome.error, QStringLiteral("导出图案"), MessageIcon::Exclamation);
    return outcome;
}

namespace {

// One design of a batch, decided in order: what draws it and where it goes.
struct BatchJob {
    scene::DesignScene scene;
    QString path;
};

// Takes the designs of a batch one after another on the random source, the
// clock and the window texts it was given (at the screen's size, where a
// design is cheap), and names each one's file. Only the calling thread
// touches the sources, so the designs are the same however many threads
// draw them afterwards.
class BatchDecider {
public:
    BatchDecider(const BatchChoice& choice, const BatchSources& sources)
        : choice_(choice), sources_(sources), recipe_(design::recipeForCategory(choice.category)),
          surface_(kDesignPixels, kDesignPixels), host_(sources.texts),
          recorder_(*sources.random, host_, *sources.clock),
          tick_(recipe_, surface_, recorder_.random(), recorder_.host(), recorder_.clock()), folder_(choice.folder)
    {
        surface_.setBackColor(rgb(0x00, 0x00, 0x40));
    }

    BatchJob next()
    {
        recorder_.begin(surface_, tick_.designCount());
        try {
            tick_.run();
        } catch (const std::exception&) {
            // Every step of a tick is skipped on failure, as on screen.
        }
        BatchJob job;
        job.scene.category = choice_.category;
        job.scene.record = recorder_.finish();
        if (sources_.overlay && choice_.category == 1) {
            job.scene.record.photo = sources_.photo;
            job.scene.overlay = *sources_.overlay;
            if (job.scene.overlay->date)
                host_.captionTheDate(*job.scene.overlay->date);
        }
        // Serial lines of two designs may agree: the later file gets a number.
        const QString base = fileNameFromSerialLine(tick_.serialLine(), recipe_.serial.prefix);
        QString path = folder_.filePath(base + QStringLiteral(".png"));
        for (int n = 2; named_.contains(path) || QFileInfo::exists(path); ++n)
            path = folder_.filePath(QStringLiteral("%1-%2.png").arg(base).arg(n));
        named_.insert(path);
        job.path = path;
        return job;
    }

private:
    const BatchChoice& choice_;
    const BatchSources& sources_;
    design::DesignRecipe recipe_;
    RasterSurface surface_;
    BatchHost host_;
    design::DesignRecorder recorder_;
    design::DesignTick tick_;
    QDir folder_;
    QSet<QString> named_;
};

// Draws one design of a batch at print size and writes it. The PNG file is
// made on this thread alone: its bytes do not depend on the number of
// threads drawing the batch.
QString drawAndWrite(const BatchJob& job, int scale, int dotsPerMetre)
{
    QImage image = scene::renderScene(job.scene, scale);
    if (image.isNull())
        return QStringLiteral("内存不足，无法画出 %1 倍大小的图案。").arg(scale);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    QString error;
    return writePng(image, job.path, &error, 1) ? QString() : error;
}

}   // namespace

int batchWorkers(int requested)
{
    if (requested > 0)
        return requested;
    return std::max(1, QThread::idealThreadCount());
}

ExportOutcome exportBatch(const BatchChoice& choice, const BatchSources& sources, Progress& progress, int workers)
{
    if (const QString why = checkBatchChoice(choice); !why.isEmpty())
        return failed(why);
    {
        // The largest surface the batch needs, tried before anything is drawn.
        const RasterSurface probe(kDesignPixels, kDesignPixels, choice.scale);
        if (!probe.isValid() || probe.scale() != choice.scale)
            return failed(QStringLiteral("内存不足，无法画出 %1 倍大小的图案。").arg(choice.scale));
    }
    workers = std::min(batchWorkers(workers), choice.count);
    const int dpm = dotsPerMetre(choice.dotsPerInch);
    BatchDecider decider(choice, sources);

    // What the drawing threads share with this one.
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<BatchJob> queue;
    bool closed = false;
    bool stop = false;   // cancelled or failed: no new design is started
    int finished = 0;    // designs drawn and written, or failed
    int written = 0;
    QString failure;

    auto work = [&] {
        for (;;) {
            BatchJob job;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || closed || !queue.empty(); });
                if (stop || queue.empty())
                    return;
                job = std::move(queue.front());
                queue.pop_front();
            }
            changed.notify_all();   // room for the next design
            const QString error = drawAndWrite(job, choice.scale, dpm);
            {
                const std::lock_guard lock(mutex);
                ++finished;
                if (error.isEmpty()) {
                    ++written;
                } else if (failure.isEmpty()) {
                    failure = error;
                    stop = true;
                }
            }
            changed.notify_all();
        }
    };

    bool cancelled = false;
    int shown = -1;
    // Shows how far the batch is; false once the user cancelled.
    auto report = [&](int done) {
        if (done != shown) {
            shown = done;
            progress.setValue(done);
        }
        return !progress.cancelled();
    };

    if (workers <= 1) {
        // One thread: each design drawn as soon as it is decided.
        for (int i = 0; i < choice.count; ++i) {
            if (!report(i)) {
                cancelled = true;
                break;
            }
            const QString error = drawAndWrite(decider.next(), choice.scale, dpm);
            if (!error.isEmpty()) {
                failure = error;
                break;
            }
            ++written;
        }
        if (!cancelled && failure.isEmpty())
            report(choice.count);
    } else {
        std::vector<std::thread> threads;
        threads.reserve(static_cast<std::size_t>(workers));
        for (int i = 0; i < workers; ++i)
            threads.emplace_back(work);
        // This thread decides the designs in order, a few ahead of the
        // drawing threads, and keeps the progress up to date.
        const std::size_t ahead = static_cast<std::size_t>(2 * workers);
        int decided = 0;
        std::unique_lock lock(mutex);
        for (;;) {
            const int done = finished;
            lock.unlock();
            const bool goOn = report(done);
            lock.lock();
            if (!goOn && !stop) {
                cancelled = true;
                stop = true;
                changed.notify_all();
            }
            if (stop || finished == choice.count)
                break;
            if (decided < choice.count && queue.size() < ahead) {
                lock.unlock();
                BatchJob job = decider.next();
                lock.lock();
                queue.push_back(std::move(job));
                if (++decided == choice.count)
                    closed = true;
                changed.notify_all();
                continue;
            }
            changed.wait_for(lock, std::chrono::milliseconds(50));
        }
        stop = true;
        changed.notify_all();
        lock.unlock();
        for (std::thread& t : threads)
            t.join();
        if (!cancelled && failure.isEmpty())
            report(finished);
    }

    if (!failure.isEmpty())
        return {ExportOutcome::Kind::Failed,
                QStringLiteral("%1\n之前的 %2 个图案已经写好，留在文件夹里。").arg(failure).arg(written), written};
    if (cancelled)
        return {ExportOutcome::Kind::Cancelled, {}, written};
    return {ExportOutcome::Kind::Written, {}, written};
}

}   // namespace lh::designer
