#include "login/LoginGate.h"
#include "login/Frmpass.h"
#include "login/PasswordFile.h"

#include "Fakes.h"
#include "LoginTestFiles.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>

using namespace lh::login;
using lh::test::readBytes;
using lh::test::writeBytes;

namespace {

using Step = std::function<void(Frmpass&)>;

void type(QLineEdit* box, const QString& text) { QTest::keyClicks(box, text); }
void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }

Step enter(const QString& password)
{
    return [password](Frmpass& w) {
        type(w.Text1, password);
        click(w.Comok);
    };
}

Step changeTo(const QString& current, const QString& next, const QString& confirmation)
{
    return [=](Frmpass& w) {
        type(w.Text1, current);
        click(w.Command1);
        type(w.Text2, next);
        type(w.Text3, confirmation);
        click(w.Comok);
    };
}

// A password folder, the recording message boxes and a gate whose login
// window is driven by one scripted step per opening.
class Gate : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        services.messages = &messages;
    }

    QString passwordPath() const { return dir.filePath("zrvcom.cct"); }
    void store(const QByteArray& bytes) { writeBytes(passwordPath(), bytes); }

    GateOutcome run(std::deque<Step> steps)
    {
        openings = 0;
        freshAtOpening.clear();
        return RunLoginGate(services, dir.path(), [&](Frmpass& w) {
            ++openings;
            freshAtOpening.push_back(w.Text1->text().isEmpty() && !w.changeMode());
            w.show();
            if (!QTest::qWaitForWindowExposed(&w))
                ADD_FAILURE() << "login window not shown";
            if (steps.empty()) {
                ADD_FAILURE() << "login window opened more often than scripted";
                w.reject();
                return;
            }
            Step step = steps.front();
            steps.pop_front();
            step(w);
            EXPECT_FALSE(w.isVisible()) << "the scripted step left the login window open";
        });
    }

    QStringList titles() const
    {
        QStringList out;
        for (const auto& m : messages.messages)
            out << m.title;
        return out;
    }

    QTemporaryDir dir;
    lh::test::RecordingMessageBoxes messages;
    lh::PlatformServices services;
    int openings = 0;
    std::vector<bool> freshAtOpening;
};

}   // namespace

