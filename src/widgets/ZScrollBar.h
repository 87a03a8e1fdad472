#pragma once

#include <QScrollBar>

// A scroll bar the style sheets can address by its own class name.
class ZScrollBar : public QScrollBar
{
    Q_OBJECT

public:
    // The second argument is accepted for the callers that pass one; it is not used.
    explicit ZScrollBar(QWidget* parent = nullptr, int unused = 0);
};
