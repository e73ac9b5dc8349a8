#include "tools/FrmMain.h"
#include "forms/Notices.h"

#include "tools/GrabMarks.h"

#include "pictures/PictureFiles.h"
#include "forms/Controls.h"
#include "forms/FormToolkit.h"
#include "forms/Navigator.h"
#include "forms/SaveName.h"
#include "platform/ScreenGrabbers.h"
#include "tools/Form20.h"

#include <QApplication>
#include <QFrame>
#include <QCheckBox>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QTimer>

#include <algorithm>
#include <array>

namespace lh::tools {

namespace {

using forms::Kind;
constexpr forms::FontSpec kPlain{"宋体", 9, false};
const QString& kNoticeTitle = forms::kNoticeTitle;
// Time the other windows get to repaint what a hidden frame uncovered before
// the screen is read.
constexpr int kSettleMs = 60;

// Client coordinates, twips.
const forms::Row kRows[] = {
    {"Label1", Kind::Label, "左键点击图片，然后按住不放拖动鼠标到需要捕获的窗口。", {150, 240, 1200, 900}, "#FFFFC0"},
    {"picSnap", Kind::PictureBox, "", {390, 1410, 525, 480}, nullptr, "#C0FFC0", kPlain, true, -1, 2},
    {"chk", Kind::CheckBox, "抓图时最小化窗体(&M)", {150, 2100, 1200, 495}, "#FF8000", "#004040"},
    {"cmdSave", Kind::Button, "保存图片(&S)", {150, 3330, 1200, 345}, nullptr, "#C0C0FF"},
    {"picScroll", Kind::PictureBox, "", {1575, 0, 5235, 4920}, nullptr, "#808080", kPlain, true, -1, 0},
    {"HScroll1", Kind::HScrollBar, "", {1575, 4920, 1245, 270}},
    {"VScroll1", Kind::VScrollBar, "", {6810, 0, 270, 1245}},
};
// Inside picScroll.
const forms::Row kViewportRows[] = {
    {"picBmp", Kind::PictureBox, "", {0, 0, 3825, 2805}, nullptr, "#808080", kPlain, true, -1, 0},
};

const forms::WindowLook kLook{"frmMain", "蓝禾抓图器", "#004040", kPlain};

// The handle's picture: a small target.
QImage handlePicture()
{
    QImage img(31, 28, QImage::Format_RGB32);
    img.fill(QColor(0xC0, 0xFF, 0xC0));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x00, 0x40, 0x40), 2));
    p.drawEllipse(QPointF(15.5, 14), 9, 9);
    p.drawLine(QPointF(15.5, 1), QPointF(15.5, 27));
    p.drawLine(QPointF(2, 14), QPointF(29, 14));
    p.setBrush(QColor(0xD7, 0x15, 0x7B));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(15.5, 14), 2.5, 2.5);
    return img;
}

QImage withScreenResolution(QImage img)
{
    img.setDevicePixelRatio(1.0);
    img.setDotsPerMeterX(kScreenDotsPerMetre);
    img.setDotsPerMeterY(kScreenDotsPerMetre);
    return img;
}

}   // namespace

