#include "login/Frmpass.h"

#include "forms/FormToolkit.h"
#include "login/PasswordFile.h"
#include "platform/Services.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

namespace lh::login {

namespace {

using forms::Kind;
using forms::kInheritBold;
using forms::kInheritFont;

const QString kHint = QStringLiteral("请记好密码初始密码为空有效密码8位!");

const forms::WindowLook kLook{"frmpass", "管理员登录", "#400040", {"黑体", 9, false}};

// Window coordinates, twips. The change fields and the hint show once the
// current password has been entered.
const forms::Row kControls[] = {
    {"Label1", Kind::Label, "请输入密码：", {720, 240, 1170, 240}, "#FF0000", nullptr, kInheritBold},
    {"Text1", Kind::PasswordBox, "", {2100, 210, 1590, 300}, "#00FF00", "#000000", kInheritFont, true, 0},
    {"Label3", Kind::Label, "新设密码：", {900, 660, 975, 240}, "#FF8000", nullptr, kInheritBold, false},
    {"Text2", Kind::PasswordBox, "", {2100, 630, 1575, 285}, "#00FF00", "#000000", kInheritFont, false, 1},
    {"Label4", Kind::Label, "确认密码：", {870, 1080, 1035, 225}, "#FF8000", nullptr, kInheritBold, false},
    {"Text3", Kind::PasswordBox, "", {2100, 1050, 1575, 285}, "#00FF00", "#000000", kInheritFont, false, 2},
    {"Label2", Kind::Label, "", {3690, 720, 1185, 645}, "#00C000", nullptr, kInheritBold, false},
    {"Command1", Kind::Button, "更改密码", {810, 1470, 1065, 315}, nullptr, nullptr, kInheritFont, true, 3},
    {"Comok", Kind::Button, "确定", {2100, 1470, 1065, 315}, nullptr, nullptr, kInheritFont, true, 4},
    {"Comca", Kind::Button, "取消", {3390, 1470, 1080, 315}, nullptr, nullptr, kInheritFont, true, 5},
};

constexpr int kWidthTwips = 4905;
constexpr int kHeightTwips = 1965;

}   // namespace

Frmpass::Frmpass(MessageBoxes& messages, const QString& storedPassword, const QString& passwordFilePath,
                 QWidget* parent)
    : QDialog(parent), messages_(messages), stored_(storedPassword), path_(passwordFilePath)
{
    forms::applyWindowLook(this, kLook);
    setModal(true);
    setFixedSize(forms::twipsToPixels(kWidthTwips), forms::twipsToPixels(kHeightTwips));
    forms::buildControls(this, kControls);

    Label1 = forms::control<QLabel>(this, "Label1");
    Text1 = forms::control<QLineEdit>(this, "Text1");
    Label3 = forms::control<QLabel>(this, "Label3");
    Text2 = forms::control<QLineEdit>(this, "Text2");
    Label4 = forms::control<QLabel>(this, "Label4");
    Text3 = forms::control<QLineEdit>(this, "Text3");
    Label2 = forms::control<QLabel>(this, "Label2");
    Command1 = forms::control<QPushButton>(this, "Command1");
    Comok = forms::control<QPushButton>(this, "Comok");
    Comca = forms::control<QPushButton>(this, "Comca");

    Text1->setMaxLength(kLoginLength);
    // The field captions sit in the middle of their height.
    for (QLabel* caption : {Label1, Label3, Label4})
        caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Three wrapped lines have to fit the hint's 43 pixels, closer than the font's own spacing.
    Label2->setTextFormat(Qt::RichText);
    Label2->setText(QStringLiteral("<p style=\"line-height: 78%; margin: 0\">%1</p>").arg(kHint));
    Label2->setWordWrap(true);
    // Clicking the hint opens the change fields too.
    Label2->installEventFilter(this);
    // Enter in a password box confirms, as a user expects of a login window.
    Comok->setDefault(true);
    Text1->setFocus();

    // Centred on the screen when it opens; where the user then moves it, it stays.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }

    connect(Comok, &QPushButton::clicked, this, &Frmpass::Comok_Click);
    connect(Comca, &QPushButton::clicked, this, &Frmpass::Comca_Click);
    connect(Command1, &QPushButton::clicked, this, &Frmpass::Command1_Click);
}

bool Frmpass::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label2 && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        Label2_Click();
    return QDialog::eventFilter(watched, event);
}

bool Frmpass::changeMode() const { return !Label3->isHidden(); }

void Frmpass::Comok_Click()
{
    grzbpass_ = Text1->text();
    if (changeMode()) {
        if (Text2->text() != Text3->text()) {
            messages_.inform(this, text::kMismatch, text::kNotice, MessageIcon::Exclamation);
            emptyNewFields();
            return;
        }
        if (!encodePasswordRecord(Text2->text())) {
            messages_.inform(this, text::kRefusedPassword, text::kNotice, MessageIcon::Exclamation);
            emptyNewFields();
            return;
        }
        QString error;
        if (!writePasswordFile(path_, Text2->text(), &error)) {
            messages_.inform(this, text::kWriteFailed + QStringLiteral("\n") + error, text::kNotice,
                             MessageIcon::Exclamation);
        }
    }
    confirmed_ = true;
    accept();
}

void Frmpass::Comca_Click()
{
    confirmed_ = false;
    reject();
}

bool Frmpass::requireCurrentPassword()
{
    if (Text1->text() == stored_)
        return true;
    messages_.inform(this, text::kOldFirst, text::kNotice, MessageIcon::Exclamation);
    Text1->setFocus();
    Text1->setSelection(0, kLoginLength);
    return false;
}

void Frmpass::Command1_Click()
{
    if (requireCurrentPassword())
        showChangeFields(true);
}

void Frmpass::Label2_Click()
{
    if (requireCurrentPassword())
        showChangeFields(false);
}

void Frmpass::showChangeFields(bool withHint)
{
    Label3->show();
    Label4->show();
    Text2->show();
    Text3->show();
    if (withHint)
        Label2->show();
    Text2->setFocus();
}

void Frmpass::emptyNewFields()
{
    Text2->clear();
    Text3->clear();
    Text2->setFocus();
}

}   // namespace lh::login
