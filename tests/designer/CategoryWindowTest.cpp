#include "designer/CategoryWindow.h"
#include "designer/DesignerCore.h"

#include "ControlText.h"
#include "Fakes.h"
#include "core/Random.h"
#include "pictures/PictureFiles.h"
#include "engine/Surface.h"
#include "forms/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>

#include <QElapsedTimer>

#include <gtest/gtest.h>

using lh::designer::CategoryWindow;
using lh::designer::SaveOutcome;

namespace {

class CategoryWindowTest : public ::testing::Test, protected lh::test::FakeServices {
protected:
    std::unique_ptr<CategoryWindow> make(int category)
    {
        return std::make_unique<CategoryWindow>(services, navigator, category);
    }
    template <typename T = QWidget>
    static T* child(const QWidget* w, const char* name)
    {
        return w->findChild<T*>(QString::fromLatin1(name));
    }
    static QString text(const QWidget* w, const char* name) { return lh::test::controlText(w, name); }
    // Pixels of the surface in the test strip's green.
    static int greenPixels(const lh::Surface& surface)
    {
        const QImage image = surface.image().convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixel(x, y) == qRgb(0, 250, 0);
        return n;
    }

    lh::test::RecordingNavigator navigator;
};

TEST_F(CategoryWindowTest, EachWindowStartsWithItsOwnTextsAndControls)
{
    const struct Case {
        int category;
        const char* name;
        const char* caption;
        const char* width;
        const char* label8;
        const char* field;
        bool text2, text3, fill, previews;
        const char* speed;
    } cases[] = {
        {2, "Form2", "蓝禾艺术图案设计 第2大类", "90", "第2大类", "2", false, true, true, true, "高速"},
        {3, "Form3", "蓝禾艺术图案设计 第3大类", "90", "第3大类", "3", false, true, true, true, "高速"},
        {5, "Form5", "蓝禾艺术图案设计 第5大类", "90", "第5大类", "5", false, false, true, true, "高速"},
        {8, "Form8", "蓝禾艺术图案设计 第8大类", "90", "第8大类", "8", true, true, true, true, "高速"},
        {9, "Form9", "蓝禾艺术图案设计 第9大类", "20", "第9大类", "9", false, true, true, true, "高速"},
        {10, "Form10", "蓝禾艺术图案设计 第10大类", "12", "第10大类", "10", false, true, false, true, "高速"},
        {11, "Form11", "蓝禾艺术图案设计", "90", "第10大类", "10", false, false, true, false, "Command6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto w = make(c.category);
        EXPECT_EQ(w->objectName(), QString::fromLatin1(c.name));
        EXPECT_EQ(w->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(text(w.get(), "Combo1"), QString::fromLatin1(c.width));
        EXPECT_EQ(text(w.get(), "Combo2"), QStringLiteral("5"));
        EXPECT_EQ(text(w.get(), "Label8"), QString::fromUtf8(c.label8));
        EXPECT_EQ(text(w.get(), "Label7"), QString::fromLatin1(c.field));
        EXPECT_FALSE(child(w.get(), "Label7")->isVisibleTo(w.get()));
        EXPECT_EQ(text(w.get(), "Check2"), QStringLiteral("暂停"));
        EXPECT_TRUE(child<QCheckBox>(w.get(), "Check2")->isChecked());
        EXPECT_EQ(text(w.get(), "Command6"), QString::fromUtf8(c.speed));
        EXPECT_EQ(child(w.get(), "Text2")->isVisibleTo(w.get()), c.text2);
        EXPECT_EQ(child(w.get(), "Text3")->isVisibleTo(w.get()), c.text3);
        // Hidden text boxes keep their texts: the design still writes them.
        EXPECT_EQ(text(w.get(), "Text3"), QStringLiteral("世界顶级美术图案作品"));
        EXPECT_EQ(text(w.get(), "Text4"), QStringLiteral(" 蓝禾软件  祝全世界人民  幸福安康"));
        EXPECT_EQ(child(w.get(), "Check1") != nullptr, c.fill);
        EXPECT_EQ(child(w.get(), "Image1") != nullptr, c.previews);
        EXPECT_EQ(child(w.get(), "Command18") != nullptr, c.previews);
        EXPECT_EQ(child(w.get(), "Label12") != nullptr, c.previews);
        EXPECT_EQ(child(w.get(), "Check5") != nullptr, c.category == 11);

        QStringList schemes;
        auto* combo2 = child<QComboBox>(w.get(), "Combo2");
        for (int i = 0; i < combo2->count(); ++i)
            schemes << combo2->itemText(i);
        EXPECT_EQ(schemes, QString("0 1 2 3 4 5 6 7 8 9 10 12 13 14 15 16").split(' '));
        auto* timer = child<QTimer>(w.get(), "Timer1");
        ASSERT_NE(timer, nullptr);
        EXPECT_TRUE(timer->isActive());
        EXPECT_EQ(timer->interval(), 3000);
    }
}

TEST_F(CategoryWindowTest, OnlyForm2DressesItsSaveAndSpeedButtons)
{
    const auto form2 = make(2);
    const auto form3 = make(3);
    auto face = [](const QWidget* w, const char* name) { return child(w, name)->palette().color(QPalette::Button); };
    EXPECT_EQ(face(form2.get(), "Command2"), QColor(0xC0, 0xC0, 0xFF));
    EXPECT_EQ(face(form2.get(), "Command6"), QColor(0xFF, 0x80, 0x00));
    EXPECT_NE(face(form3.get(), "Command2"), QColor(0xC0, 0xC0, 0xFF));
    EXPECT_NE(face(form3.get(), "Command6"), QColor(0xFF, 0x80, 0x00));
    // The category buttons are green everywhere.
    EXPECT_EQ(face(form3.get(), "Command12"), QColor(0x00, 0xC0, 0x00));
}

TEST_F(CategoryWindowTest, PauseHoldsTheDesignAndTopSpeedWaitsForTheResume)
{
    const auto w = make(4);
    auto* timer = child<QTimer>(w.get(), "Timer1");
    auto* pause = child<QCheckBox>(w.get(), "Check2");
    w->core().Timer1_Timer();
    const QImage design = w->surface().image();
    const int count = w->designCount();

    pause->setChecked(false);
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(pause->text(), QStringLiteral("播放"));
    QTest::mouseClick(child(w.get(), "Command6"), Qt::LeftButton);
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1);
    EXPECT_EQ(w->surface().image(), design);
    EXPECT_EQ(w->designCount(), count);

    pause->setChecked(true);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(pause->text(), QStringLiteral("暂停"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->designCount() >= count + 3; }, 20000));
    // At the top speed the count goes on screen with the design, once a frame.
    ASSERT_TRUE(QTest::qWaitFor([&] { return text(w.get(), "Label11").toInt() >= count + 3; }, 20000));
    pause->setChecked(false);
    EXPECT_EQ(text(w.get(), "Label11"), QString::number(w->designCount()));
}

TEST_F(CategoryWindowTest, PausedWindowStepsThroughItsDesignsAndResumesAsIfItHadNot)
{
    // Two windows on the same random sequence: one steps back while paused, one does not.
    lh::SeededRandom steppingSource(42), plainSource(42);
    services.random = &steppingSource;
    const auto w = make(5);
    services.random = &plainSource;
    const auto plain = make(5);
    for (CategoryWindow* window : {w.get(), plain.get()})
        child<QCheckBox>(window, "Check2")->setChecked(false);
    const QString caption = w->windowTitle();

    std::vector<QImage> designs;
    for (int i = 0; i < 4; ++i) {
        w->core().Timer1_Timer();
        plain->core().Timer1_Timer();
        designs.push_back(w->surface().image().copy());
    }
    ASSERT_EQ(w->core().history().size(), 4u);

    const struct Step {
        int delta;
        bool moves;
        int shown;             // design on show afterwards, 0-based
        const char* caption;   // suffix of the window caption while stepping
        const char* count;     // Label11
    } steps[] = {
        {-1, true, 2, " [历史 3/4]", "3"},
        {-2, true, 0, " [历史 1/4]", "1"},
        {-1, false, 0, " [历史 1/4]", "1"},   // nothing before the first design
        {+2, true, 2, " [历史 3/4]", "3"},
        {+1, true, 3, "", "4"},   // the newest design ends the stepping
        {+1, false, 3, "", "4"},
        {-3, true, 0, " [历史 1/4]", "1"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.delta);
        EXPECT_EQ(w->core().stepHistory(step.delta), step.moves);
        EXPECT_EQ(w->surface().image(), designs[static_cast<std::size_t>(step.shown)]);
        EXPECT_EQ(w->windowTitle(), caption + QString::fromUtf8(step.caption));
        EXPECT_EQ(text(w.get(), "Label11"), QString::fromLatin1(step.count));
        EXPECT_EQ(child<lh::forms::ImageBox>(w.get(), "Image3")->picture(), w->surface().image());
    }

    // Resuming leaves the history; the next designs are the ones the plain window draws.
    child<QCheckBox>(w.get(), "Check2")->setChecked(true);
    child<QCheckBox>(w.get(), "Check2")->setChecked(false);
    EXPECT_EQ(w->windowTitle(), caption);
    EXPECT_FALSE(w->core().historyPosition().has_value());
    EXPECT_EQ(w->surface().image(), designs.back());
    for (int i = 0; i < 2; ++i) {
        w->core().Timer1_Timer();
        plain->core().Timer1_Timer();
        EXPECT_EQ(w->surface().image(), plain->surface().image()) << "design " << 5 + i;
    }
    EXPECT_EQ(w->core().history().newest().draws, plain->core().history().newest().draws);

    // Running windows do not step.
    child<QCheckBox>(w.get(), "Check2")->setChecked(true);
    EXPECT_FALSE(w->core().stepHistory(-1));
    services.random = &random;
}

TEST_F(CategoryWindowTest, AltArrowsStepAndTheTooltipListsThem)
{
    const auto w = make(7);
    child<QCheckBox>(w.get(), "Check2")->setChecked(false);
    w->core().Timer1_Timer();
    w->core().Timer1_Timer();
    auto* back = child<QShortcut>(w.get(), "HistoryBackShortcut");
    auto* forward = child<QShortcut>(w.get(), "HistoryForwardShortcut");
    ASSERT_NE(back, nullptr);
    ASSERT_NE(forward, nullptr);
    EXPECT_EQ(back->key(), QKeySequence(Qt::ALT | Qt::Key_Left));
    EXPECT_EQ(forward->key(), QKeySequence(Qt::ALT | Qt::Key_Right));
    emit back->activated();
    EXPECT_EQ(w->core().historyPosition(), std::optional<std::size_t>(0));
    emit forward->activated();
    EXPECT_FALSE(w->core().historyPosition().has_value());
    EXPECT_TRUE(child(w.get(), "Label2")->toolTip().contains(QStringLiteral("Alt+Left")));
}

TEST_F(CategoryWindowTest, HiddenWindowsKeepDrawingAndShowTheLatestDesignWhenShown)
{
    const auto w = make(6);
    QTest::mouseClick(child(w.get(), "Command6"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->designCount() >= 3; }, 20000));
    // Previews of a hidden window wait to be shown.
    auto* preview = child<lh::forms::ImageBox>(w.get(), "Image2");
    w->show();
    child<QCheckBox>(w.get(), "Check2")->setChecked(false);
    EXPECT_EQ(preview->picture(), w->surface().image());
}

