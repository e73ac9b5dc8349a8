#pragma once
// Picture boxes of the tool windows.

#include <QImage>
#include <QWidget>

namespace lh::tools {

// Shows its picture at its own size from the top-left corner on a plain
// background; whenever the picture is replaced the box takes its size (a
// picture larger than the window shows only its top-left part).
class PictureBox : public QWidget {
    Q_OBJECT
public:
    PictureBox(const QColor& background, QWidget* parent);
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor background_;
    QImage picture_;
};

// Stretches its picture to its own size.
class StretchImage : public QWidget {
    Q_OBJECT
public:
    explicit StretchImage(QWidget* parent);
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QImage picture_;
};

}   // namespace lh::tools
