#include "photo/Form1.h"
#include "core/Random.h"
#include "design/TickRules.h"
#include "designer/DesignerCore.h"
#include "forms/Controls.h"
#include "photo/PhotoSlots.h"

#include "ControlText.h"
#include "Fakes.h"
#include "RecordingSurface.h"
#include "design/DesignTick.h"
#include "drawing/RotatedText.h"
#include "engine/Surface.h"
#include "forms/SurfaceView.h"
#include "scene/DesignScene.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#include "TestImages.h"

namespace {

using lh::forms::ImageBox;
using lh::forms::ShapeBox;
using lh::photo::Form1;

class Form1Test : public ::testing::Test, protected lh::test::FakeServices {
protected:
    void SetUp() override { window = std::make_unique<Form1>(services, navigator); }

    template <typename T = QWidget>
    T* child(const char* name) const
    {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString text(const char* name) const { return lh::test::controlText(window.get(), name); }
    static QStringList items(QComboBox* c)
    {
        QStringList out;
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
        return out;
    }
    void click(const char* name) { QTest::mouseClick(child(name), Qt::LeftButton); }

    lh::test::RecordingNavigator navigator;
    std::unique_ptr<Form1> window;
};

TEST_F(Form1Test, InitialStateAfterLoad)
{
    EXPECT_EQ(window->objectName(), QStringLiteral("Form1"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("蓝禾艺术照片设计"));
    // The photo in the ring at start is said to the gallery, to get it ready.
    EXPECT_EQ(navigator.photosShown, std::vector<qint64>{window->findChild<ImageBox*>("Image6")->picture().cacheKey()});
    EXPECT_EQ(window->size(), QSize(1122, 837));

    struct Case {
        const char* name;
        const char* text;
    };
    const Case captions[] = {
        {"Check2", "暂停"},
        {"Check5", "播放音乐"},
        {"Label18", "0度"},
        {"Label11", ""},
        {"Combo1", "90"},
        {"Combo2", "8"},
        {"Combo6", "0.2"},
        {"Combo3", "★★★★★★★★★   祝您生日快乐   ★★★★★★★★★"},
        {"Combo4", "★★★美好青春 美好回忆★★★"},
        {"Combo5", "我最新的美术图案作品"},
        {"Text6", "RGB(230 * Rnd, 230 * Rnd, 230 * Rnd)"},
        {"Label8", "第1大类"},
        {"Label14", "1"},
        {"Label2", "蓝禾艺术照片设计"},
        {"Label21", "调入照片(正方照片)"},
        {"Label23", "用爱温暖人心 用美装点世界"},
        {"Command31", "替换图1"},
        {"Command34", "替换图4"},
        {"Command6", "高速"},
        {"Command8", "1"},
        {"Command17", "10"},
    };
    for (const Case& c : captions)
        EXPECT_EQ(text(c.name), QString::fromUtf8(c.text)) << c.name;

    EXPECT_TRUE(child<QCheckBox>("Check2")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("Check5")->isChecked());
    EXPECT_FALSE(child("Image6")->isVisibleTo(window.get()));
    EXPECT_FALSE(child("Shape9")->isVisibleTo(window.get()));
    for (const char* hidden : {"Text6", "Label8", "Label14", "Picture2", "Command8", "Command12", "Command17"})
        EXPECT_FALSE(child(hidden)->isVisibleTo(window.get())) << hidden;

    auto* timer1 = child<QTimer>("Timer1");
    auto* timer2 = child<QTimer>("Timer2");
    EXPECT_TRUE(timer1->isActive());
    EXPECT_EQ(timer1->interval(), 3000);
    EXPECT_TRUE(timer2->isActive());
    EXPECT_EQ(timer2->interval(), 1000);

    auto* bar = child<QScrollBar>("HScroll1");
    EXPECT_EQ(bar->minimum(), -360);
    EXPECT_EQ(bar->maximum(), 360);
    EXPECT_EQ(bar->value(), 0);

    EXPECT_EQ(items(child<QComboBox>("Combo1")),
              QString("2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 30 40 50 60 70 80 90").split(' '));
    EXPECT_EQ(items(child<QComboBox>("Combo2")), QString("0 1 2 3 4 5 6 7 8 9 10 12 13 14 15 16").split(' '));
    EXPECT_EQ(items(child<QComboBox>("Combo6")),
              QStringList({QStringLiteral(" 0.2"), QStringLiteral(" 0.27"), QStringLiteral(" 0.34")}));
    EXPECT_EQ(items(child<QComboBox>("Combo3")),
              QStringList({QStringLiteral("★★★★★ 蓝禾软件  祝全世界人民  幸福安康 ★★★★★"),
                           QStringLiteral("★★★★★★★★★   祝您生日快乐   ★★★★★★★★★"),
                           QStringLiteral(" ★★★ 平安 ★ 幸福 ★ 健康 ★ 快乐 ★ 长寿 ★ 团圆 ★★★"),
                           QStringLiteral("★★★ 智慧 ★ 勇敢 ★ 坚强 ★ 忠贞 ★ 仁爱 ★ 团结 ★★★"),
                           QStringLiteral("★★★★★爱学习 ★爱劳动 ★ 爱人民★ 爱祖国★★★★★"),
                           QStringLiteral("！！！！！！爱你！爱你 ！永远爱你   ！！！！！！")}));
    EXPECT_EQ(items(child<QComboBox>("Combo4")),
              QStringList({QStringLiteral("★★公元2011年北京留念★★"), QStringLiteral("★我十八岁那年的记忆★"),
                           QStringLiteral("★★★美好青春 美好回忆★★★"), QStringLiteral("★★我的学生时代★★"),
                           QStringLiteral("★感谢父母 感谢恩师 感谢苍天★"), QStringLiteral("★全班同学庆贺你的生日★"),
                           QStringLiteral("★★我的童年时代★★"), QStringLiteral("★你是我最最亲爱的人★")}));
    EXPECT_EQ(items(child<QComboBox>("Combo5")),
              QStringList({QStringLiteral("★青岚印像设计出品★"), QStringLiteral("★★澄川影业公司设计出品★★"),
                           QStringLiteral(" ★★★霁虹影楼设计出品★★★")}));

    for (const char* thumb : {"Image7", "Image8", "Image9", "Image10"})
        EXPECT_FALSE(child<ImageBox>(thumb)->picture().isNull()) << thumb;
    EXPECT_EQ(child<ImageBox>("Image7")->picture().size(), QSize(264, 264));
    EXPECT_EQ(child<ImageBox>("Image10")->picture().size(), QSize(377, 380));
    EXPECT_EQ(child("Image7")->toolTip(), QStringLiteral("显示中图1-点击添加"));
    EXPECT_EQ(child("Image9")->toolTip(), QStringLiteral("点击添加"));
}

TEST_F(Form1Test, ControlsLieWhereTheLayoutPutsThem)
{
    struct Case {
        const char* name;
        QRect pixels;
    };
    const Case cases[] = {
        {"Picture1", {0, 0, 861, 861}},                                        // 24 pixels below the client area
        {"Picture4", {862, -4, 257, 259}}, {"Image7", {30, 26, 91, 91}},       // in the photo panel
        {"Command34", {140, 236, 73, 19}}, {"Image6", {348, 348, 165, 165}},   // in the surface's inner pixels
        {"Shape9", {368, 368, 125, 125}},  {"Label24", {692, 790, 163, 17}},   {"HScroll1", {928, 278, 115, 15}},
        {"Combo6", {1040, 782, 73, 20}},   {"Check2", {876, 444, 53, 17}},     {"Label23", {874, 806, 241, 17}},
        {"Command8", {1064, 588, 33, 33}}, {"Command17", {1064, 588, 33, 33}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(child(c.name)->geometry(), c.pixels) << c.name;
    // The inner area lies inside the surface's 2-pixel frame.
    EXPECT_EQ(child("Image6")->mapTo(child("Picture1"), QPoint(0, 0)), QPoint(350, 350));

    // No two visible controls one can operate overlap.
    QList<QWidget*> controls;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const bool operable = qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w)
                              || qobject_cast<QScrollBar*>(w) || qobject_cast<ImageBox*>(w);
        if (operable && w->isVisibleTo(window.get()) && !w->objectName().isEmpty())
            controls << w;
    }
    EXPECT_EQ(controls.size(), 29);   // 8 in the photo panel, 21 in the column
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j) {
            const QRect a(controls[i]->mapTo(window.get(), QPoint(0, 0)), controls[i]->size());
            const QRect b(controls[j]->mapTo(window.get(), QPoint(0, 0)), controls[j]->size());
            EXPECT_FALSE(a.intersects(b))
                << controls[i]->objectName().toStdString() << " overlaps " << controls[j]->objectName().toStdString();
        }
}

TEST_F(Form1Test, SpeedButtonsSetTheIntervalOnlyAndPauseHoldsIt)
{
    auto* timer1 = child<QTimer>("Timer1");
    const std::pair<const char*, int> speeds[] = {
        {"Command5", 1000}, {"Command6", 1}, {"Command7", 6000}, {"Command4", 3000}};
    for (const auto& [button, interval] : speeds) {
        click(button);
        EXPECT_EQ(timer1->interval(), interval) << button;
        EXPECT_TRUE(timer1->isActive()) << button;
    }

    // Pause, "高速", resume: still paused after the button, top speed after the resume.
    child<QCheckBox>("Check2")->click();
    EXPECT_EQ(text("Check2"), QStringLiteral("播放"));
    EXPECT_FALSE(timer1->isActive());
    click("Command6");
    EXPECT_FALSE(timer1->isActive());
    EXPECT_EQ(timer1->interval(), 1);
    child<QCheckBox>("Check2")->click();
    EXPECT_EQ(text("Check2"), QStringLiteral("暂停"));
    EXPECT_TRUE(timer1->isActive());
    EXPECT_EQ(timer1->interval(), 1);
}

TEST_F(Form1Test, TopSpeedRunsDesignsBackToBackAndStillTakesClicks)
{
    click("Command6");
    // At 1 ms the designs follow one another through the event loop. The wait
    // is generous (the tests also run under valgrind): it is the designs
    // coming that counts, not how fast.
    auto* timer1 = child<QTimer>("Timer1");
    EXPECT_EQ(timer1->interval(), 1);
    const int before = window->designCount();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->designCount() >= before + 5; }, 60000));
    // A click queued behind them is handled, and the designs go on at its speed.
    QMetaObject::invokeMethod(child<QPushButton>("Command7"), "click", Qt::QueuedConnection);
    ASSERT_TRUE(QTest::qWaitFor([&] { return timer1->interval() == 6000; }, 60000));
    EXPECT_TRUE(timer1->isActive());
}

