#pragma once
// A kept design opened again: the scene drawn anew by the engine, shown at
// its own size, one pixel for one pixel, at the top left of the window.
// Ctrl+E exports it at any scale, as the designer windows export theirs.

#include "platform/Services.h"
#include "scene/DesignScene.h"

#include <QDateTime>
#include <QImage>
#include <QWidget>

namespace lh::gallery {

class DesignViewer : public QWidget {
    Q_OBJECT
public:
    // The caption names the category and the time the design was kept.
    DesignViewer(const PlatformServices& services, scene::DesignScene scene, const QDateTime& kept,
                 QWidget* parent = nullptr);

    const scene::DesignScene& scene() const { return scene_; }
    // The design as it is shown (null when it could not be drawn).
    const QImage& picture() const { return picture_; }

    void exportDesign();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PlatformServices& services_;
    scene::DesignScene scene_;
    QImage picture_;
    ExportChoice lastExport_;
};

// The viewer's caption for a design of a category kept at a time.
QString viewerCaption(int category, const QDateTime& kept);

}   // namespace lh::gallery
