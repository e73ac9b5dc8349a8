#include "login/Frmpass.h"

#include "login/PasswordFile.h"
#include "platform/Services.h"

#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace lh::login {

namespace {

const QString kHint = QStringLiteral("请记好密码初始密码为空有效密码8位!");

int px(int twips) { return (twips + 7) / 15; }

QRect twipRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

QLabel* makeLabel(QWidget* parent, QLabel* label, const char* name, const QString& caption, const char* colour,
                  QRect geometry)
{
    label->setParent(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setText(caption);
    label->setGeometry(geometry);
    label->setStyleSheet(QStringLiteral("color: %1; background: transparent; font-weight: bold;")
                             .arg(QString::fromLatin1(colour)));
    return label;
}

QLineEdit* makePasswordBox(QWidget* parent, const char* name, QRect geometry)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEchoMode(QLineEdit::Password);
    box->setGeometry(geometry);
    box->setStyleSheet(QStringLiteral("QLineEdit { color: #00FF00; background: #000000; "
                                      "border: 1px inset #808080; lineedit-password-character: 42; }"));
    return box;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

} // namespace

void ClickableLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QLabel::mousePressEvent(event);
}

Frmpass::Frmpass(MessageBoxes& messages, const QString& storedPassword, const QString& passwordFilePath,
                 QWidget* parent)
    : QDialog(parent), m_messages(messages), m_stored(storedPassword), m_path(passwordFilePath)
{
    setObjectName(QStringLiteral("frmpass"));
    setWindowTitle(QStringLiteral("管理员登录"));
    setModal(true);
    setFixedSize(px(4905), px(1965));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x40, 0x00, 0x40));
    setPalette(pal);
    QFont f = font();
    f.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC")});
    f.setPixelSize(12);
    setFont(f);

    Label1 = makeLabel(this, new QLabel, "Label1", QStringLiteral("请输入密码："), "#FF0000",
                       twipRect(720, 240, 1170, 240));
    Text1 = makePasswordBox(this, "Text1", twipRect(2100, 210, 1590, 300));
    Text1->setMaxLength(kLoginLength);
    Label3 = makeLabel(this, new QLabel, "Label3", QStringLiteral("新设密码："), "#FF8000",
                       twipRect(900, 660, 975, 240));
    Text2 = makePasswordBox(this, "Text2", twipRect(2100, 630, 1575, 285));
    Label4 = makeLabel(this, new QLabel, "Label4", QStringLiteral("确认密码："), "#FF8000",
                       twipRect(870, 1080, 1035, 225));
    Text3 = makePasswordBox(this, "Text3", twipRect(2100, 1050, 1575, 285));
    Label2 = new ClickableLabel;
    makeLabel(this, Label2, "Label2", kHint, "#00C000",
              twipRect(3690, 720, 1185, 645));
    // Three wrapped lines have to fit its 43 pixels, closer than the font's own spacing.
    Label2->setTextFormat(Qt::RichText);
    Label2->setText(QStringLiteral("<p style=\"line-height: 78%; margin: 0\">%1</p>").arg(kHint));
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Command1 = makeButton(this, "Command1", QStringLiteral("更改密码"), twipRect(810, 1470, 1065, 315));
    Comok = makeButton(this, "Comok", QStringLiteral("确定"), twipRect(2100, 1470, 1065, 315));
    Comca = makeButton(this, "Comca", QStringLiteral("取消"), twipRect(3390, 1470, 1080, 315));
    // Enter in a password box confirms, as a user expects of a login window.
    Comok->setDefault(true);

    for (QWidget* w : {static_cast<QWidget*>(Label3), static_cast<QWidget*>(Text2), static_cast<QWidget*>(Label4),
                       static_cast<QWidget*>(Text3), static_cast<QWidget*>(Label2)})
        w->hide();

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, Command1);
    setTabOrder(Command1, Comok);
    setTabOrder(Comok, Comca);
    Text1->setFocus();

    // Centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }

    connect(Comok, &QPushButton::clicked, this, &Frmpass::Comok_Click);
    connect(Comca, &QPushButton::clicked, this, &Frmpass::Comca_Click);
    connect(Command1, &QPushButton::clicked, this, &Frmpass::Command1_Click);
    connect(Label2, &ClickableLabel::clicked, this, &Frmpass::Label2_Click);
}

bool Frmpass::changeMode() const { return !Label3->isHidden(); }

void Frmpass::Comok_Click()
{
    m_grzbpass = Text1->text();
    if (changeMode()) {
        if (Text2->text() != Text3->text()) {
            m_messages.inform(this, text::kMismatch, text::kNotice, MessageIcon::Exclamation);
            emptyNewFields();
            return;
        }
        if (!encodePasswordRecord(Text2->text())) {
            m_messages.inform(this, text::kRefusedPassword, text::kNotice, MessageIcon::Exclamation);
            emptyNewFields();
            return;
        }
        QString error;
        if (!writePasswordFile(m_path, Text2->text(), &error)) {
            m_messages.inform(this, text::kWriteFailed + QStringLiteral("\n") + error, text::kNotice,
                              MessageIcon::Exclamation);
        }
    }
    m_confirmed = true;
    accept();
}

void Frmpass::Comca_Click()
{
    m_confirmed = false;
    reject();
}

bool Frmpass::requireCurrentPassword()
{
    if (Text1->text() == m_stored)
        return true;
    m_messages.inform(this, text::kOldFirst, text::kNotice, MessageIcon::Exclamation);
    Text1->setFocus();

    // Centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
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

} // namespace lh::login
