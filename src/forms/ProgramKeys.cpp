#include "forms/ProgramKeys.h"

#include "platform/Services.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStringList>
#include <QVBoxLayout>

namespace lh::forms {

namespace {
const QString kProgramKeysHeading = QStringLiteral("按钮到不了的窗口和功能：");
}   // namespace

QString offeredScalesText()
{
    QStringList scales;
    for (int k : kExportScales)
        scales << QString::number(k);
    const QString last = scales.takeLast();
    return scales.isEmpty() ? last : scales.join(QStringLiteral("、")) + QStringLiteral(" 或 ") + last;
}

const std::vector<ProgramKey>& programKeys()
{
    static const std::vector<ProgramKey> keys = {
        {QStringLiteral("Ctrl+1"), QStringLiteral("照片设计（第1大类）")},
        {QStringLiteral("Ctrl+2 … Ctrl+9"), QStringLiteral("第2大类 … 第9大类")},
        {QStringLiteral("Ctrl+0"), QStringLiteral("第10大类")},
        {QStringLiteral("Ctrl+G"), QStringLiteral("蓝禾抓图器")},
        {QStringLiteral("Ctrl+B"), QStringLiteral("蓝禾壁纸排版")},
        {QStringLiteral("Alt+Left / Alt+Right"), QStringLiteral("暂停时后退 / 前进查看以前的图案")},
        {QStringLiteral("Ctrl+E"), QStringLiteral("以 %1 倍大小导出显示的图案（PNG）").arg(offeredScalesText())},
        {QStringLiteral("Ctrl+Shift+E"), QStringLiteral("批量画出并导出新图案")},
        {QStringLiteral("Ctrl+D"), QStringLiteral("收藏显示的图案")},
        {QStringLiteral("Ctrl+L"), QStringLiteral("蓝禾图案收藏（Enter 打开，Delete 删除，Ctrl+E 导出，Ctrl+P 打印）")},
        {QStringLiteral("Ctrl+P"), QStringLiteral("蓝禾打印排版（显示的图案、壁纸或图像，可分多页打印海报）")},
        {QStringLiteral("F1"), QStringLiteral("这个帮助")},
    };
    return keys;
}

QString programKeysText()
{
    QStringList lines{QStringLiteral("快捷键：")};
    for (const ProgramKey& k : programKeys())
        lines << k.keys + QStringLiteral("  ") + k.what;
    return lines.join(u'\n');
}

void showKeysHelp(QWidget* parent)
{
    showKeysHelp(parent, programKeys(), kProgramKeysHeading);
}

void showKeysHelp(QWidget* parent, const std::vector<ProgramKey>& keys, const QString& heading)
{
    QDialog help(parent);
    help.setObjectName(QStringLiteral("KeysHelp"));
    help.setWindowTitle(QStringLiteral("蓝禾快捷键"));
    auto* layout = new QVBoxLayout(&help);
    QString rows;
    for (const ProgramKey& k : keys)
        rows += QStringLiteral("<tr><td><b>%1</b>&nbsp;&nbsp;</td><td>%2</td></tr>").arg(k.keys.toHtmlEscaped(), k.what.toHtmlEscaped());
    auto* table = new QLabel(QStringLiteral("<p>%1</p><table>%2</table>").arg(heading.toHtmlEscaped(), rows), &help);
    table->setObjectName(QStringLiteral("lblKeys"));
    table->setTextFormat(Qt::RichText);
    layout->addWidget(table);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, &help);
    close->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    QObject::connect(close, &QDialogButtonBox::rejected, &help, &QDialog::reject);
    layout->addWidget(close);
    help.exec();
}

void installHelpKey(QWidget* window)
{
    installHelpKey(window, programKeys(), kProgramKeysHeading);
}

void installHelpKey(QWidget* window, const std::vector<ProgramKey>& keys, const QString& heading)
{
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), window);
    key->setObjectName(QStringLiteral("HelpShortcut"));
    QObject::connect(key, &QShortcut::activated, window, [window, keys, heading] { showKeysHelp(window, keys, heading); });
}

}   // namespace lh::forms
