#include "music/Mp3Test.h"

#include "platform/Services.h"

#include <QDir>

namespace lh::music {

Mp3Test::Mp3Test(const PlatformServices& services, QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("mp3test"));
    setWindowTitle(QStringLiteral("MP3音乐播放"));
    m_player = services.makeAudioPlayer();
    m_player->play(songPath());
}

Mp3Test::~Mp3Test()
{
    m_player->stop();
}

void Mp3Test::setVisible(bool) { QWidget::setVisible(false); }

QString Mp3Test::songPath() { return QDir(programDirectory()).filePath(kSongFileName); }

} // namespace lh::music
