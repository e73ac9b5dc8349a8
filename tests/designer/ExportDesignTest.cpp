// Designs at print size: scale 1 is the surface itself, larger scales shrink
// back to it closely; files carry their resolution; batches write new
// designs under their serial numbers without touching the windows.

#include "designer/ExportDesign.h"
#include "designer/CategoryWindow.h"
#include "designer/DesignerCore.h"

#include "Fakes.h"
#include "FullDisk.h"
#include "TestImages.h"
#include "core/Random.h"
#include "design/WindowTexts.h"
#include "engine/RasterSurface.h"

#include <QCheckBox>
#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include <unistd.h>

using namespace lh;
using namespace lh::designer;

namespace {

class MapHost final : public design::DesignHost {
public:
    QHash<QString, QString> texts;
    QString text(const QString& control) const override { return texts.value(control); }
    void setCountCaption(const QString&) override {}
};

struct Drawn {
    design::DesignRecord record;
    QImage image;
};

// One design of the category on a screen-sized surface, with its record.
Drawn drawOne(int category, const char* width, const char* mode, std::uint32_t seed)
{
    MapHost host;
    host.texts = design::initialWindowTexts(category);
    host.texts[QStringLiteral("Combo1")] = QString::fromLatin1(width);
    host.texts[QStringLiteral("Combo2")] = QString::fromLatin1(mode);
    SeededRandom random(seed);
    test::FixedClock clock;
    design::DesignRecorder recorder(random, host, clock);
    RasterSurface surface(kDesignPixels, kDesignPixels);
    design::DesignTick tick(design::recipeForCategory(category), surface, recorder.random(), recorder.host(),
                            recorder.clock());
    recorder.begin(surface, 0);
    tick.run();
    return {recorder.finish(), surface.image()};
}

// How far two pictures of one size lie apart: the mean difference of a
// channel (0..255) and the share of pixels with a channel off by more than 96.
struct Difference {
    double meanChannel = 0;
    double farPixels = 0;
};

Difference compare(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    std::int64_t far = 0;
    for (int r = 0; r < x.height(); ++r) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(r));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(r));
        for (int c = 0; c < x.width(); ++c) {
            const int d[] = {std::abs(qRed(p[c]) - qRed(q[c])), std::abs(qGreen(p[c]) - qGreen(q[c])),
                             std::abs(qBlue(p[c]) - qBlue(q[c]))};
            sum += d[0] + d[1] + d[2];
            far += (d[0] > 96 || d[1] > 96 || d[2] > 96) ? 1 : 0;
        }
    }
    const double pixels = static_cast<double>(x.width()) * x.height();
    return {sum / (3 * pixels), far / pixels};
}

}   // namespace

TEST(ExportDesign, ScaleOneIsTheSurfacePixelForPixelAndLargerScalesShrinkBackToIt)
{
    const struct Case {
        int category;
        const char* width;
        const char* mode;
    } cases[] = {{1, "90", "8"}, {5, "1", "13"}, {9, "20", "6"}, {11, "47", "15"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.category);
        const Drawn drawn = drawOne(c.category, c.width, c.mode, 77u + static_cast<std::uint32_t>(c.category));
        const design::DesignRecipe recipe = design::recipeForCategory(c.category);
        EXPECT_EQ(renderDesign(recipe, drawn.record, 1, std::nullopt), drawn.image);
        for (int scale : {2, 4}) {
            const QImage big = renderDesign(recipe, drawn.record, scale, std::nullopt);
            ASSERT_EQ(big.size(), QSize(kDesignPixels * scale, kDesignPixels * scale));
            const Difference d = compare(
                big.scaled(kDesignPixels, kDesignPixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), drawn.image);
            // Edges of pens and glyphs fall a little differently at every
            // scale; the design is the same: a mean channel difference under
            // 6 of 255 and under 4 % of pixels off by more than 96 (measured:
            // at most 3.6 and 2.2 %, the photo window's width-90 XOR pens).
            EXPECT_LT(d.meanChannel, 6.0) << "scale " << scale;
            EXPECT_LT(d.farPixels, 0.04) << "scale " << scale;
        }
    }
}