FrmMain::FrmMain(const PlatformServices& services, Navigator& navigator, QWidget* owner)
    : QWidget(owner, Qt::Window),
      services_(services),
      navigator_(navigator),
      finder_(makeWindowFinder(QGuiApplication::platformName())),
      pointer_([] { return QCursor::pos(); }),
      frame_(std::make_unique<GrabFrame>()),
      holder_(std::make_unique<PointerHolder>([this](Qt::MouseButton b) { picSnap_MouseUp(b); }))
{
    forms::applyWindowLook(this, kLook);
    forms::buildControls(this, kRows);
    picSnap_ = forms::control<forms::PicturePane>(this, "picSnap");
    picScroll_ = forms::control<forms::PicturePane>(this, "picScroll");
    forms::buildControls(picScroll_, kViewportRows);
    picBmp_ = forms::control<forms::PicturePane>(picScroll_, "picBmp");
    chk_ = forms::checkBox(this, "chk");
    cmdSave_ = forms::control<QPushButton>(this, "cmdSave");
    hScroll1_ = forms::control<QScrollBar>(this, "HScroll1");
    vScroll1_ = forms::control<QScrollBar>(this, "VScroll1");
    if (auto* label = forms::control<QLabel>(this, "Label1")) {
        // The instruction shows whole in the installed face: as wide as the
        // column left of the viewport allows and as high as it needs above the handle.
        label->setWordWrap(true);
        const int room = picScroll_->x() - label->x() - 2;
        label->resize(std::max(label->width(), room), label->height());
        label->resize(label->width(), std::clamp(label->heightForWidth(label->width()), label->height(),
                                                 std::max(label->height(), picSnap_->y() - label->y() - 2)));
    }

    // Its caption wraps onto two lines in the width of the column.
    chk_->resize(std::max(chk_->width(), picScroll_->x() - chk_->x() - 2), chk_->height());
    chk_->setChecked(true);
    picSnap_->setAutoSize(true);
    picSnap_->setPicture(handlePicture());
    picSnap_->setCursor(Qt::CrossCursor);
    picSnap_->installEventFilter(this);
    picBmp_->setAutoSize(true);
    connect(cmdSave_, &QPushButton::clicked, this, &FrmMain::cmdSave_Click);
    connect(hScroll1_, &QScrollBar::valueChanged, this,
            [this](int v) { picBmp_->move(forms::twipsToPixels(-double(v)), picBmp_->y()); });
    connect(vScroll1_, &QScrollBar::valueChanged, this,
            [this](int v) { picBmp_->move(picBmp_->x(), forms::twipsToPixels(-double(v))); });

    tmr_ = new QTimer(this);
    tmr_->setObjectName(QStringLiteral("tmr"));
    tmr_->setInterval(kTickMs);
    connect(tmr_, &QTimer::timeout, this, &FrmMain::tmr_Timer);

    resize(forms::twipsRect(0, 0, 7080, 5190).size());
    // Centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    Form_Resize();
}

FrmMain::~FrmMain()
{
    tmr_->stop();
    holder_->letGo();
    frame_->hide();
}

QList<QWidget*> FrmMain::frameWindows() const { return frame_->windows(); }

bool FrmMain::seesEverything() const { return services_.screen->canGrabScreen() && finder_->seesForeignWindows(); }

void FrmMain::tellOwnWindowsOnly()
{
    if (!services_.screen->ownWindowsNoticeDue(objectName()))
        return;
    services_.messages->inform(
        this, QStringLiteral("本系统不让程序读取屏幕或查找其他程序的窗口，抓图器只能抓取本程序窗口中显示的图像。"),
        kNoticeTitle, MessageIcon::Information);
}

std::vector<std::uint64_t> FrmMain::ownWindowIds() const
{
    std::vector<std::uint64_t> ids;
    QList<QWidget*> mine = frame_->windows();
    mine << holder_.get();
    for (QWidget* w : mine)
        if (w->testAttribute(Qt::WA_WState_Created))
            ids.push_back(std::uint64_t(w->winId()));
    return ids;
}

std::optional<FrmMain::Target> FrmMain::targetAt(QPoint global)
{
    QWidget* own = QApplication::widgetAt(global);
    if (own && (own->window() == holder_.get() || frame_->windows().contains(own->window())))
        own = nullptr;
    // A control drawn inside a bordered frame (the design surface in its
    // sunken border) is taken with its border, as the frame's own rectangle.
    while (own && !own->isWindow()) {
        const auto* frame = qobject_cast<const QFrame*>(own->parentWidget());
        if (!frame || frame->frameWidth() <= 0 || frame->contentsRect() != own->geometry())
            break;
        own = own->parentWidget();
    }
    if (own) {
        const QPoint tl = globalToDesktopDevice(own->mapToGlobal(QPointF(0, 0)));
        const QPoint br = globalToDesktopDevice(own->mapToGlobal(QPointF(own->width(), own->height())));
        return Target{EdgeRect{tl.x(), tl.y(), br.x(), br.y()}, own};
    }
    if (finder_->seesForeignWindows()) {
        if (const std::optional<FoundWindow> f = finder_->windowAt(globalToDesktopDevice(global), ownWindowIds())) {
            const QRect r = f->rect;
            return Target{EdgeRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}, nullptr};
        }
    }
    return std::nullopt;
}

bool FrmMain::cannotFindWindows() const
{
    return !services_.screen->knowsWindowPositions() && !finder_->seesForeignWindows();
}

