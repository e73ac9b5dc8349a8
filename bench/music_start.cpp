// How long the music takes to start, to report a file it cannot play and to
// go quiet when its window is destroyed. Prints figures; never fails.
//
// Usage: bench_music_start [SONG.mp3]   (default: the song next to this program)
//        bench_music_start --repeat N [SONG.mp3]
//   starts and stops the song N times as "播放音乐" does, and says whether a
//   start ever hung (a start that has not come back after 20 seconds ends
//   the program with a message).

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
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}   // namespace

// Starts and stops the song `times` times; a start that does not come back
// within 20 seconds ends the program.
int repeatStarts(const QString& song, int times)
{
    std::atomic<int> started{0};
    std::atomic<bool> done{false};
    std::thread watchdog([&] {
        int seen = -1;
        auto since = std::chrono::steady_clock::now();
        while (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (started != seen) {
                seen = started;
                since = std::chrono::steady_clock::now();
            } else if (std::chrono::steady_clock::now() - since > std::chrono::seconds(20)) {
                std::printf("music repeat: start %d of %d hung for 20 s\n", seen + 1, times);
                std::fflush(stdout);
                std::_Exit(3);
            }
        }
    });
    int playing = 0;
    for (int i = 0; i < times; ++i) {
        auto player = std::make_unique<lh::music::QtAudioPlayer>();
        player->play(song);
        if (QTest::qWaitFor([&] { return player->isPlaying() || player->failed(); }, 10000) && player->isPlaying())
            ++playing;
        player->stop();
        player.reset();
        started = i + 1;
    }
    done = true;
    watchdog.join();
    std::printf("music repeat: %d starts, %d playing, none hung\n", times, playing);
    return 0;
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    int repeat = 0;
    if (argc > 2 && QByteArray(argv[1]) == "--repeat") {
        repeat = std::atoi(argv[2]);
        argv += 2;
        argc -= 2;
    }
    const QString song = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QDir(QCoreApplication::applicationDirPath()).filePath(lh::music::kSongFileName);
    if (repeat > 0 && QFile::exists(song))
        return repeatStarts(song, repeat);
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
