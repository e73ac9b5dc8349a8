#include "forms/FormToolkit.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTest>

#include <gtest/gtest.h>

using namespace lh::forms;

namespace {

const Row kRows[] = {
    {"Label1", Kind::Label, "标题", {150, 240, 1200, 300}, "#FF0000", "#004040"},
    {"Text1", Kind::TextBox, "5", {1500, 240, 735, 315}, "#0000C0", "#C0FFC0", FontSpec{}, true, 1},
    {"Command1", Kind::Button, "确定", {150, 900, 1245, 375}, nullptr, "#C0C0FF", FontSpec{}, true, 0},
    {"Check1", Kind::CheckBox, "暂停", {150, 1500, 1335, 255}, "#FF0000", "#400040"},
    {"Combo1", Kind::EditableList, "", {150, 2100, 825, 300}, "#0000FF", "#C0FFFF"},
    {"Label2", Kind::Label, "", {}, nullptr, nullptr, FontSpec{}, false},
};

TEST(FormToolkit, RowsBecomeNamedControlsAtTheirPixelsInTheirColours)
{
    QWidget window;
    applyWindowLook(&window, {"Form9", "标题栏", "#004040"});
    buildControls(&window, kRows);
    EXPECT_EQ(window.objectName(), QStringLiteral("Form9"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("标题栏"));
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(0x00, 0x40, 0x40));

    const struct {
        const char* name;
        QRect pixels;
    } places[] = {
        {"Label1", QRect(10, 16, 80, 20)},  {"Text1", QRect(100, 16, 49, 21)},  {"Command1", QRect(10, 60, 83, 25)},
        {"Check1", QRect(10, 100, 89, 17)}, {"Combo1", QRect(10, 140, 55, 20)},
    };
    for (const auto& p : places)
        EXPECT_EQ(control<QWidget>(&window, p.name)->geometry(), p.pixels) << p.name;

    EXPECT_EQ(control<QLabel>(&window, "Label1")->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
    EXPECT_EQ(control<QLineEdit>(&window, "Text1")->palette().color(QPalette::Base), QColor(0xC0, 0xFF, 0xC0));
    EXPECT_EQ(control<QLineEdit>(&window, "Text1")->text(), QStringLiteral("5"));
    auto* button = control<QPushButton>(&window, "Command1");
    EXPECT_EQ(button->palette().color(QPalette::Button), QColor(0xC0, 0xC0, 0xFF));
    EXPECT_EQ(button->palette().color(QPalette::ButtonText), QColor(Qt::black));
    // A check box's face colour lies on a panel of its own under it.
    ASSERT_NE(control<QWidget>(&window, "Check1Face"), nullptr);
    EXPECT_EQ(control<QWidget>(&window, "Check1Face")->geometry(), control<QWidget>(&window, "Check1")->geometry());
    EXPECT_FALSE(control<QWidget>(&window, "Label2")->isVisibleTo(&window));
    EXPECT_TRUE(control<QWidget>(&window, "Label1")->isVisibleTo(&window));
    // Rows with a tab index come first, in its order.
    EXPECT_EQ(button->nextInFocusChain(), control<QLineEdit>(&window, "Text1"));
}

TEST(FormToolkit, TheOpenListShowsEveryItemWhole)
{
    QWidget window;
    buildControls(&window, kRows);
    auto* list = control<QComboBox>(&window, "Combo1");
    const QString longest = QStringLiteral("★★★★★★★★★   祝您生日快乐   ★★★★★★★★★");
    list->addItems({QStringLiteral("90"), longest});
    window.resize(600, 400);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    list->showPopup();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->view()->isVisible(); }, 5000));
    EXPECT_GE(list->view()->width(), QFontMetrics(list->view()->font()).horizontalAdvance(longest));
    EXPECT_EQ(list->view()->textElideMode(), Qt::ElideNone);
    list->hidePopup();
}