TEST(ExportDesign, PhotoIsDrawnFromItsPictureAtTheExportSize)
{
    Drawn drawn = drawOne(1, "90", "8", 5);
    QImage photo(200, 200, QImage::Format_RGB32);
    photo.fill(QColor(10, 200, 30));
    drawn.record.photo = photo;
    const PhotoOverlay overlay{QRect(348, 348, 165, 165), QRect(346, 346, 168, 168), QColor(0xD7, 0x15, 0x7B), 23,
                               std::nullopt};
    const design::DesignRecipe recipe = design::recipeForCategory(1);
    for (int scale : {1, 2}) {
        const QImage image = renderDesign(recipe, drawn.record, scale, overlay);
        // The middle of the photo, and the ring across its top.
        EXPECT_EQ(image.pixelColor(430 * scale, 430 * scale), QColor(10, 200, 30)) << scale;
        EXPECT_EQ(image.pixelColor(430 * scale, 352 * scale), QColor(0xD7, 0x15, 0x7B)) << scale;
    }
    // Without a photo in the record nothing is laid over the design.
    drawn.record.photo = QImage();
    EXPECT_EQ(renderDesign(recipe, drawn.record, 1, overlay), drawn.image);
}

// Texts stamped on the design on show come out where the screen shows them,
// each in its own colour and angle, under the photo.
TEST(ExportDesign, StampsAreDrawnAgainAtTheirPlaceColourAndAngle)
{
    const Drawn drawn = drawOne(1, "20", "13", 31);
    const design::DesignRecipe recipe = design::recipeForCategory(1);
    LogFontRecord upright;
    upright.height = -40;
    upright.weight = 700;
    upright.faceName = QStringLiteral("宋体");
    LogFontRecord slanted = upright;
    slanted.escapement = 450;
    const std::vector<StampedText> stamps = {
        {1500, 1500, QStringLiteral("生日快乐"), upright, 0x00FFFF},
        {6000, 9000, QStringLiteral("Happy"), slanted, 0x0000FF},
    };
    // As the main window stamps them on its surface.
    RasterSurface screen(kDesignPixels, kDesignPixels);
    design::redrawDesign(recipe, drawn.record, screen);
    for (const StampedText& s : stamps) {
        screen.setForeColor(s.colour);
        screen.setCurrentX(s.xTwips);
        screen.setCurrentY(s.yTwips);
        screen.textOut(s.text, s.font);
    }
    ASSERT_NE(screen.image(), drawn.image);
    EXPECT_EQ(renderDesign(recipe, drawn.record, 1, std::nullopt, kDesignPixels, stamps), screen.image());
    const QImage big = renderDesign(recipe, drawn.record, 2, std::nullopt, kDesignPixels, stamps);
    const Difference d =
        compare(big.scaled(kDesignPixels, kDesignPixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), screen.image());
    EXPECT_LT(d.meanChannel, 6.0);
    EXPECT_LT(d.farPixels, 0.04);
}

TEST(ExportDesign, WritesAPngWithItsResolutionOrSaysWhyNot)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const Drawn drawn = drawOne(3, "20", "13", 9);
    const scene::DesignScene scene{3, drawn.record, {}, std::nullopt};
    test::FakeExportDialogs dialogs;

    const QString path = dir.filePath(QStringLiteral("design.png"));
    auto progress = dialogs.startProgress(nullptr, {}, 2);
    const ExportOutcome written = exportScene(scene, {2, 300, path}, *progress);
    ASSERT_EQ(written.kind, ExportOutcome::Kind::Written) << written.error.toStdString();
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), QByteArray("png"));
    const QImage read = reader.read();
    EXPECT_EQ(read.size(), QSize(1714, 1714));
    EXPECT_NEAR(read.dotsPerMeterX() * 0.0254, 300.0, 0.5);
    EXPECT_NEAR(read.dotsPerMeterY() * 0.0254, 300.0, 0.5);
    EXPECT_EQ(dialogs.progresses.back().values, (std::vector<int>{0, 1, 2}));

    const struct Failing {
        ExportChoice choice;
        const char* says;
    } failing[] = {
        {{3, 300, dir.filePath(QStringLiteral("a.png"))}, "放大倍数"},
        {{2, 0, dir.filePath(QStringLiteral("b.png"))}, "分辨率"},
        {{2, 300, QString()}, "没有文件名"},
        {{1, 300, dir.filePath(QStringLiteral("no/such/folder/c.png"))}, "c.png"},
    };
    for (const Failing& f : failing) {
        const ExportOutcome outcome = exportScene(scene, f.choice, *progress);
        EXPECT_EQ(outcome.kind, ExportOutcome::Kind::Failed) << f.says;
        EXPECT_TRUE(outcome.error.contains(QString::fromUtf8(f.says))) << outcome.error.toStdString();
    }

    // Cancelled once the design is drawn: no file.
    dialogs.cancelAt = 1;
    const QString cancelled = dir.filePath(QStringLiteral("cancelled.png"));
    auto cancelling = dialogs.startProgress(nullptr, {}, 2);
    EXPECT_EQ(exportScene(scene, {2, 300, cancelled}, *cancelling).kind,
              ExportOutcome::Kind::Cancelled);
    EXPECT_FALSE(QFileInfo::exists(cancelled));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("design.png")});
}