TEST_F(CategoryWindowTest, TestStripDrawsAStarFromItsCountAndOnlyClearsOnBadText)
{
    const auto w = make(2);
    child<QCheckBox>(w.get(), "Check2")->setChecked(false);
    auto* count = child<QLineEdit>(w.get(), "Text1");
    EXPECT_EQ(count->text(), QStringLiteral("5"));
    const struct {
        const char* text;
        bool draws;
    } cases[] = {
        {"5", true}, {" 7 ", true}, {"2", true}, {"abc", false}, {"40000", false}, {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        w->core().Timer1_Timer();   // a design to clear; its pen and drawing mode stay
        count->setText(QString::fromLatin1(c.text));
        w->Command1_Click(1);
        const QImage image = w->surface().image();
        const QRgb background = image.pixel(0, 0);
        // The star's outline crosses the middle of its box's top edge (centre 200, 200 px, radius 120).
        bool drawn = false;
        for (int y = 70; y <= 90 && !drawn; ++y)
            drawn = image.pixel(200, y) != background;
        EXPECT_EQ(drawn, c.draws);
        if (!c.draws) {
            EXPECT_EQ(image.pixel(428, 428), background);
        }
    }
}

TEST_F(CategoryWindowTest, PolygonStarHasTheFirstFocusSoSpaceDrawsTheStar)
{
    const auto w = make(3);
    child<QCheckBox>(w.get(), "Check2")->setChecked(false);
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->text(), QStringLiteral("Polygon Star"));
    QTest::keyClick(focused, Qt::Key_Space);
    EXPECT_GT(greenPixels(w->surface()), 0);
    // Text1 comes next.
    EXPECT_EQ(focused->nextInFocusChain(), child<QLineEdit>(w.get(), "Text1"));
}

