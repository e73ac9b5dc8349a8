// The wallpaper maker: the tiling and size rules as plain functions, and the
// window driven as a user would with scripted dialogs and printer.

#include "tools/Wallpaper.h"
#include "pictures/ImageMemory.h"
#include "pictures/PictureFiles.h"
#include "forms/Controls.h"
#include "forms/FormToolkit.h"
#include "platform/QtPicturePrinter.h"
#include "tools/Form30.h"
#include "tools/Form30Layout.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <QTest>

#include <algorithm>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "Fakes.h"
#include "TestImages.h"

using namespace lh;
using namespace lh::tools;

namespace {

using lh::test::patterned;

// The canvas a tiling must give: cell (x mod cw, y mod ch) of the scaled picture.
bool tiledFrom(const QImage& canvas, const QImage& cell)
{
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (canvas.pixel(x, y) != cell.pixel(x % cell.width(), y % cell.height()))
                return false;
    return true;
}

constexpr std::int64_t kPlenty = std::int64_t(16) << 30;

}   // namespace

TEST(TileGrid, CellsStartEveryCellFromZeroAndTheLastIsCut)
{
    struct Case {
        int extent, cell;
        std::vector<int> starts;
    };
    const Case cases[] = {
        // The default canvas (43000 twips less a 2-pixel border each side) and cell (382 pixels): 8 columns.
        {2863, 382, {0, 382, 764, 1146, 1528, 1910, 2292, 2674}},
        {100, 382, {0}},        // narrower than a cell: one cut column
        {764, 382, {0, 382}},   // an exact fit has no extra column
        {765, 382, {0, 382, 764}},
        {0, 382, {}},
        {10, 0, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tileStarts(c.extent, c.cell), c.starts) << c.extent << " / " << c.cell;
}

TEST(TileCanvas, RepeatsThePictureRowByRowAndCutsTheLastCells)
{
    const QImage pic = patterned(4, 3);
    QImage canvas = makeCanvas(QSize(10, 7));
    ASSERT_TRUE(TileCanvas(canvas, pic, 4, 3));
    EXPECT_TRUE(tiledFrom(canvas, pic));

    // A canvas narrower and lower than one cell shows the cell's top-left part.
    QImage small = makeCanvas(QSize(3, 2));
    ASSERT_TRUE(TileCanvas(small, pic, 4, 3));
    EXPECT_TRUE(tiledFrom(small, pic));
}

TEST(TileCanvas, StretchesOrShrinksThePictureToTheCell)
{
    const QImage pic = patterned(60, 40, 9);
    for (const QSize cell : {QSize(15, 10), QSize(90, 70), QSize(1, 1)}) {
        QImage canvas = makeCanvas(QSize(100, 80));
        ASSERT_TRUE(TileCanvas(canvas, pic, cell.width(), cell.height()));
        const QImage expected = scaleToCell(pic, cell.width(), cell.height());
        ASSERT_EQ(expected.size(), cell);
        EXPECT_TRUE(tiledFrom(canvas, expected)) << cell.width() << "x" << cell.height();
    }
}

TEST(TileCanvas, ReportsRowsAndStopsWhenAsked)
{
    QImage canvas = makeCanvas(QSize(20, 25));
    std::vector<int> rows;
    EXPECT_TRUE(TileCanvas(canvas, patterned(5, 10), 5, 10, [&](int done, int total) {
        EXPECT_EQ(total, 25);
        rows.push_back(done);
        return true;
    }));
    EXPECT_EQ(rows, (std::vector<int>{10, 20, 25}));

    QImage stopped = makeCanvas(QSize(20, 25));
    EXPECT_FALSE(TileCanvas(stopped, patterned(5, 10), 5, 10, [](int, int) { return false; }));
    // Nothing to tile with.
    EXPECT_FALSE(TileCanvas(stopped, QImage(), 5, 10));
    EXPECT_FALSE(TileCanvas(stopped, patterned(5, 10), 0, 10));
}

TEST(CanvasSize, TextsInTwipsGiveTheInnerSizeOrARefusal)
{
    struct Case {
        std::string width;
        std::string height;
        std::int64_t free;
        CanvasVerdict verdict;
        QSize inner;
    };
    const Case cases[] = {
        {"43000", "33000", kPlenty, CanvasVerdict::Ok, {2863, 2196}},
        {" 16000 ", "11000", kPlenty, CanvasVerdict::Ok, {1063, 729}},
        {"75", "75", kPlenty, CanvasVerdict::Ok, {1, 1}},   // 5 pixels less a 2-pixel border each side
        {"abc", "33000", kPlenty, CanvasVerdict::NotANumber, {}},
        {"43000", "", kPlenty, CanvasVerdict::NotANumber, {}},
        {"60", "33000", kPlenty, CanvasVerdict::TooSmall, {}},   // 4 pixels: nothing inside the border
        {"-5000", "33000", kPlenty, CanvasVerdict::TooSmall, {}},
        {"1e300", "33000", kPlenty, CanvasVerdict::TooLarge, {}},
        {"999999999999", "999999999999", kPlenty, CanvasVerdict::TooLarge, {}},
        // 20000 x 20000 pixels need 4 bytes each, and 4 more for the canvas they replace.
        {"300060", "300060", std::int64_t(1) << 30, CanvasVerdict::TooLarge, {}},
        {"300060", "300060", std::int64_t(4) << 30, CanvasVerdict::Ok, {20000, 20000}},
        // Held but not savable: a BMP file over 2 GB (27000 x 27000 pixels,
        // 40000 x 40000), on a machine with memory to spare.
        {"405060", "405060", std::int64_t(64) << 30, CanvasVerdict::TooLargeToSave, {}},
        {"600060", "600060", std::int64_t(64) << 30, CanvasVerdict::TooLargeToSave, {}},
        // The largest square a BMP file holds: 26754 pixels a side (2,147,383,110 bytes).
        {"401370", "401370", std::int64_t(64) << 30, CanvasVerdict::Ok, {26754, 26754}},
        {"401385", "401385", std::int64_t(64) << 30, CanvasVerdict::TooLargeToSave, {}},
        // 10,000 digits are a number, only far too large (or far too small).
        {QString(10000, u'9').toUtf8().constData(), "33000", kPlenty, CanvasVerdict::TooLarge, {}},
        {("-" + QString(10000, u'9')).toUtf8().constData(), "33000", kPlenty, CanvasVerdict::TooSmall, {}},
        {"1e999", "33000", kPlenty, CanvasVerdict::TooLarge, {}},
    };
    for (const Case& c : cases) {
        const CanvasSizeCheck check = checkCanvasSize(twipsOfText(QString::fromStdString(c.width)),
                                                      twipsOfText(QString::fromStdString(c.height)), 2, c.free);
        EXPECT_EQ(check.verdict, c.verdict) << c.width.substr(0, 20) << " x " << c.height;
        if (c.verdict == CanvasVerdict::Ok) {
            EXPECT_EQ(check.inner, c.inner) << c.width << " x " << c.height;
            // A canvas taken can be saved.
            EXPECT_LE(bmp24FileBytes(check.inner.width(), check.inner.height()), kMaxBmp24FileBytes) << c.width;
        }
    }
    // Refusals name the largest canvas that can be both held and saved.
    const struct {
        CanvasVerdict verdict;
        std::int64_t free;
        const char* says;
        int side;
    } refusals[] = {
        {CanvasVerdict::TooLargeToSave, std::int64_t(64) << 30, "位图文件", 26754},
        {CanvasVerdict::TooLarge, std::int64_t(1) << 30, "内存", largestSavableSquareSide(std::int64_t(1) << 30)},
    };
    for (const auto& r : refusals) {
        const QString why = canvasRefusal(r.verdict, r.free);
        EXPECT_TRUE(why.contains(QString::fromUtf8(r.says))) << why.toStdString();
        EXPECT_TRUE(why.contains(QStringLiteral("%1 × %1 像素").arg(r.side))) << why.toStdString();
        EXPECT_LE(bmp24FileBytes(r.side, r.side), kMaxBmp24FileBytes);
        EXPECT_GT(bmp24FileBytes(r.side + 1, r.side + 1) > kMaxBmp24FileBytes
                      || std::int64_t(r.side + 1) * (r.side + 1) > largestCanvasPixels(r.free),
                  0);
    }
    // The refusal of a large canvas says how large a canvas the machine holds.
    const QString why = canvasRefusal(CanvasVerdict::TooLarge, std::int64_t(1) << 30);
    EXPECT_TRUE(why.contains(QStringLiteral("内存"))) << why.toStdString();
    EXPECT_TRUE(why.contains(QString::number(largestCanvasPixels(std::int64_t(1) << 30) / 10000))) << why.toStdString();
}

TEST(CanvasDrag, FollowsThePointerAndKeepsAPartInside)
{
    struct Case {
        QPoint start, press, now;
        QSize canvas;
        QPoint expected;
    };
    const QSize area(800, 600);
    const Case cases[] = {
        {{0, 34}, {100, 100}, {150, 80}, {1000, 700}, {50, 14}},
        {{0, 34}, {100, 100}, {-5000, -5000}, {1000, 700}, {16 - 1000, 16 - 700}},   // far up-left: 16 pixels stay
        {{0, 34}, {100, 100}, {5000, 5000}, {1000, 700}, {800 - 16, 600 - 16}},
        {{0, 0}, {0, 0}, {-100, 0}, {10, 10}, {0, 0}},   // a tiny canvas stays whole
    };
    for (const Case& c : cases)
        EXPECT_EQ(dragCanvasTo(c.start, c.press, c.now, c.canvas, area), c.expected);
}

namespace {

// Cancels the named progress dialog of the window as soon as it shows, as a
// user would: the dialog takes events while its task runs.
class CancelWhenShown {
public:
    CancelWhenShown(QWidget* window, const char* name)
    {
        QObject::connect(&poll_, &QTimer::timeout, [this, window, name] {
            if (auto* dialog = window->findChild<QProgressDialog*>(QString::fromLatin1(name));
                dialog && dialog->isVisible()) {
                saw_ = true;
                dialog->cancel();
            }
        });
        poll_.start(0);
    }
    bool saw() const { return saw_; }
    void reset() { saw_ = false; }
    void stop() { poll_.stop(); }

private:
    QTimer poll_;
    bool saw_ = false;
};

struct WallpaperRig : ::testing::Test {
    test::FakeServices fakes;
    test::RecordingNavigator navigator;
    QTemporaryDir dir;
    std::unique_ptr<Form30> w;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        w = std::make_unique<Form30>(fakes.services, navigator);
    }
    QPushButton* button(const char* name) { return forms::control<QPushButton>(w.get(), name); }
    QLineEdit* text(const char* name) { return forms::control<QLineEdit>(w.get(), name); }
    QImage canvas() const { return w->canvas()->picture(); }
    QString openPicture(const QImage& pic, const char* name)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(pic.save(path, "PNG"));
        fakes.files.openAnswers.push_back(path);
        w->Command4_Click();
        return path;
    }
};

}   // namespace

