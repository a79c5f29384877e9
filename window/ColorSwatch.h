#pragma once
// A colour field: a box filled with one colour that reports clicks. Its name can
// be printed into its centre in the complementary colour, so it stays readable
// on any colour; a new colour clears the printed name, as a repaint of the whole
// field would.

#include <QFrame>
#include <cstdint>

namespace zv {

class ColorSwatch : public QFrame {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);

    void setColor(std::int32_t color);
    std::int32_t color() const { return color_; }

    // Prints text centred in the field in the complementary colour.
    void printCaption(const QString& text);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::int32_t color_ = 0xFFFFFF;
    QString caption_;
    bool pressed_ = false;
};

} // namespace zv
