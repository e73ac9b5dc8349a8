#pragma once
// Scripted stand-ins for the platform services, so tests answer dialogs,
// read message boxes and fix the clock.

#include "core/Random.h"
#include "platform/Services.h"

#include <QDateTime>
#include <QImage>
#include <QPrinter>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace lh::test {

// Answers dialogs from queues; an empty queue answers "cancel".
class FakeFileDialogs : public FileDialogs {
public:
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    struct Call {
        QString title, filter, directory;
        bool askOverwrite = false;
    };
    std::vector<Call> openCalls, saveCalls;

    std::optional<QString> openFile(QWidget*, const QString& title, const QString& filter,
                                    const QString& directory) override
    {
        openCalls.push_back({title, filter, directory, false});
        return take(openAnswers);
    }
    std::optional<QString> saveFile(QWidget*, const QString& title, const QString& filter, const QString& directory,
                                    bool askOverwrite) override
    {
        saveCalls.push_back({title, filter, directory, askOverwrite});
        return take(saveAnswers);
    }

private:
    static std::optional<QString> take(std::deque<std::optional<QString>>& q)
    {
        std::optional<QString> v;
        if (!q.empty()) {
            v.swap(q.front());
            q.pop_front();
        }
        return v;
    }
};

class FakeFontColorDialogs : public FontColorDialogs {
public:
    std::deque<std::optional<FontChoice>> fontAnswers;
    std::deque<std::optional<Rgb>> colorAnswers;
    int fontCalls = 0, colorCalls = 0;

    std::optional<FontChoice> chooseFont(QWidget*, const FontChoice&) override
    {
        ++fontCalls;
        std::optional<FontChoice> v;
        if (!fontAnswers.empty()) {
            v.swap(fontAnswers.front());
            fontAnswers.pop_front();
        }
        return v;
    }
    std::optional<Rgb> chooseColor(QWidget*, Rgb) override
    {
        ++colorCalls;
        if (colorAnswers.empty())
            return std::nullopt;
        auto v = colorAnswers.front();
        colorAnswers.pop_front();
        return v;
    }
};

// Records every message; questions are answered from a queue (default No).
class RecordingMessageBoxes : public MessageBoxes {
public:
    struct Message {
        QString text, title;
        MessageIcon icon = MessageIcon::Information;
        bool question = false;
        Default byDefault = Default::Yes;   // of a question
    };
    std::vector<Message> messages;
    std::deque<bool> answers;

    void inform(QWidget*, const QString& text, const QString& title, MessageIcon icon) override
    {
        messages.push_back({text, title, icon, false});
    }
    bool ask(QWidget*, const QString& text, const QString& title, Default byDefault) override
    {
        messages.push_back({text, title, MessageIcon::Question, true, byDefault});
        if (answers.empty())
            return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    QStringList texts() const
    {
        QStringList out;
        for (const auto& m : messages)
            out << m.text;
        return out;
    }
};

class FixedClock : public Clock {
public:
    QDateTime value = QDateTime(QDate(2011, 1, 1), QTime(12, 0, 0));
    QDateTime now() const override { return value; }
};

class MemoryClipboard : public Clipboard {
public:
    QImage stored;
    int setCount = 0;
    void setImage(const QImage& image) override
    {
        stored = image;
        ++setCount;
    }
    QImage image() const override { return stored; }
};

class FakePrinter : public PicturePrinter {
public:
    std::vector<QImage> printed;
    bool fail = false;
    QString failReason = QStringLiteral("no printer");
    // A print goes in this many bands, each told to the progress.
    int bands = 8;
    bool printPicture(const QImage& picture, QString* error, const Progress& progress) override
    {
        if (fail) {
            if (error)
                *error = failReason;
            return false;
        }
        for (int i = 1; progress && i <= bands; ++i) {
            if (!progress(i, bands)) {
                if (error)
                    *error = QStringLiteral("cancelled");
                return false;
            }
        }
        printed.push_back(picture);
        return true;
    }

    // The print layout's printers: `names` (the default first) with no paper
    // list of their own. Each job is named in `jobs` and written as a PDF
    // into the folder `spool` (its pages are what the printer would get); a
    // printer in `refusing` refuses jobs, and a spool folder that does not
    // exist makes the job's device refuse to begin.
    QStringList names;
    QStringList refusing;
    QString spool;
    QStringList jobs;
    QStringList printerNames() const override { return names; }
    QList<QPageSize> paperSizes(const QString&) const override { return {}; }
    std::unique_ptr<QPrinter> openJob(const QString& printer, QString* why) override
    {
        jobs << printer;
        if (refusing.contains(printer) || !names.contains(printer)) {
            if (why)
                *why = QStringLiteral("打印机“%1”现在不接受打印任务。").arg(printer);
            return nullptr;
        }
        auto job = std::make_unique<QPrinter>(QPrinter::HighResolution);
        job->setOutputFormat(QPrinter::PdfFormat);
        job->setOutputFileName(spool + QStringLiteral("/job%1.pdf").arg(jobs.size()));
        return job;
    }
};

// Writes what is done with it, its end included, into a log that outlives it:
// "play <path>", "stop", "destroyed".
class LoggingAudioPlayer : public AudioPlayer {
public:
    explicit LoggingAudioPlayer(QStringList& log) : log_(log) {}
    ~LoggingAudioPlayer() override { log_ << QStringLiteral("destroyed"); }
    void play(const QString& path) override
    {
        log_ << QStringLiteral("play ") + path;
        playing_ = true;
    }
    void stop() override
    {
        log_ << QStringLiteral("stop");
        playing_ = false;
    }
    bool isPlaying() const override { return playing_; }

private:
    QStringList& log_;
    bool playing_ = false;
};

class FakeAudioPlayer : public AudioPlayer {
public:
    QString path;
    bool playing = false;
    int plays = 0;
    void play(const QString& p) override
    {
        path = p;
        playing = true;
        ++plays;
    }
    void stop() override { playing = false; }
    bool isPlaying() const override { return playing; }
};

// Answers the export and batch dialogs from queues (empty: cancel) and
// records every progress; a progress reports cancelled once cancelAt steps
// are done (never when negative).
class FakeExportDialogs : public ExportDialogs {
public:
    std::deque<std::optional<ExportChoice>> exportAnswers;
    std::deque<std::optional<BatchChoice>> batchAnswers;
    std::vector<ExportChoice> exportAsked;
    std::vector<BatchChoice> batchAsked;
    std::deque<std::optional<FolderExportChoice>> folderAnswers;
    std::vector<FolderExportChoice> folderAsked;
    int cancelAt = -1;
    struct ProgressLog {
        QString label;
        int total = 0;
        std::vector<int> values;
    };
    std::vector<ProgressLog> progresses;

