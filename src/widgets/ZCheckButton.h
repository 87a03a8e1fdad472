#pragma once

#include <QPixmap>
#include <QPushButton>

// A push button with three check states, each shown as a 26 x 26 picture.
// A tap toggles between checked and unchecked (a partly checked button becomes
// checked); the partly checked state is only ever set by the program.
class ZCheckButton : public QPushButton
{
    Q_OBJECT

public:
    // A fixed underlying type: a stray number arriving through a signal stays a
    // defined value that the slots can refuse.
    enum CheckState : int { Checked = 0, Unchecked = 1, Tristate = 2 };
    Q_ENUM(CheckState)

    explicit ZCheckButton(QWidget* parent = nullptr);
    explicit ZCheckButton(bool checked, QWidget* parent = nullptr);

    CheckState getButtonCheckState() const;
    void setCheckStatus(bool on);

signals:
    // On every change to checked or unchecked, before the state signal.
    void changeCheckStatus(bool checked);
    // On every change of state.
    void changeCheckStatus(ZCheckButton::CheckState state);

public slots:
    void customClick();
    void setButtonCheckState(ZCheckButton::CheckState state);
    // Sets the state and its picture without telling anyone.
    void setButtonIcon(ZCheckButton::CheckState state);

private:
    void showStateIcon();

    CheckState m_state;
    QPixmap m_checkedPicture;
    QPixmap m_uncheckedPicture;
    QPixmap m_tristatePicture;
};
