#include "photo/Form1.h"

#include "photo/PhotoSettings.h"
#include "photo/PhotoWidgets.h"

#include "app/Navigator.h"
#include "platform/Random.h"
#include "platform/Services.h"
#include "platform/Surface.h"

#include "design/DesignTick.h"
#include "drawing/CLogFont.h"
#include "platform/Fonts.h"
#include "platform/QtServices.h"
#include "platform/RasterSurface.h"
#include "platform/SurfaceView.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHash>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <array>

// The sample photos are compiled into this library; a static library must
// register its resources itself.
static void initPhotoResources()
{
    Q_INIT_RESOURCE(photo);
}

namespace lh::photo {

namespace {

constexpr int kSurfacePixels = 857;

// The rotated-font object's view of the surface's current font.
drawing::FontDescription fontDescriptionOf(const Surface& surface)
{
    drawing::FontDescription font;
    font.name = surface.fontName();
    font.size = surface.fontSize();
    font.bold = surface.fontBold();
    font.weight = surface.fontBold() ? 700 : 400;
    font.charset = 134;   // GB2312
    return font;
}

// The look of a "宋体" caption of the given point size, on a 96-dpi screen.
QFont songFont(double points, bool bold)
{
    return resolveFont(QStringLiteral("宋体"), points, bold);
}

QColor hex(const char* text)
{
    return QColor(QString::fromLatin1(text));
}

void setForeground(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Text, colour);
    p.setColor(QPalette::ButtonText, colour);
    w->setPalette(p);
}

void setBackground(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Base, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

struct LabelSpec {
    const char* name;
    const char* caption;
    int left, top, width, height;
    const char* fore;      // nullptr: the default text colour
    double points;
    bool bold;
};

// The labels of the control column (window coordinates, twips).
const LabelSpec kColumnLabels[] = {
    {"Label16", "快速设置文字(点大图)", 13110, 3930, 2085, 285, "#FFFF80", 9, true},
    {"Label17", "文字角度", 13110, 4170, 855, 285, "#80FFFF", 9, false},
    {"Label18", "0度", 15870, 4200, 495, 225, "#FF0000", 9, false},
    {"Label2", "蓝禾艺术照片设计", 13110, 6360, 3435, 285, "#FFC080", 10.5, true},
    {"Label3", "宽度方案选择", 13140, 7050, 1425, 345, "#FFFF80", 9, true},
    {"Label4", "配色方案选择", 14580, 7050, 1455, 315, "#FFFF80", 9, true},
    {"Label6", "设计方法:", 13110, 7890, 1725, 375, "#FF8000", 10.5, true},
    {"Label20", "1：调入一个剪裁好的正方照片。", 13170, 8130, 3165, 255, "#00FF00", 9, false},
    {"Label25", "2：点击调入的照片，开始自动设计。", 13170, 8370, 3165, 285, "#00FF00", 9, false},
    {"Label28", "3：可选宽度方案和配色方案及文字设置。", 13170, 8610, 3375, 285, "#00FF00", 9, false},
    {"Label26", "4：看到喜爱的照片选暂停，再剪裁保存。", 13170, 8850, 3345, 255, "#00FF00", 9, false},
    {"Label27", "5：保存的照片可随时打印。", 13170, 9090, 3375, 315, "#00FF00", 9, false},
    {"Label10", "设计速度控制", 13350, 9600, 1725, 315, "#004000", 10.5, true},
    {"Label9", "设计总量", 13350, 9930, 885, 375, "#FF0000", 9, true},
    {"Label22", "添加祝福词", 13020, 10770, 2235, 255, "#FF0000", 12, true},
    {"Label19", "文字位置调整", 14400, 11790, 1215, 255, "#FFC0FF", 9, false},
    {"Label23", "用爱温暖人心 用美装点世界", 13110, 12090, 3615, 255, "#D7157B", 10.5, true},
};

struct ButtonSpec {
    const char* name;
    const char* caption;
    int left, top, width, height;
    const char* face;
};

const ButtonSpec kColumnButtons[] = {
    {"Command20", "文字大小", 13050, 4830, 885, 285, "#FFC0FF"},
    {"Command22", "文字颜色", 14250, 4830, 885, 285, "#FFC0FF"},
    {"Command21", "重新设置", 15450, 4830, 885, 285, "#FFC0FF"},
    {"Command23", "选色背景", 13080, 5760, 915, 285, "#C0C0FF"},
    {"Command25", "随机背景", 14010, 5760, 915, 285, "#C0C0FF"},
    {"Command19", "照片修剪", 14940, 5760, 855, 285, "#C0C0FF"},
    {"Command18", "剪裁保存", 15810, 5760, 855, 285, "#C0C0FF"},
    {"Command3", "打印图像", 15750, 7320, 885, 285, "#C0C0FF"},
    {"Command4", "正常", 13320, 10230, 705, 375, "#8080FF"},
    {"Command5", "快速", 14100, 10230, 705, 375, "#FF80FF"},
    {"Command6", "高速", 14880, 10230, 705, 375, "#FF8000"},
    {"Command7", "慢速", 15660, 10230, 705, 375, "#008080"},
};

const char* const kCentreRingItems[] = {
    "★★★★★ 蓝禾软件  祝全世界人民  幸福安康 ★★★★★",
    "★★★★★★★★★   祝您生日快乐   ★★★★★★★★★",
    " ★★★ 平安 ★ 幸福 ★ 健康 ★ 快乐 ★ 长寿 ★ 团圆 ★★★",
    "★★★ 智慧 ★ 勇敢 ★ 坚强 ★ 忠贞 ★ 仁爱 ★ 团结 ★★★",
    "★★★★★爱学习 ★爱劳动 ★ 爱人民★ 爱祖国★★★★★",
    "！！！！！！爱你！爱你 ！永远爱你   ！！！！！！",
};

const char* const kLowerArcItems[] = {
    "★★公元2011年北京留念★★",
    "★我十八岁那年的记忆★",
    "★★★美好青春 美好回忆★★★",
    "★★我的学生时代★★",
    "★感谢父母 感谢恩师 感谢苍天★",
    "★全班同学庆贺你的生日★",
    "★★我的童年时代★★",
    "★你是我最最亲爱的人★",
};

const char* const kQuickTextItems[] = {
    "★青岚印像设计出品★",
    "★★澄川影业公司设计出品★★",
    " ★★★霁虹影楼设计出品★★★",
};

const char* const kRadiusItems[] = {" 0.2", " 0.27", " 0.34"};

QLabel* makeLabel(QWidget* parent, const LabelSpec& s)
{
    auto* label = new QLabel(QString::fromUtf8(s.caption), parent);
    label->setObjectName(QString::fromLatin1(s.name));
    label->setGeometry(twipsRect(s.left, s.top, s.width, s.height));
    label->setFont(songFont(s.points, s.bold));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (s.fore)
        setForeground(label, hex(s.fore));
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry, const QColor& face,
                        const QFont& font)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setFont(font);
    QPalette p = button->palette();
    p.setColor(QPalette::Button, face);
    p.setColor(QPalette::ButtonText, Qt::black);
    button->setPalette(p);
    button->setAutoFillBackground(true);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QComboBox* makeCombo(QWidget* parent, const char* name, QRect geometry, const char* fore, const char* back)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setGeometry(geometry);
    combo->setFont(songFont(9, false));
    QPalette p = combo->palette();
    p.setColor(QPalette::Text, hex(fore));
    p.setColor(QPalette::Base, hex(back));
    combo->setPalette(p);
    return combo;
}

QCheckBox* makeCheck(QWidget* parent, const char* name, const QString& caption, QRect geometry, const QString& fore,
                     const QString& back, const QFont& font)
{
    // The face colour lies on a plain panel under the check box, so the box
    // itself keeps the style's light indicator.
    auto* face = new ShapeBox(ShapeBox::Form::Rectangle, QColor(back), 0, QColor(back), parent);
    face->setObjectName(QString::fromLatin1(name) + QStringLiteral("Face"));
    face->setGeometry(geometry);
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(QString::fromLatin1(name));
    check->setGeometry(geometry);
    check->setFont(font);
    QPalette p = check->palette();
    p.setColor(QPalette::WindowText, QColor(fore));
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    check->setPalette(p);
    return check;
}

ShapeBox* makePanel(QWidget* parent, const char* name, ShapeBox::Form form, const char* border, int borderWidth,
                    const char* fill, QRect geometry)
{
    auto* shape = new ShapeBox(form, hex(border), borderWidth,
                               fill ? std::optional<QColor>(hex(fill)) : std::nullopt, parent);
    shape->setObjectName(QString::fromLatin1(name));
    shape->setGeometry(geometry);
    return shape;
}

std::array<QImage, PhotoSlots::kCount> samplePhotos()
{
    ::initPhotoResources();
    std::array<QImage, PhotoSlots::kCount> photos;
    for (int i = 0; i < PhotoSlots::kCount; ++i)
        photos[i] = QImage(QStringLiteral(":/photo/sample%1.jpg").arg(i + 1));
    return photos;
}

Clock& systemClock()
{
    static SystemClock clock;
    return clock;
}

QColor colourOf(Rgb value)
{
    return QColor(redOf(value), greenOf(value), blueOf(value));
}

} // namespace

