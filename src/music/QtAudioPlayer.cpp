#include "music/QtAudioPlayer.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QUrl>

namespace lh::music {

QtAudioPlayer::QtAudioPlayer(QObject* parent)
    : QObject(parent), player_(new QMediaPlayer(this)), output_(new QAudioOutput(this))
{
    player_->setAudioOutput(output_);
    connect(player_, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error, const QString& text) {
        if (error == QMediaPlayer::NoError)
            return;
        failed_ = true;
        errorText_ = text;
    });
    connect(player_, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::InvalidMedia) {
            failed_ = true;
            if (errorText_.isEmpty())
                errorText_ = player_->errorString();
        }
    });
}

QtAudioPlayer::~QtAudioPlayer()
{
    // The sound ends with the player, at once.
    player_->stop();
}

void QtAudioPlayer::play(const QString& path)
{
    failed_ = false;
    errorText_.clear();
    player_->stop();
    player_->setSource(QUrl::fromLocalFile(path));
    player_->setPosition(0);
    player_->play();
}

void QtAudioPlayer::stop() { player_->stop(); }

bool QtAudioPlayer::isPlaying() const { return !failed_ && player_->playbackState() == QMediaPlayer::PlayingState; }

}   // namespace lh::music
