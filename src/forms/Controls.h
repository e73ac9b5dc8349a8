#pragma once
// Controls that Qt has no direct counterpart for: an image box that
// stretches its picture and reports clicks, a picture pane that keeps a
// picture at its own size inside an optional sunken border, and a shape
// (rectangle, rounded rectangle or oval) with a border of given width drawn
// inside its bounds.

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <vector>

#include <optional>

namespace lh::forms {

class ImageBox : public QWidget {
    Q_OBJECT
public:
    explicit ImageBox(QWidget* parent = nullptr);
    // Null image: the box shows nothing (what lies beneath shows through).
    void setPicture(const QImage& picture);
    // The same, with the picture already stretched to the box's size (see
    // stretchForBoxes); one of another size is ignored and the box scales
    // the picture itself.
    void setPicture(const QImage& picture, const QImage& stretched);
    const QImage& picture() const { return picture_; }

signals:
    // A press and release of the left button inside the box.
    void clicked();

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void showEvent(QShowEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void rescale();

    QImage picture_;
    QPixmap shown_;        // the picture stretched to the box, made once per picture and size
    bool stale_ = false;   // a picture arrived while hidden: scale it when shown
    bool pressed_ = false;
};

// One picture stretched smoothly to each of several box sizes, for boxes
// that all show it. The largest is made from the picture and the others
// from that one, so a large picture is read once, not once per box. The
// results are in the order of `sizes`; a null picture or an empty size gives
// a null image.
std::vector<QImage> stretchForBoxes(const QImage& picture, const std::vector<QSize>& sizes);

// A picture box with a persistent picture: the picture lies at the top-left
// corner of the inner area (the box less its border) at its own size, on the
// box's background colour; what does not fit is cut off. With auto-sizing on,
// the box takes the picture's size plus the border whenever a picture is put
// into it. Only the exposed part is painted, so a very large picture costs
// nothing to show.
class PicturePane : public QWidget {
    Q_OBJECT
public:
    // border: width in pixels of the sunken frame on each side (0: none).
    explicit PicturePane(int border = 0, QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }
    void setAutoSize(bool on) { autoSize_ = on; }
    bool autoSize() const { return autoSize_; }
    int border() const { return border_; }
    // The size less the border on each side.
    QSize innerSize() const;
    // Sets the box's size from an inner size.
    void resizeInner(QSize inner);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int border_;
    bool autoSize_ = false;
    QImage picture_;
};

class ShapeBox : public QWidget {
    Q_OBJECT
public:
    enum class Form {
        Rectangle,
        RoundedRectangle,
        Oval
    };
    ShapeBox(Form form, QColor border, int borderWidth, std::optional<QColor> fill, QWidget* parent = nullptr);

    Form form() const { return form_; }
    QColor borderColor() const { return border_; }
    int borderWidth() const { return borderWidth_; }
    std::optional<QColor> fillColor() const { return fill_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    Form form_;
    QColor border_;
    int borderWidth_;
    std::optional<QColor> fill_;
};

}   // namespace lh::forms