// The design tick's view of the window: texts by control name, and the two
// labels it writes.
class Form1::Host : public design::DesignHost {
public:
    explicit Host(Form1& window) : window_(window) {}

    QString text(const QString& control) const override
    {
        // Controls live as long as the window: look each up once, not on every tick.
        QWidget*& w = controls_[control];
        if (!w)
            w = window_.findChild<QWidget*>(control);
        if (auto* combo = qobject_cast<QComboBox*>(w))
            return combo->currentText();
        if (auto* label = qobject_cast<QLabel*>(w))
            return label->text();
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            return edit->text();
        throw StepFailure("no such control: " + control.toStdString());
    }
    void setCountCaption(const QString& caption) override { window_.label11_->setText(caption); }
    void setDateCaption(const QString& caption) override { window_.label24_->setText(caption); }
    void setDateColor(Rgb colour) override { setForeground(window_.label24_, colourOf(colour)); }

private:
    Form1& window_;
    mutable QHash<QString, QWidget*> controls_;
};

struct Form1::Engine {
    std::unique_ptr<Surface> surface;
    SurfaceView* view = nullptr;
    std::unique_ptr<design::DesignTick> tick;
    drawing::CLogFont rotatedFont;
};

Form1::Form1(const PlatformServices& services, Navigator& navigator, QWidget* parent)
    : Form1(services, navigator, std::make_unique<RasterSurface>(kSurfacePixels, kSurfacePixels), parent)
{
}