TEST_F(Form1Test, ClockCountsRunningSecondsOnly)
{
    for (int i = 0; i < 3725; ++i)
        window->Timer2_Timer();
    EXPECT_EQ(text("Label5"), QStringLiteral("62分05秒"));
    EXPECT_EQ(text("Label13"), QStringLiteral("1小时"));

    auto* timer2 = child<QTimer>("Timer2");
    child<QCheckBox>("Check2")->click();
    EXPECT_FALSE(timer2->isActive());
    child<QCheckBox>("Check2")->click();
    EXPECT_TRUE(timer2->isActive());
    EXPECT_EQ(timer2->interval(), 1000);
    window->Timer2_Timer();
    EXPECT_EQ(text("Label5"), QStringLiteral("62分06秒"));
}

TEST_F(Form1Test, ThumbnailClickPutsItsPictureInTheRing)
{
    const QImage sample1 = child<ImageBox>("Image7")->picture();
    click("Image7");
    auto* image6 = child<ImageBox>("Image6");
    auto* shape9 = child<ShapeBox>("Shape9");
    EXPECT_TRUE(image6->isVisibleTo(window.get()));
    EXPECT_TRUE(shape9->isVisibleTo(window.get()));
    EXPECT_EQ(image6->picture(), sample1);
    EXPECT_EQ(shape9->geometry(), QRect(346, 346, 168, 168));   // 25 twips around the photo
    EXPECT_EQ(shape9->borderColor(), QColor(0xD7, 0x15, 0x7B));
    EXPECT_EQ(shape9->borderWidth(), 23);
    EXPECT_FALSE(shape9->fillColor().has_value());

    // On screen the ring lies over the photo, whose corners show outside it.
    const QImage shown = child("Picture1")->grab().toImage();
    const QPoint inner(2, 2);
    EXPECT_EQ(shown.pixelColor(QPoint(430, 357) + inner), QColor(0xD7, 0x15, 0x7B));
    const QColor corner = shown.pixelColor(QPoint(349, 349) + inner);
    const QColor photoCorner = sample1.pixelColor(4, 4);
    EXPECT_NEAR(corner.red(), photoCorner.red(), 12);
    EXPECT_NEAR(corner.green(), photoCorner.green(), 12);
    EXPECT_NEAR(corner.blue(), photoCorner.blue(), 12);

    click("Image9");
    EXPECT_EQ(image6->picture(), child<ImageBox>("Image9")->picture());
    EXPECT_EQ(image6->picture().size(), QSize(169, 169));
}