void FrmMain::offerRegionCapture()
{
    if (!services_.messages->ask(
            this,
            QStringLiteral("在这个桌面（Wayland）上，程序找不到其他程序的窗口，也不能跟随本程序窗口以外的鼠标，"
                           "抓图器抓不到窗口。要改用剪裁抓图，在屏幕上框出要抓的区域吗？"),
            kNoticeTitle))
        return;
    navigator_.openCapture(this);
}

void FrmMain::picSnap_MouseDown(Qt::MouseButton button)
{
    if (button != Qt::LeftButton || grabbing_ || finishing_)
        return;
    if (cannotFindWindows()) {
        // A grab would follow nothing: the region capture is offered instead.
        offerRegionCapture();
        return;
    }
    // A platform that hides the screen is told of after the grab, not while
    // the button is held.
    if (chk_->isChecked())
        showMinimized();
    grabbing_ = true;
    holder_->take();
    tmr_->start();
}

void FrmMain::tmr_Timer()
{
    if (!grabbing_)
        return;
    const std::optional<Target> t = targetAt(pointer_());
    const QSize screen = virtualDesktopDeviceRect().size();
    const std::optional<EdgeRect> next =
        t ? std::optional<EdgeRect>(clampToScreen(t->rect, screen.width(), screen.height())) : std::nullopt;
    // While the pointer stays over one window its frame stays on screen.
    if (next && shownFrame_ && *next == *shownFrame_ && !pendingFrame_) {
        foundOwn_ = t->own;
        return;
    }
    // Another window (or none): the frame goes before the screen is looked at
    // again, and comes back around the new one within this tick.
    frame_->hide();
    shownFrame_.reset();
    pendingFrame_.reset();
    if (next) {
        found_ = *next;
        foundOwn_ = t->own;
        pendingFrame_ = found_;
        QTimer::singleShot(kSettleMs, this, &FrmMain::showFrame);
    }
}

