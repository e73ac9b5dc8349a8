#include "music/QtAudioPlayer.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QUrl>

namespace lh::music {

QtAudioPlayer::QtAudioPlayer(QObject* parent)
    : QObject(parent), m_player(new QMediaPlayer(this)), m_output(new QAudioOutput(this))
{
    m_player->setAudioOutput(m_output);
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error, const QString& text) {
        if (error == QMediaPlayer::NoError)
            return;
        m_failed = true;
        m_errorText = text;
    });
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::InvalidMedia) {
            m_failed = true;
            if (m_errorText.isEmpty())
                m_errorText = m_player->errorString();
        }
    });
}

QtAudioPlayer::~QtAudioPlayer()
{
    // The sound ends with the player, at once.
    m_player->stop();
}

void QtAudioPlayer::play(const QString& path)
{
    m_failed = false;
    m_errorText.clear();
    m_player->stop();
    m_player->setSource(QUrl::fromLocalFile(path));
    m_player->setPosition(0);
    m_player->play();
}

void QtAudioPlayer::stop() { m_player->stop(); }

bool QtAudioPlayer::isPlaying() const
{
    return !m_failed && m_player->playbackState() == QMediaPlayer::PlayingState;
}

} // namespace lh::music
