#include "tools/Form20.h"
#include "forms/Notices.h"

#include "forms/SaveName.h"

#include "forms/ProgramKeys.h"

#include "pictures/PictureFiles.h"
#include "forms/Navigator.h"
#include "platform/ScreenGrabbers.h"
#include "platform/WindowPlacement.h"
#include "tools/PictureBox.h"
#include "tools/ToolGeometry.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>

#include <cmath>
#include <functional>

namespace lh::tools {

namespace {

const QString& kTitleNotice = forms::kNoticeTitle;

QRect virtualLogicalRect()
{
    QRect all;
    for (const QScreen* s : QGuiApplication::screens())
        all = all.united(s->geometry());
    return all;
}

bool pointerIsCrosshair()
{
    const QCursor* c = QGuiApplication::overrideCursor();
    return c && c->shape() == Qt::CrossCursor;
}

void resetPointer()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

}   // namespace

// Frameless full-screen view of the held screen (or of the part of it one
// screen shows), above every window, on which the selection frame is drawn.
// Over a picture the desktop handed out it takes the pointer itself: on
// Wayland a press outside the program's own windows never reaches the
// program, so the view covers every screen from the moment the capture is armed.
class SelectionOverlay : public QWidget {
public:
    // The pointer's device position on the held screen and its button.
    using PointerHandler = std::function<void(QEvent::Type, QPoint, Qt::MouseButton)>;

    SelectionOverlay(const QImage& screen, QRect source, PointerHandler pointer = {})
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                               // A view that takes the pointer is an ordinary window the
                               // compositor makes full screen (and gives the pointer to).
                               | (pointer ? Qt::WindowFlags() : Qt::X11BypassWindowManagerHint | Qt::Tool)),
          screen_(screen), source_(source), pointer_(std::move(pointer))
    {
        setObjectName(QStringLiteral("SelectionOverlay"));
        setAttribute(Qt::WA_OpaquePaintEvent);
        if (!pointer_) {
            setAttribute(Qt::WA_ShowWithoutActivating);
            setAttribute(Qt::WA_TransparentForMouseEvents);
        }
        setCursor(Qt::CrossCursor);
        setGeometry(virtualLogicalRect());
    }
    // A changed area of the held screen, in device pixels.
    void updateDevice(const QRegion& area)
    {
        if (area.isEmpty() || source_.width() <= 0 || source_.height() <= 0)
            return;
        const double sx = double(width()) / source_.width();
        const double sy = double(height()) / source_.height();
        QRegion logical;
        for (const QRect& r : area.intersected(source_)) {
            const QRect at = r.translated(-source_.topLeft());
            logical |= QRectF(at.x() * sx, at.y() * sy, at.width() * sx, at.height() * sy)
                           .toAlignedRect()
                           .adjusted(-1, -1, 1, 1);
        }
        update(logical);
    }
    // A point of this view in device pixels of the held screen.
    QPoint toDevice(QPointF local) const
    {
        const double sx = double(source_.width()) / qMax(1, width());
        const double sy = double(source_.height()) / qMax(1, height());
        return source_.topLeft()
               + QPoint(int(roundHalfEven(local.x() * sx)), int(roundHalfEven(local.y() * sy)));
    }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QPainter p(this);
        if (screen_.isNull()) {
            p.fillRect(e->rect(), Qt::black);
            return;
        }
        const QRect r = e->rect();
        const double sx = double(source_.width()) / qMax(1, width());
        const double sy = double(source_.height()) / qMax(1, height());
        p.drawImage(QRectF(r), screen_,
                    QRectF(source_.x() + r.x() * sx, source_.y() + r.y() * sy, r.width() * sx, r.height() * sy));
    }
    void mousePressEvent(QMouseEvent* e) override { pass(e); }
    void mouseMoveEvent(QMouseEvent* e) override { pass(e); }
    void mouseReleaseEvent(QMouseEvent* e) override { pass(e); }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (pointer_ && e->key() == Qt::Key_Escape) {
            e->accept();
            pointer_(QEvent::KeyPress, QPoint(), Qt::NoButton);
            return;
        }
        QWidget::keyPressEvent(e);
    }

