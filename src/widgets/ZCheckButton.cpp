#include "ZCheckButton.h"

#include "TevaroResources.h"

#include <QDebug>

namespace {

bool isKnownState(int state)
{
    return state >= ZCheckButton::Checked && state <= ZCheckButton::Tristate;
}

} // namespace

ZCheckButton::ZCheckButton(QWidget* parent)
    : ZCheckButton(false, parent)
{
}

ZCheckButton::ZCheckButton(bool checked, QWidget* parent)
    : QPushButton(parent)
    , m_state(checked ? Checked : Unchecked)
{
    qRegisterMetaType<ZCheckButton::CheckState>("ZCheckButton::CheckState");
    ensureTevaroResources();
    m_checkedPicture = QPixmap(QStringLiteral(":pic/icon/checked_checkbox.png"));
    m_uncheckedPicture = QPixmap(QStringLiteral(":pic/icon/unchecked_checkbox.png"));
    m_tristatePicture = QPixmap(QStringLiteral(":pic/icon/tristate_checkbox.png"));
    if (m_checkedPicture.isNull() || m_uncheckedPicture.isNull() || m_tristatePicture.isNull())
        qWarning() << "ZCheckButton: the check box pictures are missing from the resources";

    connect(this, &QPushButton::clicked, this, &ZCheckButton::customClick);
    setIconSize(QSize(26, 26));
    showStateIcon();
}

ZCheckButton::CheckState ZCheckButton::getButtonCheckState() const
{
    return m_state;
}

void ZCheckButton::setCheckStatus(bool on)
{
    setButtonCheckState(on ? Checked : Unchecked);
}

void ZCheckButton::customClick()
{
    m_state = m_state == Checked ? Unchecked : Checked;
    emit changeCheckStatus(m_state == Checked);
    showStateIcon();
    emit changeCheckStatus(m_state);
}

void ZCheckButton::setButtonCheckState(ZCheckButton::CheckState state)
{
    if (!isKnownState(state)) {
        qWarning() << "ZCheckButton: ignoring unknown check state" << int(state);
        return;
    }
    if (state == m_state)
        return;
    m_state = state;
    if (state == Checked)
        emit changeCheckStatus(true);
    else if (state == Unchecked)
        emit changeCheckStatus(false);
    showStateIcon();
    emit changeCheckStatus(m_state);
}

void ZCheckButton::setButtonIcon(ZCheckButton::CheckState state)
{
    if (!isKnownState(state)) {
        qWarning() << "ZCheckButton: ignoring unknown check state" << int(state);
        return;
    }
    m_state = state;
    showStateIcon();
}

void ZCheckButton::showStateIcon()
{
    switch (m_state) {
    case Checked:
        setIcon(QIcon(m_checkedPicture));
        break;
    case Unchecked:
        setIcon(QIcon(m_uncheckedPicture));
        break;
    case Tristate:
        setIcon(QIcon(m_tristatePicture));
        break;
    }
}