TEST_F(CategoryWindowTest, ShortcutsAndCategoryButtonsNavigateAndToolsBelongToTheMainWindow)
{
    const auto w = make(7);
    QWidget main;
    navigator.main = &main;
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    QTest::mouseClick(child(w.get(), "Command12"), Qt::LeftButton);
    const struct {
        Qt::Key key;
        int category;
    } keys[] = {
        {Qt::Key_1, 1},
        {Qt::Key_2, 2},
        {Qt::Key_9, 9},
        {Qt::Key_0, 10},
    };
    for (const auto& k : keys)
        QTest::keyClick(w.get(), k.key, Qt::ControlModifier);
    EXPECT_EQ(navigator.categories, (std::vector<int>{5, 1, 2, 9, 10}));
    EXPECT_TRUE(child<QLabel>(w.get(), "Label2")->toolTip().contains(QStringLiteral("Ctrl+0")));
    // The export scales the tooltip offers are those the export dialog offers.
    EXPECT_TRUE(child<QLabel>(w.get(), "Label2")->toolTip().contains(QStringLiteral("以 1、2、4 或 8 倍大小导出")));

    QTest::mouseClick(child(w.get(), "Command3"), Qt::LeftButton);
    QTest::mouseClick(child(w.get(), "Command18"), Qt::LeftButton);
    EXPECT_EQ(navigator.printingOwners, (std::vector<QWidget*>{&main}));
    EXPECT_EQ(navigator.captureOwners, (std::vector<QWidget*>{&main}));
}