TEST_F(Form1Test, ReplaceButtonsLoadIntoTheirSlots)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage wide(400, 300, QImage::Format_RGB32);
    wide.fill(Qt::green);
    const QString photo = dir.filePath(QStringLiteral("wide.bmp"));
    ASSERT_TRUE(wide.save(photo));
    const QString garbage = dir.filePath(QStringLiteral("garbage.jpg"));
    {
        QFile f(garbage);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(3000, 'x'));
    }
    auto picture = [&](const char* name) { return child<ImageBox>(name)->picture(); };
    const QImage sample1 = picture("Image7");
    const QImage sample3 = picture("Image9");

    // Slot 1: cancel changes nothing.
    click("Command31");
    ASSERT_EQ(files.openCalls.size(), 1u);
    EXPECT_EQ(files.openCalls[0].filter, lh::photo::kPictureFilter);
    EXPECT_EQ(picture("Image7"), sample1);

    // Slot 4 cancelled before any choice: the sample photo stays, in the slot and in the ring.
    const QImage sample4 = picture("Image10");
    ASSERT_FALSE(sample4.isNull());
    click("Command34");
    EXPECT_EQ(picture("Image10"), sample4);
    click("Image10");
    EXPECT_EQ(child<ImageBox>("Image6")->picture(), sample4);
    EXPECT_TRUE(child("Shape9")->isVisibleTo(window.get()));

    // Slot 2 gets a file; the photo in the middle waits for a click.
    click("Image7");
    files.openAnswers.push_back(photo);
    click("Command32");
    EXPECT_EQ(picture("Image8").size(), QSize(400, 300));
    EXPECT_EQ(child<ImageBox>("Image6")->picture(), sample1);
    click("Image8");
    EXPECT_EQ(child<ImageBox>("Image6")->picture().size(), QSize(400, 300));
    // Every photo put in the ring is said to the gallery, to get it ready:
    // the first one at start, the last one now.
    ASSERT_GE(navigator.photosShown.size(), 2u);
    EXPECT_EQ(navigator.photosShown.back(), child<ImageBox>("Image6")->picture().cacheKey());

    // Slot 4 cancelled now: the dialog still holds that file.
    click("Command34");
    EXPECT_EQ(picture("Image10").size(), QSize(400, 300));

    // A file that is no picture leaves slot 3 as it was.
    files.openAnswers.push_back(garbage);
    click("Command33");
    EXPECT_EQ(picture("Image9"), sample3);
    EXPECT_EQ(files.openCalls.size(), 5u);
}

