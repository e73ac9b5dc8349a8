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
#include <QGuiApplication>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>

#include <cmath>

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

// Frameless full-screen view of the held screen, above every window, on
// which the selection frame is drawn.
class SelectionOverlay : public QWidget {
public:
    explicit SelectionOverlay(const QImage& screen)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                               | Qt::X11BypassWindowManagerHint | Qt::Tool),
          screen_(screen)
    {
        setObjectName(QStringLiteral("SelectionOverlay"));
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setCursor(Qt::CrossCursor);
        setGeometry(virtualLogicalRect());
    }
    // A changed area of the held screen, in device pixels.
    void updateDevice(const QRegion& area)
    {
        if (area.isEmpty() || screen_.width() <= 0)
            return;
        const double s = double(width()) / screen_.width();
        QRegion logical;
        for (const QRect& r : area)
            logical |=
                QRectF(r.x() * s, r.y() * s, r.width() * s, r.height() * s).toAlignedRect().adjusted(-1, -1, 1, 1);
        update(logical);
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
        const double sx = double(screen_.width()) / qMax(1, width());
        const double sy = double(screen_.height()) / qMax(1, height());
        p.drawImage(QRectF(r), screen_, QRectF(r.x() * sx, r.y() * sy, r.width() * sx, r.height() * sy));
    }

private:
    const QImage& screen_;
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
    if (snapArmed_ || state_ == State::Selecting) {
        releasePointer();
        resetPointer();
    }
}

QWidget* Form20::overlay() const { return overlay_.data(); }

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
    if (snapArmed_ || state_ == State::Selecting)
        return;
    if (!services_.screen->canGrabScreen())
        tellOwnWindowsOnly();
    snapArmed_ = true;
    state_ = State::Armed;
    QGuiApplication::setOverrideCursor(Qt::CrossCursor);
    grabPointer();
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
    auto* view = new SelectionOverlay(held_);
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
