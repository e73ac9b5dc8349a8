#include "tools/PictureToolWindow.h"

#include "pictures/PictureFiles.h"
#include "forms/FormToolkit.h"
#include "forms/Navigator.h"
#include "platform/WindowPlacement.h"
#include "tools/ToolGeometry.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QShowEvent>

namespace lh::tools {

QString pictureOpenFilter()
{
    return QStringLiteral(
        "All Files (*.*)|*.*|JPG Files (*.jpg)|*.jpg|GIF Files (*.gif)|*.gif|BMP Files (*.bmp)|*.bmp");
}

PictureToolWindow::PictureToolWindow(const PlatformServices& services, Navigator& navigator, QWidget* owner,
                                     const char* name, const char* caption, int widthTwips, int heightTwips)
    : QWidget(owner, Qt::Window), services_(services), navigator_(navigator)
{
    forms::applyWindowLook(this, {name, caption, "#C0FFFF", forms::kInheritFont});
    setAttribute(Qt::WA_DeleteOnClose);
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

}   // namespace lh::tools