TEST_F(Form1Test, ToolsMusicAndCategoryButtonsGoThroughTheNavigator)
{
    click("Command18");
    click("Command19");
    click("Command3");
    EXPECT_EQ(navigator.captureOwners, std::vector<QWidget*>{window.get()});
    EXPECT_EQ(navigator.zoomOwners, std::vector<QWidget*>{window.get()});
    EXPECT_EQ(navigator.printingOwners, std::vector<QWidget*>{window.get()});

    auto* music = child<QCheckBox>("Check5");
    for (int round = 1; round <= 2; ++round) {
        music->click();
        EXPECT_EQ(text("Check5"), QStringLiteral("关闭音乐"));
        EXPECT_EQ(navigator.musicStarts, round);
        music->click();
        EXPECT_EQ(text("Check5"), QStringLiteral("播放音乐"));
        EXPECT_EQ(navigator.musicStops, round);
    }

    // The hidden category buttons keep their navigation.
    child<QPushButton>("Command8")->click();
    child<QPushButton>("Command12")->click();
    child<QPushButton>("Command17")->click();
    EXPECT_EQ(navigator.categories, (std::vector<int>{1, 5, 10}));
}

TEST_F(Form1Test, BackgroundButtonsSetTheBackgroundText)
{
    lh::ScriptedRandom draws({0.5f, 0.25f, 0.0f});
    services.random = &draws;
    window = std::make_unique<Form1>(services, navigator);
    click("Command25");
    EXPECT_EQ(text("Text6"), QString::number(lh::rgb(115, 58, 0)));
    EXPECT_EQ(draws.count(), 3u);

    fontColor.colorAnswers.push_back(lh::rgb(255, 0, 0));
    click("Command23");
    EXPECT_EQ(text("Text6"), QStringLiteral("255"));
    click("Command23");   // cancelled
    EXPECT_EQ(text("Text6"), QStringLiteral("255"));
    EXPECT_EQ(fontColor.colorCalls, 2);
}

TEST_F(Form1Test, AngleReadOutFollowsTheBar)
{
    auto* bar = child<QScrollBar>("HScroll1");
    bar->setValue(90);
    EXPECT_EQ(text("Label18"), QStringLiteral("90度"));
    emit bar->sliderMoved(-45);   // a drag under way shows its angle
    EXPECT_EQ(text("Label18"), QStringLiteral("-45度"));
    EXPECT_EQ(bar->value(), 90);
}

TEST_F(Form1Test, ClosingStopsTheWindow)
{
    window->show();
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(child<QTimer>("Timer1")->isActive());
    EXPECT_FALSE(child<QTimer>("Timer2")->isActive());
}