TEST(FormToolkit, ColouredButtonsShowTheirColourFlat)
{
    const Row rows[] = {
        {"Green", Kind::Button, "1", {0, 0, 1245, 375}, nullptr, "#00C000"},
        {"Blue", Kind::Button, "保存图案", {0, 600, 1245, 375}, nullptr, "#C0C0FF"},
        {"Flat", Kind::FlatButton, "取图", {0, 1200, 1245, 375}, nullptr, "#D4D0C8"},
    };
    QWidget window;
    buildControls(&window, rows);
    window.resize(200, 120);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const struct {
        const char* name;
        QColor face;
    } cases[] = {{"Green", QColor(0x00, 0xC0, 0x00)}, {"Blue", QColor(0xC0, 0xC0, 0xFF)}, {"Flat", QColor(0xD4, 0xD0, 0xC8)}};
    for (const auto& c : cases) {
        const QImage face = control<QPushButton>(&window, c.name)->grab().toImage();
        // Left of the caption, top and bottom of the face: the colour as it is.
        for (const QPoint p : {QPoint(6, 6), QPoint(6, face.height() - 6), QPoint(face.width() - 6, face.height() / 2)})
            EXPECT_EQ(face.pixelColor(p), c.face) << c.name << " at " << p.x() << "," << p.y();
        // And a border around it.
        EXPECT_NE(face.pixelColor(0, face.height() / 2), c.face) << c.name;
    }
}

TEST(FormToolkit, EnterAndSpacePressTheFocusedButtonAndADialogKeepsItsDefault)
{
    const Row rows[] = {
        {"Command1", Kind::Button, "画星", {0, 0, 1245, 375}, nullptr, nullptr, FontSpec{}, true, 0},
        {"Command2", Kind::Button, "保存", {0, 600, 1245, 375}, nullptr, "#C0C0FF", FontSpec{}, true, 1},
    };
    QWidget window;
    buildControls(&window, rows);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    const struct {
        const char* button;
        Qt::Key key;
    } presses[] = {{"Command1", Qt::Key_Return}, {"Command1", Qt::Key_Enter}, {"Command1", Qt::Key_Space},
                   {"Command2", Qt::Key_Return}, {"Command2", Qt::Key_Space}};
    for (const auto& p : presses) {
        auto* button = control<QPushButton>(&window, p.button);
        int clicks = 0;
        const auto connection = QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
        button->setFocus();
        QTest::keyClick(button, p.key);
        EXPECT_TRUE(QTest::qWaitFor([&] { return clicks == 1; }, 2000)) << p.button << " key " << p.key;
        QObject::disconnect(connection);
    }

    // In a dialog, Enter in its text box takes the dialog's default button.
    QDialog dialog;
    buildControls(&dialog, rows);
    auto* edit = new QLineEdit(&dialog);
    auto* ok = control<QPushButton>(&dialog, "Command2");
    ok->setDefault(true);
    int okClicks = 0, otherClicks = 0;
    QObject::connect(ok, &QPushButton::clicked, [&] { ++okClicks; });
    QObject::connect(control<QPushButton>(&dialog, "Command1"), &QPushButton::clicked, [&] { ++otherClicks; });
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(otherClicks, 0);
}

TEST(FormToolkit, TheOpenListStandsOnTheItemTheTextNames)
{
    QWidget window;
    buildControls(&window, kRows);
    auto* list = control<QComboBox>(&window, "Combo1");
    list->addItems({QStringLiteral("2"), QStringLiteral("20"), QStringLiteral("90")});
    window.resize(600, 400);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const struct {
        const char* text;
        int highlighted;
    } cases[] = {{"90", 2}, {"20", 1}, {"2", 0}};
    for (const auto& c : cases) {
        list->setEditText(QString::fromLatin1(c.text));
        list->showPopup();
        ASSERT_TRUE(QTest::qWaitFor([&] { return list->view()->isVisible(); }, 5000));
        EXPECT_EQ(list->view()->currentIndex().row(), c.highlighted) << c.text;
        // Enter there keeps the text.
        QTest::keyClick(list->view(), Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !list->view()->isVisible(); }, 5000));
        EXPECT_EQ(list->currentText(), QString::fromLatin1(c.text));
    }
}