TEST_F(Gate, EmptyEntryOpensWithTheFreshFile)
{
    store("\"\"\r\n");
    EXPECT_EQ(run({enter("")}), GateOutcome::Granted);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(Gate, EnterKeyConfirms)
{
    store("\"ehk\"\r\n");
    EXPECT_EQ(run({[](Frmpass& w) {
                  type(w.Text1, "123");
                  QTest::keyClick(w.Text1, Qt::Key_Return);
              }}),
              GateOutcome::Granted);
}

TEST_F(Gate, ThreeWrongEntriesEndWithBothMessagesInOrder)
{
    store("\"ehk\"\r\n");
    EXPECT_EQ(run({enter("1"), enter("12"), enter("1234")}), GateOutcome::Refused);
    EXPECT_EQ(openings, 3);
    EXPECT_EQ(messages.texts(),
              (QStringList{QStringLiteral("密码错误，请输入正确密码   "), QStringLiteral("密码错误，请输入正确密码   "),
                           QStringLiteral("密码错误，请输入正确密码   "),
                           QStringLiteral("你无权使用本软件，请与蓝禾联系  ")}));
    EXPECT_EQ(titles(), (QStringList{"蓝禾提示", "蓝禾提示", "蓝禾提示", "蓝禾禁告！"}));
    for (const auto& m : messages.messages)
        EXPECT_EQ(m.icon, lh::MessageIcon::Exclamation);
    EXPECT_EQ(freshAtOpening, (std::vector<bool>{true, true, true}));
}

TEST_F(Gate, WrongThenRightGetsIn)
{
    store("\"ehk\"\r\n");
    EXPECT_EQ(run({enter("321"), changeTo("12", "x", "y") /* opens nothing: old password wrong */, enter("123")}),
              GateOutcome::Granted);
    EXPECT_EQ(openings, 3);
    EXPECT_EQ(messages.texts(),
              (QStringList{QStringLiteral("密码错误，请输入正确密码   "), QStringLiteral("请先输入原密码！"),
                           QStringLiteral("密码错误，请输入正确密码   ")}));
    EXPECT_EQ(freshAtOpening, (std::vector<bool>{true, true, true}));
}

TEST_F(Gate, LeavingTheWindowOtherwiseEndsTheProgram)
{
    // With the empty password an unconfirmed close would otherwise be a way in.
    store("\"\"\r\n");
    const std::pair<const char*, Step> ways[] = {
        {"取消", [](Frmpass& w) { click(w.Comca); }},
        {"close box", [](Frmpass& w) { w.close(); }},
        {"Escape", [](Frmpass& w) { QTest::keyClick(w.Text1, Qt::Key_Escape); }},
    };
    for (const auto& [label, step] : ways) {
        SCOPED_TRACE(label);
        messages.messages.clear();
        EXPECT_EQ(run({step}), GateOutcome::Cancelled);
        EXPECT_EQ(openings, 1);
        EXPECT_TRUE(messages.messages.empty());
    }
}

TEST_F(Gate, PasswordFileProblemsEndBeforeAnyWindow)
{
    const struct {
        const char* label;
        std::function<void(QTemporaryDir&)> prepare;
        GateOutcome outcome;
        QString message;
        lh::MessageIcon icon;
    } cases[] = {
        {"missing", [](QTemporaryDir&) {}, GateOutcome::FileMissing,
         QStringLiteral("保存密码的文件你藏哪去了?它叫zrvcom.cct,在同一目录里."), lh::MessageIcon::Question},
        {"wrong case", [](QTemporaryDir& d) { writeBytes(d.filePath("ZRVCOM.CCT"), "\"\"\r\n"); },
         GateOutcome::FileMissing, QStringLiteral("保存密码的文件你藏哪去了?它叫zrvcom.cct,在同一目录里."),
         lh::MessageIcon::Question},
        {"empty", [](QTemporaryDir& d) { writeBytes(d.filePath("zrvcom.cct"), ""); }, GateOutcome::FileUnreadable,
         text::kDamagedFile, lh::MessageIcon::Critical},
        {"garbage", [](QTemporaryDir& d) { writeBytes(d.filePath("zrvcom.cct"), QByteArray::fromHex("01020304")); },
         GateOutcome::FileUnreadable, text::kDamagedFile, lh::MessageIcon::Critical},
        {"cannot be opened", [](QTemporaryDir& d) { QDir(d.path()).mkdir("zrvcom.cct"); }, GateOutcome::FileUnreadable,
         text::kUnreadableFile, lh::MessageIcon::Critical},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        QTemporaryDir other;
        c.prepare(other);
        lh::test::RecordingMessageBoxes recorded;
        lh::PlatformServices s;
        s.messages = &recorded;
        int shown = 0;
        EXPECT_EQ(RunLoginGate(s, other.path(), [&](Frmpass&) { ++shown; }), c.outcome);
        EXPECT_EQ(shown, 0);
        ASSERT_EQ(recorded.messages.size(), 1u);
        EXPECT_EQ(recorded.messages[0].text, c.message);
        EXPECT_EQ(recorded.messages[0].title, QStringLiteral("蓝禾提示"));
        EXPECT_EQ(recorded.messages[0].icon, c.icon);
    }
}

TEST_F(Gate, ChangedPasswordIsWrittenAtOnceAndHoldsFromTheNextStart)
{
    store("\"ehk\"\r\n");
    // The same start goes on with the old password still in Text1.
    EXPECT_EQ(run({changeTo("123", "abcdefghi", "abcdefghi")}), GateOutcome::Granted);
    EXPECT_EQ(readBytes(passwordPath()).toHex(' '), QByteArray::fromHex("2295989b9ea1a4a7aaad220d0a").toHex(' '));
    EXPECT_TRUE(messages.messages.empty());

    // Next start: the old password is wrong; nine typed characters are cut to
    // the eight the field takes, which is what counts.
    EXPECT_EQ(run({enter("123"), enter("abcdefghi")}), GateOutcome::Granted);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("密码错误，请输入正确密码   ")});
}

TEST_F(Gate, ChangeCountsAgainstTheOldPasswordInTheSameAttempt)
{
    // The new password is written even though Text1 was edited after the
    // change fields opened; this attempt is then checked against the old one.
    store("\"ehk\"\r\n");
    EXPECT_EQ(run({[](Frmpass& w) {
                       type(w.Text1, "123");
                       click(w.Command1);
                       w.Text1->clear();
                       type(w.Text2, "9");
                       type(w.Text3, "9");
                       click(w.Comok);
                   },
                   enter("123")}),
              GateOutcome::Granted);
    EXPECT_EQ(readBytes(passwordPath()), QByteArray("\"m\"\r\n"));
}