// The design tick of the window, over a surface that records the drawing.
class Form1DrawingTest : public Form1Test {
protected:
    void SetUp() override
    {
        Form1Test::SetUp();
        auto recording = std::make_unique<lh::test::RecordingSurface>();
        surface = recording.get();
        window = std::make_unique<Form1>(services, navigator, std::move(recording));
        surface->reset();
    }
    std::vector<const lh::test::RecordingSurface::Call*> texts() const
    {
        return surface->callsOf(lh::test::RecordingSurface::Kind::TextOut);
    }
    void setText(const char* combo, const QString& value) { child<QComboBox>(combo)->setEditText(value); }

    lh::test::RecordingSurface* surface = nullptr;
};

lh::Rgb colourOfDraws(const std::vector<float>& v, int first)
{
    return lh::rgb(lh::design::randomChannel(v[first]), lh::design::randomChannel(v[first + 1]),
                   lh::design::randomChannel(v[first + 2]));
}

TEST_F(Form1DrawingTest, DrawsFeedTheDesignInTheirOrder)
{
    std::vector<float> v;
    for (int i = 0; i < 38; ++i)
        v.push_back(static_cast<float>(i + 1) / 64.0f);
    lh::ScriptedRandom draws(v);
    services.random = &draws;
    auto recording = std::make_unique<lh::test::RecordingSurface>();
    surface = recording.get();
    window = std::make_unique<Form1>(services, navigator, std::move(recording));

    window->Timer1_Timer();
    EXPECT_EQ(draws.count(), 38u);
    EXPECT_EQ(text("Label11"), QStringLiteral("1"));

    const auto polygons = surface->callsOf(lh::test::RecordingSurface::Kind::Polygon);
    ASSERT_FALSE(polygons.empty());
    EXPECT_EQ(polygons.front()->foreColor, colourOfDraws(v, 1));   // draws 2 to 4: the first layer
    EXPECT_EQ(polygons.front()->drawWidth, 90);
    EXPECT_EQ(polygons.front()->drawMode, 8);

    const auto printed = texts();
    ASSERT_FALSE(printed.empty());
    const auto* serial = printed.back();
    EXPECT_EQ(serial->text, QStringLiteral("NO: ZRV1908350") + lh::design::singleToText(99.0f * v[31])
                                + QString::number(colourOfDraws(v, 32)));
    EXPECT_EQ(serial->foreColor, colourOfDraws(v, 28));   // draws 29 to 31: the text colour
    EXPECT_EQ(serial->y, 0.0);

    EXPECT_EQ(
        child<QLabel>("Label24")->palette().color(QPalette::WindowText),
        QColor(lh::redOf(colourOfDraws(v, 35)), lh::greenOf(colourOfDraws(v, 35)), lh::blueOf(colourOfDraws(v, 35))));
    EXPECT_EQ(text("Label24"), lh::design::generalDateText(clock.value));

    window->Timer1_Timer();
    EXPECT_EQ(text("Label11"), QStringLiteral("2"));
    EXPECT_EQ(draws.count(), 76u);
}

TEST_F(Form1DrawingTest, CentreRingRadiusComesFromCombo6OnEveryTick)
{
    setText("Combo4", QString());   // no lower arc: the texts are the centre ring and the serial line
    const QString ring = text("Combo3");
    const auto measure = [this](const QString& t) { return surface->textWidth(t); };

    struct Case {
        const char* factor;
        std::int32_t radius;
    };
    const Case cases[] = {{" 0.34", 4371}, {" 0.27", 3471}, {"0.2", 2571}};
    for (const Case& c : cases) {
        setText("Combo6", QString::fromLatin1(c.factor));
        surface->reset();
        window->Timer1_Timer();
        const lh::drawing::RingLayout layout = lh::drawing::layoutTextRing(measure, ring, 6428, 6428, c.radius, -1);
        const auto printed = texts();
        ASSERT_EQ(printed.size(), layout.glyphs.size() + 1) << c.factor;
        for (size_t i = 0; i < layout.glyphs.size(); ++i) {
            EXPECT_EQ(printed[i]->x, layout.glyphs[i].x) << c.factor << " glyph " << i;
            EXPECT_EQ(printed[i]->y, layout.glyphs[i].y) << c.factor << " glyph " << i;
        }
    }

    // A factor that is no number removes the centre ring only.
    setText("Combo6", QStringLiteral("abc"));
    surface->reset();
    window->Timer1_Timer();
    const auto printed = texts();
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_TRUE(printed[0]->text.startsWith(QStringLiteral("NO: ZRV1")));
    EXPECT_EQ(surface->callsOf(lh::test::RecordingSurface::Kind::Polygon).empty(), false);
}

// The window over its real surface.
using Form1SurfaceTest = Form1Test;

