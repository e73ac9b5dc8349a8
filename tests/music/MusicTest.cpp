#include "Fakes.h"
#include "music/Mp3Test.h"
#include "music/QtAudioPlayer.h"

#include <QDir>
#include <QFile>
#include <QMediaPlayer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using lh::music::Mp3Test;
using lh::music::QtAudioPlayer;

namespace {

// The song the build puts next to the program.
QString builtSong()
{
    return QDir(QString::fromLocal8Bit(qgetenv("LH_RUNTIME_DIR"))).filePath(lh::music::kSongFileName);
}

// Waits for the player to have played past `ms` milliseconds of the song.
bool playsPast(QtAudioPlayer& player, qint64 ms)
{
    return QTest::qWaitFor([&] { return player.mediaPlayer()->position() > ms || player.failed(); }, 15000)
           && !player.failed();
}

// Where a player stands, for failure messages.
std::string describe(QtAudioPlayer& player)
{
    const QMediaPlayer* m = player.mediaPlayer();
    return QStringLiteral("state %1, status %2, position %3 ms, error \"%4\"")
        .arg(int(m->playbackState()))
        .arg(int(m->mediaStatus()))
        .arg(m->position())
        .arg(player.errorText())
        .toStdString();
}

bool fails(QtAudioPlayer& player)
{
    return QTest::qWaitFor([&] { return player.failed(); }, 15000);
}

}   // namespace

TEST(QtAudioPlayerTest, PlaysTheSongStopsAndStartsAgainFromTheBeginning)
{
    ASSERT_TRUE(QFile::exists(builtSong())) << builtSong().toStdString();
    QtAudioPlayer player;
    QMediaPlayer* media = player.mediaPlayer();

    player.play(builtSong());
    ASSERT_TRUE(playsPast(player, 600)) << describe(player);
    EXPECT_TRUE(player.isPlaying());
    EXPECT_EQ(media->playbackState(), QMediaPlayer::PlayingState);
    // The whole song, some eleven seconds (known once the stream has been scanned).
    EXPECT_TRUE(QTest::qWaitFor([&] { return media->duration() > 5000; }, 5000)) << media->duration();

    player.stop();
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(media->playbackState(), QMediaPlayer::StoppedState);
    // Stopped stays put: watched for a second, the position does not move.
    const qint64 before = media->position();
    EXPECT_FALSE(QTest::qWaitFor([&] { return media->position() != before; }, 1000)) << "position moved after stop";

    // Again: from the start, not from where it stopped.
    QSignalSpy positions(media, &QMediaPlayer::positionChanged);
    player.play(builtSong());
    ASSERT_TRUE(playsPast(player, 300)) << describe(player);
    ASSERT_FALSE(positions.isEmpty());
    EXPECT_LT(positions.first().first().toLongLong(), 300);
    EXPECT_TRUE(player.isPlaying());
}

TEST(QtAudioPlayerTest, FileThatCannotBePlayedEndsInAnErrorAndTheNextPlayerWorks)
{
    QTemporaryDir dir;
    QFile garbage(dir.filePath("garbage.mp3"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, '\x5a'));
    garbage.close();

    const struct {
        const char* label;
        QString path;
    } cases[] = {
        {"missing", dir.filePath(lh::music::kSongFileName)},
        {"not a sound file", dir.filePath("garbage.mp3")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        auto player = std::make_unique<QtAudioPlayer>();
        QSignalSpy errors(player->mediaPlayer(), &QMediaPlayer::errorOccurred);
        QSignalSpy statuses(player->mediaPlayer(), &QMediaPlayer::mediaStatusChanged);
        player->play(c.path);
        ASSERT_TRUE(fails(*player)) << "no error reported";
        EXPECT_FALSE(player->isPlaying());
        const bool invalidMedia = std::any_of(statuses.begin(), statuses.end(), [](const QList<QVariant>& args) {
            return args.first().value<QMediaPlayer::MediaStatus>() == QMediaPlayer::InvalidMedia;
        });
        EXPECT_TRUE(!errors.isEmpty() || invalidMedia);
        player->stop();
        player.reset();

        // The music toggle makes a new player for every start: the next one
        // plays the song. (Right after another pipeline, the stand-in sink of a
        // machine without a sound card now and then runs the whole stream
        // through at once; reaching its end without error counts as played.)
        QtAudioPlayer next;
        next.play(builtSong());
        const bool played = QTest::qWaitFor(
            [&] {
                return next.failed() || next.mediaPlayer()->position() > 200
                       || next.mediaPlayer()->mediaStatus() == QMediaPlayer::EndOfMedia;
            },
            15000);
        EXPECT_TRUE(played && !next.failed()) << describe(next);
    }
}

TEST(Mp3TestWindow, PlaysTheSongOnCreationAndStopsWhenDestroyed)
{
    QTemporaryDir dir;
    qputenv("LH_PROGRAM_DIR", QFile::encodeName(dir.path()));
    QStringList log;
    lh::PlatformServices services;
    services.makeAudioPlayer = [&] { return std::make_unique<lh::test::LoggingAudioPlayer>(log); };
    QWidget owner;

    auto* music = new Mp3Test(services, &owner);
    EXPECT_EQ(music->objectName(), QStringLiteral("mp3test"));
    EXPECT_EQ(music->windowTitle(), QStringLiteral("MP3音乐播放"));
    EXPECT_TRUE(music->isWindow());
    EXPECT_EQ(music->parentWidget(), &owner);
    EXPECT_EQ(log, QStringList{"play " + QDir(dir.path()).filePath("生日快乐.mp3")});

    owner.show();
    music->show();
    EXPECT_FALSE(music->isVisible());

    delete music;
    EXPECT_EQ(log.mid(1), (QStringList{"stop", "destroyed"}));
    qunsetenv("LH_PROGRAM_DIR");
}

TEST(Mp3TestWindow, WithoutASoundDeviceNothingBreaks)
{
    // Services of a platform with no player: the window gets a silent one.
    lh::PlatformServices services;
    Mp3Test music(services, nullptr);
    ASSERT_NE(music.MediaPlayer1(), nullptr);
    EXPECT_FALSE(music.MediaPlayer1()->isPlaying());
}
