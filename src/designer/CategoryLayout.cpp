#include "designer/CategoryLayout.h"

#include <QStringList>

namespace lh::designer {

namespace {

using forms::Kind;
using forms::Row;
constexpr forms::FontSpec kPlain{"宋体", 9, false};
constexpr forms::FontSpec kBold{"宋体", 9, true};
constexpr forms::FontSpec kBig{"宋体", 10.5, true};
constexpr forms::FontSpec kHeading{"宋体", 12, true};
constexpr forms::FontSpec kStrip{"Arial", 9, false};

constexpr int kCategoryLefts[] = {13740, 14490, 15240, 15990, 16740};

}   // namespace

QString categoryCaption(int category) { return QStringLiteral("蓝禾艺术图案设计 第%1大类").arg(category); }

QString informationText()
{
    return QStringLiteral("图案应用范围\n"
                          "1：美术设计\n"
                          "2：建筑装饰\n"
                          "3：商标图案\n"
                          "4：纺织印染\n"
                          "5：陶瓷图案\n"
                          "6：美术教材\n"
                          "\n"
                          "软件简介\n"
                          "1：全自动设计几何美术图案。\n"
                          "2：图案用途十分广泛。\n"
                          "3：一台电脑顶得上千名设计师。\n"
                          "4：图案种类多得数不清。\n"
                          "5：每幅图案都可作艺术品欣赏。\n"
                          "6：可作美术教学的教材。");
}

QSize categoryLayoutSize() { return QSize(forms::twipsToPixels(21435), forms::twipsToPixels(12990)); }

std::vector<Row> categoryControls(int category)
{
    const bool hidden = category == 11;    // the full-recipe window nobody sees
    const bool coloured = category == 2;   // Form2 dresses its save, print, crop and speed buttons
    auto face = [coloured](const char* colour) { return coloured ? colour : nullptr; };

    std::vector<Row> rows = {
        // The test strip lies under the drawing surface and takes the first tab places.
        {"Label1", Kind::Label, "Star Points", {120, 90, 975, 255}, "#FFFFFF", nullptr, kStrip},
        {"Text1", Kind::TextBox, "5", {1140, 60, 735, 315}, nullptr, nullptr, kStrip, true, 1},
        {"Command1", Kind::Button, "Color", {1980, 60, 1125, 315}, nullptr, nullptr, kStrip, true, 2},
        {"Command1", Kind::Button, "Polygon Star", {3165, 60, 1425, 315}, nullptr, nullptr, kStrip, true, 0},
        {"Command1", Kind::Button, "Polygon", {4650, 60, 1125, 315}, nullptr, nullptr, kStrip, true, 3},
    };
    if (category != 10)
        rows.push_back({"Check1", Kind::CheckBox, "Fill", {5835, 60, 840, 315}, "#FFFFFF", "#004040", kStrip, true, 4});

    // Decorative frames around the previews, the speed group and the category group.
    if (!hidden)
        rows.push_back(
            {"Shape1", Kind::Rectangle, "", {12990, 60, 8385, 5955}, "#C0C0FF", nullptr, kPlain, true, -1, 2});
    rows.push_back({"Shape2", Kind::Rectangle, "", {13200, 9540, 4455, 1410}, "#8080FF", nullptr, kPlain, true, -1, 2});
    rows.push_back({"Shape3", Kind::Rectangle, "", {13620, 7800, 3735, 1620}, "#00C000", nullptr, kPlain, true, -1, 2});

    if (!hidden) {
        rows.push_back({"Image1", Kind::Image, "", {13050, 120, 5775, 5775}});
        rows.push_back({"Image2", Kind::Image, "", {18840, 120, 2565, 2565}});
        rows.push_back({"Image3", Kind::Image, "", {18840, 2700, 1635, 1635}});
        rows.push_back({"Image4", Kind::Image, "", {18840, 4350, 1035, 1035}});
        rows.push_back({"Image5", Kind::Image, "", {18840, 5400, 480, 480}});
    }
    rows.push_back({"Label2", Kind::Label, "蓝禾艺术图案设计", {13680, 6120, 3735, 375}, "#FFC080", nullptr, kHeading});
    rows.push_back({"Check2", Kind::CheckBox, "暂停", {13470, 6510, 1335, 255}, "#FF0000", "#400040", kBold});
    rows.push_back({"Command2", Kind::Button, "保存图案", {13260, 6900, 1245, 375}, nullptr, face("#C0C0FF")});
    rows.push_back({"Command3", Kind::Button, "打印图案", {13260, 7350, 1245, 375}, nullptr, face("#C0C0FF")});
    if (!hidden)
        rows.push_back({"Command18", Kind::Button, "剪裁保存", {20010, 5490, 1245, 375}, nullptr, face("#C0C0FF")});
    rows.push_back({"Label3",
                    Kind::Label,
                    hidden ? "宽度选择" : "宽度方案选择",
                    {14730, 6990, 1425, 345},
                    "#FFFF80",
                    nullptr,
                    kBold});
    rows.push_back({"Combo1", Kind::EditableList, "", {14730, 7410, 1455, 300}, "#0000FF", "#C0FFFF"});
    rows.push_back({"Label4",
                    Kind::Label,
                    hidden ? "类别选择" : "配色方案选择",
                    {16350, 6990, 1455, 315},
                    "#FFFF80",
                    nullptr,
                    kBold});
    rows.push_back({"Combo2", Kind::EditableList, "", {16350, 7410, 1455, 300}, "#0000FF", "#C0FFFF"});
    rows.push_back({"Label6",
                    Kind::Label,
                    hidden ? "大类选择" : "大类选择 已选择",
                    {13740, 7860, 1725, 375},
                    "#FF8000",
                    nullptr,
                    kBold});
    rows.push_back({"Label8", Kind::Label, "", {15450, 7860, 1275, 285}, "#00FF00", nullptr, kBold});
    rows.push_back({"Label7", Kind::Label, "", {17280, 7890, 315, 315}, nullptr, nullptr, kPlain, false});
    static const char* const kCategoryNames[] = {"Command8",  "Command9",  "Command10", "Command11", "Command12",
                                                 "Command13", "Command14", "Command15", "Command16", "Command17"};
    static const char* const kCategoryCaptions[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
    for (int k = 0; k < 10; ++k)
        rows.push_back({kCategoryNames[k],
                        Kind::Button,
                        kCategoryCaptions[k],
                        {kCategoryLefts[k % 5], k < 5 ? 8250 : 8850, 495, 495},
                        nullptr,
                        "#00C000",
                        kHeading});
    rows.push_back({"Label10", Kind::Label, "设计速度控制", {13350, 9600, 1725, 315}, "#80FFFF", nullptr, kBig});
    rows.push_back({"Label9", Kind::Label, "设计总量", {13320, 9900, 885, 375}, "#FF8080", nullptr, kBold});
    rows.push_back({"Label11", Kind::Label, "", {14160, 9900, 2565, 285}, "#000080", "#C0FFC0"});
    rows.push_back(
        {"Command4", Kind::Button, hidden ? "Command4" : "正常", {13350, 10470, 915, 375}, nullptr, face("#8080FF")});
    rows.push_back(
        {"Command5", Kind::Button, hidden ? "Command5" : "快速", {14430, 10470, 945, 375}, nullptr, face("#FF80FF")});
    rows.push_back(
        {"Command6", Kind::Button, hidden ? "Command6" : "高速", {15540, 10470, 915, 375}, nullptr, face("#FF8000")});
    rows.push_back(
        {"Command7", Kind::Button, hidden ? "Command7" : "慢速", {16620, 10470, 915, 375}, nullptr, face("#008080")});
    rows.push_back(
        {"Text2", Kind::TextBox, "", {13230, 11220, 4575, 345}, "#0000C0", "#C0FFC0", kPlain, category == 8});
    rows.push_back({"Text3",
                    Kind::TextBox,
                    "",
                    {13230, 11670, 4575, 345},
                    "#0000C0",
                    "#C0FFC0",
                    kPlain,
                    category != 5 && !hidden});
    rows.push_back({"Text4", Kind::TextBox, "", {13230, 12120, 4575, 345}, "#800080", "#FFC0FF"});
    if (!hidden)
        rows.push_back({"Label12", Kind::Label, "", {18030, 7170, 3225, 3885}, "#C0C0FF"});
    else
        for (const char* name : {"Check3", "Check4", "Check5"})
            rows.push_back(
                {name, Kind::CheckBox, name, {18030, 7170 + 400 * (name[5] - '3'), 1335, 255}, "#FFFFFF", "#004040"});
    return rows;
}

}   // namespace lh::designer