TEST_F(Form1SurfaceTest, BackgroundTextSetsTheBackgroundOnlyWhenItIsAColour)
{
    struct Case {
        const char* text;
        QColor corner;
    };
    const Case cases[] = {
        {nullptr, QColor(0, 0, 0x40)},   // the initial text is no number
        {"255", QColor(255, 0, 0)},      {"abc", QColor(255, 0, 0)},
        {"16777216", QColor(255, 0, 0)}, {" 65280 ", QColor(0, 255, 0)},
    };
    for (const Case& c : cases) {
        if (c.text)
            child<QLineEdit>("Text6")->setText(QString::fromLatin1(c.text));
        window->Timer1_Timer();
        const QImage image = window->surface().image();
        EXPECT_EQ(image.pixelColor(1, 1), c.corner) << (c.text ? c.text : "initial");
        EXPECT_EQ(image.pixelColor(855, 855), c.corner) << (c.text ? c.text : "initial");
    }
}

TEST_F(Form1SurfaceTest, QuickTextRunsAtTheAngleOfTheBar)
{
    window->Timer1_Timer();
    child<QCheckBox>("Check2")->click();   // pause
    QWidget* canvas = child<lh::SurfaceView>("Picture1")->canvas();
    const QPoint at(430, 430);

    struct Case {
        int angle;
        const char* direction;
    };
    const Case cases[] = {{0, "right"}, {90, "up"}, {-90, "down"}, {360, "right"}, {-360, "right"}};
    for (const Case& c : cases) {
        child<QScrollBar>("HScroll1")->setValue(c.angle);
        const QImage before = window->surface().image();
        QTest::mouseRelease(canvas, Qt::RightButton, {}, at);
        const QRect area = lh::test::changedArea(before, window->surface().image());
        ASSERT_FALSE(area.isEmpty()) << c.angle;
        const std::string where = c.direction;
        if (where == "right") {
            EXPECT_GT(area.width(), 3 * area.height()) << c.angle;
            EXPECT_NEAR(area.left(), at.x(), 4) << c.angle;
        } else {
            EXPECT_GT(area.height(), 3 * area.width()) << c.angle;
            if (where == "up")
                EXPECT_NEAR(area.bottom(), at.y(), 4) << c.angle;
            else
                EXPECT_NEAR(area.top(), at.y(), 4) << c.angle;
        }
    }

    // A drag under way changes the read-out, not the angle of the next stamp.
    child<QScrollBar>("HScroll1")->setValue(0);
    emit child<QScrollBar>("HScroll1")->sliderMoved(90);
    const QImage before = window->surface().image();
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, at);
    const QRect area = lh::test::changedArea(before, window->surface().image());
    EXPECT_GT(area.width(), 3 * area.height());

    // An empty quick text stamps nothing.
    child<QComboBox>("Combo5")->setEditText(QString());
    const QImage unchanged = window->surface().image();
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, at);
    EXPECT_EQ(window->surface().image(), unchanged);
}

TEST_F(Form1SurfaceTest, PauseStampResetResume)
{
    window->Timer1_Timer();
    QWidget* canvas = child<lh::SurfaceView>("Picture1")->canvas();

    // Running: a reset does nothing.
    click("Command21");
    EXPECT_FALSE(window->surface().hasBackgroundPicture());

    child<QCheckBox>("Check2")->click();
    const QImage paused = window->surface().image();
    EXPECT_EQ(window->designCopy(), paused);

    for (int x : {100, 300, 500})
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(x, 200));
    EXPECT_NE(window->surface().image(), paused);

    click("Command21");
    EXPECT_EQ(window->surface().image(), paused);
    EXPECT_TRUE(window->surface().hasBackgroundPicture());

    child<QCheckBox>("Check2")->click();   // resume
    EXPECT_FALSE(window->surface().hasBackgroundPicture());
    // The view has taken every change of the surface: the stamps left the screen too.
    EXPECT_TRUE(window->surface().takeDirtyRect().isEmpty());
    window->Timer1_Timer();
    EXPECT_EQ(window->surface().image().pixelColor(1, 1), QColor(0, 0, 0x40));
    EXPECT_EQ(text("Label11"), QStringLiteral("2"));
}