TEST_F(Gate, EmptyNewPasswordAllowsAnEmptyEntryNextTime)
{
    store("\"ehk\"\r\n");
    EXPECT_EQ(run({changeTo("123", "", "")}), GateOutcome::Granted);
    EXPECT_EQ(readBytes(passwordPath()), QByteArray("\"\"\r\n"));
    EXPECT_EQ(run({enter("")}), GateOutcome::Granted);
}

// The login window on its own, step by step.
class LoginWindow : public Gate {
protected:
    void SetUp() override
    {
        Gate::SetUp();
        store("\"ehk\"\r\n");
        window = std::make_unique<Frmpass>(messages, QStringLiteral("123"), passwordPath());
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    std::unique_ptr<Frmpass> window;
};

TEST_F(LoginWindow, OpensInLoginModeWithItsLayout)
{
    Frmpass& w = *window;
    EXPECT_EQ(w.objectName(), QStringLiteral("frmpass"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("管理员登录"));
    EXPECT_EQ(w.size(), QSize(327, 131));
    EXPECT_EQ(w.palette().color(QPalette::Window), QColor("#400040"));
    EXPECT_EQ(w.Text1->maxLength(), 8);
    EXPECT_FALSE(w.changeMode());

    // Every control in pixels; the change fields and the hint wait for the current password.
    const struct {
        const char* name;
        QRect geometry;
        bool shown;
    } controls[] = {
        {"Label1", {48, 16, 78, 16}, true},   {"Text1", {140, 14, 106, 20}, true},
        {"Label3", {60, 44, 65, 16}, false},  {"Text2", {140, 42, 105, 19}, false},
        {"Label4", {58, 72, 69, 15}, false},  {"Text3", {140, 70, 105, 19}, false},
        {"Label2", {246, 48, 79, 43}, false}, {"Command1", {54, 98, 71, 21}, true},
        {"Comok", {140, 98, 71, 21}, true},   {"Comca", {226, 98, 72, 21}, true},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(c.name);
        const QWidget* control = w.findChild<QWidget*>(c.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), c.geometry);
        EXPECT_EQ(control->isVisible(), c.shown);
        // One Chinese sans face at 12 pixels; the captions in bold.
        EXPECT_EQ(control->font().pixelSize(), 12);
        EXPECT_EQ(control->fontInfo().family(), QStringLiteral("Noto Sans CJK SC"));
        EXPECT_EQ(control->font().bold(), QByteArray(c.name).startsWith("Label"));
    }
    for (QLineEdit* box : {w.Text1, w.Text2, w.Text3})
        EXPECT_EQ(box->echoMode(), QLineEdit::Password) << box->objectName().toStdString();

    // What the user sees: the purple window, the black entry box, the red caption.
    const QImage shot = w.grab().toImage();
    EXPECT_EQ(shot.pixelColor(5, 5), QColor("#400040"));
    EXPECT_EQ(shot.pixelColor(w.Text1->geometry().center() + QPoint(30, 0)), QColor("#000000"));
    bool red = false;
    const QRect caption = w.Label1->geometry();
    for (int y = caption.top(); y <= caption.bottom() && !red; ++y)
        for (int x = caption.left(); x <= caption.right() && !red; ++x)
            red = shot.pixelColor(x, y) == QColor("#FF0000");
    EXPECT_TRUE(red) << "no red caption";
}

TEST_F(LoginWindow, ChangeFieldsShowTheirColoursAndTheEntryShowsStars)
{
    Frmpass& w = *window;
    type(w.Text1, "123");
    click(w.Command1);
    ASSERT_TRUE(w.changeMode());
    const QImage shot = w.grab().toImage();
    // Captions in orange, the hint in green, each field black with green stars.
    const struct {
        QWidget* control;
        QColor colour;
    } inks[] = {
        {w.Label3, QColor("#FF8000")},
        {w.Label4, QColor("#FF8000")},
        {w.Label2, QColor("#00C000")},
        {w.Text1, QColor("#00FF00")},
    };
    for (const auto& c : inks) {
        SCOPED_TRACE(c.control->objectName().toStdString());
        const QRect area = c.control->geometry();
        bool found = false;
        for (int y = area.top(); y <= area.bottom() && !found; ++y)
            for (int x = area.left(); x <= area.right() && !found; ++x)
                found = shot.pixelColor(x, y) == c.colour;
        EXPECT_TRUE(found);
    }
    for (QLineEdit* box : {w.Text2, w.Text3})
        EXPECT_EQ(shot.pixelColor(box->geometry().center() + QPoint(30, 0)), QColor("#000000"))
            << box->objectName().toStdString();
    EXPECT_EQ(w.Text1->displayText(), QStringLiteral("***"));
}

TEST_F(LoginWindow, AskingForTheCurrentPasswordLeavesTheWindowWhereTheUserPutIt)
{
    Frmpass& w = *window;
    const QPoint moved = w.screen()->availableGeometry().topLeft() + QPoint(13, 21);
    w.move(moved);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.pos() == moved; }, 5000));
    type(w.Text1, "999");
    // "更改密码" and the hint both ask for it.
    for (QWidget* opener : {static_cast<QWidget*>(w.Command1), static_cast<QWidget*>(w.Label2)}) {
        SCOPED_TRACE(opener->objectName().toStdString());
        click(opener);
        EXPECT_EQ(messages.texts().back(), QStringLiteral("请先输入原密码！"));
        QCoreApplication::processEvents();
        EXPECT_EQ(w.pos(), moved);
    }
    EXPECT_EQ(messages.texts().size(), 2);
}