Form1::Form1(const PlatformServices& services, Navigator& navigator, std::unique_ptr<Surface> surface,
             QWidget* parent)
    : QWidget(parent),
      services_(services),
      navigator_(navigator),
      random_(services.random ? *services.random : programRandom()),
      clock_(services.clock ? *services.clock : systemClock()),
      engine_(std::make_unique<Engine>()),
      host_(std::make_unique<Host>(*this)),
      slots_(samplePhotos())
{
    engine_->surface = std::move(surface);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("蓝禾艺术照片设计"));
    setAttribute(Qt::WA_QuitOnClose);
    setFixedSize(twipsToPixels(16830), twipsToPixels(12555));
    setBackground(this, hex("#004040"));
    setFont(songFont(9, false));

    buildWindow();
    Form_Load();

    timer1_->start();
    timer2_->start();
}

Form1::~Form1() = default;

Surface& Form1::surface()
{
    return *engine_->surface;
}

std::int32_t Form1::designCount() const
{
    return engine_->tick ? engine_->tick->designCount() : 0;
}

void Form1::buildWindow()
{
    // Decorative panels lie under the column.
    makePanel(this, "Shape1", ShapeBox::Form::Rectangle, "#FF0000", 1, nullptr, twipsRect(12960, 6300, 3855, 6225));
    makePanel(this, "Shape2", ShapeBox::Form::RoundedRectangle, "#D7157B", 1, "#A2C859",
              twipsRect(12960, 5220, 3855, 1035));
    makePanel(this, "Shape3", ShapeBox::Form::Rectangle, "#D7157B", 1, "#004000", twipsRect(12960, 3870, 3855, 1305));
    makePanel(this, "Shape4", ShapeBox::Form::Rectangle, "#004000", 0, "#004000", twipsRect(12990, 7830, 3765, 1605));
    makePanel(this, "Shape5", ShapeBox::Form::Rectangle, "#8080FF", 0, "#8080FF", twipsRect(12990, 9510, 3735, 1245));

    // The elapsed-time labels lie under the photo panel, which covers them.
    label5_ = new QLabel(this);
    label5_->setObjectName(QStringLiteral("Label5"));
    label5_->setGeometry(twipsRect(15210, 1950, 585, 345));
    label13_ = new QLabel(this);
    label13_->setObjectName(QStringLiteral("Label13"));
    label13_->setGeometry(twipsRect(15090, 2940, 735, 405));

    // Drawing surface, 360 twips taller than the client area.
    engine_->view = new SurfaceView(*engine_->surface, this);
    picture1_ = engine_->view;
    engine_->surface->setBackColor(rgb(0x00, 0x00, 0x40));
    connect(engine_->view, &SurfaceView::mouseReleased, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers, QPointF twips) {
                Picture1_MouseUp(button, twips.x(), twips.y());
            });
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->setGeometry(twipsRect(0, 0, 12915, 12915));
    buildSurfaceChildren();

    buildPhotoPanel();

    for (const LabelSpec& s : kColumnLabels)
        makeLabel(this, s);
    label18_ = findChild<QLabel*>(QStringLiteral("Label18"));

    hscroll1_ = new QScrollBar(Qt::Horizontal, this);
    hscroll1_->setObjectName(QStringLiteral("HScroll1"));
    hscroll1_->setGeometry(twipsRect(13920, 4170, 1725, 225));
    hscroll1_->setRange(-360, 360);
    hscroll1_->setSingleStep(1);
    hscroll1_->setPageStep(1);
    hscroll1_->setTracking(false);   // the value changes when a drag ends
    connect(hscroll1_, &QScrollBar::valueChanged, this, &Form1::HScroll1_Change);
    connect(hscroll1_, &QScrollBar::sliderMoved, this, &Form1::HScroll1_Scroll);

    combo5_ = makeCombo(this, "Combo5", twipsRect(13050, 4440, 3285, 300), "#0000FF", "#C0FFC0");

    const QFont plain = songFont(9, false);
    for (const ButtonSpec& s : kColumnButtons)
        makeButton(this, s.name, QString::fromUtf8(s.caption), twipsRect(s.left, s.top, s.width, s.height),
                   hex(s.face), plain);

    check5_ = makeCheck(this, "Check5", musicCaption(false), twipsRect(13140, 5340, 1065, 285), QStringLiteral("#004040"), QStringLiteral("#A2C859"),
                        plain);
    check2_ = makeCheck(this, "Check2", pauseCaption(true), twipsRect(13140, 6660, 795, 255), QStringLiteral("#FF0000"), QStringLiteral("#400040"),
                        songFont(9, true));
    check2_->setChecked(true);

    combo1_ = makeCombo(this, "Combo1", twipsRect(13170, 7320, 825, 300), "#0000FF", "#C0FFFF");
    combo2_ = makeCombo(this, "Combo2", twipsRect(14580, 7320, 795, 300), "#0000FF", "#C0FFFF");
    combo3_ = makeCombo(this, "Combo3", twipsRect(12990, 11070, 3705, 300), "#0000FF", "#C0FFC0");
    combo4_ = makeCombo(this, "Combo4", twipsRect(12990, 11400, 3705, 300), "#800080", "#C0FFC0");
    combo6_ = makeCombo(this, "Combo6", twipsRect(15600, 11730, 1095, 300), "#0000FF", "#C0FFC0");

    label11_ = new QLabel(this);
    label11_->setObjectName(QStringLiteral("Label11"));
    label11_->setGeometry(twipsRect(14160, 9900, 945, 285));
    label11_->setFont(plain);
    setForeground(label11_, hex("#000080"));
    setBackground(label11_, hex("#C0FFC0"));

    // Hidden controls: the background setting, the category fields and the
    // ten category buttons (stacked on one another).
    text6_ = new QLineEdit(QStringLiteral("RGB(230 * Rnd, 230 * Rnd, 230 * Rnd)"), this);
    text6_->setObjectName(QStringLiteral("Text6"));
    text6_->hide();
    label8_ = new QLabel(this);
    label8_->setObjectName(QStringLiteral("Label8"));
    label8_->hide();
    label14_ = new QLabel(this);
    label14_->setObjectName(QStringLiteral("Label14"));
    label14_->hide();
    for (int k = 1; k <= 10; ++k) {
        const QByteArray name = "Command" + QByteArray::number(7 + k);
        QPushButton* b = makeButton(this, name.constData(), QString::number(k), twipsRect(15960, 8820, 495, 495),
                                    hex("#00C000"), songFont(12, true));
        b->hide();
        connect(b, &QPushButton::clicked, this, [this, k] { navigator_.showCategory(k); });
    }

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kNormalInterval);
    connect(timer1_, &QTimer::timeout, this, &Form1::Timer1_Timer);
    timer2_ = new QTimer(this);
    timer2_->setObjectName(QStringLiteral("Timer2"));
    timer2_->setInterval(1000);
    connect(timer2_, &QTimer::timeout, this, &Form1::Timer2_Timer);

    auto button = [this](const char* name) { return findChild<QPushButton*>(QString::fromLatin1(name)); };
    connect(check2_, &QCheckBox::toggled, this, &Form1::Check2_Click);
    connect(check5_, &QCheckBox::toggled, this, &Form1::Check5_Click);
    connect(button("Command20"), &QPushButton::clicked, this, &Form1::Command20_Click);
    connect(button("Command21"), &QPushButton::clicked, this, &Form1::Command21_Click);
    connect(button("Command22"), &QPushButton::clicked, this, &Form1::Command22_Click);
    connect(button("Command23"), &QPushButton::clicked, this, &Form1::Command23_Click);
    connect(button("Command25"), &QPushButton::clicked, this, &Form1::Command25_Click);
    connect(button("Command18"), &QPushButton::clicked, this, [this] { navigator_.openCapture(this); });
    connect(button("Command19"), &QPushButton::clicked, this, [this] { navigator_.openZoom(this); });
    connect(button("Command3"), &QPushButton::clicked, this, [this] { navigator_.openPrinting(this); });
    const std::pair<const char*, int> speeds[] = {
        {"Command4", kNormalInterval}, {"Command5", kFastInterval}, {"Command6", kTopInterval}, {"Command7", kSlowInterval}};
    for (const auto& [name, interval] : speeds)
        connect(button(name), &QPushButton::clicked, this, [this, interval = interval] { timer1_->setInterval(interval); });
}

