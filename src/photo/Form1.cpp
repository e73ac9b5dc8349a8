#include "photo/Form1.h"

#include "photo/Form1Layout.h"
#include "photo/PhotoSettings.h"

#include "design/WindowTexts.h"
#include "designer/DesignerCore.h"
#include "drawing/CLogFont.h"
#include "engine/RasterSurface.h"
#include "forms/SurfaceView.h"
#include "scene/DesignScene.h"
#include "forms/FormToolkit.h"
#include "forms/Navigator.h"
#include "platform/Services.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <array>
#include <utility>

// The sample photos are compiled into this library; a static library must
// register its resources itself.
static void initPhotoResources() { Q_INIT_RESOURCE(photo); }

namespace lh::photo {

namespace {



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

std::array<QImage, PhotoSlots::kCount> samplePhotos()
{
    ::initPhotoResources();
    std::array<QImage, PhotoSlots::kCount> photos;
    for (int i = 0; i < PhotoSlots::kCount; ++i)
        photos[i] = QImage(QStringLiteral(":/photo/sample%1.jpg").arg(i + 1));
    return photos;
}

void fill(QComboBox* combo, const QStringList& items, const QString& text)
{
    combo->addItems(items);
    combo->setEditText(text);
    // Long greetings show from their beginning.
    combo->lineEdit()->setCursorPosition(0);
}

}   // namespace

struct Form1::Stamp {
    drawing::CLogFont rotatedFont;
};

Form1::Form1(const PlatformServices& services, Navigator& navigator, QWidget* parent)
    : Form1(services, navigator, std::make_unique<RasterSurface>(scene::kDesignPixels, scene::kDesignPixels), parent)
{}

Form1::Form1(const PlatformServices& services, Navigator& navigator, std::unique_ptr<Surface> surface, QWidget* parent)
    : QWidget(parent),
      services_(services),
      navigator_(navigator),
      stamp_(std::make_unique<Stamp>()),
      slots_(samplePhotos())
{
    forms::applyWindowLook(this, {"Form1", "蓝禾艺术照片设计", "#004040", {"宋体", 9, false}});
    setFixedSize(forms::twipsToPixels(16830), forms::twipsToPixels(12555));

    // The drawing surface, 360 twips taller than the client area, under the
    // column's panels.
    core_ = new designer::DesignerCore(*this, services, navigator, {1, "Command8", "Label14"}, std::move(surface));
    forms::buildControls(this, form1Controls());
    auto* panel = forms::control<QWidget>(this, "Picture4");
    forms::buildControls(panel, photoPanelControls());
    forms::buildControls(core_->view().canvas(), surfaceControls());
    panel->raise();
    core_->view().lower();

    Form_Load();
    wire();
    core_->load();
    timer2_->start();
}

Form1::~Form1() = default;

Surface& Form1::surface() { return core_->surface(); }

std::int32_t Form1::designCount() const { return core_->designCount(); }

void Form1::Form_Load()
{
    label5_ = forms::control<QLabel>(this, "Label5");
    label13_ = forms::control<QLabel>(this, "Label13");
    label18_ = forms::control<QLabel>(this, "Label18");
    check5_ = forms::checkBox(this, "Check5");
    combo5_ = forms::control<QComboBox>(this, "Combo5");
    hscroll1_ = forms::control<QScrollBar>(this, "HScroll1");
    text6_ = forms::control<QLineEdit>(this, "Text6");
    image6_ = forms::control<ImageBox>(this, "Image6");
    shape9_ = forms::control<ShapeBox>(this, "Shape9");
    image6_->setPicture(QImage(QStringLiteral(":/photo/initial.jpg")));
    navigator_.photoShown(image6_->picture());
    dateLabel_ = forms::control<QLabel>(this, "Label24");
    core_->setDateLabel(dateLabel_);
    // Each design is kept with the photo shown in its middle.
    core_->setPhotoSource([this] { return shownPhoto(); });
    // The photo, its ring and the date label are the scene's: the view, the
    // exports and kept designs all draw them with the scene's painter.
    core_->setPhotoOverlay([this] { return std::optional<scene::PhotoOverlay>(overlayOnShow()); });
    core_->view().paintBoxesOnCanvas({image6_, shape9_, dateLabel_});
    core_->view().setOverlayPainter(
        [this](QPainter& painter) { scene::paintOverlay(painter, shownPhoto(), overlayOnShow(), 1); });

    const QHash<QString, QString> texts = design::initialWindowTexts(1);
    text6_->setText(texts.value(QStringLiteral("Text6")));
    fill(forms::control<QComboBox>(this, "Combo3"), centreRingItems(), texts.value(QStringLiteral("Combo3")));
    fill(forms::control<QComboBox>(this, "Combo4"), lowerArcItems(), texts.value(QStringLiteral("Combo4")));
    fill(combo5_, quickTextItems(), texts.value(QStringLiteral("Combo5")));
    fill(forms::control<QComboBox>(this, "Combo6"), radiusItems(), texts.value(QStringLiteral("Combo6")));

    const char* const slotImages[PhotoSlots::kCount] = {"Image7", "Image8", "Image9", "Image10"};
    for (int i = 0; i < PhotoSlots::kCount; ++i) {
        thumbnails_[i] = forms::control<ImageBox>(this, slotImages[i]);
        thumbnails_[i]->setToolTip(i == 0 ? QStringLiteral("显示中图1-点击添加") : QStringLiteral("点击添加"));
        thumbnails_[i]->setCursor(Qt::PointingHandCursor);
        thumbnails_[i]->setPicture(slots_.picture(i));
    }

    hscroll1_->setRange(-360, 360);
    hscroll1_->setSingleStep(1);
    hscroll1_->setPageStep(1);
    hscroll1_->setTracking(false);   // the value changes when a drag ends
    stamp_->rotatedFont.setLogFont(fontDescriptionOf(core_->surface()));
    hscroll1_->setValue(0);
    HScroll1_Change(hscroll1_->value());

    timer2_ = new QTimer(this);
    timer2_->setObjectName(QStringLiteral("Timer2"));
    timer2_->setInterval(1000);
}

void Form1::wire()
{
    auto button = [this](const char* name) { return forms::control<QPushButton>(this, name); };
    connect(timer2_, &QTimer::timeout, this, &Form1::Timer2_Timer);
    connect(core_, &designer::DesignerCore::runningChanged, this, &Form1::runningChanged);
    connect(core_, &designer::DesignerCore::historyStepped, this, &Form1::historyStepped);
    connect(
        &core_->view(), &SurfaceView::mouseReleased, this,
        [this](Qt::MouseButton b, Qt::KeyboardModifiers, QPointF twips) { Picture1_MouseUp(b, twips.x(), twips.y()); });
    connect(check5_, &QCheckBox::toggled, this, &Form1::Check5_Click);
    connect(hscroll1_, &QScrollBar::valueChanged, this, &Form1::HScroll1_Change);
    connect(hscroll1_, &QScrollBar::sliderMoved, this, &Form1::HScroll1_Scroll);
    connect(button("Command20"), &QPushButton::clicked, this, &Form1::Command20_Click);
    connect(button("Command21"), &QPushButton::clicked, this, &Form1::Command21_Click);
    connect(button("Command22"), &QPushButton::clicked, this, &Form1::Command22_Click);
    connect(button("Command23"), &QPushButton::clicked, this, &Form1::Command23_Click);
    connect(button("Command25"), &QPushButton::clicked, this, &Form1::Command25_Click);
    connect(button("Command18"), &QPushButton::clicked, this, [this] { navigator_.openCapture(this); });
    connect(button("Command19"), &QPushButton::clicked, this, [this] { navigator_.openZoom(this); });
    connect(button("Command3"), &QPushButton::clicked, this, [this] { navigator_.openPrinting(this); });
    const char* const replaceButtons[PhotoSlots::kCount] = {"Command31", "Command32", "Command33", "Command34"};
    for (int i = 0; i < PhotoSlots::kCount; ++i) {
        connect(thumbnails_[i], &ImageBox::clicked, this, [this, i] { showSlotInMiddle(i); });
        connect(button(replaceButtons[i]), &QPushButton::clicked, this, [this, i] { replaceSlot(i); });
    }
}

QImage Form1::shownPhoto() const { return image6_->isHidden() ? QImage() : image6_->picture(); }

scene::PhotoOverlay Form1::overlayOnShow() const
{
    scene::PhotoOverlay overlay;
    if (!image6_->isHidden())
        overlay.photo = image6_->geometry();
    if (!shape9_->isHidden()) {
        overlay.frame = shape9_->geometry();
        overlay.frameColour = shape9_->borderColor();
        overlay.frameWidth = shape9_->borderWidth();
    }
    if (!dateLabel_->isHidden()) {
        overlay.date = scene::CaptionOverlay{dateLabel_->text(),
                                             dateLabel_->font(),
                                             dateLabel_->palette().color(QPalette::WindowText),
                                             dateLabel_->contentsRect().translated(dateLabel_->pos()),
                                             dateLabel_->alignment(),
                                             QFontInfo(dateLabel_->font()).pixelSize()};
    }
    return overlay;
}

void Form1::Timer1_Timer() { core_->Timer1_Timer(); }

void Form1::Timer2_Timer()
{
    if (elapsed_ < INT32_MAX)
        ++elapsed_;
    label5_->setText(elapsedMinutesCaption(elapsed_));
    label13_->setText(elapsedHoursCaption(elapsed_));
}

void Form1::Picture1_MouseUp(Qt::MouseButton, double xTwips, double yTwips)
{
    Surface& s = core_->surface();
    drawing::CLogFont& font = stamp_->rotatedFont;
    font.setLogFont(fontDescriptionOf(s));
    s.setCurrentX(xTwips);
    s.setCurrentY(yTwips);
    const QString text = combo5_->currentText();
    try {
        if (!text.isEmpty() && font.handleRecord()) {
            s.textOut(text, *font.handleRecord());
            core_->addStamp({xTwips, yTwips, text, *font.handleRecord(), s.foreColor()});
        }
    } catch (const StepFailure&) {
        // A text the surface cannot print leaves the design as it was.
    }
    core_->present();
}

void Form1::runningChanged(bool running)
{
    if (running) {
        core_->surface().setBackgroundPicture(QImage());
        timer2_->start();
    } else {
        timer2_->stop();
        designCopy_ = core_->surface().image();
    }
}

void Form1::historyStepped()
{
    // Stepping re-draws the design without the stamps; "重新设置" brings back
    // the design on show as it was re-drawn.
    designCopy_ = core_->surface().image();
    if (core_->historyPosition()) {
        if (!livePhoto_)
            livePhoto_ = image6_->isHidden() ? QImage() : image6_->picture();
        if (const design::DesignRecord* record = core_->designOnShow())
            showPhoto(record->photo);
    } else if (livePhoto_) {
        showPhoto(*std::exchange(livePhoto_, std::nullopt));
    }
}

void Form1::showPhoto(const QImage& picture)
{
    if (picture.isNull()) {
        image6_->hide();
        shape9_->hide();
        return;
    }
    image6_->show();
    shape9_->show();
    // The frame is 25 twips larger than the photo box on every side.
    shape9_->setGeometry(forms::twipsRect(5220 - 25, 5220 - 25, 2475 + 50, 2475 + 50));
    image6_->setPicture(picture);
    navigator_.photoShown(picture);
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
    stamp_->rotatedFont.setRotation(static_cast<float>(value));
    label18_->setText(angleCaption(value));
}

void Form1::HScroll1_Scroll(int value) { label18_->setText(angleCaption(value)); }

void Form1::Command20_Click()
{
    Surface& s = core_->surface();
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
    Surface& s = core_->surface();
    if (const auto colour = services_.fontColor->chooseColor(this, s.foreColor()))
        s.setForeColor(*colour);
}

void Form1::Command21_Click()
{
    if (core_->running())
        return;
    core_->surface().setBackgroundPicture(designCopy_);
    core_->clearStamps();
    core_->present();
}

void Form1::Command23_Click()
{
    if (const auto colour = services_.fontColor->chooseColor(this, core_->surface().backColor()))
        text6_->setText(backgroundText(*colour));
}

void Form1::Command25_Click() { text6_->setText(randomBackgroundText(*services_.random)); }

void Form1::showSlotInMiddle(int slot)
{
    // A photo chosen while stepping stays when the stepping ends.
    livePhoto_.reset();
    showPhoto(slots_.picture(slot));
}

void Form1::replaceSlot(int slot)
{
    const auto chosen = services_.files->openFile(this, QString(), kPictureFilter, QString());
    if (slots_.replace(slot, chosen))
        thumbnails_[slot]->setPicture(slots_.picture(slot));
}

void Form1::closeEvent(QCloseEvent* event)
{
    core_->timer().stop();
    timer2_->stop();
    event->accept();
}

}   // namespace lh::photo