    std::optional<ExportChoice> askExport(QWidget*, const ExportChoice& initial) override
    {
        exportAsked.push_back(initial);
        return take(exportAnswers);
    }
    std::optional<BatchChoice> askBatch(QWidget*, const BatchChoice& initial) override
    {
        batchAsked.push_back(initial);
        return take(batchAnswers);
    }
    std::optional<FolderExportChoice> askFolderExport(QWidget*, const FolderExportChoice& initial, int) override
    {
        folderAsked.push_back(initial);
        return take(folderAnswers);
    }
    std::unique_ptr<Progress> startProgress(QWidget*, const QString& label, int total) override
    {
        progresses.push_back({label, total, {}});
        return std::make_unique<LoggedProgress>(*this, progresses.size() - 1);
    }

private:
    class LoggedProgress : public Progress {
    public:
        LoggedProgress(FakeExportDialogs& owner, std::size_t index) : owner_(owner), index_(index) {}
        void setValue(int done) override { owner_.progresses[index_].values.push_back(done); }
        bool cancelled() override
        {
            const auto& values = owner_.progresses[index_].values;
            return owner_.cancelAt >= 0 && !values.empty() && values.back() >= owner_.cancelAt;
        }

    private:
        FakeExportDialogs& owner_;
        std::size_t index_;
    };
    template <typename T>
    static std::optional<T> take(std::deque<std::optional<T>>& q)
    {
        if (q.empty())
            return std::nullopt;
        auto v = q.front();
        q.pop_front();
        return v;
    }
};

}   // namespace lh::test

#include "forms/Navigator.h"
#include "scene/DesignScene.h"

namespace lh::test {

// Records what a window asked the window set to do.
class RecordingNavigator : public Navigator {
public:
    std::vector<int> categories;
    std::vector<QWidget*> captureOwners, zoomOwners, printingOwners;
    int musicStarts = 0, musicStops = 0, mainShows = 0, grabberOpens = 0, wallpaperOpens = 0;

    void showCategory(int category) override { categories.push_back(category); }
    void openCapture(QWidget* owner) override { captureOwners.push_back(owner); }
    void openZoom(QWidget* owner) override { zoomOwners.push_back(owner); }
    void openPrinting(QWidget* owner) override { printingOwners.push_back(owner); }
    void openGrabber() override { ++grabberOpens; }
    void openWallpaper() override { ++wallpaperOpens; }
    void startMusic() override { ++musicStarts; }
    void stopMusic() override { ++musicStops; }
    void showMainWindow() override { ++mainShows; }
    QWidget* mainWindow() override { return main; }
    QWidget* main = nullptr;   // what mainWindow() hands out
    struct Keep {
        int category = 0;
        std::size_t stamps = 0;
        QImage shown;
    };
    std::vector<Keep> keeps;
    int galleryOpens = 0;
    // Whether keepDesign says a design was new.
    bool keepsAreNew = true;
    std::optional<KeptCount> keepDesign(QWidget*, const scene::DesignScene& scene, const QImage& shown) override
    {
        keeps.push_back({scene.category, scene.stamps.size(), shown});
        return KeptCount{static_cast<std::int64_t>(keeps.size()), keepsAreNew};
    }
    void openGallery() override { ++galleryOpens; }
    // The cache keys of the photos windows said they show, in order.
    std::vector<qint64> photosShown;
    void photoShown(const QImage& photo) override { photosShown.push_back(photo.cacheKey()); }
};

// Every scripted service at once, wired into `services`: draws 0.5 from the
// random source, dialogs answer cancel, messages are recorded, the clock is
// fixed, the clipboard and printer are in memory, each start of the music
// gets a FakeAudioPlayer (the last one in lastPlayer); no screen grabber.
struct FakeServices {
    FakeServices()
    {
        services.random = &random;
        services.files = &files;
        services.fontColor = &fontColor;
        services.messages = &messages;
        services.clock = &clock;
        services.clipboard = &clipboard;
        services.printer = &printer;
        services.exports = &exports;
        services.makeAudioPlayer = [this] {
            auto player = std::make_unique<FakeAudioPlayer>();
            lastPlayer = player.get();
            return player;
        };
    }
    FakeServices(const FakeServices&) = delete;
    FakeServices& operator=(const FakeServices&) = delete;

    ScriptedRandom random{{0.5f}};
    FakeFileDialogs files;
    FakeFontColorDialogs fontColor;
    RecordingMessageBoxes messages;
    FixedClock clock;
    MemoryClipboard clipboard;
    FakePrinter printer;
    FakeExportDialogs exports;
    FakeAudioPlayer* lastPlayer = nullptr;
    PlatformServices services;
};

}   // namespace lh::test
