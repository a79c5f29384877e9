#pragma once
// A status bar whose panels are found by key, never by position. Panels sit left
// to right in the order they were added; a hidden panel takes no room. The last
// panel added with stretch takes what is left, but never less than its minimum.

#include <QLabel>
#include <QList>
#include <QWidget>

namespace zv {

class KeyedStatusBar;

class StatusPanel : public QLabel {
    Q_OBJECT
public:
    StatusPanel(const QString& key, int width, KeyedStatusBar* bar);
    const QString& key() const { return key_; }
    int designWidth() const { return width_; }
    void setVisible(bool visible) override;

protected:
    // A text too long for the panel is drawn narrower, down to MinTextScale of
    // its width, and beyond that cut with an ellipsis; its tool tip then shows
    // it whole (unless the panel has a tool tip of its own).
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    static constexpr double MinTextScale = 0.7;
    QRect textBox() const;
    double textScale() const;

    QString key_;
    int width_;
};

class KeyedStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit KeyedStatusBar(QWidget* parent = nullptr);

    // width in pixels; a stretching panel's width is its minimum.
    StatusPanel* addPanel(const QString& key, int width, bool stretch = false);
    // nullptr for an unknown key.
    StatusPanel* panel(const QString& key) const;

    void relayout();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QList<StatusPanel*> panels_;
    StatusPanel* stretch_ = nullptr;
};

} // namespace zv