void Form1::buildSurfaceChildren()
{
    // Children of the surface, placed in its inner coordinates.
    QWidget* canvas = engine_->view->canvas();
    image6_ = new ImageBox(canvas);
    image6_->setObjectName(QStringLiteral("Image6"));
    image6_->setGeometry(twipsRect(5220, 5220, 2475, 2475));
    image6_->setPicture(QImage(QStringLiteral(":/photo/initial.jpg")));
    image6_->hide();

    shape9_ = new ShapeBox(ShapeBox::Form::Oval, hex("#D7157B"), 23, std::nullopt, canvas);
    shape9_->setObjectName(QStringLiteral("Shape9"));
    shape9_->setGeometry(twipsRect(5520, 5520, 1875, 1875));
    shape9_->hide();

    label24_ = new QLabel(canvas);
    label24_->setObjectName(QStringLiteral("Label24"));
    label24_->setGeometry(twipsRect(10380, 11850, 2445, 255));
    label24_->setFont(songFont(10.5, true));
    label24_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    picture2_ = new QLabel(canvas);
    picture2_->setObjectName(QStringLiteral("Picture2"));
    picture2_->hide();
}

void Form1::buildPhotoPanel()
{
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Picture4"));
    panel->setGeometry(twipsRect(12930, -60, 3855, 3885));
    setBackground(panel, hex("#008080"));

    makeLabel(panel, {"Label21", "调入照片(正方照片)", 420, 120, 2055, 255, "#FFFF00", 10.5, true});

    struct Slot { const char* image; const char* tip; int left, top; const char* button; const char* caption; int bl, bt; };
    const Slot slotSpecs[PhotoSlots::kCount] = {
        {"Image7", "显示中图1-点击添加", 450, 390, "Command31", "替换图1", 450, 1800},
        {"Image8", "点击添加", 2100, 390, "Command32", "替换图2", 2100, 1800},
        {"Image9", "点击添加", 450, 2130, "Command33", "替换图3", 450, 3540},
        {"Image10", "点击添加", 2100, 2130, "Command34", "替换图4", 2100, 3540},
    };
    for (int i = 0; i < PhotoSlots::kCount; ++i) {
        const Slot& s = slotSpecs[i];
        auto* thumb = new ImageBox(panel);
        thumb->setObjectName(QString::fromLatin1(s.image));
        thumb->setGeometry(twipsRect(s.left, s.top, 1365, 1365));
        thumb->setToolTip(QString::fromUtf8(s.tip));
        thumb->setPicture(slots_.picture(i));
        thumb->setCursor(Qt::PointingHandCursor);
        thumbnails_[i] = thumb;
        connect(thumb, &ImageBox::clicked, this, [this, i] { showSlotInMiddle(i); });

        QPushButton* b = makeButton(panel, s.button, QString::fromUtf8(s.caption), twipsRect(s.bl, s.bt, 1095, 285),
                                    hex("#FFC0FF"), songFont(9, false));
        connect(b, &QPushButton::clicked, this, [this, i] { replaceSlot(i); });
    }
}

