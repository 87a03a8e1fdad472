#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QAbstractButton;
class QMovie;

// Drives a button's icon from an animated picture. Lives as a child of its button.
// Still: setIcon(path) shows the picture's first frame. Running: start() plays
// the picture stored by the last setIcon (or the constructor) on the button;
// with no picture stored, or one that cannot be played, it stays still.
class ZAnimatedButton : public QObject
{
    Q_OBJECT

public:
    ZAnimatedButton(QAbstractButton* button, const QString& path);
    ~ZAnimatedButton() override;

    void start();
    void stop();
    void setIcon(const QString& path);
    bool isRunning() const;

public slots:
    void setButtonIcon(int frame);

private:
    QAbstractButton* m_button;
    std::unique_ptr<QMovie> m_movie;
    QString m_path;
    bool m_running = false;
};