private:
    void pass(QMouseEvent* e)
    {
        if (!pointer_)
            return;
        e->accept();
        pointer_(e->type(), toDevice(e->position()), e->button());
    }

    const QImage& screen_;
    QRect source_;
    PointerHandler pointer_;
};

Form20::Form20(const PlatformServices& services, Navigator& navigator, QWidget* owner)
    : QMainWindow(owner, Qt::Window), services_(services), navigator_(navigator)
{
    setObjectName(QStringLiteral("Form20"));
    setWindowTitle(QStringLiteral("蓝禾剪裁抓图"));
    forms::installHelpKey(this);
    setAttribute(Qt::WA_DeleteOnClose);

    mnuFile_ = menuBar()->addMenu(QStringLiteral("文件"));
    mnuFile_->setObjectName(QStringLiteral("mnuFile"));
    mnuFileSnap_ = mnuFile_->addAction(QStringLiteral("剪裁抓图"));
    mnuFileSnap_->setObjectName(QStringLiteral("mnuFileSnap"));
    mnuFileSave_ = mnuFile_->addAction(QStringLiteral("保存图像"));
    mnuFileSave_->setObjectName(QStringLiteral("mnuFileSave"));
    mnuFileSave_->setEnabled(false);
    mnuFileSep_ = mnuFile_->addSeparator();
    mnuFileSep_->setObjectName(QStringLiteral("mnuFileSep"));
    mnuFileExit_ = mnuFile_->addAction(QStringLiteral("退出"));
    mnuFileExit_->setObjectName(QStringLiteral("mnuFileExit"));
    connect(mnuFileSnap_, &QAction::triggered, this, &Form20::mnuFileSnap_Click);
    connect(mnuFileSave_, &QAction::triggered, this, &Form20::mnuFileSave_Click);
    connect(mnuFileExit_, &QAction::triggered, this, &Form20::mnuFileExit_Click);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Form20Client"));
    setCentralWidget(client);
    picture1_ = new PictureBox(QColor(0xC0, 0xC0, 0xFF), client);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    const QSize clientSize(twipsToPixels(6645), twipsToPixels(4860));
    picture1_->setGeometry(QRect(QPoint(0, 0), clientSize));
    resize(clientSize.width(), clientSize.height() + menuBar()->sizeHint().height());
}

Form20::~Form20()
{
    if (overlay_)
        delete overlay_.data();
    // The views show this window's held picture: they go with it.
    for (const QPointer<SelectionOverlay>& v : views_)
        delete v.data();
    if (snapArmed_ || state_ == State::Selecting) {
        releasePointer();
        resetPointer();
    }
}

QWidget* Form20::overlay() const
{
    if (overlay_)
        return overlay_.data();
    for (const QPointer<SelectionOverlay>& v : views_)
        if (v)
            return v.data();
    return nullptr;
}

QList<QWidget*> Form20::desktopViews() const
{
    QList<QWidget*> out;
    for (const QPointer<SelectionOverlay>& v : views_)
        if (v)
            out << v.data();
    return out;
}

void Form20::grabPointer()
{
    if (pointerGrabbed_ || !isVisible())
        return;
    grabMouse();
    pointerGrabbed_ = true;
}

void Form20::releasePointer()
{
    if (!pointerGrabbed_)
        return;
    releaseMouse();
    pointerGrabbed_ = false;
}

void Form20::mnuFileSnap_Click()
{
    if (snapArmed_ || state_ == State::Selecting || fetching_)
        return;
    if (!services_.screen->canGrabScreen())
        tellOwnWindowsOnly();
    if (services_.screen->grabsThroughDesktop()) {
        armOverDesktop();
        return;
    }
    snapArmed_ = true;
    state_ = State::Armed;
    QGuiApplication::setOverrideCursor(Qt::CrossCursor);
    grabPointer();
}

