// The tool windows driven as a user would, with scripted dialogs, screen,
// clipboard and printer.

#include "pictures/PictureFiles.h"
#include "platform/ScreenGrabbers.h"
#include "tools/Form20.h"
#include "tools/Form40.h"
#include "tools/Lhtdy.h"
#include "tools/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "FakeScreen.h"
#include "Fakes.h"
#include "TestImages.h"

using namespace lh;
using namespace lh::tools;

namespace {

// A patterned picture at the screen's resolution, as a saved cut would be.
QImage patterned(int w, int h, int seed = 0)
{
    return test::atResolution(test::patterned(w, h, seed), kScreenDotsPerMetre);
}

// The scripted services with a patterned desktop to grab.
struct Rig : test::FakeServices {
    test::FakeScreenGrabber screen;
    test::RecordingNavigator navigator;
    Rig()
    {
        services.screen = &screen;
        const QSize desk = virtualDesktopDeviceRect().size();
        screen.desktop = patterned(desk.width(), desk.height(), 1);
    }
};

void mouse(QWidget* w, QEvent::Type type, QPoint global, Qt::MouseButton button)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(w->mapFromGlobal(global)), QPointF(global), button,
                  type == QEvent::MouseMove ? Qt::MouseButtons(Qt::LeftButton) : held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void drag(QWidget* w, QPoint from, QPoint to)
{
    mouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton);
    mouse(w, QEvent::MouseMove, (from + to) / 2, Qt::NoButton);
    mouse(w, QEvent::MouseMove, to, Qt::NoButton);
    mouse(w, QEvent::MouseButtonRelease, to, Qt::LeftButton);
}

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

void resetPointer()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

QString saveFileIn(const QTemporaryDir& dir, const QImage& pic, const char* name)
{
    const QString path = dir.filePath(name);
    EXPECT_TRUE(pic.save(path, "png"));
    return path;
}

}   // namespace

TEST(Form20Window, OpensWithItsMenuAndAnEmptyPicture)
{
    Rig rig;
    Form20 w(rig.services, rig.navigator, nullptr);
    EXPECT_EQ(w.objectName(), QStringLiteral("Form20"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("蓝禾剪裁抓图"));
    const QList<QAction*> menus = w.menuBar()->actions();
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("文件"));
    QStringList entries, names;
    for (QAction* a : menus[0]->menu()->actions()) {
        entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
        names << a->objectName();
    }
    EXPECT_EQ(entries, (QStringList{"剪裁抓图", "保存图像", "-", "退出"}));
    EXPECT_EQ(names, (QStringList{"mnuFileSnap", "mnuFileSave", "mnuFileSep", "mnuFileExit"}));
    EXPECT_FALSE(w.mnuFileSave()->isEnabled());
    EXPECT_FALSE(w.SnapArmed());
    EXPECT_EQ(w.state(), Form20::State::Loaded);
    EXPECT_EQ(w.picture1()->objectName(), QStringLiteral("Picture1"));
    EXPECT_EQ(w.picture1()->geometry(), QRect(0, 0, 443, 324));
    EXPECT_EQ(w.picture1()->grab().toImage().pixel(5, 5), qRgb(0xC0, 0xC0, 0xFF));
}