TEST_F(WallpaperRig, OpensWithTheToolbarAndTheDefaultTileOverTheTextBoxesSize)
{
    EXPECT_EQ(w->objectName(), QStringLiteral("Form30"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("蓝禾壁纸排版"));
    EXPECT_TRUE(w->windowState() & Qt::WindowMaximized);
    const QList<QAction*> menus = w->menuBar()->actions();
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("文件"));
    QStringList entries;
    for (QAction* a : menus[0]->menu()->actions())
        entries << a->text();
    EXPECT_EQ(entries, (QStringList{"新建", "打开", "保存", "打印", "退出"}));

    auto* strip = forms::control<QWidget>(w.get(), "Picture3");
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(strip->height(), 33);
    EXPECT_EQ(strip->palette().color(QPalette::Window), QColor(0xD7, 0x15, 0x7B));
    struct Control {
        const char* name;
        const char* caption;
        int left;
    };
    const Control controls[] = {{"Command3", "新建", 0},     {"Command4", "打开", 36},  {"Command5", "保存", 70},
                                {"Command6", "打印", 104},   {"Command7", "缩放", 138}, {"Command8", "剪裁", 172},
                                {"Command1", "高度", 280},   {"Command2", "宽度", 390}, {"Command9", "壁纸1", 424},
                                {"Command20", "壁纸12", 798}};
    for (const Control& c : controls) {
        auto* b = button(c.name);
        ASSERT_NE(b, nullptr) << c.name;
        EXPECT_EQ(b->text(), QString::fromUtf8(c.caption));
        EXPECT_EQ(b->x(), c.left) << c.name;
        EXPECT_EQ(b->parentWidget(), strip);
    }
    EXPECT_EQ(text("Text1")->text(), QStringLiteral("33000"));
    EXPECT_EQ(text("Text2")->text(), QStringLiteral("43000"));
    auto* hint = forms::control<QLabel>(w.get(), "Label1");
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->text(), QStringLiteral("壁纸最大尺寸根据本机内存大小而定 尽量关闭其他应用程序"));
    EXPECT_EQ(hint->geometry().right(), strip->width() - 1);   // right-aligned in the strip
    // Its lines fit it whole, inside the strip.
    EXPECT_LE(hint->heightForWidth(hint->width()), hint->height());
    EXPECT_TRUE(strip->rect().contains(hint->geometry())) << hint->geometry().bottom() << " in " << strip->height();

    // The default tile and canvas.
    EXPECT_EQ(w->tile().size(), QSize(382, 383));
    EXPECT_EQ(w->cell(), QSize(382, 383));
    EXPECT_EQ(w->canvas()->pos(), QPoint(0, 32));
    EXPECT_EQ(w->canvas()->innerSize(), QSize(2863, 2196));
    ASSERT_EQ(canvas().size(), QSize(2863, 2196));
    EXPECT_TRUE(tiledFrom(canvas(), scaleToCell(w->tile(), 382, 383)));
}

