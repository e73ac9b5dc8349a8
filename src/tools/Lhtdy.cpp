#include "tools/Lhtdy.h"
#include "forms/Notices.h"

#include "printing/PrintLayoutDialog.h"

#include <QKeySequence>
#include <QShortcut>

#include "forms/FormToolkit.h"
#include "forms/Printing.h"
#include "tools/PictureBox.h"
#include "tools/ToolGeometry.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

namespace lh::tools {

namespace {

using forms::Kind;
// Their lefts follow the window's width (layoutButtons).
const forms::Row kButtons[] = {
    {"Command4", Kind::FlatButton, "取图", {10830, 60, 1275, 375}, nullptr, "#C0C0FF", forms::kInheritFont},
    {"Command2", Kind::FlatButton, "打印", {10830, 480, 1275, 375}, nullptr, "#C0C0FF", forms::kInheritFont},
};

}   // namespace

Lhtdy::Lhtdy(const PlatformServices& services, Navigator& navigator, QWidget* owner)
    : PictureToolWindow(services, navigator, owner, "lhtdy", "蓝禾图像打印", 12255, 7020)
{
    // Restored, the window stands in the middle of the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    picture1_ = new PictureBox(QColor(0xFF, 0xC0, 0xFF), this);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->setGeometry(twipsToPixels(30), twipsToPixels(30), twipsToPixels(9660), twipsToPixels(7260));

    forms::buildControls(this, kButtons);
    command4_ = forms::control<QPushButton>(this, "Command4");
    command2_ = forms::control<QPushButton>(this, "Command2");
    connect(command4_, &QPushButton::clicked, this, &Lhtdy::Command4_Click);
    connect(command2_, &QPushButton::clicked, this, &Lhtdy::Command2_Click);
    // Ctrl+P: the picture at a chosen size on a chosen paper.
    auto* layoutKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
    layoutKey->setObjectName(QStringLiteral("PrintLayoutShortcut"));
    connect(layoutKey, &QShortcut::activated, this, [this] {
        if (picture1_->picture().isNull()) {
            services_.messages->inform(this, QStringLiteral("还没有取图。"), forms::kNoticeTitle,
                                       MessageIcon::Information);
            return;
        }
        printing::PicturePrintSource source(picture1_->picture());
        printing::askAndPrint(this, services_, source);
    });
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

void Lhtdy::Command4_Click()
{
    const QImage picture = askForPicture();
    if (picture.isNull())
        return;
    picture1_->setPicture(picture);
}

void Lhtdy::Command2_Click()
{
    const QString title = forms::kNoticeTitle;
    if (picture1_->picture().isNull()) {
        services_.messages->inform(this, QStringLiteral("没有可打印的图像，请先取图。"), title,
                                   MessageIcon::Exclamation);
        return;
    }
    forms::printShowingProgress(this, services_, picture1_->picture(), QStringLiteral("图像没有打印。"),
                                progressDelayMs_);
}

}   // namespace lh::tools