TEST(Form20Window, DragUpAndLeftCopiesTheNormalizedRectangleWithoutTheAnchor)
{
    Rig rig;
    Form20 w(rig.services, rig.navigator, nullptr);
    w.move(500, 300);
    w.show();
    w.mnuFileSnap()->trigger();
    ASSERT_TRUE(w.SnapArmed());
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);

    // Press at the bottom-right, hold, look at the frame on the held screen.
    mouse(&w, QEvent::MouseButtonPress, QPoint(240, 160), Qt::LeftButton);
    EXPECT_EQ(w.state(), Form20::State::Selecting);
    EXPECT_FALSE(w.SnapArmed());
    mouse(&w, QEvent::MouseMove, QPoint(100, 60), Qt::NoButton);
    ASSERT_NE(w.overlay(), nullptr);
    EXPECT_TRUE(w.overlay()->isVisible());
    const QImage shown = w.overlay()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb under = rig.screen.desktop.pixel(150, 60);
    EXPECT_EQ(shown.pixel(150, 60), under ^ 0x00FFFFFFu);                 // top bar inverted
    EXPECT_EQ(shown.pixel(150, 59), rig.screen.desktop.pixel(150, 59));   // above it the screen as held
    mouse(&w, QEvent::MouseButtonRelease, QPoint(100, 60), Qt::LeftButton);

    const QImage expect = rig.screen.desktop.copy(100, 60, 140, 100);
    EXPECT_EQ(w.state(), Form20::State::Captured);
    EXPECT_EQ(w.lastRect(), (SelRect{100, 60, 240, 160}));
    EXPECT_EQ(rig.clipboard.stored, expect);
    EXPECT_EQ(w.picture1()->picture(), expect);
    EXPECT_EQ(w.picture1()->size(), QSize(140, 100));
    EXPECT_TRUE(w.mnuFileSave()->isEnabled());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    flushDeletes();
    EXPECT_EQ(w.overlay(), nullptr);
    EXPECT_EQ(rig.screen.grabs, 1);
}

TEST(Form20Window, OnlyAnArmedLeftPressStartsASelection)
{
    Rig rig;
    Form20 w(rig.services, rig.navigator, nullptr);
    w.show();
    // Not armed: a left drag does nothing.
    drag(&w, QPoint(10, 10), QPoint(50, 50));
    EXPECT_EQ(w.state(), Form20::State::Loaded);
    EXPECT_EQ(rig.clipboard.setCount, 0);

    w.mnuFileSnap()->trigger();
    w.mnuFileSnap()->trigger();   // a second request changes nothing
    for (Qt::MouseButton b : {Qt::RightButton, Qt::MiddleButton}) {
        mouse(&w, QEvent::MouseButtonPress, QPoint(20, 20), b);
        mouse(&w, QEvent::MouseButtonRelease, QPoint(30, 30), b);
    }
    EXPECT_TRUE(w.SnapArmed());
    EXPECT_EQ(w.state(), Form20::State::Armed);
    EXPECT_EQ(rig.screen.grabs, 0);
    EXPECT_EQ(rig.clipboard.setCount, 0);

    // The pointer was changed behind the window's back: the press is ignored.
    resetPointer();
    mouse(&w, QEvent::MouseButtonPress, QPoint(20, 20), Qt::LeftButton);
    EXPECT_EQ(w.state(), Form20::State::Armed);
    EXPECT_EQ(rig.screen.grabs, 0);
}

TEST(Form20Window, OtherButtonsDuringTheSelectionOnlyMoveTheRectangle)
{
    Rig rig;
    Form20 w(rig.services, rig.navigator, nullptr);
    w.show();
    w.mnuFileSnap()->trigger();
    mouse(&w, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton);
    mouse(&w, QEvent::MouseButtonPress, QPoint(40, 30), Qt::RightButton);
    mouse(&w, QEvent::MouseButtonRelease, QPoint(44, 33), Qt::RightButton);
    EXPECT_EQ(w.state(), Form20::State::Selecting);
    mouse(&w, QEvent::MouseButtonRelease, QPoint(50, 35), Qt::LeftButton);
    EXPECT_EQ(w.lastRect(), (SelRect{10, 10, 50, 35}));
    EXPECT_EQ(w.picture1()->picture(), rig.screen.desktop.copy(10, 10, 40, 25));
}

