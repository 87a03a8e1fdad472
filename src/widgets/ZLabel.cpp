#include "ZLabel.h"

#include <QPainter>
#include <QStyle>

ZLabel::ZLabel(QWidget* parent, Qt::WindowFlags flags)
    : QLabel(parent, flags)
{
}

ZLabel::ZLabel(const QString& text, QWidget* parent, Qt::WindowFlags flags)
    : QLabel(text, parent, flags)
{
}

QString ZLabel::displayedText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void ZLabel::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    // The frame carries the style sheet's border (dialog headers have one).
    drawFrame(&painter);
    style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(),
                          displayedText(), foregroundRole());
}