TEST_F(CategoryWindowTest, HiddenWindowsPrintButtonDoesNothing)
{
    const auto w = make(11);
    QTest::mouseClick(child(w.get(), "Command3"), Qt::LeftButton);
    EXPECT_TRUE(navigator.printingOwners.empty());
}

class SaveDesignTest : public CategoryWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        window = make(2);
        child<QCheckBox>(window.get(), "Check2")->setChecked(false);
        window->core().Timer1_Timer();
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    static QByteArray bytes(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    std::unique_ptr<CategoryWindow> window;
};

TEST_F(SaveDesignTest, NewNameGetsTheSurfaceAsABitmapUnderTheNameAsTyped)
{
    files.saveAnswers.push_back(path("design"));
    EXPECT_EQ(window->Command2_Click(), SaveOutcome::Saved);
    ASSERT_EQ(files.saveCalls.size(), 1u);
    EXPECT_EQ(files.saveCalls[0].filter, QStringLiteral("位图文件 (*.Bmp)|*.Bmp"));
    EXPECT_FALSE(files.saveCalls[0].askOverwrite);
    EXPECT_EQ(files.saveCalls[0].directory, lh::programDirectory());
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_FALSE(QFile::exists(path("design.bmp")));
    const QImage saved = lh::loadPicture(path("design"));
    EXPECT_EQ(bytes(path("design")).mid(0, 2), QByteArray("BM"));
    EXPECT_EQ(saved.size(), QSize(857, 857));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
              window->surface().image().convertToFormat(QImage::Format_RGB32));
    // The dialog starts with the name chosen last on this window.
    EXPECT_EQ(window->Command2_Click(), SaveOutcome::Cancelled);
    EXPECT_EQ(files.saveCalls[1].directory, path("design"));
}