TEST(FormToolkit, TheWindowsKeysComeBeforeWhatATextBoxWouldDoWithThem)
{
    QWidget window;
    applyWindowLook(&window, {"Form9", "标题栏", nullptr});
    buildControls(&window, kRows);
    // Ctrl+E is a line edit's "end of line" where X11's key bindings hold;
    // Ctrl+Z is its undo everywhere.
    int exports = 0;
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_E), QKeySequence(Qt::CTRL | Qt::Key_Z)}) {
        auto* key = new QShortcut(keys, &window);
        QObject::connect(key, &QShortcut::activated, [&] { ++exports; });
    }
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* text = control<QLineEdit>(&window, "Text1");
    auto* list = control<QComboBox>(&window, "Combo1");
    for (QWidget* focus : {static_cast<QWidget*>(text), static_cast<QWidget*>(list)}) {
        focus->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return focus->hasFocus(); }, 2000));
        const int before = exports;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(exports, before + 2) << focus->objectName().toStdString();
    }
    // Typing is still typing.
    text->setFocus();
    text->clear();
    QTest::keyClicks(text, QStringLiteral("E5"));
    EXPECT_EQ(text->text(), QStringLiteral("E5"));
}

}   // namespace

// The previews of a design window: one picture stretched to five box sizes.
// The largest is exactly Qt's smooth scaling of the picture; the others,
// made from it, stay close to scaling the picture directly.
TEST(ImageBoxes, OnePictureIsStretchedToEveryBoxReadingItOnce)
{
    QImage picture(857, 857, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x * 255 / 856, y * 255 / 856, ((x / 107) ^ (y / 107)) & 1 ? 230 : 20));
    const std::vector<QSize> sizes = {{171, 171}, {385, 385}, {0, 0}, {69, 69}, {32, 32}, {500, 20}};
    const std::vector<QImage> out = stretchForBoxes(picture, sizes);
    ASSERT_EQ(out.size(), sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        SCOPED_TRACE(i);
        if (sizes[i].isEmpty()) {
            EXPECT_TRUE(out[i].isNull());
            continue;
        }
        ASSERT_EQ(out[i].size(), sizes[i]);
        const QImage direct = picture.scaled(sizes[i], Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (i == 1) {
            EXPECT_EQ(out[i], direct);
            continue;
        }
        double difference = 0;
        for (int y = 0; y < direct.height(); ++y)
            for (int x = 0; x < direct.width(); ++x) {
                const QRgb a = out[i].pixel(x, y), b = direct.pixel(x, y);
                difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
            }
        EXPECT_LT(difference / (3.0 * direct.width() * direct.height()), 6.0);
    }
    EXPECT_TRUE(stretchForBoxes(QImage(), sizes)[1].isNull());
}

// A box given its stretched picture shows it; one of another size makes
// the box scale the picture itself.
TEST(ImageBoxes, AStretchedPictureOfAnotherSizeIsNotShown)
{
    QWidget window;
    window.resize(300, 300);
    auto* box = new ImageBox(&window);
    box->setGeometry(10, 10, 100, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QImage picture(400, 400, QImage::Format_RGB32);
    picture.fill(qRgb(200, 10, 10));
    QImage wrong(50, 50, QImage::Format_RGB32);
    wrong.fill(qRgb(10, 200, 10));
    QImage right(100, 100, QImage::Format_RGB32);
    right.fill(qRgb(10, 10, 200));
    const struct {
        const QImage* stretched;
        QRgb seen;
    } cases[] = {{&wrong, qRgb(200, 10, 10)}, {&right, qRgb(10, 10, 200)}};
    for (const auto& c : cases) {
        box->setPicture(picture, *c.stretched);
        EXPECT_EQ(box->picture(), picture);
        EXPECT_EQ(box->grab().toImage().pixel(50, 50) & 0xFFFFFFu, c.seen & 0xFFFFFFu);
    }
}