void Form20::armOverDesktop()
{
    // The desktop hands out its picture now; the selection runs over it.
    fetching_ = true;
    const QPointer<Form20> self(this);
    bool fellBack = false;
    QImage shot = services_.screen->grabDesktopOrOwnWindows(nullptr, &fellBack);
    if (!self)
        return;
    fetching_ = false;
    if (services_.screen->lastGrabCancelled())
        return;   // cancelled in the desktop's own dialog: nothing to say
    if (fellBack) {
        const bool ownWindowsShown = services_.screen->knowsWindowPositions();
        services_.messages->inform(this,
                                   ownWindowsShown ? QStringLiteral("桌面没有交出屏幕图像（没有截图服务，或截图被拒绝、"
                                                                    "没有按时完成），这次剪裁抓图只能剪取本程序窗口中"
                                                                    "显示的图像。")
                                                   : QStringLiteral("桌面没有交出屏幕图像（没有截图服务，或截图被拒绝、"
                                                                    "没有按时完成），这次没有剪裁抓图。"),
                                   kTitleNotice, MessageIcon::Exclamation);
        if (!self || !ownWindowsShown)
            return;
    }
    held_ = std::move(shot);
    snapArmed_ = true;
    state_ = State::Armed;
    QGuiApplication::setOverrideCursor(Qt::CrossCursor);
    openDesktopViews();
}

void Form20::openDesktopViews()
{
    closeDesktopViews();
    const QRect all = virtualDesktopDeviceRect();
    // A picture of another size than the desktop (a portal that scaled it) is
    // spread over the whole desktop.
    const double sx = all.width() > 0 ? double(held_.width()) / all.width() : 1.0;
    const double sy = all.height() > 0 ? double(held_.height()) / all.height() : 1.0;
    for (QScreen* screen : QGuiApplication::screens()) {
        const qreal dpr = screen->devicePixelRatio();
        const QRect g = screen->geometry();
        const QRect device(int(std::lround(g.x() * dpr)) - all.x(), int(std::lround(g.y() * dpr)) - all.y(),
                           int(std::lround(g.width() * dpr)), int(std::lround(g.height() * dpr)));
        const QRect source = QRectF(device.x() * sx, device.y() * sy, device.width() * sx, device.height() * sy)
                                 .toAlignedRect()
                                 .intersected(held_.rect());
        auto* view = new SelectionOverlay(held_, source, [this](QEvent::Type type, QPoint at, Qt::MouseButton b) {
            onDesktopViewPointer(type, at, b);
        });
        view->setScreen(screen);
        view->setGeometry(g);
        view->showFullScreen();
        view->raise();
        view->activateWindow();
        views_.push_back(view);
    }
}

void Form20::closeDesktopViews()
{
    for (QPointer<SelectionOverlay>& v : views_) {
        if (!v)
            continue;
        v->hide();
        v->deleteLater();
    }
    views_.clear();
}

void Form20::updateDesktopViews(const QRegion& changed)
{
    for (const QPointer<SelectionOverlay>& v : views_)
        if (v)
            v->updateDevice(changed);
}

void Form20::onDesktopViewPointer(QEvent::Type type, QPoint at, Qt::MouseButton button)
{
    if (type == QEvent::KeyPress) {
        // Escape: the capture is given up.
        selection_.reset();
        snapArmed_ = false;
        state_ = picture1_->picture().isNull() ? State::Loaded : State::Captured;
        held_ = QImage();
        closeDesktopViews();
        resetPointer();
        return;
    }
    if (state_ == State::Selecting && selection_) {
        if (type == QEvent::MouseButtonRelease && button == Qt::LeftButton) {
            endSelection(at);
            resetPointer();
            return;
        }
        updateDesktopViews(selection_->moveTo(at));
        return;
    }
    if (type != QEvent::MouseButtonPress || button != Qt::LeftButton || !snapArmed_)
        return;
    snapArmed_ = false;
    state_ = State::Selecting;
    grabFellBack_ = false;
    selection_.emplace(held_, at);
}

void Form20::tellOwnWindowsOnly()
{
    if (!services_.screen->ownWindowsNoticeDue(objectName()))
        return;
    services_.messages->inform(this, QStringLiteral("本系统不能读取整个屏幕，剪裁抓图只能剪取本程序窗口中显示的图像。"),
                               kTitleNotice, MessageIcon::Information);
}

