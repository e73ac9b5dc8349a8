#pragma once
// Controls that Qt has no direct counterpart for: an image box that
// stretches its picture and reports clicks, and a shape (rectangle, rounded
// rectangle or oval) with a border of given width drawn inside its bounds.

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <optional>

namespace lh::forms {

class ImageBox : public QWidget {
    Q_OBJECT
public:
    explicit ImageBox(QWidget* parent = nullptr);
    // Null image: the box shows nothing (what lies beneath shows through).
    void setPicture(const QImage& picture);
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
    QPixmap shown_;       // the picture stretched to the box, made once per picture and size
    bool stale_ = false;  // a picture arrived while hidden: scale it when shown
    bool pressed_ = false;
};

class ShapeBox : public QWidget {
    Q_OBJECT
public:
    enum class Form { Rectangle, RoundedRectangle, Oval };
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

} // namespace lh::forms