TEST(ExportDesign, FileNamesComeFromTheSerialLine)
{
    const struct Case {
        const char* line;
        const char* name;
    } cases[] = {
        {"NO: ZRV590535049.01231234567", "590535049.01231234567"},
        {"NO: ZRV1/2:3", "123"},
        {"NO: ZRV", "design"},
        {"other 1", "other_1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fileNameFromSerialLine(QString::fromLatin1(c.line), QStringLiteral("NO: ZRV")),
                  QString::fromLatin1(c.name));
}

class ExportFromWindowTest : public ::testing::Test, protected test::FakeServices {
protected:
    test::RecordingNavigator navigator;
};

TEST_F(ExportFromWindowTest, CtrlEExportsTheDesignOnShowAndABatchLeavesTheWindowsSequenceAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SeededRandom seeded(21);
    services.random = &seeded;
    CategoryWindow window(services, navigator, 6);
    window.findChild<QCheckBox*>(QStringLiteral("Check2"))->setChecked(false);
    DesignerCore& core = window.core();

    // Nothing drawn yet: nothing to export.
    EXPECT_EQ(core.exportShownDesign().kind, ExportOutcome::Kind::Cancelled);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("还没有可以导出的图案。")});
    EXPECT_TRUE(exports.exportAsked.empty());

    core.Timer1_Timer();
    const QImage first = core.surface().image().copy();
    core.Timer1_Timer();
    ASSERT_TRUE(core.stepHistory(-1));

    const QString path = dir.filePath(QStringLiteral("shown.png"));
    exports.exportAnswers.push_back(ExportChoice{1, 300, path});
    EXPECT_EQ(core.exportShownDesign().kind, ExportOutcome::Kind::Written);
    EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_RGB32), first);
    EXPECT_EQ(exports.exportAsked.back().scale, 4);   // what the dialog offers first
    EXPECT_EQ(exports.exportAsked.back().dotsPerInch, 300);

    // A batch of three of another category, cancelled after two.
    ASSERT_TRUE(core.stepHistory(1));
    const QString batchDir = dir.filePath(QStringLiteral("batch"));
    ASSERT_TRUE(QDir().mkpath(batchDir));
    exports.batchAnswers.push_back(BatchChoice{5, 3, 1, 150, batchDir});
    ExportOutcome batch = core.exportNewDesigns();
    EXPECT_EQ(batch.kind, ExportOutcome::Kind::Written);
    EXPECT_EQ(batch.written, 3);
    EXPECT_EQ(exports.batchAsked.back().category, 6);   // the window's own category first
    const QStringList files = QDir(batchDir).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 3);
    for (const QString& f : files) {
        // Category 5, width 90, scheme 5, then "350": the serial number after "NO: ZRV".
        EXPECT_TRUE(f.startsWith(QStringLiteral("5905350"))) << f.toStdString();
        const QImage image(QDir(batchDir).filePath(f));
        EXPECT_EQ(image.size(), QSize(857, 857));
        EXPECT_NEAR(image.dotsPerMeterX() * 0.0254, 150.0, 0.5);
    }
    // Designs finish on several threads, so two may be reported at once.
    const std::vector<int>& steps = exports.progresses.back().values;
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front(), 0);
    EXPECT_EQ(steps.back(), 3);
    EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()));

    // Cancelled once two are done: what is written stays.
    exports.cancelAt = 2;
    exports.batchAnswers.push_back(BatchChoice{2, 8, 1, 300, batchDir});
    batch = core.exportNewDesigns();
    EXPECT_EQ(batch.kind, ExportOutcome::Kind::Cancelled);
    EXPECT_GE(batch.written, 2);
    EXPECT_EQ(QDir(batchDir).entryList(QDir::Files).size(), 3 + batch.written);

    // The window's next design takes the draws that follow its own last one.
    core.Timer1_Timer();
    std::vector<float> expected(core.history().newest().draws.size());
    lh::SeededRandom reference(21);
    std::size_t skip = 0;
    for (std::size_t i = 0; i + 1 < core.history().size(); ++i)
        skip += core.history().at(i).draws.size();
    for (std::size_t i = 0; i < skip; ++i)
        reference.next();
    for (float& u : expected)
        u = reference.next();
    EXPECT_EQ(core.history().newest().draws, expected);
    services.random = &random;
}

