#pragma once
// The program's player on QtMultimedia: one QMediaPlayer with its own audio
// output. A file that cannot be opened or decoded ends in an error state;
// nothing waits for the player, so nothing hangs.

#include "platform/Services.h"

#include <QObject>

class QAudioOutput;
class QMediaPlayer;

namespace lh::music {

class QtAudioPlayer final : public QObject, public AudioPlayer {
    Q_OBJECT
public:
    explicit QtAudioPlayer(QObject* parent = nullptr);
    ~QtAudioPlayer() override;

    void play(const QString& path) override;
    void stop() override;
    // Playing and not failed: after an error the playback state alone can
    // still read "playing".
    bool isPlaying() const override;

    // True once the player reported an error or invalid media for the file.
    bool failed() const { return failed_; }
    QString errorText() const { return errorText_; }
    QMediaPlayer* mediaPlayer() const { return player_; }

private:
    QMediaPlayer* player_;
    QAudioOutput* output_;
    bool failed_ = false;
    QString errorText_;
};

}   // namespace lh::music
