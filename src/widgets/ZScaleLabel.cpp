#include "ZScaleLabel.h"

#include <QEvent>
#include <QFontMetricsF>

#include <algorithm>

namespace {
// Text is measured at a large size and scaled down to 1 pt: at 1 pt the glyph
// advances are rounded to whole pixels and the width would be far off.
constexpr qreal kReferencePointSize = 100.0;
constexpr qreal kWidthReserve = 8.0;
constexpr qreal kLineHeightFactor = 1.25;
} // namespace

ZScaleLabel::ZScaleLabel(QWidget* parent, Qt::WindowFlags flags)
    : ZClickLabel(parent, flags)
{
}

void ZScaleLabel::setText(const QString& text)
{
    fitFont(text);
    QLabel::setText(text);
}

qreal ZScaleLabel::fitPointSize(const QSizeF& contents, const QSizeF& textSizeAt1pt)
{
    if (textSizeAt1pt.width() <= 0.0 || textSizeAt1pt.height() <= 0.0)
        return 1.0;
    const float widthFactor = float((contents.width() - kWidthReserve) / textSizeAt1pt.width());
    const float heightFactor = float(contents.height() / kLineHeightFactor);
    const float factor = std::min(widthFactor, heightFactor);
    return factor >= 1.0f ? qreal(factor) : 1.0;
}

void ZScaleLabel::resizeEvent(QResizeEvent* event)
{
    fitFont(text());
    ZClickLabel::resizeEvent(event);
}

void ZScaleLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange && !m_fitting)
        fitFont(text());
    ZClickLabel::changeEvent(event);
}

void ZScaleLabel::fitFont(const QString& text)
{
    QFont reference = font();
    reference.setPointSizeF(kReferencePointSize);
    const QRectF bounds = QFontMetricsF(reference, this).boundingRect(text);
    const QSizeF atOnePoint = bounds.size() / kReferencePointSize;

    const qreal points = fitPointSize(contentsRect().size(), atOnePoint);
    if (qFuzzyCompare(font().pointSizeF(), points))
        return;
    // Only the size is the label's own: family and weight keep following the
    // parent and the style sheet.
    QFont sizeOnly;
    sizeOnly.setPointSizeF(points);
    m_fitting = true;
    setFont(sizeOnly);
    m_fitting = false;
}
