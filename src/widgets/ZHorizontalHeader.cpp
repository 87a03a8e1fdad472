#include "ZHorizontalHeader.h"

#include "ZCheckButton.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QComboBox>

ZHorizontalHeader::ZHorizontalHeader(QList<QWidget*>& widgets, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    for (QWidget* widget : qAsConst(widgets)) {
        Section section{widget, widget, nullptr};
        if (auto* comboBox = qobject_cast<QComboBox*>(widget)) {
            if (comboBox->count() > 0)
                matchPopupBackground(comboBox);
        } else if (qobject_cast<ZCheckButton*>(widget)) {
            widget->setStyleSheet(QStringLiteral("margin:0px;padding:0px;"));
            section.wrapper = wrapCentred(widget);
            section.shown = section.wrapper;
        }
        m_sections.append(section);
    }
    for (const Section& section : qAsConst(m_sections)) {
        if (section.shown) {
            section.shown->setParent(this);
            section.shown->show();
        }
    }
}

ZHorizontalHeader::~ZHorizontalHeader()
{
    // Hand back only what still sits here: a widget the caller deleted or
    // placed in another header meanwhile is left alone.
    for (const Section& section : qAsConst(m_sections)) {
        if (section.wrapper) {
            if (section.lent && section.wrapper->isAncestorOf(section.lent))
                section.lent->setParent(nullptr);
            delete section.wrapper.data();
        } else if (section.lent && section.lent->parentWidget() == this) {
            section.lent->setParent(nullptr);
        }
    }
}

QWidget* ZHorizontalHeader::sectionWidget(int logicalIndex) const
{
    if (logicalIndex < 0 || logicalIndex >= m_sections.size())
        return nullptr;
    return m_sections.at(logicalIndex).shown;
}

QSize ZHorizontalHeader::sizeHint() const
{
    QSize hint = QHeaderView::sizeHint();
    for (const Section& section : m_sections)
        if (section.shown)
            hint.setHeight(qMax(hint.height(),
                                section.shown->sizeHint().expandedTo(section.shown->minimumSize()).height()));
    return hint;
}

void ZHorizontalHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    Q_UNUSED(painter)
    // Scrolling and resizing move the sections; every paint puts the widgets
    // back over theirs.
    const int sectionCount = qMin(count(), m_sections.size());
    for (int i = 0; i < sectionCount; ++i) {
        if (QWidget* widget = m_sections.at(i).shown)
            widget->setGeometry(sectionViewportPosition(i), 0, sectionSize(i), height());
    }
    if (QWidget* widget = sectionWidget(logicalIndex))
        widget->setGeometry(rect);
}

QWidget* ZHorizontalHeader::wrapCentred(QWidget* checkButton)
{
    auto* outer = new QWidget;
    auto* outerLayout = new QVBoxLayout(outer);
    outerLayout->setContentsMargins(0, 0, 0, 0);

    auto* inner = new QWidget(outer);
    auto* innerLayout = new QHBoxLayout(inner);
    innerLayout->setContentsMargins(0, 0, 0, 0);
    innerLayout->addWidget(checkButton, 0, Qt::AlignCenter);

    outerLayout->addWidget(inner, 0, Qt::AlignCenter);
    return outer;
}

// The popup list of a header combo box shows on the combo box's own background.
void ZHorizontalHeader::matchPopupBackground(QComboBox* comboBox)
{
    const QColor background =
        comboBox->palette().brush(QPalette::Active, comboBox->backgroundRole()).color();
    comboBox->view()->setStyleSheet(QStringLiteral("QAbstractItemView{background-color:rgb(%1,%2,%3);}")
                                        .arg(background.red())
                                        .arg(background.green())
                                        .arg(background.blue()));
    comboBox->view()->updateGeometry();
}
