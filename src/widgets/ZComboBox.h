#pragma once

#include <QComboBox>

// A combo box for touch tables: the wheel never changes it (a wheel turn over a
// table cell scrolls the table), and it reports opening and closing its list.
class ZComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit ZComboBox(QWidget* parent = nullptr);

    void showPopup() override;
    void hidePopup() override;

signals:
    void openCombox();
    void closeCombobox();

protected:
    void wheelEvent(QWheelEvent* event) override;
};
