#include "gallery/DesignViewer.h"

#include "designer/ExportDesign.h"
#include "forms/ProgramKeys.h"

#include <QKeySequence>
#include <QPaintEvent>
#include <QPainter>
#include <QShortcut>

namespace lh::gallery {

QString viewerCaption(int category, const QDateTime& kept)
{
    return QStringLiteral("蓝禾图案 第%1大类 %2").arg(category).arg(kept.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

DesignViewer::DesignViewer(const PlatformServices& services, scene::DesignScene scene, const QDateTime& kept,
                           QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services), scene_(std::move(scene))
{
    setObjectName(QStringLiteral("DesignViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(viewerCaption(scene_.category, kept));
    picture_ = scene::renderScene(scene_, 1);
    setFixedSize(scene::kDesignPixels, scene::kDesignPixels);

    auto* exportKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
    exportKey->setObjectName(QStringLiteral("ExportShortcut"));
    connect(exportKey, &QShortcut::activated, this, &DesignViewer::exportDesign);
    forms::installHelpKey(this);
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

void DesignViewer::exportDesign() { designer::askAndExportScene(this, services_, scene_, lastExport_); }

void DesignViewer::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect r = event->rect();
    if (picture_.isNull()) {
        painter.fillRect(r, Qt::white);
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("这个图案画不出来（内存不足）。"));
        return;
    }
    painter.drawImage(r.topLeft(), picture_, r);
}

}   // namespace lh::gallery
