#include "ZRadioGroup.h"

#include "ZRadioButton.h"

#include <QVBoxLayout>

namespace {
constexpr int kVerticalMargin = 10;
} // namespace

ZRadioGroup::ZRadioGroup(QWidget* parent)
    : QWidget(parent)
    , m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins(0, kVerticalMargin, 0, kVerticalMargin);
}

void ZRadioGroup::addItem(const QString& description, const QVariant& userData)
{
    const bool wasSelected = m_selectedIndex >= 0 && m_selectedIndex < m_entries.size()
                             && m_entries.at(m_selectedIndex).description == description;
    removeItem(description);

    auto* button = new ZRadioButton(description, this);
    connect(button, &QAbstractButton::toggled, this, &ZRadioGroup::onToggle);
    const bool first = m_entries.isEmpty();

    takeButtonsOut();
    m_entries.append({description, userData, button});
    putButtonsIn();

    if (first || wasSelected) {
        m_selectedIndex = m_entries.size() - 1;
        checkSelected();
    }
}

bool ZRadioGroup::removeItem(int index)
{
    if (index < 0 || index >= m_entries.size())
        return false;
    takeButtonsOut();
    ZRadioButton* button = m_entries.takeAt(index).button;
    // It stays a (checked) sibling until deleted; its toggles mean nothing now.
    button->disconnect(this);
    button->deleteLater();
    putButtonsIn();

    // The index follows its entry; a removed choice leaves none.
    if (index == m_selectedIndex)
        m_selectedIndex = -1;
    else if (index < m_selectedIndex)
        --m_selectedIndex;
    return true;
}

bool ZRadioGroup::removeItem(const QString& description)
{
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_entries.at(i).description == description)
            return removeItem(i);
    return false;
}

bool ZRadioGroup::setSelectedIndex(int index)
{
    if (index < 0 || index >= m_entries.size())
        return false;
    // Stored first: the toggles this causes find the index unchanged and stay quiet.
    m_selectedIndex = index;
    checkSelected();
    return true;
}

int ZRadioGroup::selectedIndex() const
{
    return m_selectedIndex;
}

int ZRadioGroup::count() const
{
    return m_entries.size();
}

QStringList ZRadioGroup::descriptions() const
{
    QStringList list;
    for (const Entry& entry : m_entries)
        list << entry.description;
    return list;
}

ZRadioButton* ZRadioGroup::button(int index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries.at(index).button : nullptr;
}

void ZRadioGroup::onToggle(bool b_checked)
{
    Q_UNUSED(b_checked)
    for (int i = 0; i < m_entries.size(); ++i) {
        if (!m_entries.at(i).button->isChecked())
            continue;
        if (i != m_selectedIndex) {
            m_selectedIndex = i;
            const Entry entry = m_entries.at(i);
            emit currentIndexChanged(entry.description, entry.userData);
            emit currentIndexChanged(i);
        }
        return;
    }
}

void ZRadioGroup::takeButtonsOut()
{
    for (const Entry& entry : qAsConst(m_entries)) {
        m_layout->removeWidget(entry.button);
        entry.button->hide();
    }
}

void ZRadioGroup::putButtonsIn()
{
    for (const Entry& entry : qAsConst(m_entries)) {
        m_layout->addWidget(entry.button);
        entry.button->show();
    }
}

// Checks the selected button; with auto-exclusive siblings the one checked
// before is released, and exactly one button shows the choice.
void ZRadioGroup::checkSelected()
{
    if (m_selectedIndex >= 0 && m_selectedIndex < m_entries.size())
        m_entries.at(m_selectedIndex).button->setChecked(true);
}