TEST(WallpaperPictures, TheThirteenStoredPicturesHaveTheirFormatsAndSizes)
{
    const int sides[] = {0, 685, 685, 685, 685, 685, 685, 857, 685, 857, 857, 589, 857};
    EXPECT_EQ(Form30::storedPicture(0).size(), QSize(382, 383));
    for (int k = 1; k <= 12; ++k)
        EXPECT_EQ(Form30::storedPicture(k).size(), QSize(sides[k], sides[k])) << "pattern " << k;
    // The BMPs are 24-bit files; the rest JPEG.
    for (const char* name : {":/wallpaper/tile.bmp", ":/wallpaper/pattern11.bmp"}) {
        QFile f(QString::fromLatin1(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        const QByteArray head = f.read(30);
        EXPECT_TRUE(head.startsWith("BM")) << name;
        EXPECT_EQ(uchar(head[28]), 24) << name;
    }
    QFile jpeg(QStringLiteral(":/wallpaper/pattern7.jpg"));
    ASSERT_TRUE(jpeg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(jpeg.read(2) == QByteArray("\xFF\xD8", 2));
}

TEST_F(WallpaperRig, AfterOpeningASmallPictureAPatternIsShrunkOnceIntoTheOneCell)
{
    const QImage pic = patterned(100, 80);
    openPicture(pic, "small.png");
    EXPECT_EQ(w->canvas()->innerSize(), QSize(100, 80));
    EXPECT_EQ(canvas(), pic);
    EXPECT_EQ(w->tile(), pic);
    EXPECT_EQ(w->cell(), QSize(100, 80));

    button("Command11")->click();   // "壁纸3"
    EXPECT_EQ(canvas(), scaleToCell(w->pattern(3), 100, 80));
    EXPECT_EQ(w->tile(), pic);   // the tile stays the opened picture
}

TEST_F(WallpaperRig, HeightAfterAPatternTilesTheCurrentTileAtTheTextsHeight)
{
    button("Command13")->click();   // "壁纸5"
    EXPECT_TRUE(tiledFrom(canvas(), scaleToCell(w->pattern(5), 382, 383)));
    text("Text1")->setText(QStringLiteral("15060"));
    button("Command1")->click();   // "高度"
    EXPECT_EQ(w->canvas()->innerSize(), QSize(2863, 1000));
    EXPECT_TRUE(tiledFrom(canvas(), scaleToCell(w->tile(), 382, 383)));
    text("Text2")->setText(QStringLiteral("7560"));
    button("Command2")->click();   // "宽度"
    EXPECT_EQ(w->canvas()->innerSize(), QSize(500, 1000));
    EXPECT_TRUE(fakes.messages.messages.empty());
}

TEST_F(WallpaperRig, NewKeepsTheTextBoxesAndHeightBringsTheirHeightBack)
{
    w->canvas()->move(-300, -200);
    button("Command3")->click();   // "新建"
    EXPECT_EQ(w->canvas()->pos(), QPoint(0, 34));
    EXPECT_EQ(w->canvas()->innerSize(), QSize(1063, 729));
    EXPECT_EQ(text("Text1")->text(), QStringLiteral("33000"));
    EXPECT_EQ(text("Text2")->text(), QStringLiteral("43000"));
    button("Command1")->click();
    EXPECT_EQ(w->canvas()->innerSize(), QSize(1063, 2196));
}

TEST_F(WallpaperRig, BadOrHugeSizesSayWhyAndLeaveTheCanvasAsItWas)
{
    struct Case {
        const char* box;
        const char* button;
        const char* text;
        const char* says;
    };
    const Case cases[] = {
        {"Text1", "Command1", "高", "数字"},      {"Text2", "Command2", "", "数字"},
        {"Text1", "Command1", "30", "太小"},      {"Text2", "Command2", "999999999999", "内存"},
        {"Text1", "Command1", "4500000", "内存"},   // 300000 pixels high: more than this machine is given
    };
    w->setFreeMemory([] { return std::int64_t(1) << 30; });
    for (const Case& c : cases) {
        const QImage before = canvas();
        const QSize size = w->canvas()->size();
        fakes.messages.messages.clear();
        text(c.box)->setText(QString::fromUtf8(c.text));
        button(c.button)->click();
        ASSERT_EQ(fakes.messages.messages.size(), 1u) << c.text;
        EXPECT_EQ(fakes.messages.messages[0].title, QStringLiteral("蓝禾提示"));
        EXPECT_TRUE(fakes.messages.messages[0].text.contains(QString::fromUtf8(c.says)))
            << fakes.messages.messages[0].text.toStdString();
        EXPECT_EQ(w->canvas()->size(), size);
        EXPECT_EQ(canvas().cacheKey(), before.cacheKey());
    }
}

TEST_F(WallpaperRig, CancellingTheTilingsProgressLeavesTheCanvasAsItWas)
{
    w->show();
    w->setProgressDelay(0);
    const QImage before = canvas();
    const QSize size = w->canvas()->size();
    CancelWhenShown poll(w.get(), "TileProgress");
    text("Text1")->setText(QStringLiteral("60000"));
    button("Command1")->click();
    poll.stop();
    EXPECT_TRUE(poll.saw());
    EXPECT_EQ(w->canvas()->size(), size);
    EXPECT_EQ(canvas().cacheKey(), before.cacheKey());
    EXPECT_TRUE(fakes.messages.messages.empty());

    // Left to run, the same tiling takes effect.
    button("Command1")->click();
    EXPECT_EQ(w->canvas()->innerSize(), QSize(2863, 3996));
}

TEST_F(WallpaperRig, CancellingALongSaveLeavesNoFileAndAnOldFileAsItWas)
{
    w->show();
    w->setProgressDelay(0);
    CancelWhenShown poll(w.get(), "SaveProgress");
    const QString fresh = dir.filePath(QStringLiteral("new.bmp"));
    fakes.files.saveAnswers.push_back(fresh);
    w->Command5_Click();
    EXPECT_TRUE(poll.saw());
    EXPECT_FALSE(QFile::exists(fresh));

    const QString old = dir.filePath(QStringLiteral("old.bmp"));
    ASSERT_TRUE(writeBmp24(patterned(30, 20), old));
    poll.reset();
    fakes.files.saveAnswers.push_back(old);
    fakes.messages.answers.push_back(true);
    w->Command5_Click();
    poll.stop();
    EXPECT_TRUE(poll.saw());
    EXPECT_EQ(loadPicture(old).size(), QSize(30, 20));
    // Nothing else is left in the folder, and a cancel is no failure.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("old.bmp")});
    ASSERT_EQ(fakes.messages.messages.size(), 1u);
    EXPECT_TRUE(fakes.messages.messages[0].question);
}

TEST_F(WallpaperRig, SavesTheCanvasAsA24BitBmpAfterAskingAndReportsAFailedWrite)
{
    openPicture(patterned(120, 90, 3), "open.png");
    const QString path = dir.filePath(QStringLiteral("wall.bmp"));

    fakes.files.saveAnswers.push_back(path);
    w->Command5_Click();
    ASSERT_EQ(fakes.files.saveCalls.size(), 1u);
    EXPECT_EQ(fakes.files.saveCalls[0].filter, QStringLiteral("位图文件 (*.Bmp)|*.Bmp"));
    EXPECT_TRUE(fakes.messages.messages.empty());   // a new file: no question
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    EXPECT_EQ(uchar(bytes[28]), 24);
    EXPECT_EQ(QImage::fromData(bytes, "BMP").convertToFormat(QImage::Format_RGB32), canvas());

    // The file exists: the question comes; No keeps the file as it was.
    button("Command3")->click();
    fakes.files.saveAnswers.push_back(path);
    fakes.messages.answers.push_back(false);
    w->Command5_Click();
    ASSERT_EQ(fakes.messages.messages.size(), 1u);
    EXPECT_TRUE(fakes.messages.messages[0].question);
    EXPECT_EQ(fakes.messages.messages[0].text, QStringLiteral("文件已经存在，是否覆盖文件？"));
    EXPECT_EQ(fakes.messages.messages[0].title, QStringLiteral("询问"));
    EXPECT_EQ(loadPicture(path).size(), QSize(120, 90));
    // Yes writes the new canvas.
    fakes.files.saveAnswers.push_back(path);
    fakes.messages.answers.push_back(true);
    w->Command5_Click();
    EXPECT_EQ(loadPicture(path).size(), QSize(1063, 729));

    // Written with the permissions of a new file, no temporary file left beside it.
    EXPECT_TRUE(QFile::permissions(path) & QFileDevice::ReadOther);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".bmp")),
              QStringList{QStringLiteral("wall.bmp")});

    // A folder that is not there: the failure is said, no file appears.
    fakes.messages.messages.clear();
    const QString bad = dir.filePath(QStringLiteral("missing/wall.bmp"));
    fakes.files.saveAnswers.push_back(bad);
    w->Command5_Click();
    ASSERT_EQ(fakes.messages.messages.size(), 1u);
    EXPECT_EQ(fakes.messages.messages[0].title, QStringLiteral("蓝禾提示"));
    EXPECT_FALSE(QFile::exists(bad));
    // Cancel writes nothing and says nothing.
    fakes.messages.messages.clear();
    w->Command5_Click();
    EXPECT_TRUE(fakes.messages.messages.empty());
}

