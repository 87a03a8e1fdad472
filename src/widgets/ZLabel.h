#pragma once

#include <QLabel>

// A label that shows a text too wide for it elided on the right ("Temperatur Ke…").
class ZLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ZLabel(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    explicit ZLabel(const QString& text, QWidget* parent = nullptr,
                    Qt::WindowFlags flags = Qt::WindowFlags());

    // The text as it is painted at the label's present width.
    QString displayedText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