TEST_F(Form1SurfaceTest, FontAndColourDialogsDressTheNextStampsUntilTheNextDesign)
{
    window->Timer1_Timer();
    child<QCheckBox>("Check2")->click();
    lh::Surface& s = window->surface();

    fontColor.fontAnswers.push_back(lh::FontChoice{QStringLiteral("宋体"), 20});
    fontColor.colorAnswers.push_back(lh::rgb(255, 0, 0));
    click("Command20");
    click("Command22");
    EXPECT_EQ(s.fontName(), QStringLiteral("宋体"));
    EXPECT_FLOAT_EQ(s.fontSize(), 20.0f);
    EXPECT_TRUE(s.fontBold());   // the dialog's styles are not applied
    EXPECT_EQ(s.foreColor(), lh::rgb(255, 0, 0));

    // Cancelled dialogs keep the setting.
    click("Command20");
    click("Command22");
    EXPECT_EQ(s.fontName(), QStringLiteral("宋体"));
    EXPECT_FLOAT_EQ(s.fontSize(), 20.0f);
    EXPECT_EQ(s.foreColor(), lh::rgb(255, 0, 0));

    const QImage before = s.image();
    QTest::mouseRelease(child<lh::SurfaceView>("Picture1")->canvas(), Qt::LeftButton, {}, QPoint(100, 300));
    const QRect area = lh::test::changedArea(before, s.image());
    EXPECT_NEAR(area.height(), 27, 6);   // 20 points are 27 pixels
    bool red = false;
    for (int y = area.top(); y <= area.bottom() && !red; ++y)
        for (int x = area.left(); x <= area.right() && !red; ++x)
            red = s.image().pixelColor(x, y) == QColor(255, 0, 0);
    EXPECT_TRUE(red);

    child<QCheckBox>("Check2")->click();
    window->Timer1_Timer();
    EXPECT_EQ(s.fontName(), QStringLiteral("arial"));
    EXPECT_FLOAT_EQ(s.fontSize(), 30.0f);
    EXPECT_TRUE(s.fontBold());
}

}   // namespace

TEST_F(Form1SurfaceTest, SteppingBackTakesTheStampsAwayAndShowsEachDesignsPhoto)
{
    // Designs that differ: a window on a seeded source.
    static lh::SeededRandom seeded(5);
    services.random = &seeded;
    window = std::make_unique<Form1>(services, navigator);
    child<QCheckBox>("Check2")->click();   // paused
    auto* image6 = child<ImageBox>("Image6");
    click("Image7");
    window->Timer1_Timer();
    const QImage first = window->surface().image().copy();
    click("Image9");
    window->Timer1_Timer();
    const QImage second = window->surface().image().copy();
    ASSERT_NE(first, second);

    QWidget* canvas = child<lh::SurfaceView>("Picture1")->canvas();
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(100, 200));
    ASSERT_NE(window->surface().image(), second);

    ASSERT_TRUE(window->core().stepHistory(-1));
    EXPECT_EQ(window->surface().image(), first);
    EXPECT_EQ(image6->picture(), child<ImageBox>("Image7")->picture());
    EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral(" [历史 1/2]")));

    // A stamp on the design stepped back to, then "重新设置" shows that design
    // again; the export, which carries the stamps, drops it as well.
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(100, 200));
    ASSERT_NE(window->surface().image(), first);
    EXPECT_EQ(window->core().stamps().size(), 1u);
    click("Command21");
    EXPECT_EQ(window->surface().image(), first);
    EXPECT_TRUE(window->core().stamps().empty());

    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(100, 200));
    ASSERT_TRUE(window->core().stepHistory(1));
    EXPECT_EQ(window->surface().image(), second);   // without its stamp
    EXPECT_TRUE(window->core().stamps().empty());
    EXPECT_EQ(image6->picture(), child<ImageBox>("Image9")->picture());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("蓝禾艺术照片设计"));
}