TEST_F(WallpaperRig, PrintsTheTiledCanvasAndReportsAFailure)
{
    button("Command16")->click();   // "壁纸8"
    w->Command6_Click();
    ASSERT_EQ(fakes.printer.printed.size(), 1u);
    EXPECT_EQ(fakes.printer.printed[0], canvas());
    EXPECT_TRUE(tiledFrom(fakes.printer.printed[0], scaleToCell(w->pattern(8), 382, 383)));
    // At the screen's 96 dpi, so the page shows it at its own size.
    EXPECT_EQ(fakes.printer.printed[0].dotsPerMeterX(), kScreenDotsPerMetre);

    fakes.printer.fail = true;
    w->Command6_Click();
    ASSERT_EQ(fakes.messages.messages.size(), 1u);
    EXPECT_EQ(fakes.messages.messages[0].title, QStringLiteral("蓝禾提示"));
    EXPECT_TRUE(fakes.messages.messages[0].text.contains(fakes.printer.failReason));
}

TEST_F(WallpaperRig, ALongPrintShowsItsProgressAndCancellingItPrintsNothingAndSaysNothing)
{
    w->show();
    w->setProgressDelay(0);
    CancelWhenShown poll(w.get(), "PrintProgress");
    w->Command6_Click();
    poll.stop();
    EXPECT_TRUE(poll.saw());
    EXPECT_TRUE(fakes.printer.printed.empty());
    EXPECT_TRUE(fakes.messages.messages.empty());

    // The next print is not cancelled by the last one.
    w->Command6_Click();
    EXPECT_EQ(fakes.printer.printed.size(), 1u);
}

