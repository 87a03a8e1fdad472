#pragma once

#include <QWidget>

// A widget that wants exactly the size it has, so a scroll area showing it
// scrolls over the size its owner gave it.
class SizeHintWidget : public QWidget
{
    Q_OBJECT

public:
    explicit SizeHintWidget(QWidget* parent = nullptr);

    QSize sizeHint() const override;
};
