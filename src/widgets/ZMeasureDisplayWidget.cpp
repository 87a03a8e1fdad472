#include "ZMeasureDisplayWidget.h"

#include "MeasureWidgetLook.h"
#include "ZAnimatedLabel.h"
#include "ZFlagWidget.h"
#include "ZScaleLabel.h"

#include <QGridLayout>

namespace {
constexpr int kSpacing = 10;
constexpr int kFlagRows = 2;
constexpr int kFlagColumns = 3;
} // namespace

ZMeasureDisplayWidget::ZMeasureDisplayWidget(QWidget* parent)
    : ZStylableWidget(parent)
    , m_layout(new QGridLayout(this))
    , m_value(new ZScaleLabel(this))
    , m_unit(new QLabel(this))
    , m_overlay(nullptr)
    , m_flags(nullptr)
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(kSpacing);
    m_layout->setColumnStretch(0, 1);
    m_layout->setColumnStretch(1, 0);

    m_value->setObjectName(QStringLiteral("ZMeasureDisplayClickValue"));
    m_value->setTextFormat(Qt::PlainText);
    m_value->setAlignment(Qt::AlignCenter);
    m_value->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    m_unit->setObjectName(QStringLiteral("ZMeasureDisplayUnit"));
    m_unit->setTextFormat(Qt::PlainText);
    m_unit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_unit->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);

    m_overlay = MeasureWidgetLook::createOverlay(this, QStringLiteral("ZMeasureDisplayOverlay"));

    m_flags = new ZFlagWidget(kFlagRows, kFlagColumns, this);
    m_flags->setObjectName(QStringLiteral("ZMeasureDisplayFlags"));
    m_flags->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);

    m_layout->addWidget(m_value, 0, 0, 2, 1, Qt::AlignCenter);
    m_layout->addWidget(m_flags, 0, 1, Qt::AlignTop | Qt::AlignRight);
    m_layout->addWidget(m_unit, 1, 1, Qt::AlignBottom | Qt::AlignRight);
}

ZMeasureDisplayWidget::~ZMeasureDisplayWidget()
{
    m_overlay->stopAnimation();
}

QString ZMeasureDisplayWidget::measureOverlay() const
{
    return m_overlay->text();
}

QString ZMeasureDisplayWidget::measureValue() const
{
    return m_value->text();
}

QString ZMeasureDisplayWidget::measureUnit() const
{
    return m_unit->text();
}

void ZMeasureDisplayWidget::setMeasureValue(const QString& value)
{
    m_value->setText(value);
    m_value->setVisible(!value.isEmpty());
}

void ZMeasureDisplayWidget::setMeasureUnit(const QString& unit)
{
    MeasureWidgetLook::setShownText(m_unit, unit);
}

void ZMeasureDisplayWidget::setMeasureOverlay(const QString& overlay)
{
    MeasureWidgetLook::setOverlayText(m_overlay, overlay);
}

void ZMeasureDisplayWidget::setMeasureStatus(const int& leftFlags)
{
    MeasureWidgetLook::applyStatus(this, m_value, leftFlags);
}

void ZMeasureDisplayWidget::setFlags(const int& rightFlags)
{
    const QStringList names = MeasureWidgetLook::flagNames(rightFlags);
    int index = 0;
    for (const QString& name : names) {
        if (!m_flags->addFlag(index, name))
            break;
        ++index;
    }
}

void ZMeasureDisplayWidget::clearFlags()
{
    m_flags->clearFlags();
}

ZScaleLabel* ZMeasureDisplayWidget::getValueLabel() const
{
    return m_value;
}