TEST(Form20Window, PressAndReleaseAtOnePointGivesAnEmptyPictureAndEnablesSaving)
{
    Rig rig;
    rig.clipboard.stored = patterned(4, 4);
    Form20 w(rig.services, rig.navigator, nullptr);
    w.show();
    w.mnuFileSnap()->trigger();
    mouse(&w, QEvent::MouseButtonPress, QPoint(70, 70), Qt::LeftButton);
    mouse(&w, QEvent::MouseButtonRelease, QPoint(70, 70), Qt::LeftButton);
    EXPECT_EQ(w.state(), Form20::State::Captured);
    EXPECT_TRUE(w.picture1()->picture().isNull());
    EXPECT_TRUE(rig.clipboard.stored.isNull());
    EXPECT_TRUE(w.mnuFileSave()->isEnabled());

    // Saving an empty picture says so instead of writing a broken file.
    QTemporaryDir dir;
    rig.files.saveAnswers.push_back(dir.filePath("empty.bmp"));
    w.mnuFileSave()->trigger();
    EXPECT_FALSE(QFile::exists(dir.filePath("empty.bmp")));
    ASSERT_EQ(rig.messages.messages.size(), 1u);
    EXPECT_EQ(rig.messages.messages[0].title, QStringLiteral("蓝禾提示"));
}

TEST(Form20Window, SavesTheWholePictureAsTypedAndReportsAFailedWrite)
{
    Rig rig;
    rig.screen.desktop = patterned(1200, 900, 5);
    Form20 w(rig.services, rig.navigator, nullptr);
    w.show();
    w.mnuFileSnap()->trigger();
    drag(&w, QPoint(0, 0), QPoint(700, 500));   // larger than the window
    ASSERT_EQ(w.picture1()->picture().size(), QSize(700, 500));

    QTemporaryDir dir;
    const QString typed = dir.filePath("design");   // no extension added
    rig.files.saveAnswers.push_back(typed);
    w.mnuFileSave()->trigger();
    ASSERT_EQ(rig.files.saveCalls.size(), 1u);
    EXPECT_EQ(rig.files.saveCalls[0].title, QStringLiteral("保存"));
    EXPECT_EQ(rig.files.saveCalls[0].filter, QStringLiteral("位图文件(*.bmp)|*.bmp"));
    // The program asks before replacing, as every save does, not the dialog.
    EXPECT_FALSE(rig.files.saveCalls[0].askOverwrite);
    const QImage back = loadPicture(typed);
    ASSERT_EQ(back.size(), QSize(700, 500));
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), rig.screen.desktop.copy(0, 0, 700, 500));
    EXPECT_TRUE(rig.messages.messages.empty());

    // The same name again: asked; No keeps the file as it was.
    const QByteArray before = [&] {
        QFile f(typed);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    drag(&w, QPoint(0, 0), QPoint(40, 30));
    rig.files.saveAnswers.push_back(typed);
    rig.messages.answers = {false};
    w.mnuFileSave()->trigger();
    ASSERT_EQ(rig.messages.messages.size(), 1u);
    EXPECT_EQ(rig.messages.messages[0].text, QStringLiteral("文件已经存在，是否覆盖文件？"));
    EXPECT_EQ(rig.messages.messages[0].title, QStringLiteral("询问"));
    QFile kept(typed);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), before);
    rig.messages.messages.clear();

    // Cancel and an empty name: nothing happens.
    rig.files.saveAnswers.push_back(std::nullopt);
    w.mnuFileSave()->trigger();
    rig.files.saveAnswers.push_back(QString());
    w.mnuFileSave()->trigger();
    EXPECT_TRUE(rig.messages.messages.empty());

    // A folder that is not there: a message, no file.
    const QString bad = dir.filePath("gone/design.bmp");
    rig.files.saveAnswers.push_back(bad);
    w.mnuFileSave()->trigger();
    EXPECT_FALSE(QFile::exists(bad));
    ASSERT_EQ(rig.messages.messages.size(), 1u);
    EXPECT_EQ(rig.messages.messages[0].title, QStringLiteral("蓝禾提示"));
}