void Form1::Form_Load()
{
    for (int w = 2; w <= 20; ++w)
        combo1_->addItem(QString::number(w));
    for (int w = 30; w <= 90; w += 10)
        combo1_->addItem(QString::number(w));
    combo1_->setEditText(QStringLiteral("90"));
    for (int m = 0; m <= 16; ++m)
        if (m != 11)
            combo2_->addItem(QString::number(m));
    combo2_->setEditText(QStringLiteral("8"));
    for (const char* item : kCentreRingItems)
        combo3_->addItem(QString::fromUtf8(item));
    combo3_->setEditText(QString::fromUtf8(kCentreRingItems[1]));
    for (const char* item : kLowerArcItems)
        combo4_->addItem(QString::fromUtf8(item));
    combo4_->setEditText(QStringLiteral("★★★美好青春 美好回忆★★★"));
    for (const char* item : kQuickTextItems)
        combo5_->addItem(QString::fromUtf8(item));
    combo5_->setEditText(QStringLiteral("我最新的美术图案作品"));
    for (const char* item : kRadiusItems)
        combo6_->addItem(QString::fromUtf8(item));
    combo6_->setEditText(QStringLiteral("0.2"));
    // Long greetings show from their beginning.
    for (QComboBox* combo : {combo1_, combo2_, combo3_, combo4_, combo5_, combo6_})
        combo->lineEdit()->setCursorPosition(0);

    const QString category = findChild<QPushButton*>(QStringLiteral("Command8"))->text();
    label8_->setText(QStringLiteral("第") + category + QStringLiteral("大类"));
    label14_->setText(category);

    engine_->tick = std::make_unique<design::DesignTick>(design::recipeForCategory(1), *engine_->surface, random_,
                                                         *host_, clock_);
    engine_->rotatedFont.setLogFont(fontDescriptionOf(*engine_->surface));
    hscroll1_->setValue(0);
    HScroll1_Change(hscroll1_->value());
}

