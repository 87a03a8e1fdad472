#include "ZRadioButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

ZRadioButton::ZRadioButton(const QString& text, QWidget* parent)
    : QRadioButton(text, parent)
{
    // Narrower than the caption is fine: the caption elides.
    setSizePolicy(QSizePolicy::Preferred, sizePolicy().verticalPolicy());
}

QSize ZRadioButton::minimumSizeHint() const
{
    return QSize(reservedWidth(), sizeHint().height());
}

QString ZRadioButton::displayedText() const
{
    const int available = qMax(0, width() - reservedWidth());
    return fontMetrics().elidedText(text(), Qt::ElideRight, available);
}

void ZRadioButton::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = displayedText();
    painter.drawControl(QStyle::CE_RadioButton, option);
}

// The indicator, the button margin and the layout's side margins.
int ZRadioButton::reservedWidth() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    const QStyle* s = style();
    return s->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, &option, this)
           + s->pixelMetric(QStyle::PM_ButtonMargin, &option, this)
           + s->pixelMetric(QStyle::PM_LayoutLeftMargin, &option, this)
           + s->pixelMetric(QStyle::PM_LayoutRightMargin, &option, this);
}