TEST_F(WallpaperRig, DraggingWithAnyButtonMovesTheCanvasAndExitHidesAndShowsTheMainWindow)
{
    w->show();
    forms::PicturePane* pane = w->canvas();
    const QPoint start = pane->pos();
    auto send = [&](QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(pane->mapFromGlobal(global)), QPointF(global), button, held, Qt::NoModifier);
        QApplication::sendEvent(pane, &e);
    };
    const QPoint at = pane->mapToGlobal(QPoint(50, 50));
    send(QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    send(QEvent::MouseMove, at + QPoint(-40, -25), Qt::NoButton, Qt::RightButton);
    send(QEvent::MouseButtonRelease, at + QPoint(-40, -25), Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(pane->pos(), start + QPoint(-40, -25));
    // After the release the pointer no longer carries it.
    send(QEvent::MouseMove, at + QPoint(100, 100), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(pane->pos(), start + QPoint(-40, -25));

    w->mnuExit_Click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(navigator.mainShows, 1);
    QWidget main;
    navigator.main = &main;
    button("Command7")->click();
    button("Command8")->click();
    EXPECT_EQ(navigator.zoomOwners, (std::vector<QWidget*>{w.get()}));
    // The capture window belongs to the main window, as when the main window opens it.
    EXPECT_EQ(navigator.captureOwners, (std::vector<QWidget*>{&main}));
}

TEST_F(WallpaperRig, PrintingAfterTilingPutsTheWallpaperOnAPdfPageAtItsOwnSize)
{
    const QString pdf = dir.filePath(QStringLiteral("wall.pdf"));
    QtPicturePrinter printer(pdf);
    fakes.services.printer = &printer;
    openPicture(patterned(200, 150), "cell.png");
    button("Command10")->click();   // "壁纸2" in the one 200 x 150 cell
    w->Command6_Click();
    EXPECT_TRUE(fakes.messages.messages.empty());

    const QString base = pdf + QStringLiteral("-page");
    ASSERT_EQ(QProcess::execute(QStringLiteral("pdftocairo"),
                                {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("96"),
                                 QStringLiteral("-singlefile"), pdf, base}),
              0);
    const QImage page = QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_GE(page.width(), 200);
    ASSERT_GE(page.height(), 150);
    const QImage expected = scaleToCell(w->pattern(2), 200, 150);
    int differ = 0, worst = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) {
            const QRgb a = page.pixel(x, y), b = expected.pixel(x, y);
            const int d =
                std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
            differ += d > 0;
            worst = std::max(worst, d);
        }
    EXPECT_EQ(differ, 0) << "worst " << worst;
    EXPECT_EQ(page.pixel(200, 150), qRgb(255, 255, 255));   // nothing beyond it
}

TEST_F(WallpaperRig, TheToolbarStaysAboveTheCanvasWhateverTheDrag)
{
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    forms::PicturePane* pane = w->canvas();
    QWidget* client = pane->parentWidget();
    auto send = [&](QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(pane->mapFromGlobal(global)), QPointF(global), button, held, Qt::NoModifier);
        QApplication::sendEvent(pane, &e);
    };
    // Up over the toolbar, further up and left, then to every edge.
    const QPoint moves[] = {{0, -800}, {-300, -700}, {0, 3000}, {-3000, 0}, {3000, 0}, {0, -3000}, {-3000, -3000}};
    for (const QPoint move : moves) {
        const QPoint at = pane->mapToGlobal(QPoint(pane->width() / 2, pane->height() / 2));
        send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, at + move, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, at + move, Qt::LeftButton, Qt::NoButton);
        // Whatever lies under each control of the toolbar is that control.
        for (const char* name : {"Command1", "Command9", "Command12", "Text1", "Text2"}) {
            QWidget* control = forms::control<QWidget>(w.get(), name);
            ASSERT_NE(control, nullptr) << name;
            const QPoint centre = control->mapTo(client, control->rect().center());
            QWidget* top = client->childAt(centre);
            EXPECT_TRUE(top == control || control->isAncestorOf(top))
                << name << " after a drag by " << move.x() << "," << move.y() << ": "
                << (top ? top->objectName().toStdString() : "nothing");
        }
    }
}

