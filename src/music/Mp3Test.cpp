#include "music/Mp3Test.h"

#include "platform/Services.h"

#include <QDir>

namespace lh::music {

Mp3Test::Mp3Test(const PlatformServices& services, QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("mp3test"));
    setWindowTitle(QStringLiteral("MP3音乐播放"));
    player_ = services.makeAudioPlayer();
    player_->play(songPath());
}

Mp3Test::~Mp3Test() { player_->stop(); }

void Mp3Test::setVisible(bool) { QWidget::setVisible(false); }

QString Mp3Test::songPath() { return QDir(programDirectory()).filePath(kSongFileName); }

}   // namespace lh::music