TEST_F(LoginWindow, ChangeNeedsTheCurrentPasswordFirst)
{
    Frmpass& w = *window;
    type(w.Text1, "12345678");
    click(w.Command1);
    EXPECT_FALSE(w.changeMode());
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("请先输入原密码！")});
    EXPECT_EQ(w.Text1->selectedText(), QStringLiteral("12345678"));

    w.Text1->clear();
    type(w.Text1, "123");
    click(w.Command1);
    EXPECT_TRUE(w.changeMode());
    EXPECT_TRUE(w.Label2->isVisible());
    EXPECT_TRUE(w.Text2->hasFocus());

    // The hint asks for the current password the same way.
    w.Text1->clear();
    click(w.Label2);
    EXPECT_EQ(messages.texts().size(), 2);
    EXPECT_EQ(messages.texts().back(), QStringLiteral("请先输入原密码！"));
}

TEST_F(LoginWindow, RejectedNewPasswordsEmptyTheFieldsAndKeepTheWindow)
{
    const struct {
        const char* label;
        QString next, confirmation;
        QString message;
    } cases[] = {
        {"confirmation differs", "abc", "abd", QStringLiteral("两次输入的密码不相同，请重输。")},
        {"more than 31 characters", QString(32, QLatin1Char('a')), QString(32, QLatin1Char('a')),
         text::kRefusedPassword},
        {"character outside one byte", QStringLiteral("蓝禾"), QStringLiteral("蓝禾"), text::kRefusedPassword},
    };
    Frmpass& w = *window;
    type(w.Text1, "123");
    click(w.Command1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        messages.messages.clear();
        w.Text2->setText(c.next);
        w.Text3->setText(c.confirmation);
        click(w.Comok);
        EXPECT_EQ(messages.texts(), QStringList{c.message});
        EXPECT_TRUE(w.isVisible());
        EXPECT_FALSE(w.confirmed());
        EXPECT_TRUE(w.Text2->text().isEmpty());
        EXPECT_TRUE(w.Text3->text().isEmpty());
        EXPECT_TRUE(w.Text2->hasFocus());
        EXPECT_EQ(readBytes(passwordPath()), QByteArray("\"ehk\"\r\n"));
    }
}

TEST_F(LoginWindow, FailedWriteSaysSoAndKeepsTheOldPassword)
{
    lh::test::ImmutableDirectory locked(dir.path());
    if (!locked.active())
        GTEST_SKIP() << "this file system cannot lock a folder: " << locked.reason().toStdString();
    Frmpass& w = *window;
    type(w.Text1, "123");
    click(w.Command1);
    type(w.Text2, "abc");
    type(w.Text3, "abc");
    click(w.Comok);
    locked.release();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_TRUE(messages.messages[0].text.startsWith(text::kWriteFailed));
    EXPECT_EQ(messages.messages[0].title, QStringLiteral("蓝禾提示"));
    EXPECT_EQ(readBytes(passwordPath()), QByteArray("\"ehk\"\r\n"));
    // The login itself goes on with the password in force.
    EXPECT_TRUE(w.confirmed());
    EXPECT_EQ(w.grzbpass(), QStringLiteral("123"));
}
