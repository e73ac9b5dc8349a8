#include "designer/ExportDesign.h"

#include "pictures/PictureFiles.h"
#include "forms/ProgramKeys.h"
#include "engine/RasterSurface.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>
#include <cmath>

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

std::optional<QString> exportFileFor(const QString& typed, const QString& folder, QString* why)
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
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        return path + QStringLiteral(".png");
    return path;
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
    if (QFileInfo::exists(*file)
        && !services.messages->ask(parent, QStringLiteral("文件已经存在，是否覆盖文件？"), QStringLiteral("询问")))
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

ExportOutcome exportBatch(const BatchChoice& choice, const BatchSources& sources, Progress& progress)
{
    if (const QString why = checkBatchChoice(choice); !why.isEmpty())
        return failed(why);
    const design::DesignRecipe recipe = design::recipeForCategory(choice.category);
    RasterSurface surface(kDesignPixels, kDesignPixels, choice.scale);
    if (!surface.isValid() || surface.scale() != choice.scale)
        return failed(QStringLiteral("内存不足，无法画出 %1 倍大小的图案。").arg(choice.scale));
    surface.setBackColor(rgb(0x00, 0x00, 0x40));
    BatchHost host(sources.texts);
    design::DesignTick tick(recipe, surface, *sources.random, host, *sources.clock);
    const QDir folder(choice.folder);
    const int dpm = dotsPerMetre(choice.dotsPerInch);

    ExportOutcome outcome{ExportOutcome::Kind::Written, {}, 0};
    progress.setValue(0);
    for (int i = 0; i < choice.count; ++i) {
        if (progress.cancelled()) {
            outcome.kind = ExportOutcome::Kind::Cancelled;
            return outcome;
        }
        try {
            tick.run();
        } catch (const std::exception&) {
            // Every step of a tick is skipped on failure, as on screen.
        }
        QImage image = surface.image();
        if (sources.overlay && choice.category == 1) {
            PhotoOverlay overlay = *sources.overlay;
            if (overlay.date)
                host.captionTheDate(*overlay.date);
            QPainter painter(&image);
            scene::paintOverlay(painter, sources.photo, overlay, choice.scale);
        }
        image.setDotsPerMeterX(dpm);
        image.setDotsPerMeterY(dpm);
        // Serial lines of two designs may agree: the later file gets a number.
        const QString base = fileNameFromSerialLine(tick.serialLine(), recipe.serial.prefix);
        QString path = folder.filePath(base + QStringLiteral(".png"));
        for (int n = 2; QFileInfo::exists(path); ++n)
            path = folder.filePath(QStringLiteral("%1-%2.png").arg(base).arg(n));
        QString error;
        if (!writePng(image, path, &error))
            return {ExportOutcome::Kind::Failed,
                    QStringLiteral("%1\n之前的 %2 个图案已经写好，留在文件夹里。").arg(error).arg(outcome.written),
                    outcome.written};
        ++outcome.written;
        progress.setValue(i + 1);
    }
    return outcome;
}

}   // namespace lh::designer