namespace {

// The contrast of two colours as the web's accessibility rules measure it
// (1 to 21; 4.5 and more reads well at the size of these captions).
double contrast(const QColor& a, const QColor& b)
{
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}   // namespace

TEST_F(WallpaperRig, EveryCaptionOfTheToolbarReadsWellAndKeepsOffItsEdges)
{
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    auto* strip = forms::control<QWidget>(w.get(), "Picture3");
    ASSERT_NE(strip, nullptr);
    for (const forms::Row& row : form30ToolbarRows()) {
        SCOPED_TRACE(row.name);
        QWidget* control = forms::control<QWidget>(w.get(), row.name);
        ASSERT_NE(control, nullptr);
        const QPalette p = control->palette();
        QColor fore, back;
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            fore = p.color(QPalette::ButtonText);
            back = p.color(QPalette::Button);
            // The caption, "壁纸12" included, stays clear of the button's edges.
            const int caption = QFontMetrics(button->font()).horizontalAdvance(button->text());
            EXPECT_LE(caption, button->width() - 2 * forms::kCaptionMargin)
                << button->text().toStdString() << " in " << button->width() << " pixels";
            EXPECT_GE(QFontInfo(button->font()).pixelSize(), 9);
        } else if (qobject_cast<QLineEdit*>(control)) {
            fore = p.color(QPalette::Text);
            back = p.color(QPalette::Base);
        } else {
            fore = p.color(QPalette::WindowText);
            back = (control->autoFillBackground() ? p : strip->palette()).color(QPalette::Window);
        }
        EXPECT_GE(contrast(fore, back), 4.5) << fore.name().toStdString() << " on " << back.name().toStdString();
    }
}

TEST(CanvasSize, TheWallpaperMakerThePictureLoaderAndLargeImagesGoByOneRule)
{
    for (const std::int64_t available : {std::int64_t(1) << 30, std::int64_t(4) << 30, std::int64_t(24) << 30}) {
        const std::int64_t allowed = pictureBytesAllowed(available);
        EXPECT_EQ(allowed, available / 2);
        // A canvas of four bytes a pixel, a fully decoded picture: within it.
        EXPECT_LE(largestCanvasPixels(available) * 4, allowed);
        EXPECT_GT((largestCanvasPixels(available) + 1) * 4, allowed);
        EXPECT_LE(fullPictureLimitBytes(available), allowed);
    }
    // A large image beyond what a picture may take now is not made.
    const std::int64_t over = pictureBytesAllowed(availableMemoryBytes()) + (std::int64_t(64) << 20);
    const int side = int(std::ceil(std::sqrt(double(over) / 4)));
    EXPECT_TRUE(newImage(QSize(side, side), QImage::Format_RGB32).isNull()) << side;
    EXPECT_FALSE(newImage(QSize(2000, 2000), QImage::Format_RGB32).isNull());
}
