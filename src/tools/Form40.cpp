#include "tools/Form40.h"
#include "forms/Notices.h"

#include "forms/FormToolkit.h"
#include "forms/Navigator.h"
#include "tools/PictureBox.h"

#include <QPushButton>

namespace lh::tools {

namespace {

using forms::Kind;
// Their lefts follow the window's width (layoutButtons).
const forms::Row kButtons[] = {
    {"Command4", Kind::FlatButton, "取图", {10590, 30, 1005, 285}, nullptr, "#C0C0FF", forms::kInheritFont},
    {"Command1", Kind::FlatButton, "放大", {11610, 30, 1005, 285}, nullptr, "#C0C0FF", forms::kInheritFont},
    {"Command2", Kind::FlatButton, "缩小", {12630, 30, 1005, 285}, nullptr, "#C0C0FF", forms::kInheritFont},
    {"Command3", Kind::FlatButton, "剪裁保存", {13530, 30, 1005, 285}, nullptr, "#C0C0FF", forms::kInheritFont},
};

}   // namespace

Form40::Form40(const PlatformServices& services, Navigator& navigator, QWidget* owner)
    : PictureToolWindow(services, navigator, owner, "Form40", "蓝禾图像缩放剪裁", 14580, 8475)
{
    image1_ = new StretchImage(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->move(twipsToPixels(30), twipsToPixels(30));
    applySize();

    forms::buildControls(this, kButtons);
    command4_ = forms::control<QPushButton>(this, "Command4");
    command1_ = forms::control<QPushButton>(this, "Command1");
    command2_ = forms::control<QPushButton>(this, "Command2");
    command3_ = forms::control<QPushButton>(this, "Command3");
    connect(command4_, &QPushButton::clicked, this, &Form40::Command4_Click);
    connect(command1_, &QPushButton::clicked, this, &Form40::Command1_Click);
    connect(command2_, &QPushButton::clicked, this, &Form40::Command2_Click);
    connect(command3_, &QPushButton::clicked, this, &Form40::Command3_Click);
    layoutButtons();
    setWindowState(Qt::WindowMaximized);
}

void Form40::applySize() { image1_->resize(twipsToPixels(size_.width), twipsToPixels(size_.height)); }

void Form40::layoutButtons()
{
    if (!command3_)
        return;
    const int outer = frameGeometry().width() * kTwipsPerPixel;
    const std::array<QPushButton*, 4> row{command4_, command1_, command2_, command3_};
    std::array<int, 4> widths{};
    for (size_t i = 0; i < row.size(); ++i)
        widths[i] = row[i]->width() * kTwipsPerPixel;
    const std::array<int, 4> lefts = zoomButtonLefts(outer, widths);
    for (size_t i = 0; i < row.size(); ++i)
        row[i]->move(twipsToPixels(lefts[i]), row[i]->y());
}

void Form40::Command4_Click()
{
    const QImage picture = askForPicture();
    if (picture.isNull())
        return;
    image1_->setPicture(picture);
    size_ = zoomSizeOfPicture(picture.width(), picture.height());
    applySize();
}

void Form40::Command1_Click()
{
    size_ = enlarge(size_);
    applySize();
}

void Form40::Command2_Click()
{
    size_ = reduce(size_);
    applySize();
    if (tooSmall(size_))
        services_.messages->inform(this, QStringLiteral("不能再缩小了"), forms::kNoticeTitle,
                                   MessageIcon::Information);
}

void Form40::Command3_Click() { navigator_.openCapture(nullptr); }

}   // namespace lh::tools
