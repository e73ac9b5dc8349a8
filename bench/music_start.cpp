// How long the music takes to start, to report a file it cannot play and to
// go quiet when its window is destroyed. Prints figures; never fails.
//
// Usage: bench_music_start [SONG.mp3]   (default: the song next to this program)

#include "music/Mp3Test.h"
#include "music/QtAudioPlayer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMediaPlayer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}   // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QString song = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QDir(QCoreApplication::applicationDirPath()).filePath(lh::music::kSongFileName);
    if (!QFile::exists(song)) {
        std::printf("no song at %s\n", qPrintable(song));
        return 1;
    }
    constexpr int runs = 5;
    std::vector<double> toPlaying, toSound, toStop;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        auto player = std::make_unique<lh::music::QtAudioPlayer>();
        t.start();
        player->play(song);
        // -1: it did not happen within 10 seconds.
        const bool playing = QTest::qWaitFor(
            [&] { return player->mediaPlayer()->playbackState() == QMediaPlayer::PlayingState; }, 10000);
        toPlaying.push_back(playing ? t.nsecsElapsed() / 1e6 : -1);
        const bool sounding =
            QTest::qWaitFor([&] { return player->mediaPlayer()->position() > 0 || player->failed(); }, 10000);
        toSound.push_back(sounding ? t.nsecsElapsed() / 1e6 : -1);
        QTest::qWait(200);
        t.restart();
        player.reset();
        toStop.push_back(t.nsecsElapsed() / 1e6);
    }

    QTemporaryDir dir;
    QFile garbage(dir.filePath("garbage.mp3"));
    garbage.open(QIODevice::WriteOnly);
    garbage.write(QByteArray(4096, 'Z'));
    garbage.close();
    std::vector<double> missingError, garbageError;
    for (int i = 0; i < runs; ++i) {
        for (auto [path, out] : {std::pair{dir.filePath("none.mp3"), &missingError},
                                 std::pair{dir.filePath("garbage.mp3"), &garbageError}}) {
            lh::music::QtAudioPlayer player;
            QElapsedTimer t;
            t.start();
            player.play(path);
            const bool failed = QTest::qWaitFor([&] { return player.failed(); }, 10000);
            out->push_back(failed ? t.nsecsElapsed() / 1e6 : -1);
        }
    }

    std::printf("music start, median of %d runs (ms):\n", runs);
    std::printf("  play() to playing state        %8.1f\n", median(toPlaying));
    std::printf("  play() to position above 0     %8.1f\n", median(toSound));
    std::printf("  destroying a playing player    %8.1f\n", median(toStop));
    std::printf("  missing file to error          %8.1f\n", median(missingError));
    std::printf("  garbage file to error          %8.1f\n", median(garbageError));
    return 0;
}
