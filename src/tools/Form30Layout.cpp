#include "tools/Form30Layout.h"

#include "tools/Form30.h"

namespace lh::tools {

namespace {

using forms::Kind;
constexpr forms::FontSpec kPlain{"宋体", 9, false};
constexpr forms::FontSpec kHint{"宋体", 9, true};

// Client coordinates, twips.
const forms::Row kWindowRows[] = {
    {"Picture3", Kind::Panel, "", {0, 0, 21420, 495}, nullptr, "#D7157B"},
    {"Picture1",
     Kind::PictureBox,
     "",
     {0, 480, 16000, 12000},
     nullptr,
     "#FFFFFF",
     kPlain,
     true,
     -1,
     Form30::kCanvasBorder},
    {"Picture2", Kind::PictureBox, "", {0, 0, 5760, 5775}, nullptr, nullptr, kPlain, false, -1, Form30::kCanvasBorder},
};

// Toolbar coordinates (inside Picture3), twips.
const forms::Row kToolbarRows[] = {
    {"Command3", Kind::Button, "新建", {0, 30, 525, 465}, nullptr, "#C0C0FF"},
    {"Command4", Kind::Button, "打开", {540, 30, 495, 465}, nullptr, "#C0C0FF"},
    {"Command5", Kind::Button, "保存", {1050, 30, 495, 465}, nullptr, "#C0C0FF"},
    {"Command6", Kind::Button, "打印", {1560, 30, 495, 465}, nullptr, "#C0C0FF"},
    {"Command7", Kind::Button, "缩放", {2070, 30, 495, 465}, nullptr, "#C0C0FF"},
    {"Command8", Kind::Button, "剪裁", {2580, 30, 495, 465}, nullptr, "#C0C0FF"},
    {"Text1", Kind::TextBox, "33000", {3060, 30, 1125, 465}, "#0000C0", "#C0FFC0"},
    {"Command1", Kind::Button, "高度", {4200, 30, 495, 465}, nullptr, "#C0C0FF"},
    {"Text2", Kind::TextBox, "43000", {4710, 30, 1125, 465}, "#0000C0", "#C0FFC0"},
    {"Command2", Kind::Button, "宽度", {5850, 30, 495, 465}, nullptr, "#C0C0FF"},
    {"Command9", Kind::Button, "壁纸1", {6360, 30, 495, 465}, nullptr, "#FFC0FF"},
    {"Command10", Kind::Button, "壁纸2", {6870, 30, 495, 465}, nullptr, "#FFC0FF"},
    {"Command11", Kind::Button, "壁纸3", {7380, 30, 495, 465}, nullptr, "#FFC0FF"},
    {"Command12", Kind::Button, "壁纸4", {7890, 30, 495, 465}, nullptr, "#FFC0FF"},
    {"Command13", Kind::Button, "壁纸5", {8400, 30, 495, 465}, nullptr, "#FFC0FF"},
    {"Command14", Kind::Button, "壁纸6", {8910, 30, 495, 465}, nullptr, "#FFC0FF"},
    {"Command15", Kind::Button, "壁纸7", {9420, 30, 495, 465}, nullptr, "#FFC0FF"},
    {"Command16", Kind::Button, "壁纸8", {9930, 30, 495, 465}, nullptr, "#FFC0FF"},
    {"Command17", Kind::Button, "壁纸9", {10440, 30, 495, 465}, nullptr, "#FFC0FF"},
    {"Command18", Kind::Button, "壁纸10", {10950, 30, 495, 465}, nullptr, "#FFC0FF"},
    {"Command19", Kind::Button, "壁纸11", {11460, 30, 495, 465}, nullptr, "#FFC0FF"},
    {"Command20", Kind::Button, "壁纸12", {11970, 30, 495, 465}, nullptr, "#FFC0FF"},
    {"Label1",
     Kind::Label,
     "壁纸最大尺寸根据本机内存大小而定 尽量关闭其他应用程序",
     {13350, 60, 3135, 405},
     "#008080",
     "#FFFFFF",
     kHint},
};

}   // namespace

std::span<const forms::Row> form30WindowRows() { return kWindowRows; }
std::span<const forms::Row> form30ToolbarRows() { return kToolbarRows; }

}   // namespace lh::tools