TEST(Form20Window, ExitHidesAndKeepsThePictureCloseDestroys)
{
    Rig rig;
    QPointer<Form20> w = new Form20(rig.services, rig.navigator, nullptr);
    w->show();
    w->mnuFileSnap()->trigger();
    drag(w, QPoint(5, 5), QPoint(25, 15));
    w->mnuFileExit()->trigger();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(rig.navigator.mainShows, 1);
    w->show();
    EXPECT_EQ(w->picture1()->picture().size(), QSize(20, 10));
    EXPECT_TRUE(w->mnuFileSave()->isEnabled());

    w->close();
    flushDeletes();
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(rig.navigator.mainShows, 1);   // the close box shows nothing
}

TEST(Form20Window, AnArmedRequestSurvivesExitAndTheNextCaptureReplacesThePicture)
{
    Rig rig;
    Form20 w(rig.services, rig.navigator, nullptr);
    w.show();
    w.mnuFileSnap()->trigger();
    drag(&w, QPoint(5, 5), QPoint(25, 15));
    ASSERT_EQ(w.picture1()->picture().size(), QSize(20, 10));

    w.mnuFileSnap()->trigger();
    w.mnuFileExit()->trigger();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);   // a hidden window holds no pointer
    w.show();
    EXPECT_TRUE(w.SnapArmed());
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    drag(&w, QPoint(100, 100), QPoint(130, 140));
    EXPECT_EQ(w.picture1()->picture(), rig.screen.desktop.copy(100, 100, 30, 40));
    EXPECT_EQ(w.picture1()->size(), QSize(30, 40));
    EXPECT_EQ(rig.screen.grabs, 2);
}

// A plain window of one colour at (20, 30), 120 x 90 pixels, and the capture
// window beside it, active.
struct OwnWindowScene {
    OwnWindowScene(Rig& rig, const QColor& colour) : form(rig.services, rig.navigator, nullptr)
    {
        shown.setAutoFillBackground(true);
        QPalette pal;
        pal.setColor(QPalette::Window, colour);
        shown.setPalette(pal);
        shown.setGeometry(20, 30, 120, 90);
        shown.show();
        form.move(300, 200);
        form.show();
        QApplication::setActiveWindow(&form);
    }
    QWidget shown{nullptr, Qt::Window | Qt::FramelessWindowHint};
    Form20 form;
};

TEST(Form20Window, WithoutScreenAccessCapturesTheProgramsOwnWindowsAndSaysSoOnce)
{
    Rig rig;
    rig.screen.grabsScreen = false;
    OwnWindowScene scene(rig, QColor(12, 34, 56));
    Form20& w = scene.form;

    w.mnuFileSnap()->trigger();
    ASSERT_EQ(rig.messages.messages.size(), 1u);
    EXPECT_EQ(rig.messages.messages[0].title, QStringLiteral("蓝禾提示"));
    drag(&w, QPoint(90, 90), QPoint(50, 50));
    const QImage got = w.picture1()->picture();
    ASSERT_EQ(got.size(), QSize(40, 40));
    EXPECT_EQ(got.pixel(0, 0), qRgb(12, 34, 56));
    EXPECT_EQ(got.pixel(39, 39), qRgb(12, 34, 56));

    Form20 second(rig.services, rig.navigator, nullptr);
    second.show();
    second.mnuFileSnap()->trigger();
    EXPECT_EQ(rig.messages.messages.size(), 1u);   // told once
    resetPointer();
}