void Form20::beginSelection(QPoint anchor)
{
    snapArmed_ = false;
    state_ = State::Selecting;
    held_ = services_.screen->grabDesktopOrOwnWindows(overlay_.data(), &grabFellBack_);
    // A screen that refused only now is mentioned once the capture is done.
    grabFellBack_ = grabFellBack_ && services_.screen->canGrabScreen();
    selection_.emplace(held_, anchor);
    auto* view = new SelectionOverlay(held_, held_.rect());
    overlay_ = view;
    view->show();
    view->raise();
}

void Form20::endSelection(QPoint position)
{
    const SelRect r = selection_->finish(position);
    selection_.reset();
    lastRect_ = r;
    if (overlay_) {
        overlay_->hide();
        overlay_->deleteLater();
        overlay_ = nullptr;
    }
    closeDesktopViews();
    releasePointer();

    const QImage copy = CopyScreenToClipboard(held_, r.left, r.top, r.right, r.bottom, *services_.clipboard);
    held_ = QImage();

    showNormal();
    raise();
    activateWindow();
    // The copy holds device pixels; shown at the size it had on the screen.
    QImage shown = copy;
    shown.setDevicePixelRatio(devicePixelRatio());
    picture1_->setPicture(shown);
    mnuFileSave_->setEnabled(true);
    state_ = State::Captured;
    if (grabFellBack_) {
        grabFellBack_ = false;
        tellOwnWindowsOnly();
    }
}

void Form20::mousePressEvent(QMouseEvent* e)
{
    e->accept();
    const QPoint at = globalToDesktopDevice(e->globalPosition());
    if (state_ == State::Selecting) {
        // Other buttons only move the rectangle while selecting.
        if (overlay_)
            overlay_->updateDevice(selection_->moveTo(at));
        return;
    }
    if (e->button() != Qt::LeftButton)
        return;
    if (!pointerIsCrosshair() || !snapArmed_)
        return;
    beginSelection(at);
}

void Form20::mouseMoveEvent(QMouseEvent* e)
{
    e->accept();
    if (state_ != State::Selecting || !selection_)
        return;
    const QRegion changed = selection_->moveTo(globalToDesktopDevice(e->globalPosition()));
    if (overlay_)
        overlay_->updateDevice(changed);
}

void Form20::mouseReleaseEvent(QMouseEvent* e)
{
    e->accept();
    const QPoint at = globalToDesktopDevice(e->globalPosition());
    if (state_ == State::Selecting && selection_) {
        if (e->button() != Qt::LeftButton) {
            if (overlay_)
                overlay_->updateDevice(selection_->moveTo(at));
            return;
        }
        endSelection(at);
    }
    if (e->button() == Qt::LeftButton && !snapArmed_)
        resetPointer();
}

void Form20::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (!placed_ && !e->spontaneous()) {
        placed_ = true;
        placeIfNobodyPlaces(this);
    }
    if (snapArmed_) {
        if (!pointerIsCrosshair())
            QGuiApplication::setOverrideCursor(Qt::CrossCursor);
        if (!views_.empty())
            openDesktopViews();
        else
            grabPointer();
    }
}

void Form20::hideEvent(QHideEvent* e)
{
    QMainWindow::hideEvent(e);
    // A hidden window cannot hold the pointer; an armed request is taken up
    // again when the window shows.
    if (snapArmed_) {
        releasePointer();
        resetPointer();
        for (const QPointer<SelectionOverlay>& v : views_)
            if (v)
                v->hide();
    }
}

void Form20::mnuFileSave_Click()
{
    forms::savePictureAsBitmap(this, services_,
                               {QStringLiteral("保存"), QStringLiteral("位图文件(*.bmp)|*.bmp"), QString(),
                                QStringLiteral("图像没有保存。")},
                               [this] { return picture1_->picture(); });
}

void Form20::mnuFileExit_Click()
{
    hide();
    navigator_.showMainWindow();
}

}   // namespace lh::tools
