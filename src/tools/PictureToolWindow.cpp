#include "tools/PictureToolWindow.h"

#include "forms/Navigator.h"
#include "engine/PictureFiles.h"
#include "platform/WindowPlacement.h"
#include "tools/ToolGeometry.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QShowEvent>

namespace lh::tools {

QString pictureOpenFilter()
{
    return QStringLiteral("All Files (*.*)|*.*|JPG Files (*.jpg)|*.jpg|GIF Files (*.gif)|*.gif|BMP Files (*.bmp)|*.bmp");
}

QPushButton* makeToolButton(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                            int width, int height)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
    b->setStyleSheet(QStringLiteral("QPushButton { background-color: #C0C0FF; border: 1px solid #606080; }"
                                    "QPushButton:pressed { background-color: #A0A0E0; }"));
    return b;
}

PictureToolWindow::PictureToolWindow(const PlatformServices& services, Navigator& navigator, QWidget* owner,
                                     const QString& name, const QString& caption, int widthTwips, int heightTwips)
    : QWidget(owner, Qt::Window)
    , services_(services)
    , navigator_(navigator)
{
    setObjectName(name);
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xFF, 0xFF));
    setPalette(pal);
    resize(twipsToPixels(widthTwips), twipsToPixels(heightTwips));
}

QImage PictureToolWindow::askForPicture()
{
    const std::optional<QString> name = services_.files->openFile(this, QString(), pictureOpenFilter(), QString());
    if (!name || name->isEmpty())
        return {};
    return loadPicture(*name);
}

void PictureToolWindow::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (!e->spontaneous())
        fillScreenIfNobodyMaximizes(this);
}

void PictureToolWindow::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    layoutButtons();
}

void PictureToolWindow::moveEvent(QMoveEvent* e)
{
    QWidget::moveEvent(e);
    // The frame becomes known once the window manager has placed the window.
    layoutButtons();
}

void PictureToolWindow::closeEvent(QCloseEvent* e)
{
    QWidget::closeEvent(e);
    if (e->isAccepted())
        navigator_.showMainWindow();
}

} // namespace lh::tools