TEST(Form20Window, AScreenGrabThatFailsFallsBackToTheOwnWindowsAndSaysSoAfterTheCapture)
{
    Rig rig;
    rig.screen.desktop = QImage();   // the platform says yes, then hands back nothing
    OwnWindowScene scene(rig, QColor(200, 10, 90));
    Form20& w = scene.form;

    w.mnuFileSnap()->trigger();
    EXPECT_TRUE(rig.messages.messages.empty()) << "nothing to say before the grab was tried";
    drag(&w, QPoint(90, 90), QPoint(50, 50));
    EXPECT_EQ(rig.screen.grabs, 1);
    const QImage got = w.picture1()->picture();
    ASSERT_EQ(got.size(), QSize(40, 40));
    EXPECT_EQ(got.pixel(0, 0), qRgb(200, 10, 90)) << "not what the window shows";
    ASSERT_EQ(rig.messages.messages.size(), 1u);
    EXPECT_EQ(rig.messages.messages[0].title, QStringLiteral("蓝禾提示"));

    w.mnuFileSnap()->trigger();
    drag(&w, QPoint(90, 90), QPoint(60, 60));
    EXPECT_EQ(rig.messages.messages.size(), 1u);   // told once
    resetPointer();
}

TEST(Form40Window, OpensPicturesAtTheirOwnSizeAndZoomsInQuarters)
{
    Rig rig;
    QTemporaryDir dir;
    Form40 w(rig.services, rig.navigator, nullptr);
    EXPECT_EQ(w.objectName(), QStringLiteral("Form40"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("蓝禾图像缩放剪裁"));
    EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(w.image1()->geometry(), QRect(2, 2, 613, 567));   // 9195 x 8505 twips
    EXPECT_EQ(w.command4()->text(), QStringLiteral("取图"));
    EXPECT_EQ(w.command1()->text(), QStringLiteral("放大"));
    EXPECT_EQ(w.command2()->text(), QStringLiteral("缩小"));
    EXPECT_EQ(w.command3()->text(), QStringLiteral("剪裁保存"));

    rig.files.openAnswers.push_back(saveFileIn(dir, patterned(400, 300), "photo.png"));
    w.command4()->click();
    ASSERT_EQ(rig.files.openCalls.size(), 1u);
    EXPECT_EQ(
        rig.files.openCalls[0].filter,
        QStringLiteral("All Files (*.*)|*.*|JPG Files (*.jpg)|*.jpg|GIF Files (*.gif)|*.gif|BMP Files (*.bmp)|*.bmp"));
    EXPECT_EQ(w.imageSize().width, 6000.0f);
    EXPECT_EQ(w.imageSize().height, 4500.0f);
    EXPECT_EQ(w.image1()->geometry(), QRect(2, 2, 400, 300));

    w.command1()->click();
    EXPECT_EQ(w.image1()->size(), QSize(500, 375));
    w.command2()->click();
    EXPECT_EQ(w.imageSize().width, 5625.0f);
    EXPECT_EQ(w.imageSize().height, 4218.75f);
    EXPECT_EQ(w.image1()->size(), QSize(375, 281));   // 281.25

    // The stretched picture fills Image1: its corners are the picture's corners.
    const QImage drawn = w.image1()->grab().toImage();
    EXPECT_EQ(drawn.size(), QSize(375, 281));
    EXPECT_EQ(drawn.pixel(0, 0), patterned(400, 300).pixel(0, 0));

    // A garbage file or a cancel leaves picture and size alone.
    QFile junk(dir.filePath("junk.jpg"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a picture");
    junk.close();
    rig.files.openAnswers.push_back(junk.fileName());
    w.command4()->click();
    w.command4()->click();   // cancel
    EXPECT_EQ(w.imageSize().width, 5625.0f);
    EXPECT_FALSE(w.image1()->picture().isNull());
    EXPECT_TRUE(rig.messages.messages.empty());
}

TEST(Form40Window, WarnsOnEveryReductionBelowFiftyTwipsAndStillReduces)
{
    Rig rig;
    QTemporaryDir dir;
    Form40 w(rig.services, rig.navigator, nullptr);
    rig.files.openAnswers.push_back(saveFileIn(dir, patterned(10, 10), "small.png"));   // 150 twips
    w.command4()->click();
    std::vector<size_t> messagesAfterClick;
    for (int i = 0; i < 6; ++i) {
        w.command2()->click();
        messagesAfterClick.push_back(rig.messages.messages.size());
    }
    EXPECT_EQ(messagesAfterClick, (std::vector<size_t>{0, 0, 0, 1, 2, 3}));
    for (const auto& m : rig.messages.messages) {
        EXPECT_EQ(m.text, QStringLiteral("不能再缩小了"));
        EXPECT_EQ(m.title, QStringLiteral("蓝禾提示"));
    }
    EXPECT_LT(w.imageSize().width, 30.0f);
}

TEST(Form40Window, ZoomingFarBeyondTheScreenStaysDrawable)
{
    Rig rig;
    QTemporaryDir dir;
    Form40 w(rig.services, rig.navigator, nullptr);
    rig.files.openAnswers.push_back(saveFileIn(dir, patterned(400, 300), "photo.png"));
    w.command4()->click();
    for (int i = 0; i < 200; ++i)
        w.command1()->click();
    EXPECT_GT(w.imageSize().width, 1e20f);
    EXPECT_EQ(w.image1()->width(), QWIDGETSIZE_MAX);
    const QImage shot = w.grab().toImage();   // paints only what is visible
    EXPECT_FALSE(shot.isNull());
    // The top-left corner of a huge zoom is the picture's first pixel, stretched.
    EXPECT_EQ(w.image1()->grab(QRect(0, 0, 4, 4)).toImage().pixel(1, 1), patterned(400, 300).pixel(0, 0));
}

TEST(Form40Window, ButtonsStayInOneTouchingRowOnEveryResize)
{
    Rig rig;
    Form40 w(rig.services, rig.navigator, nullptr);
    w.setWindowState(Qt::WindowNoState);
    w.show();
    for (int width : {980, 1400, 700, 300}) {
        w.resize(width, 500);
        const int outer = w.frameGeometry().width();
        const QPushButton* row[] = {w.command4(), w.command1(), w.command2(), w.command3()};
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(row[i]->geometry().right() + 1, row[i + 1]->x()) << width;
        const int gap = outer - (w.command3()->x() + w.command3()->width());
        EXPECT_GE(gap, 13) << width;   // 200 twips = 13.3 pixels
        EXPECT_LE(gap, 14) << width;
        EXPECT_EQ(w.command3()->y(), 2);
    }
}

TEST(Form40Window, CropOpensTheCaptureWithoutOwnerAndClosingShowsTheMainWindow)
{
    Rig rig;
    QPointer<Form40> w = new Form40(rig.services, rig.navigator, nullptr);
    w->show();
    w->command3()->click();
    EXPECT_EQ(rig.navigator.captureOwners, (std::vector<QWidget*>{nullptr}));
    w->close();
    flushDeletes();
    EXPECT_EQ(rig.navigator.mainShows, 1);
    EXPECT_TRUE(w.isNull());
}

TEST(LhtdyWindow, OpensAPictureAtItsSizeAndPrintsItEveryTime)
{
    Rig rig;
    QTemporaryDir dir;
    Lhtdy w(rig.services, rig.navigator, nullptr);
    EXPECT_EQ(w.objectName(), QStringLiteral("lhtdy"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("蓝禾图像打印"));
    EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(w.command4()->text(), QStringLiteral("取图"));
    EXPECT_EQ(w.command2()->text(), QStringLiteral("打印"));
    EXPECT_EQ(w.picture1()->geometry(), QRect(2, 2, 644, 484));

    const QImage pic = patterned(900, 700, 9);   // larger than the box at load
    rig.files.openAnswers.push_back(saveFileIn(dir, pic, "saved.png"));
    w.command4()->click();
    EXPECT_EQ(
        rig.files.openCalls.at(0).filter,
        QStringLiteral("All Files (*.*)|*.*|JPG Files (*.jpg)|*.jpg|GIF Files (*.gif)|*.gif|BMP Files (*.bmp)|*.bmp"));
    EXPECT_EQ(w.picture1()->size(), QSize(900, 700));

    w.command2()->click();
    w.command2()->click();
    ASSERT_EQ(rig.printer.printed.size(), 2u);
    EXPECT_EQ(rig.printer.printed[0].convertToFormat(QImage::Format_RGB32), pic);
    EXPECT_TRUE(rig.messages.messages.empty());

    rig.files.openAnswers.push_back(dir.filePath("missing.bmp"));
    w.command4()->click();
    EXPECT_EQ(w.picture1()->size(), QSize(900, 700));
}

TEST(LhtdyWindow, SaysWhenNothingWasPrinted)
{
    Rig rig;
    QTemporaryDir dir;
    Lhtdy w(rig.services, rig.navigator, nullptr);
    w.command2()->click();   // no picture
    ASSERT_EQ(rig.messages.messages.size(), 1u);
    EXPECT_EQ(rig.messages.messages[0].title, QStringLiteral("蓝禾提示"));
    EXPECT_TRUE(rig.printer.printed.empty());

    rig.files.openAnswers.push_back(saveFileIn(dir, patterned(30, 20), "p.png"));
    w.command4()->click();
    rig.printer.fail = true;
    rig.printer.failReason = QStringLiteral("打印机脱机");
    w.command2()->click();
    ASSERT_EQ(rig.messages.messages.size(), 2u);
    EXPECT_TRUE(rig.messages.messages[1].text.contains(QStringLiteral("打印机脱机")));
    EXPECT_EQ(rig.messages.messages[1].title, QStringLiteral("蓝禾提示"));
}

TEST(LhtdyWindow, ButtonsRightAlignedAndClosingShowsTheMainWindow)
{
    Rig rig;
    QPointer<Lhtdy> w = new Lhtdy(rig.services, rig.navigator, nullptr);
    w->setWindowState(Qt::WindowNoState);
    w->show();
    for (int width : {820, 1300, 200}) {
        w->resize(width, 480);
        EXPECT_EQ(w->command4()->x(), w->command2()->x());
        const int gap = w->frameGeometry().width() - (w->command2()->x() + w->command2()->width());
        EXPECT_GE(gap, 13) << width;
        EXPECT_LE(gap, 14) << width;
        EXPECT_LT(w->command4()->y(), w->command2()->y());
    }
    w->close();
    flushDeletes();
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(rig.navigator.mainShows, 1);
}

TEST(PictureBoxWidget, TakesThePicturesSizeOnTheScreenItCameFrom)
{
    const struct {
        qreal ratio;
        QSize logical;
    } cases[] = {{1.0, QSize(40, 20)}, {2.0, QSize(20, 10)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ratio);
        QImage picture(40, 20, QImage::Format_RGB32);
        picture.fill(qRgb(200, 30, 40));
        // The last 2 x 2 device pixels: the last logical pixel at either ratio.
        for (const QPoint at : {QPoint(38, 18), QPoint(39, 18), QPoint(38, 19), QPoint(39, 19)})
            picture.setPixel(at, qRgb(0, 0, 255));
        picture.setDevicePixelRatio(c.ratio);
        PictureBox box(QColor(0xC0, 0xC0, 0xFF), nullptr);
        box.setPicture(picture);
        EXPECT_EQ(box.size(), c.logical);
        EXPECT_EQ(box.picture().size(), QSize(40, 20)) << "the picture keeps every device pixel";
        const QImage shown = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shown.size(), c.logical);
        EXPECT_EQ(shown.pixel(0, 0), qRgb(200, 30, 40));
        EXPECT_EQ(shown.pixel(c.logical.width() - 1, c.logical.height() - 1), qRgb(0, 0, 255));
        EXPECT_EQ(shown.pixel(c.logical.width() - 3, c.logical.height() - 3), qRgb(200, 30, 40));
    }
}
