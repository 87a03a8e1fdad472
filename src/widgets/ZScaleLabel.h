#pragma once

#include "ZClickLabel.h"

#include <QSizeF>

// A clickable label whose font size follows its size, so a measured value fills
// its area. The font is fitted whenever the text is set through setText(), the
// label is resized, or its font is changed from outside (a style sheet giving it
// another family or weight). Style sheets must not set its font size: Qt lets
// such a rule override every font the widget sets itself.
class ZScaleLabel : public ZClickLabel
{
    Q_OBJECT

public:
    explicit ZScaleLabel(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());

    // The fitted point size for a contents rectangle and the text's size at 1 pt:
    // the smaller of (width - 8) / text width and height / 1.25, at least 1.
    static qreal fitPointSize(const QSizeF& contents, const QSizeF& textSizeAt1pt);

public slots:
    // Fits the font to text, then shows it. Hides QLabel::setText (also for
    // connections made by signature).
    void setText(const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fitFont(const QString& text);

    bool m_fitting = false;
};