void FrmMain::showFrame()
{
    if (!grabbing_ || !pendingFrame_)
        return;
    const EdgeRect r = *pendingFrame_;
    pendingFrame_.reset();
    QImage screen;
    // A screen the desktop hands out is asked for once, at the end of the grab,
    // not every tick: the frame then shows in black.
    if (services_.screen->canGrabScreen() && !services_.screen->grabsThroughDesktop())
        screen = services_.screen->grabDesktop();
    if (screen.isNull() && foundOwn_) {
        // Only the control's own pixels are known: the frame shows them inverted.
        const QImage own = foundOwn_->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QSize desk = virtualDesktopDeviceRect().size();
        screen = QImage(desk.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        screen.fill(Qt::white);
        QPainter p(&screen);
        p.drawImage(QRect(r.left, r.top, r.width(), r.height()), own,
                    QRect(QPoint(0, 0), own.size()).intersected(QRect(0, 0, r.width(), r.height())));
    }
    frame_->showAround(r, screen);
    shownFrame_ = r;
}

void FrmMain::picSnap_MouseUp(Qt::MouseButton button)
{
    if (button != Qt::LeftButton || !grabbing_)
        return;
    tmr_->stop();
    grabbing_ = false;
    pendingFrame_.reset();
    shownFrame_.reset();
    holder_->letGo();
    frame_->hide();
    if (!found_) {
        // Released before the first tick, or nothing of this program was under the pointer.
        if (!seesEverything())
            tellOwnWindowsOnly();
        return;
    }
    finishing_ = true;
    // The frame is gone; the screen is read once the windows under it repainted.
    QTimer::singleShot(kSettleMs, this, &FrmMain::finishGrab);
}

QImage FrmMain::grabRect(const EdgeRect& r)
{
    if (r.width() <= 0 || r.height() <= 0) {
        services_.messages->inform(this, QStringLiteral("这个窗口不在屏幕上，没有抓到图像。"), kNoticeTitle,
                                   MessageIcon::Exclamation);
        return {};
    }
    const QRect area(r.left, r.top, r.width(), r.height());
    if (services_.screen->canGrabScreen()) {
        const QImage desktop = services_.screen->grabDesktop();
        if (!desktop.isNull())
            return withScreenResolution(desktop.copy(area).convertToFormat(QImage::Format_RGB32));
        if (services_.screen->lastGrabCancelled())
            return {};   // cancelled in the desktop's own dialog
    }
    if (foundOwn_) {
        const QImage own = foundOwn_->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QPoint at = globalToDesktopDevice(foundOwn_->mapToGlobal(QPointF(0, 0)));
        return withScreenResolution(own.copy(area.translated(-at)));
    }
    services_.messages->inform(this,
                               services_.screen->grabsThroughDesktop()
                                   ? QStringLiteral("桌面没有交出屏幕图像（没有截图服务，或截图被拒绝、没有按时完成），"
                                                    "没有抓到这个窗口的图像。")
                                   : QStringLiteral("本系统不让程序读取屏幕，没有抓到这个窗口的图像。"),
                               kNoticeTitle, MessageIcon::Exclamation);
    return {};
}

void FrmMain::restoreWindow()
{
    if (isMinimized()) {
        if (lastState_ & Qt::WindowMaximized)
            showMaximized();
        else
            showNormal();
    }
    raise();
    activateWindow();
}

void FrmMain::finishGrab()
{
    finishing_ = false;
    if (!found_)
        return;
    const QImage picture = grabRect(*found_);
    restoreWindow();
    if (!seesEverything())
        tellOwnWindowsOnly();
    if (picture.isNull())
        return;
    picBmp_->move(0, 0);
    picBmp_->setPicture(picture);
    grabbed_ = true;
    ++grabs_;
    Form_Resize();
    setFocus();
}

void FrmMain::Form_Resize()
{
    if (isMinimized())
        return;
    lastState_ = windowState() & Qt::WindowMaximized ? Qt::WindowMaximized : Qt::WindowNoState;
    const int t = forms::kTwipsPerPixel;
    const GrabberLayout l = layoutGrabber(width() * t, height() * t, picScroll_->x() * t, picScroll_->width() * t,
                                          picScroll_->height() * t, picBmp_->width() * t, picBmp_->height() * t, t);
    if (l.scrollWidth)
        picScroll_->resize(forms::twipsToPixels(*l.scrollWidth), picScroll_->height());
    if (l.scrollHeight)
        picScroll_->resize(picScroll_->width(), forms::twipsToPixels(*l.scrollHeight));
    hScroll1_->setGeometry(hScroll1_->x(), forms::twipsToPixels(l.hScrollTop), forms::twipsToPixels(l.hScrollWidth),
                           hScroll1_->height());
    vScroll1_->setGeometry(forms::twipsToPixels(l.vScrollLeft), vScroll1_->y(), vScroll1_->width(),
                           forms::twipsToPixels(l.vScrollHeight));
    const std::pair<QScrollBar*, const ScrollSetup*> bars[] = {{hScroll1_, &l.horizontal}, {vScroll1_, &l.vertical}};
    for (const auto& [bar, setup] : bars) {
        bar->setVisible(setup->visible);
        if (!setup->visible) {
            // Nothing to pan: the picture goes back to the viewport's edge.
            bar->setValue(0);
            if (bar == hScroll1_)
                picBmp_->move(0, picBmp_->y());
            else
                picBmp_->move(picBmp_->x(), 0);
            continue;
        }
        bar->setValue(0);
        if (setup->maximum)
            bar->setRange(0, *setup->maximum);
        bar->setPageStep(setup->largeStep);
        bar->setSingleStep(setup->smallStep);
    }
}

void FrmMain::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    Form_Resize();
}

void FrmMain::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void FrmMain::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    Form_Resize();
    // Where no window can be found, the user hears so once, when the grabber
    // first shows, with the region capture offered instead.
    if (cannotFindWindows() && services_.screen->ownWindowsNoticeDue(objectName()))
        QTimer::singleShot(0, this, &FrmMain::offerRegionCapture);
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == picSnap_) {
        if (event->type() == QEvent::MouseButtonPress) {
            picSnap_MouseDown(static_cast<QMouseEvent*>(event)->button());
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            picSnap_MouseUp(static_cast<QMouseEvent*>(event)->button());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FrmMain::cmdSave_Click()
{
    if (!grabbed_) {
        services_.messages->inform(this,
                                   QStringLiteral("还没有抓到图像：请在左边的小图上按住左键，拖到要抓的窗口上再放开。"),
                                   kNoticeTitle, MessageIcon::Exclamation);
        return;
    }
    forms::savePictureAsBitmap(this, services_,
                               {QStringLiteral("保存图片"), forms::bitmapFileFilter(), programDirectory(),
                                QStringLiteral("图片没有保存。")},
                               [this] { return picBmp_->picture(); });
}

}   // namespace lh::tools
