#pragma once
// The login window "管理员登录": the password entry, and the fields to set a
// new password for a user who knows the current one.

#include "forms/Notices.h"

#include <QDialog>
#include <QLabel>
#include <QString>

class QLineEdit;
class QPushButton;

namespace lh {
class MessageBoxes;
}   // namespace lh

namespace lh::login {

class Frmpass : public QDialog {
    Q_OBJECT
public:
    // storedPassword: the first 8 characters of the password in force.
    // passwordFilePath: where a new password is written.
    Frmpass(MessageBoxes& messages, const QString& storedPassword, const QString& passwordFilePath,
            QWidget* parent = nullptr);

    // The last entry confirmed with "确定" (empty if none).
    QString grzbpass() const { return grzbpass_; }
    // True once "确定" closed the window; "取消", the close box or Escape leave it false.
    bool confirmed() const { return confirmed_; }
    bool changeMode() const;

    QLabel* Label1;
    QLineEdit* Text1;
    QLabel* Label3;
    QLineEdit* Text2;
    QLabel* Label4;
    QLineEdit* Text3;
    QLabel* Label2;   // the hint; a click on it opens the change fields
    QPushButton* Command1;
    QPushButton* Comok;
    QPushButton* Comca;

    void Comok_Click();
    void Comca_Click();
    void Command1_Click();
    void Label2_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool requireCurrentPassword();
    void showChangeFields(bool withHint);
    void emptyNewFields();

    MessageBoxes& messages_;
    QString stored_;
    QString path_;
    QString grzbpass_;
    bool confirmed_ = false;
};

// Messages of the login window and the gate.
namespace text {
inline const QString& kNotice = lh::forms::kNoticeTitle;
inline const QString kBanned = QStringLiteral("蓝禾禁告！");
inline const QString kMissingFile = QStringLiteral("保存密码的文件你藏哪去了?它叫zrvcom.cct,在同一目录里.");
inline const QString kWrongPassword = QStringLiteral("密码错误，请输入正确密码   ");
inline const QString kNoRight = QStringLiteral("你无权使用本软件，请与蓝禾联系  ");
inline const QString kOldFirst = QStringLiteral("请先输入原密码！");
inline const QString kMismatch = QStringLiteral("两次输入的密码不相同，请重输。");
inline const QString kUnreadableFile = QStringLiteral("保存密码的文件zrvcom.cct打不开，无法核对密码，程序将退出。");
inline const QString kDamagedFile = QStringLiteral("保存密码的文件zrvcom.cct已损坏，读不出密码，程序将退出。");
inline const QString kRefusedPassword =
    QStringLiteral("新密码无法保存：最多31个字符，只能用英文字母、数字和键盘符号。请重输。");
inline const QString kWriteFailed = QStringLiteral("新密码没有保存成功，原密码仍然有效。");
}   // namespace text

}   // namespace lh::login
