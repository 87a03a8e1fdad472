#pragma once

#include <QColor>
#include <QWidget>

// A 16 x 4 bar of one colour: a graph's colour in the chart's legend.
class ColorBox : public QWidget
{
    Q_OBJECT

public:
    explicit ColorBox(const QColor& color, QWidget* parent = nullptr);

    QColor getColor() const { return color; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color;
};
