#pragma once

#include <QComboBox>

// A combo box for touch tables: the wheel never changes it (a wheel turn over a
// table cell scrolls the table), and it reports opening and closing its list.
//
// The popup list is a QListView with a styled item delegate. It is normally
// made with the combo box; a combo box made with PopupListOnFirstUse makes it
// only when it is first needed (opening it, a style or font change), for the
// many combo boxes of a table that are mostly never opened. Code that wants
// view() or itemDelegate() of such a combo box calls ensurePopupList() first:
// before the list is made they make Qt's default one, which opening replaces.
class ZComboBox : public QComboBox
{
    Q_OBJECT

public:
    enum PopupListCreation { PopupListNow, PopupListOnFirstUse };

    explicit ZComboBox(QWidget* parent = nullptr);
    ZComboBox(PopupListCreation creation, QWidget* parent);

    // Makes the popup list now if it is not there yet.
    void ensurePopupList();

    void showPopup() override;
    void hidePopup() override;

signals:
    void openCombox();
    void closeCombobox();

protected:
    void changeEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool hasPopupList = false;
};
