#include "forms/FormToolkit.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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

}   // namespace
