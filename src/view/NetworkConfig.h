#pragma once

#include "view/OverallView.h"

#include <QWidget>

class QShowEvent;

namespace Ui {
class NetworkConfig;
}

// Page "NetworkConfig" of the main window: the host and port of the device's
// web service, reached from the login page. The values take effect at the
// next login.
class NetworkConfig : public QWidget, public OverallView
{
    Q_OBJECT

public:
    explicit NetworkConfig(QWidget* parent = nullptr);
    ~NetworkConfig() override;

public slots:
    // Stores host and port when both are valid, then shows the login page;
    // otherwise tells the user what is wrong and stays.
    void save();
    void back();

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void clearHint();

private:
    void initLanguageTexts();
    void showHint(int textId, const QString& defaultText);

    Ui::NetworkConfig* ui;
};
