#pragma once
// The drawing area: the persistent picture of an ImageCanvas inside a 1-pixel
// border. The widget's outer size is the picture's size plus 2 pixels each way;
// picture pixel (x, y) is widget pixel (x + 1, y + 1). A repaint copies only the
// part of the picture that changed since the last one, because a run draws tens
// of thousands of elements and refreshes after each.

#include "ImageCanvas.h"

#include <QWidget>

namespace zv {

class OutputPicture : public QWidget {
    Q_OBJECT
public:
    explicit OutputPicture(QWidget* parent = nullptr);

    ImageCanvas& canvas() { return canvas_; }
    const ImageCanvas& canvas() const { return canvas_; }
    // The picture's size: the widget less its border, also before the widget
    // is shown and has had its resize event.
    int innerWidth() const { return canvas_.width(); }
    int innerHeight() const { return canvas_.height(); }
    // Sets the outer size; a new size erases the picture to its background.
    void setOuterSize(int width, int height);

    // Schedules the repaint of what was drawn since the last flush.
    void flush();

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void adoptSize();
    ImageCanvas canvas_;
};

} // namespace zv
