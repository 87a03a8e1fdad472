#include "ZMeasureTextWidget.h"

#include "MeasureWidgetLook.h"
#include "ZAnimatedLabel.h"
#include "ZScaleLabel.h"

#include <QHBoxLayout>

namespace {
constexpr int kSpacing = 10;
} // namespace

ZMeasureTextWidget::ZMeasureTextWidget(const bool& scalable, QWidget* parent)
    : ZStylableWidget(parent)
    , m_layout(new QHBoxLayout(this))
    , m_value(scalable ? new ZScaleLabel(this) : new QLabel(this))
    , m_unit(new QLabel(this))
    , m_overlay(nullptr)
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(kSpacing);

    m_value->setObjectName(QStringLiteral("ZMeasureTextValue"));
    m_value->setTextFormat(Qt::PlainText);
    m_value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_value->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_layout->addWidget(m_value);

    m_unit->setObjectName(QStringLiteral("ZMeasureTextUnit"));
    m_unit->setTextFormat(Qt::PlainText);
    m_unit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_unit->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    m_layout->addWidget(m_unit);

    // Outside the layout, over the value.
    m_overlay = MeasureWidgetLook::createOverlay(this, QStringLiteral("ZMeasureTextOverlay"));
}

ZMeasureTextWidget::~ZMeasureTextWidget()
{
    m_overlay->stopAnimation();
}

QString ZMeasureTextWidget::measureOverlay() const
{
    return m_overlay->text();
}

QString ZMeasureTextWidget::measureValue() const
{
    return m_value->text();
}

QString ZMeasureTextWidget::measureUnit() const
{
    return m_unit->text();
}

void ZMeasureTextWidget::setMeasureValue(const QString& value)
{
    // QLabel's setter on purpose, also for a ZScaleLabel: the fit follows on
    // the next resize.
    MeasureWidgetLook::setShownText(m_value, value);
}

void ZMeasureTextWidget::setMeasureUnit(const QString& unit)
{
    MeasureWidgetLook::setShownText(m_unit, unit);
}

void ZMeasureTextWidget::setMeasureOverlay(const QString& overlay)
{
    MeasureWidgetLook::setOverlayText(m_overlay, overlay);
}

void ZMeasureTextWidget::setMeasureStatus(const int& leftFlags)
{
    MeasureWidgetLook::applyStatus(this, m_value, leftFlags);
}
