#include "ZAnimatedButton.h"

#include <QAbstractButton>
#include <QDebug>
#include <QIcon>
#include <QMovie>

ZAnimatedButton::ZAnimatedButton(QAbstractButton* button, const QString& path)
    : QObject(button)
    , m_button(button)
    , m_movie(std::make_unique<QMovie>())
    , m_path(path)
{
}

ZAnimatedButton::~ZAnimatedButton() = default;

void ZAnimatedButton::start()
{
    // A second start restarts instead of connecting the frames twice.
    stop();
    if (m_path.isEmpty())
        return; // nothing chosen yet
    m_movie->setFileName(m_path);
    if (!m_movie->isValid()) {
        qWarning() << "ZAnimatedButton: cannot play" << m_path;
        return;
    }
    m_running = true;
    connect(m_movie.get(), &QMovie::frameChanged, this, &ZAnimatedButton::setButtonIcon,
            Qt::UniqueConnection);
    m_movie->start();
}

void ZAnimatedButton::stop()
{
    if (!m_running)
        return;
    disconnect(m_movie.get(), &QMovie::frameChanged, this, &ZAnimatedButton::setButtonIcon);
    m_movie->stop();
    m_running = false;
}

void ZAnimatedButton::setIcon(const QString& path)
{
    m_path = path;
    if (m_button)
        m_button->setIcon(QIcon(path));
}

bool ZAnimatedButton::isRunning() const
{
    return m_running;
}

void ZAnimatedButton::setButtonIcon(int frame)
{
    Q_UNUSED(frame)
    if (m_button)
        m_button->setIcon(QIcon(m_movie->currentPixmap()));
}