TEST_F(Form1SurfaceTest, ExportCarriesThePhotoAndItsRingWhereTheScreenShowsThem)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    child<QCheckBox>("Check2")->click();   // paused
    click("Image8");
    window->Timer1_Timer();
    const QPoint inner(2, 2);

    // A stamp the user put on the design comes out with it.
    const QImage unstamped = child("Picture1")->grab().toImage();
    QTest::mouseRelease(child<lh::SurfaceView>("Picture1")->canvas(), Qt::LeftButton, {}, QPoint(100, 760));
    ASSERT_EQ(window->core().stamps().size(), 1u);
    const QImage screen = child("Picture1")->grab().toImage();

    const QString path = dir.filePath(QStringLiteral("photo.png"));
    exports.exportAnswers.push_back(lh::ExportChoice{2, 300, path});
    ASSERT_EQ(window->core().exportShownDesign().kind, lh::designer::ExportOutcome::Kind::Written);
    const QImage exported(path);
    ASSERT_EQ(exported.size(), QSize(1714, 1714));
    // Inside the photo, on the ring, and on the design outside both.
    for (const QPoint p : {QPoint(430, 430), QPoint(400, 380), QPoint(430, 352), QPoint(5, 845)}) {
        const QColor a = screen.pixelColor(p + inner);
        const QColor b = exported.pixelColor(p * 2 + QPoint(1, 1));
        EXPECT_NEAR(a.red(), b.red(), 16) << p.x() << "," << p.y();
        EXPECT_NEAR(a.green(), b.green(), 16) << p.x() << "," << p.y();
        EXPECT_NEAR(a.blue(), b.blue(), 16) << p.x() << "," << p.y();
    }
    // Where the stamp changed the screen, the export shrunk back is like the
    // stamped screen and unlike the screen before the stamp.
    const QImage shrunk = exported.scaled(857, 857, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double toStamped = 0;
    double toUnstamped = 0;
    int changed = 0;
    auto distance = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
    };
    for (int y = 0; y < 857; ++y) {
        for (int x = 0; x < 857; ++x) {
            const QRgb before = unstamped.pixel(x + inner.x(), y + inner.y());
            const QRgb after = screen.pixel(x + inner.x(), y + inner.y());
            if (before == after)
                continue;
            ++changed;
            toStamped += distance(shrunk.pixel(x, y), after);
            toUnstamped += distance(shrunk.pixel(x, y), before);
        }
    }
    ASSERT_GT(changed, 50);
    EXPECT_LT(toStamped * 3, toUnstamped) << changed << " pixels changed by the stamp";

    // The date label over the design is in the export at its place; an
    // export with the label hidden is not like the screen there.
    auto* date = child<QLabel>("Label24");
    ASSERT_FALSE(date->text().isEmpty());
    const QString unlabelledPath = dir.filePath(QStringLiteral("unlabelled.png"));
    date->hide();
    exports.exportAnswers.push_back(lh::ExportChoice{2, 300, unlabelledPath});
    ASSERT_EQ(window->core().exportShownDesign().kind, lh::designer::ExportOutcome::Kind::Written);
    date->show();
    const QImage unlabelled =
        QImage(unlabelledPath).scaled(857, 857, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QRect place = date->geometry() & QRect(0, 0, 857, 857);
    ASSERT_FALSE(place.isEmpty());
    double labelled = 0;
    double bare = 0;
    for (int y = place.top(); y <= place.bottom(); ++y) {
        for (int x = place.left(); x <= place.right(); ++x) {
            const QRgb onScreen = screen.pixel(x + inner.x(), y + inner.y());
            labelled += distance(shrunk.pixel(x, y), onScreen);
            bare += distance(unlabelled.pixel(x, y), onScreen);
        }
    }
    EXPECT_LT(labelled * 3, bare) << "date " << date->text().toStdString();
}

// The view, the exports and kept designs all draw the scene: what the canvas
// shows of a paused, stamped design with its photo, ring and date is the
// scene drawn again at scale 1, pixel for pixel, whatever is shown over it.
TEST_F(Form1SurfaceTest, TheViewShowsTheSceneOnShowPixelForPixel)
{
    static lh::SeededRandom seeded(11);
    services.random = &seeded;
    window = std::make_unique<Form1>(services, navigator);
    child<QCheckBox>("Check2")->click();   // paused
    auto* view = child<lh::SurfaceView>("Picture1");
    auto shown = [&] { return view->canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    auto drawnAgain = [&] {
        const auto scene = window->core().sceneOnShow();
        EXPECT_TRUE(scene.has_value());
        return scene ? lh::scene::renderScene(*scene, 1).convertToFormat(QImage::Format_RGB32) : QImage();
    };

    struct Case {
        const char* what;
        std::function<void()> change;
    };
    const Case cases[] = {
        {"the initial photo", [] {}},
        {"a slot's photo", [&] { click("Image8"); }},
        {"a stamp at 45 degrees",
         [&] {
             child<QScrollBar>("HScroll1")->setValue(45);
             QTest::mouseRelease(view->canvas(), Qt::LeftButton, {}, QPoint(120, 700));
         }},
        {"the date label hidden", [&] { child("Label24")->hide(); }},
        {"no photo", [&] {
             child("Image6")->hide();
             child("Shape9")->hide();
         }},
    };
    window->Timer1_Timer();
    ASSERT_FALSE(child<QLabel>("Label24")->text().isEmpty());
    QImage previous;
    for (const Case& c : cases) {
        c.change();
        const QImage screen = shown();
        const QImage scene = drawnAgain();
        ASSERT_EQ(screen.size(), scene.size()) << c.what;
        EXPECT_EQ(lh::test::changedArea(screen, scene), QRect()) << c.what;
        // Every change shows on the screen.
        EXPECT_NE(screen, previous) << c.what;
        previous = screen;
    }
    // Nothing lies over the design any more: the screen is the stamped surface.
    EXPECT_EQ(lh::test::changedArea(previous, window->surface().image().convertToFormat(QImage::Format_RGB32)),
              QRect());
}
