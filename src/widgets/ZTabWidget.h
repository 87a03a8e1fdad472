#pragma once

#include <QTabWidget>

// A tab widget that reports a tap on the tab already shown as currentReload(),
// so the page can be refreshed or reset; switching tabs works as usual.
class ZTabWidget : public QTabWidget
{
    Q_OBJECT

public:
    explicit ZTabWidget(QWidget* parent = nullptr);

signals:
    void currentReload();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
