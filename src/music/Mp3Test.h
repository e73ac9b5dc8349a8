#pragma once
// The music window "MP3音乐播放": never shown. Creating it plays the song
// from its start; destroying it ends the sound.

#include <QString>
#include <QWidget>

#include <memory>

namespace lh {
class AudioPlayer;
struct PlatformServices;
}   // namespace lh

namespace lh::music {

inline const QString kSongFileName = QStringLiteral("生日快乐.mp3");

class Mp3Test : public QWidget {
    Q_OBJECT
public:
    Mp3Test(const PlatformServices& services, QWidget* owner);
    ~Mp3Test() override;

    // The window stays invisible whatever asks it to show.
    void setVisible(bool visible) override;

    // The song file in the program's directory.
    static QString songPath();
    AudioPlayer* MediaPlayer1() const { return player_.get(); }

private:
    std::unique_ptr<AudioPlayer> player_;
};

}   // namespace lh::music
