#pragma once

#include "view/OverallView.h"

#include <QWidget>

// The measurement screen, page "DataMain". Its screen comes later; what the
// frame relies on is here: the reset after a login and the way back home.
class DataMain : public QWidget, public OverallView
{
    Q_OBJECT

public:
    explicit DataMain(QWidget* parent = nullptr);
    ~DataMain() override;

public slots:
    // Called after a successful login.
    void setDefault();
    // Shows the home page.
    void setBackToHome();
};
