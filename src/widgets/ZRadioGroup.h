#pragma once

#include <QList>
#include <QVariant>
#include <QWidget>

class QVBoxLayout;
class ZRadioButton;

// A vertical list of radio buttons, one per unique description, each with its
// user data. The selected index always names the checked button (or -1 when
// none is); a tap on another button reports the new choice, a choice made by
// the program does not.
class ZRadioGroup : public QWidget
{
    Q_OBJECT

public:
    explicit ZRadioGroup(QWidget* parent = nullptr);

    // Appends an option; an option with the same description is replaced, so
    // it moves to the end (and stays chosen when it was). The first option of
    // an empty group is chosen.
    void addItem(const QString& description, const QVariant& userData = QVariant());
    bool removeItem(int index);
    bool removeItem(const QString& description);
    // Chooses an option without signalling. False for an index out of range.
    bool setSelectedIndex(int index);

    int selectedIndex() const;
    int count() const;
    QStringList descriptions() const;
    ZRadioButton* button(int index) const;

signals:
    void currentIndexChanged(QString str_description, QVariant var_userData);
    void currentIndexChanged(int i_SelectedIndex);

public slots:
    void onToggle(bool b_checked);

private:
    struct Entry
    {
        QString description;
        QVariant userData;
        ZRadioButton* button;
    };

    void takeButtonsOut();
    void putButtonsIn();
    void checkSelected();

    QList<Entry> m_entries;
    QVBoxLayout* m_layout;
    int m_selectedIndex = -1;
};
