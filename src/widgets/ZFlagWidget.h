#pragma once

#include "ZStylableWidget.h"

#include <QStringList>

class QGridLayout;

// A grid of function flags (ZFlagIcon), filled row by row. It holds at most
// rows x columns flags; more are refused.
class ZFlagWidget : public ZStylableWidget
{
    Q_OBJECT

public:
    explicit ZFlagWidget(QWidget* parent = nullptr);
    ZFlagWidget(int rows, int columns, QWidget* parent = nullptr);

    // Inserts a flag at index (0 .. number of flags). False when the index is
    // out of range or the grid is full.
    bool addFlag(int index, const QString& name);
    void clearFlags();

    QStringList flags() const;

private:
    void removeIcons();
    void placeIcons();

    QGridLayout* m_layout;
    QStringList m_names;
    int m_rows;
    int m_columns;
};