TEST_F(SaveDesignTest, ExistingNameIsReplacedOnlyOnYes)
{
    QFile old(path("keep.bmp"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents");
    old.close();

    files.saveAnswers.push_back(path("keep.bmp"));
    messages.answers.push_back(false);
    EXPECT_EQ(window->Command2_Click(), SaveOutcome::Declined);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, QStringLiteral("文件已经存在，是否覆盖文件？"));
    EXPECT_EQ(messages.messages[0].title, QStringLiteral("询问"));
    EXPECT_TRUE(messages.messages[0].question);
    EXPECT_EQ(bytes(path("keep.bmp")), QByteArray("old contents"));

    files.saveAnswers.push_back(path("keep.bmp"));
    messages.answers.push_back(true);
    EXPECT_EQ(window->Command2_Click(), SaveOutcome::Saved);
    EXPECT_EQ(lh::loadPicture(path("keep.bmp")).size(), QSize(857, 857));
}

TEST_F(SaveDesignTest, CancelWritesNothingAndAFailedWriteSaysWhy)
{
    EXPECT_EQ(window->Command2_Click(), SaveOutcome::Cancelled);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());

    files.saveAnswers.push_back(path("missing-folder/design.bmp"));
    EXPECT_EQ(window->Command2_Click(), SaveOutcome::Failed);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].title, QStringLiteral("蓝禾提示"));
    EXPECT_TRUE(messages.messages[0].text.startsWith(QStringLiteral("图案没有保存。")));
    EXPECT_FALSE(QFile::exists(path("missing-folder/design.bmp")));
}

TEST_F(SaveDesignTest, SavingDoesNotPauseTheWindow)
{
    child<QCheckBox>(window.get(), "Check2")->setChecked(true);
    files.saveAnswers.push_back(path("running.bmp"));
    EXPECT_EQ(window->Command2_Click(), SaveOutcome::Saved);
    EXPECT_TRUE(child<QTimer>(window.get(), "Timer1")->isActive());
}

}   // namespace

TEST(DesignPacing, DesignsAreDueOnAGridOneIntervalApart)
{
    using lh::designer::kMostBehindNs;
    using lh::designer::nanosUntilDue;
    using lh::designer::nextDue;
    const struct Case {
        const char* what;
        std::int64_t due, now;
        std::int64_t wait;   // until the design due at `due`
        std::int64_t next;   // when the one after it is due, started at `now`
    } cases[] = {
        {"none planned yet: at once", -1, 5, 0, 1000005},
        {"early: the rest of the wait", 1000000, 400000, 600000, 2000000},
        {"on time", 1000000, 1000000, 0, 2000000},
        {"late after a long design: at once, the next on the grid", 1000000, 1800000, 0, 2000000},
        {"behind by a few designs: they catch up", 1000000, 4000000, 0, 2000000},
        {"too far behind: a new grid from now", 1000000, 1000000 + kMostBehindNs + 1, 0,
         1000000 + kMostBehindNs + 1 + 1000000},
        {"a clock that went back: a new grid", 9000000, 1000000, 8000000, 2000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(nanosUntilDue(c.due, c.now), c.wait);
        EXPECT_EQ(nextDue(c.due, c.now, 1), c.next);
    }
    // Designs of 0.5 and 1.5 ms in turn at an interval of 1 ms: on the grid
    // they average one a millisecond (starts measured from the first design).
    std::int64_t due = -1, now = 0;
    for (int i = 0; i < 1000; ++i) {
        now += nanosUntilDue(due, now);
        due = nextDue(due, now, 1);
        now += i % 2 ? 1500000 : 500000;
    }
    EXPECT_LE(now, 1000 * 1000000 + 1500000);
}

TEST_F(CategoryWindowTest, PacedDesignsComeNoFasterThanTheInterval)
{
    const auto w = make(3);
    auto* timer = child<QTimer>(w.get(), "Timer1");
    auto* pause = child<QCheckBox>(w.get(), "Check2");
    ASSERT_TRUE(timer->isActive());
    ASSERT_LT(10, lh::designer::kPacedBelowInterval);
    timer->setInterval(10);
    QElapsedTimer clock;
    clock.start();
    const int first = w->designCount();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->designCount() >= first + 5; }, 20000));
    // Start to start, one design an interval at most (and the first at once).
    EXPECT_LE(w->designCount() - first, clock.elapsed() / 10 + 1);
    pause->setChecked(false);
}