TEST(ExportDesign, ATypedNameIsOneNameInTheProgramFolderAndAFolderIsNoName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const struct Case {
        const char* typed;
        const char* file;   // in the folder; null: refused
        const char* says;
    } cases[] = {
        {"design", "design.png", nullptr},
        {"design.PNG", "design.PNG", nullptr},
        {"\"dq\" name", "\"dq\" name.png", nullptr},
        {"  spaced.png  ", "spaced.png", nullptr},
        {"folder/inside", "folder/inside.png", nullptr},
        {"folder/", nullptr, "文件夹"},
        {"folder", nullptr, "文件夹"},
        {"", nullptr, "没有文件名"},
        {"   ", nullptr, "没有文件名"},
    };
    for (const Case& c : cases) {
        QString why;
        const std::optional<QString> file = exportFileFor(QString::fromUtf8(c.typed), dir.path(), &why);
        if (c.file) {
            ASSERT_TRUE(file.has_value()) << c.typed << ": " << why.toStdString();
            EXPECT_EQ(*file, QDir(dir.path()).filePath(QString::fromUtf8(c.file))) << c.typed;
        } else {
            EXPECT_FALSE(file.has_value()) << c.typed;
            EXPECT_TRUE(why.contains(QString::fromUtf8(c.says))) << c.typed << ": " << why.toStdString();
        }
    }
    // An absolute name stays where it names.
    QString why;
    EXPECT_EQ(exportFileFor(dir.filePath(QStringLiteral("abs")), QStringLiteral("/elsewhere"), &why),
              dir.filePath(QStringLiteral("abs.png")));
}

