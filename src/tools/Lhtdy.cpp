#include "tools/Lhtdy.h"

#include "app/Navigator.h"
#include "platform/PictureFiles.h"
#include "platform/WindowPlacement.h"
#include "tools/Form40.h"
#include "tools/PictureBox.h"
#include "tools/ToolGeometry.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QPushButton>

namespace lh::tools {

Lhtdy::Lhtdy(const PlatformServices& services, Navigator& navigator, QWidget* owner)
    : QWidget(owner, Qt::Window)
    , services_(services)
    , navigator_(navigator)
{
    setObjectName(QStringLiteral("lhtdy"));
    setWindowTitle(QStringLiteral("蓝禾图像打印"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xFF, 0xFF));
    setPalette(pal);
    resize(twipsToPixels(12255), twipsToPixels(7020));
    // Restored, the window stands in the middle of the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    picture1_ = new PictureBox(QColor(0xFF, 0xC0, 0xFF), this);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->setGeometry(twipsToPixels(30), twipsToPixels(30), twipsToPixels(9660), twipsToPixels(7260));

    command4_ = makeToolButton(this, QStringLiteral("Command4"), QStringLiteral("取图"), 10830, 60, 1275, 375);
    command2_ = makeToolButton(this, QStringLiteral("Command2"), QStringLiteral("打印"), 10830, 480, 1275, 375);
    connect(command4_, &QPushButton::clicked, this, &Lhtdy::Command4_Click);
    connect(command2_, &QPushButton::clicked, this, &Lhtdy::Command2_Click);
    layoutButtons();
    setWindowState(Qt::WindowMaximized);
}

void Lhtdy::layoutButtons()
{
    if (!command2_)
        return;
    const int outer = frameGeometry().width() * kTwipsPerPixel;
    for (QPushButton* b : {command2_, command4_})
        b->move(twipsToPixels(printButtonLeft(outer, b->width() * kTwipsPerPixel)), b->y());
}

void Lhtdy::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (!e->spontaneous())
        fillScreenIfNobodyMaximizes(this);
}

void Lhtdy::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    layoutButtons();
}

void Lhtdy::moveEvent(QMoveEvent* e)
{
    QWidget::moveEvent(e);
    layoutButtons();
}

void Lhtdy::Command4_Click()
{
    if (!services_.files)
        return;
    const std::optional<QString> name = services_.files->openFile(this, QString(), pictureOpenFilter(), QString());
    if (!name || name->isEmpty())
        return;
    const QImage picture = loadPicture(*name);
    if (picture.isNull())
        return;
    picture1_->setPicture(picture);
}

void Lhtdy::Command2_Click()
{
    const QString title = QStringLiteral("蓝禾提示");
    if (picture1_->picture().isNull()) {
        if (services_.messages)
            services_.messages->inform(this, QStringLiteral("没有可打印的图像，请先取图。"), title,
                                       MessageIcon::Exclamation);
        return;
    }
    QString why;
    const bool printed = services_.printer && services_.printer->printPicture(picture1_->picture(), &why);
    if (!printed && services_.messages) {
        if (!services_.printer)
            why = QStringLiteral("没有安装打印机。");
        services_.messages->inform(this, QStringLiteral("图像没有打印。\n%1").arg(why), title,
                                   MessageIcon::Exclamation);
    }
}

void Lhtdy::closeEvent(QCloseEvent* e)
{
    QWidget::closeEvent(e);
    if (e->isAccepted())
        navigator_.showMainWindow();
}

} // namespace lh::tools
