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
    bool failed() const { return m_failed; }
    QString errorText() const { return m_errorText; }
    QMediaPlayer* mediaPlayer() const { return m_player; }

private:
    QMediaPlayer* m_player;
    QAudioOutput* m_output;
    bool m_failed = false;
    QString m_errorText;
};

} // namespace lh::music