// Ctrl+Shift+E takes a relative folder in the program folder, as Ctrl+E takes
// a relative name, not in the folder the program was started from.
TEST_F(ExportFromWindowTest, ABatchTakesARelativeFolderInTheProgramFolder)
{
    QTemporaryDir program;
    ASSERT_TRUE(program.isValid());
    ASSERT_TRUE(QDir(program.path()).mkdir(QStringLiteral("out")));
    const QByteArray before = qgetenv("LH_PROGRAM_DIR");
    qputenv("LH_PROGRAM_DIR", QFile::encodeName(program.path()));
    CategoryWindow window(services, navigator, 3);
    const struct Case {
        const char* typed;
        const char* folder;   // in the program folder
    } cases[] = {{"out", "out"}, {" ./out/ ", "out"}, {".", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const QDir folder(QDir(program.path()).filePath(QString::fromUtf8(c.folder)));
        const qsizetype files = folder.entryList({QStringLiteral("*.png")}).size();
        exports.batchAnswers.push_back(BatchChoice{3, 1, 1, 300, QString::fromUtf8(c.typed)});
        EXPECT_EQ(window.core().exportNewDesigns().kind, ExportOutcome::Kind::Written);
        EXPECT_EQ(folder.entryList({QStringLiteral("*.png")}).size(), files + 1);
    }
    if (before.isEmpty())
        qunsetenv("LH_PROGRAM_DIR");
    else
        qputenv("LH_PROGRAM_DIR", before);
}

TEST(ExportDesign, CtrlEAsksBeforeReplacingAFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    test::FakeServices fakes;
    test::RecordingNavigator navigator;
    CategoryWindow window(fakes.services, navigator, 5);
    window.core().Timer1_Timer();
    const QString path = dir.filePath(QStringLiteral("kept.png"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    // Asked about the file written: the name as typed, without its ending or
    // with blanks around it, names the same file.
    const struct {
        QString typed;
        bool answer;
        bool replaced;
    } cases[] = {
        {path, false, false},
        {dir.filePath(QStringLiteral("kept")), false, false},
        {dir.filePath(QStringLiteral("kept.png ")), false, false},
        {path, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        fakes.exports.exportAnswers.push_back(ExportChoice{1, 300, c.typed});
        fakes.messages.answers = {c.answer};
        fakes.messages.messages.clear();
        window.core().exportShownDesign();
        ASSERT_EQ(fakes.messages.messages.size(), 1u) << c.answer;
        EXPECT_EQ(fakes.messages.messages[0].text, QStringLiteral("文件已经存在，是否覆盖文件？"));
        EXPECT_EQ(fakes.messages.messages[0].title, QStringLiteral("询问"));
        EXPECT_EQ(QImageReader(path).size() == QSize(857, 857), c.replaced) << c.answer;
    }
}

TEST(ExportDesign, ABatchSaysWhatHappened)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    test::FakeExportDialogs dialogs;
    SeededRandom random(3);
    test::FixedClock clock;
    BatchSources sources;
    sources.texts = design::initialWindowTexts(4);
    sources.random = &random;
    sources.clock = &clock;

    const struct {
        QString folder;
        const char* says;
    } refused[] = {
        {QString(), "没有选择文件夹"},
        {QStringLiteral("   "), "没有选择文件夹"},
        {dir.filePath(QStringLiteral("missing")), "文件夹不存在：/"},
    };
    for (const auto& r : refused) {
        auto progress = dialogs.startProgress(nullptr, {}, 3);
        const ExportOutcome outcome = exportBatch(BatchChoice{4, 3, 1, 300, r.folder}, sources, *progress);
        EXPECT_EQ(outcome.kind, ExportOutcome::Kind::Failed) << r.says;
        EXPECT_TRUE(outcome.error.contains(QString::fromUtf8(r.says))) << outcome.error.toStdString();
    }

    // A disk that fills up on the way: the failing file is named, and so are
    // the designs written before it, which stay.
    const QString small = dir.filePath(QStringLiteral("small"));
    ASSERT_TRUE(QDir().mkpath(small));
    test::FullTmpfs disk(small, "400k");
    ASSERT_TRUE(geteuid() != 0 || disk.mounted()) << disk.reason().toStdString();
    if (!disk.mounted())
        return;   // mounting a small disk needs root (the program's CI runs as root)
    auto progress = dialogs.startProgress(nullptr, {}, 50);
    const ExportOutcome outcome = exportBatch(BatchChoice{4, 50, 1, 300, small}, sources, *progress);
    ASSERT_EQ(outcome.kind, ExportOutcome::Kind::Failed);
    EXPECT_GT(outcome.written, 0);
    EXPECT_TRUE(outcome.error.contains(QStringLiteral("磁盘已满"))) << outcome.error.toStdString();
    EXPECT_TRUE(outcome.error.contains(QStringLiteral("之前的 %1 个图案已经写好").arg(outcome.written)))
        << outcome.error.toStdString();
    EXPECT_EQ(QDir(small).entryList({QStringLiteral("*.png")}, QDir::Files).size(), outcome.written);
}

// A window that has the texts a batch is given, and shows nothing.
struct TextsHost final : design::DesignHost {
    explicit TextsHost(QHash<QString, QString> t) : texts(std::move(t)) {}
    QString text(const QString& control) const override
    {
        const auto it = texts.constFind(control);
        if (it == texts.constEnd())
            throw StepFailure("no such control");
        return *it;
    }
    void setCountCaption(const QString&) override {}
    QHash<QString, QString> texts;
};

// The designs of a batch are decided in order on the batch's own sources and
// drawn by any number of threads: the files are the same, byte for byte, and
// each is the design a tick draws directly on those sources.
TEST(ExportDesign, ABatchWritesTheSameFilesWhateverTheNumberOfThreads)
{
    test::FakeExportDialogs dialogs;
    test::FixedClock clock;
    const struct {
        int category;
        int scale;
    } cases[] = {{4, 1}, {1, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.category);
        BatchSources sources;
        sources.texts = design::initialWindowTexts(c.category);
        sources.clock = &clock;
        if (c.category == 1) {
            sources.photo = test::patterned(120, 90, 4);
            PhotoOverlay overlay;
            overlay.photo = QRect(368, 383, 120, 90);
            overlay.frame = QRect(360, 375, 136, 106);
            overlay.frameColour = Qt::yellow;
            overlay.frameWidth = 3;
            overlay.date = CaptionOverlay{};
            overlay.date->place = QRect(10, 820, 300, 24);
            overlay.date->pixelSize = 16;
            sources.overlay = overlay;
        }
        std::map<QString, QByteArray> first;
        for (const int workers : {1, 2, 3}) {
            SCOPED_TRACE(workers);
            QTemporaryDir dir;
            ASSERT_TRUE(dir.isValid());
            SeededRandom random(77);
            sources.random = &random;
            auto progress = dialogs.startProgress(nullptr, {}, 7);
            const ExportOutcome outcome =
                exportBatch(BatchChoice{c.category, 7, c.scale, 300, dir.path()}, sources, *progress, workers);
            ASSERT_EQ(outcome.kind, ExportOutcome::Kind::Written) << outcome.error.toStdString();
            EXPECT_EQ(outcome.written, 7);
            std::map<QString, QByteArray> files;
            for (const QString& name : QDir(dir.path()).entryList(QDir::Files)) {
                QFile f(dir.filePath(name));
                ASSERT_TRUE(f.open(QIODevice::ReadOnly));
                files[name] = f.readAll();
            }
            ASSERT_EQ(files.size(), 7u);
            if (workers == 1) {
                first = files;
                continue;
            }
            EXPECT_TRUE(files == first);
        }
        if (c.category != 4)
            continue;
        // The first designs as a tick draws them straight from the same draws.
        SeededRandom random(77);
        TextsHost host{sources.texts};
        RasterSurface surface(kDesignPixels, kDesignPixels);
        surface.setBackColor(rgb(0x00, 0x00, 0x40));
        design::DesignTick tick(design::recipeForCategory(c.category), surface, random, host, clock);
        for (int i = 0; i < 3; ++i) {
            tick.run();
            const QString name = fileNameFromSerialLine(tick.serialLine(), design::recipeForCategory(4).serial.prefix);
            const auto file = first.find(name + QStringLiteral(".png"));
            ASSERT_NE(file, first.end()) << name.toStdString();
            EXPECT_EQ(QImage::fromData(file->second).convertToFormat(QImage::Format_RGB32),
                      surface.image().convertToFormat(QImage::Format_RGB32))
                << i;
        }
    }
}

// Cancelling stops a batch on any number of threads: no new design is
// started, the ones being drawn are finished and stay.
TEST(ExportDesign, ACancelledBatchStopsAndKeepsWhatItWrote)
{
    test::FakeExportDialogs dialogs;
    test::FixedClock clock;
    for (const int workers : {1, 2, 3}) {
        SCOPED_TRACE(workers);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        SeededRandom random(5);
        BatchSources sources;
        sources.texts = design::initialWindowTexts(3);
        sources.random = &random;
        sources.clock = &clock;
        dialogs.cancelAt = 2;
        auto progress = dialogs.startProgress(nullptr, {}, 30);
        const ExportOutcome outcome =
            exportBatch(BatchChoice{3, 30, 1, 300, dir.path()}, sources, *progress, workers);
        EXPECT_EQ(outcome.kind, ExportOutcome::Kind::Cancelled);
        EXPECT_GE(outcome.written, 2);
        // At most the designs decided ahead and those being drawn.
        EXPECT_LE(outcome.written, 2 + 3 * workers);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), outcome.written);
    }
}