void Form1::refreshSurface()
{
    engine_->view->refresh();
}

void Form1::Timer1_Timer()
{
    try {
        engine_->tick->run();
    } catch (const std::exception&) {
        // Every step of the tick is skipped on failure; nothing else may end it.
    }
    refreshSurface();
}

void Form1::Timer2_Timer()
{
    if (elapsed_ < INT32_MAX)
        ++elapsed_;
    label5_->setText(elapsedMinutesCaption(elapsed_));
    label13_->setText(elapsedHoursCaption(elapsed_));
}

void Form1::Picture1_MouseUp(Qt::MouseButton, double xTwips, double yTwips)
{
    Surface& s = *engine_->surface;
    engine_->rotatedFont.setLogFont(fontDescriptionOf(s));
    s.setCurrentX(xTwips);
    s.setCurrentY(yTwips);
    const QString text = combo5_->currentText();
    try {
        if (!text.isEmpty() && engine_->rotatedFont.handleRecord())
            s.textOut(text, *engine_->rotatedFont.handleRecord());
    } catch (const StepFailure&) {
        // A text the surface cannot print leaves the design as it was.
    }
    refreshSurface();
}

void Form1::Check2_Click()
{
    const bool running = check2_->isChecked();
    if (running) {
        engine_->surface->setBackgroundPicture(QImage());
        timer1_->start();
        timer2_->start();
    } else {
        timer1_->stop();
        timer2_->stop();
        designCopy_ = engine_->surface->image();
    }
    check2_->setText(pauseCaption(running));
}

