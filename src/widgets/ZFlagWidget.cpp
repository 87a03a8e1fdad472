#include "ZFlagWidget.h"

#include "ZFlagIcon.h"

#include <QGridLayout>

namespace {
constexpr int kDefaultRows = 2;
constexpr int kDefaultColumns = 3;
constexpr int kSpacing = 4;
} // namespace

ZFlagWidget::ZFlagWidget(QWidget* parent)
    : ZFlagWidget(kDefaultRows, kDefaultColumns, parent)
{
}

ZFlagWidget::ZFlagWidget(int rows, int columns, QWidget* parent)
    : ZStylableWidget(parent)
    , m_layout(new QGridLayout(this))
    , m_rows(qMax(0, rows))
    , m_columns(qMax(0, columns))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(kSpacing);
}

bool ZFlagWidget::addFlag(int index, const QString& name)
{
    if (index < 0 || index > m_names.size() || m_rows * m_columns <= m_names.size())
        return false;
    m_names.insert(index, name);
    removeIcons();
    placeIcons();
    return true;
}

void ZFlagWidget::clearFlags()
{
    removeIcons();
    m_names.clear();
}

QStringList ZFlagWidget::flags() const
{
    return m_names;
}

void ZFlagWidget::removeIcons()
{
    while (QLayoutItem* item = m_layout->takeAt(0)) {
        if (QWidget* icon = item->widget()) {
            // Hidden at once: it stays a child until the event loop deletes it.
            icon->hide();
            icon->deleteLater();
        }
        delete item;
    }
}

void ZFlagWidget::placeIcons()
{
    for (int i = 0; i < m_names.size(); ++i) {
        auto* icon = new ZFlagIcon(m_names.at(i), this);
        m_layout->addWidget(icon, i / m_columns, i % m_columns, Qt::AlignCenter);
    }
}
