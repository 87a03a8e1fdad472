#pragma once

#include <QWidget>

// A plain widget whose background and border come from the style sheet; a
// QWidget subclass does not paint them by itself.
class ZStylableWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ZStylableWidget(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
