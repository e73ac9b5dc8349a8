#include "photo/Form1Layout.h"

namespace lh::photo {

namespace {

using forms::Kind;
constexpr forms::FontSpec kPlain{"宋体", 9, false};
constexpr forms::FontSpec kBold{"宋体", 9, true};
constexpr forms::FontSpec kBig{"宋体", 10.5, true};
constexpr forms::FontSpec kHeading{"宋体", 12, true};

// Window coordinates, twips.
const forms::Row kForm1[] = {
    // Decorative panels lie under the column.
    {"Shape1", Kind::Rectangle, "", {12960, 6300, 3855, 6225}, "#FF0000", nullptr, kPlain, true, -1, 1},
    {"Shape2", Kind::RoundedRectangle, "", {12960, 5220, 3855, 1035}, "#D7157B", "#A2C859", kPlain, true, -1, 1},
    {"Shape3", Kind::Rectangle, "", {12960, 3870, 3855, 1305}, "#D7157B", "#004000", kPlain, true, -1, 1},
    {"Shape4", Kind::Rectangle, "", {12990, 7830, 3765, 1605}, "#004000", "#004000", kPlain, true, -1, 0},
    {"Shape5", Kind::Rectangle, "", {12990, 9510, 3735, 1245}, "#8080FF", "#8080FF", kPlain, true, -1, 0},
    // The elapsed-time labels lie under the photo panel, which covers them.
    {"Label5", Kind::Label, "", {15210, 1950, 585, 345}},
    {"Label13", Kind::Label, "", {15090, 2940, 735, 405}},
    {"Picture4", Kind::Panel, "", {12930, -60, 3855, 3885}, nullptr, "#008080"},
    // The control column.
    {"Label16", Kind::Label, "快速设置文字(点大图)", {13110, 3930, 2085, 285}, "#FFFF80", nullptr, kBold},
    {"Label17", Kind::Label, "文字角度", {13110, 4170, 855, 285}, "#80FFFF"},
    {"Label18", Kind::Label, "0度", {15870, 4200, 495, 225}, "#FF0000"},
    {"Label2", Kind::Label, "蓝禾艺术照片设计", {13110, 6360, 3435, 285}, "#FFC080", nullptr, kBig},
    {"Label3", Kind::Label, "宽度方案选择", {13140, 7050, 1425, 345}, "#FFFF80", nullptr, kBold},
    {"Label4", Kind::Label, "配色方案选择", {14580, 7050, 1455, 315}, "#FFFF80", nullptr, kBold},
    {"Label6", Kind::Label, "设计方法:", {13110, 7890, 1725, 375}, "#FF8000", nullptr, kBig},
    {"Label20", Kind::Label, "1：调入一个剪裁好的正方照片。", {13170, 8130, 3165, 255}, "#00FF00"},
    {"Label25", Kind::Label, "2：点击调入的照片，开始自动设计。", {13170, 8370, 3165, 285}, "#00FF00"},
    {"Label28", Kind::Label, "3：可选宽度方案和配色方案及文字设置。", {13170, 8610, 3375, 285}, "#00FF00"},
    {"Label26", Kind::Label, "4：看到喜爱的照片选暂停，再剪裁保存。", {13170, 8850, 3345, 255}, "#00FF00"},
    {"Label27", Kind::Label, "5：保存的照片可随时打印。", {13170, 9090, 3375, 315}, "#00FF00"},
    {"Label10", Kind::Label, "设计速度控制", {13350, 9600, 1725, 315}, "#004000", nullptr, kBig},
    {"Label9", Kind::Label, "设计总量", {13350, 9930, 885, 375}, "#FF0000", nullptr, kBold},
    {"Label22", Kind::Label, "添加祝福词", {13020, 10770, 2235, 255}, "#FF0000", nullptr, kHeading},
    {"Label19", Kind::Label, "文字位置调整", {14400, 11790, 1215, 255}, "#FFC0FF"},
    {"Label23", Kind::Label, "用爱温暖人心 用美装点世界", {13110, 12090, 3615, 255}, "#D7157B", nullptr, kBig},
    {"HScroll1", Kind::HScrollBar, "", {13920, 4170, 1725, 225}},
    {"Combo5", Kind::EditableList, "", {13050, 4440, 3285, 300}, "#0000FF", "#C0FFC0"},
    {"Command20", Kind::Button, "文字大小", {13050, 4830, 885, 285}, nullptr, "#FFC0FF"},
    {"Command22", Kind::Button, "文字颜色", {14250, 4830, 885, 285}, nullptr, "#FFC0FF"},
    {"Command21", Kind::Button, "重新设置", {15450, 4830, 885, 285}, nullptr, "#FFC0FF"},
    {"Command23", Kind::Button, "选色背景", {13080, 5760, 915, 285}, nullptr, "#C0C0FF"},
    {"Command25", Kind::Button, "随机背景", {14010, 5760, 915, 285}, nullptr, "#C0C0FF"},
    {"Command19", Kind::Button, "照片修剪", {14940, 5760, 855, 285}, nullptr, "#C0C0FF"},
    {"Command18", Kind::Button, "剪裁保存", {15810, 5760, 855, 285}, nullptr, "#C0C0FF"},
    {"Command3", Kind::Button, "打印图像", {15750, 7320, 885, 285}, nullptr, "#C0C0FF"},
    {"Command4", Kind::Button, "正常", {13320, 10230, 705, 375}, nullptr, "#8080FF"},
    {"Command5", Kind::Button, "快速", {14100, 10230, 705, 375}, nullptr, "#FF80FF"},
    {"Command6", Kind::Button, "高速", {14880, 10230, 705, 375}, nullptr, "#FF8000"},
    {"Command7", Kind::Button, "慢速", {15660, 10230, 705, 375}, nullptr, "#008080"},
    {"Check5", Kind::CheckBox, "播放音乐", {13140, 5340, 1065, 285}, "#004040", "#A2C859"},
    {"Check2", Kind::CheckBox, "暂停", {13140, 6660, 795, 255}, "#FF0000", "#400040", kBold},
    {"Combo1", Kind::EditableList, "", {13170, 7320, 825, 300}, "#0000FF", "#C0FFFF"},
    {"Combo2", Kind::EditableList, "", {14580, 7320, 795, 300}, "#0000FF", "#C0FFFF"},
    {"Combo3", Kind::EditableList, "", {12990, 11070, 3705, 300}, "#0000FF", "#C0FFC0"},
    {"Combo4", Kind::EditableList, "", {12990, 11400, 3705, 300}, "#800080", "#C0FFC0"},
    {"Combo6", Kind::EditableList, "", {15600, 11730, 1095, 300}, "#0000FF", "#C0FFC0"},
    {"Label11", Kind::Label, "", {14160, 9900, 945, 285}, "#000080", "#C0FFC0"},
    // Hidden: the background setting, the category fields and the ten
    // category buttons (stacked on one another).
    {"Text6", Kind::TextBox, "", {}, nullptr, nullptr, kPlain, false},
    {"Label8", Kind::Label, "", {}, nullptr, nullptr, kPlain, false},
    {"Label14", Kind::Label, "", {}, nullptr, nullptr, kPlain, false},
    {"Command8", Kind::Button, "1", {15960, 8820, 495, 495}, nullptr, "#00C000", kHeading, false},
    {"Command9", Kind::Button, "2", {15960, 8820, 495, 495}, nullptr, "#00C000", kHeading, false},
    {"Command10", Kind::Button, "3", {15960, 8820, 495, 495}, nullptr, "#00C000", kHeading, false},
    {"Command11", Kind::Button, "4", {15960, 8820, 495, 495}, nullptr, "#00C000", kHeading, false},
    {"Command12", Kind::Button, "5", {15960, 8820, 495, 495}, nullptr, "#00C000", kHeading, false},
    {"Command13", Kind::Button, "6", {15960, 8820, 495, 495}, nullptr, "#00C000", kHeading, false},
    {"Command14", Kind::Button, "7", {15960, 8820, 495, 495}, nullptr, "#00C000", kHeading, false},
    {"Command15", Kind::Button, "8", {15960, 8820, 495, 495}, nullptr, "#00C000", kHeading, false},
    {"Command16", Kind::Button, "9", {15960, 8820, 495, 495}, nullptr, "#00C000", kHeading, false},
    {"Command17", Kind::Button, "10", {15960, 8820, 495, 495}, nullptr, "#00C000", kHeading, false},
};

// Picture4's coordinates.
const forms::Row kPhotoPanel[] = {
    {"Label21", Kind::Label, "调入照片(正方照片)", {420, 120, 2055, 255}, "#FFFF00", nullptr, kBig},
    {"Image7", Kind::Image, "", {450, 390, 1365, 1365}},
    {"Command31", Kind::Button, "替换图1", {450, 1800, 1095, 285}, nullptr, "#FFC0FF"},
    {"Image8", Kind::Image, "", {2100, 390, 1365, 1365}},
    {"Command32", Kind::Button, "替换图2", {2100, 1800, 1095, 285}, nullptr, "#FFC0FF"},
    {"Image9", Kind::Image, "", {450, 2130, 1365, 1365}},
    {"Command33", Kind::Button, "替换图3", {450, 3540, 1095, 285}, nullptr, "#FFC0FF"},
    {"Image10", Kind::Image, "", {2100, 2130, 1365, 1365}},
    {"Command34", Kind::Button, "替换图4", {2100, 3540, 1095, 285}, nullptr, "#FFC0FF"},
};

// The surface's inner coordinates.
const forms::Row kSurface[] = {
    {"Image6", Kind::Image, "", {5220, 5220, 2475, 2475}, nullptr, nullptr, kPlain, false},
    {"Shape9", Kind::Oval, "", {5520, 5520, 1875, 1875}, "#D7157B", nullptr, kPlain, false, -1, 23},
    {"Label24", Kind::Label, "", {10380, 11850, 2445, 255}, nullptr, nullptr, kBig},
    {"Picture2", Kind::Label, "", {}, nullptr, nullptr, kPlain, false},
};

QStringList fromUtf8(std::initializer_list<const char*> items)
{
    QStringList out;
    for (const char* item : items)
        out << QString::fromUtf8(item);
    return out;
}

}   // namespace

std::span<const forms::Row> form1Controls() { return kForm1; }
std::span<const forms::Row> photoPanelControls() { return kPhotoPanel; }
std::span<const forms::Row> surfaceControls() { return kSurface; }

QStringList centreRingItems()
{
    return fromUtf8({
        "★★★★★ 蓝禾软件  祝全世界人民  幸福安康 ★★★★★",
        "★★★★★★★★★   祝您生日快乐   ★★★★★★★★★",
        " ★★★ 平安 ★ 幸福 ★ 健康 ★ 快乐 ★ 长寿 ★ 团圆 ★★★",
        "★★★ 智慧 ★ 勇敢 ★ 坚强 ★ 忠贞 ★ 仁爱 ★ 团结 ★★★",
        "★★★★★爱学习 ★爱劳动 ★ 爱人民★ 爱祖国★★★★★",
        "！！！！！！爱你！爱你 ！永远爱你   ！！！！！！",
    });
}

QStringList lowerArcItems()
{
    return fromUtf8({
        "★★公元2011年北京留念★★",
        "★我十八岁那年的记忆★",
        "★★★美好青春 美好回忆★★★",
        "★★我的学生时代★★",
        "★感谢父母 感谢恩师 感谢苍天★",
        "★全班同学庆贺你的生日★",
        "★★我的童年时代★★",
        "★你是我最最亲爱的人★",
    });
}

QStringList quickTextItems()
{
    return fromUtf8({
        "★青岚印像设计出品★",
        "★★澄川影业公司设计出品★★",
        " ★★★霁虹影楼设计出品★★★",
    });
}

QStringList radiusItems() { return fromUtf8({" 0.2", " 0.27", " 0.34"}); }

}   // namespace lh::photo