// At top speed the window goes on drawing while it handles input: a click
// that waits is handled before the next design but one, not after a run of them.
TEST_F(CategoryWindowTest, AtTopSpeedInputIsHandledBetweenDesigns)
{
    const auto w = make(6);
    auto* timer = child<QTimer>(w.get(), "Timer1");
    auto* pause = child<QCheckBox>(w.get(), "Check2");
    timer->setInterval(lh::designer::kTopInterval);
    const int first = w->designCount();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->designCount() >= first + 20; }, 20000));
    for (int attempt = 0; attempt < 5; ++attempt) {
        SCOPED_TRACE(attempt);
        ASSERT_TRUE(timer->isActive());
        const int posted = w->designCount();
        QMetaObject::invokeMethod(pause, "click", Qt::QueuedConnection);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !timer->isActive(); }, 5000));
        EXPECT_LE(w->designCount() - posted, 2);
        pause->click();   // on again
    }
    pause->setChecked(false);
}

// Previews made beside the window come at most once in kBesidePreviewMs,
// however fast the designs and the screen are; they keep following the
// designs. (Changes are counted as seen, so a late look can only count fewer.)
TEST_F(CategoryWindowTest, AtTopSpeedPreviewsComeAtAMeasuredPace)
{
    const auto w = make(6);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    auto* timer = child<QTimer>(w.get(), "Timer1");
    auto* large = child<lh::forms::ImageBox>(w.get(), "Image1");
    timer->setInterval(lh::designer::kTopInterval);
    qint64 seen = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            seen = large->picture().isNull() ? 0 : large->picture().cacheKey();
            return seen != 0;
        },
        20000));
    int changes = 0;
    QElapsedTimer clock;
    clock.start();
    const int designsBefore = w->designCount();
    constexpr int kWatchMs = 2000;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const qint64 now = large->picture().cacheKey();
            if (now != seen) {
                ++changes;
                seen = now;
            }
            return clock.elapsed() >= kWatchMs;
        },
        kWatchMs + 1000))
        << "the watch ended early";
    // Two seconds hold at most 20 paces, plus the wait to see the first.
    EXPECT_LE(changes, kWatchMs / lh::designer::kBesidePreviewMs + 5)
        << "designs drawn meanwhile: " << w->designCount() - designsBefore;
    const qint64 last = seen;
    EXPECT_TRUE(QTest::qWaitFor([&] { return large->picture().cacheKey() != last; }, 20000));
    EXPECT_TRUE(timer->isActive());
}

// At top speed the previews of a window on screen are made beside the
// window's thread and shown when ready; a pause shows the design on show in
// every preview at once.
TEST_F(CategoryWindowTest, AtTopSpeedPreviewsFollowAndAPauseShowsTheDesignInThem)
{
    const auto w = make(6);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    auto* timer = child<QTimer>(w.get(), "Timer1");
    auto* pause = child<QCheckBox>(w.get(), "Check2");
    auto* large = child<lh::forms::ImageBox>(w.get(), "Image1");
    auto* small = child<lh::forms::ImageBox>(w.get(), "Image5");
    timer->setInterval(lh::designer::kTopInterval);
    // Running: the previews take designs as they are drawn.
    QImage seen;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (!large->picture().isNull() && seen.isNull())
                seen = large->picture();
            return !seen.isNull() && large->picture().cacheKey() != seen.cacheKey();
        },
        20000));
    ASSERT_TRUE(timer->isActive());
    pause->setChecked(false);
    const QImage design = w->surface().image();
    for (auto* preview : {large, small}) {
        EXPECT_EQ(preview->picture(), design);
        const QImage shown = preview->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage expected = lh::forms::stretchForBoxes(design, {large->size(), preview->size()})[1]
                                    .convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(shown, expected) << preview->objectName().toStdString();
    }
    // Previews still being made when the pause came do not replace it.
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(10000));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(large->picture(), design);
}