void Form1::Check5_Click()
{
    const bool playing = check5_->isChecked();
    if (playing)
        navigator_.startMusic();
    else
        navigator_.stopMusic();
    check5_->setText(musicCaption(playing));
}

void Form1::HScroll1_Change(int value)
{
    engine_->rotatedFont.setRotation(static_cast<float>(value));
    label18_->setText(angleCaption(value));
}

void Form1::HScroll1_Scroll(int value)
{
    label18_->setText(angleCaption(value));
}

void Form1::Command20_Click()
{
    Surface& s = *engine_->surface;
    const auto choice = services_.fontColor->chooseFont(this, FontChoice{s.fontName(), s.fontSize()});
    if (!choice)
        return;
    try {
        s.setFontName(choice->face);
        if (choice->size > 0)
            s.setFontSize(choice->size);
    } catch (const StepFailure&) {
        // A size the surface refuses keeps the one it had.
    }
}

void Form1::Command22_Click()
{
    Surface& s = *engine_->surface;
    if (const auto colour = services_.fontColor->chooseColor(this, s.foreColor()))
        s.setForeColor(*colour);
}

void Form1::Command21_Click()
{
    if (timer1_->isActive())
        return;
    engine_->surface->setBackgroundPicture(designCopy_);
    refreshSurface();
}

void Form1::Command23_Click()
{
    if (const auto colour = services_.fontColor->chooseColor(this, engine_->surface->backColor()))
        text6_->setText(backgroundText(*colour));
}

void Form1::Command25_Click()
{
    text6_->setText(randomBackgroundText(random_));
}

void Form1::showSlotInMiddle(int slot)
{
    image6_->show();
    shape9_->show();
    // The frame is 25 twips larger than the photo box on every side.
    shape9_->setGeometry(twipsRect(5220 - 25, 5220 - 25, 2475 + 50, 2475 + 50));
    image6_->setPicture(slots_.picture(slot));
}

void Form1::replaceSlot(int slot)
{
    const auto chosen = services_.files->openFile(this, QString(), kPictureFilter, QString());
    if (slots_.replace(slot, chosen))
        thumbnails_[slot]->setPicture(slots_.picture(slot));
}

void Form1::closeEvent(QCloseEvent* event)
{
    timer1_->stop();
    timer2_->stop();
    event->accept();
    // The main window ends the program, whatever tool or music window is open.
    QCoreApplication::quit();
}

} // namespace lh::photo
