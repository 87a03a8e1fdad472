#pragma once

#include <QRadioButton>

// A radio button whose caption is elided on the right when the button is
// narrower than the caption, so a list of long options fits a table cell.
class ZRadioButton : public QRadioButton
{
    Q_OBJECT

public:
    explicit ZRadioButton(const QString& text, QWidget* parent = nullptr);

    // Room for the indicator only: the caption elides instead of widening the cell.
    QSize minimumSizeHint() const override;

    // The caption as it is painted at the present width.
    QString displayedText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int reservedWidth() const;
};
