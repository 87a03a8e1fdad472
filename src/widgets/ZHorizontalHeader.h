#pragma once

#include <QHeaderView>
#include <QList>
#include <QPointer>

class QComboBox;

// A horizontal table header that shows one widget per section (a label, a
// combo box, a check button ...) instead of a caption. The widgets stay the
// caller's: the header lends them a place and hands them back (parentless,
// hidden) when it is destroyed. Only the containers it wraps check buttons in
// are its own.
class ZHorizontalHeader : public QHeaderView
{
    Q_OBJECT

public:
    ZHorizontalHeader(QList<QWidget*>& widgets, QWidget* parent = nullptr);
    ~ZHorizontalHeader() override;

    // The widget shown over a section: the caller's widget, or the container
    // a check button was wrapped in. Null for an unknown or deleted one.
    QWidget* sectionWidget(int logicalIndex) const;

    // At least as high as the tallest section widget wants to be.
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    struct Section
    {
        QPointer<QWidget> shown;   // child of the header
        QPointer<QWidget> lent;    // the caller's widget
        QPointer<QWidget> wrapper; // own container around a check button, else null
    };

    static QWidget* wrapCentred(QWidget* checkButton);
    static void matchPopupBackground(QComboBox* comboBox);

    QList<Section> m_sections;
};
