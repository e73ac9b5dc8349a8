#include "platform/NullServices.h"

#include "core/Random.h"
#include "platform/QtServices.h"
#include "platform/ScreenGrabbers.h"

#include <QPrinter>

namespace lh {

namespace {

class NoFileDialogs final : public FileDialogs {
public:
    std::optional<QString> openFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> saveFile(QWidget*, const QString&, const QString&, const QString&, bool) override
    {
        return {};
    }
};

class NoFontColorDialogs final : public FontColorDialogs {
public:
    std::optional<FontChoice> chooseFont(QWidget*, const FontChoice&) override { return {}; }
    std::optional<Rgb> chooseColor(QWidget*, Rgb) override { return {}; }
};

class NoMessageBoxes final : public MessageBoxes {
public:
    void inform(QWidget*, const QString&, const QString&, MessageIcon) override {}
    bool ask(QWidget*, const QString&, const QString&, Default) override { return false; }
};

class NoClipboard final : public Clipboard {
public:
    void setImage(const QImage&) override {}
    QImage image() const override { return {}; }
};

class NoPrinter final : public PicturePrinter {
public:
    bool printPicture(const QImage&, QString* error, const Progress&) override
    {
        if (error)
            *error = QStringLiteral("没有安装打印机。");
        return false;
    }
    QStringList printerNames() const override { return {}; }
    QList<QPageSize> paperSizes(const QString&) const override { return {}; }
    std::unique_ptr<QPrinter> openJob(const QString&, QString* why) override
    {
        if (why)
            *why = QStringLiteral("没有安装打印机。");
        return nullptr;
    }
};

class SilentPlayer final : public AudioPlayer {
public:
    void play(const QString&) override {}
    void stop() override {}
    bool isPlaying() const override { return false; }
};

}   // namespace

FileDialogs& nullFileDialogs()
{
    static NoFileDialogs none;
    return none;
}

FontColorDialogs& nullFontColorDialogs()
{
    static NoFontColorDialogs none;
    return none;
}

MessageBoxes& nullMessageBoxes()
{
    static NoMessageBoxes none;
    return none;
}

Clipboard& nullClipboard()
{
    static NoClipboard none;
    return none;
}

ScreenGrabber& nullScreenGrabber()
{
    static NullScreenGrabber none;
    return none;
}

PicturePrinter& nullPicturePrinter()
{
    static NoPrinter none;
    return none;
}

namespace {

class UnseenProgress final : public Progress {
public:
    void setValue(int) override {}
    bool cancelled() override { return false; }
};

class NoExportDialogs final : public ExportDialogs {
public:
    std::optional<ExportChoice> askExport(QWidget*, const ExportChoice&) override { return std::nullopt; }
    std::optional<BatchChoice> askBatch(QWidget*, const BatchChoice&) override { return std::nullopt; }
    std::optional<FolderExportChoice> askFolderExport(QWidget*, const FolderExportChoice&, int) override
    {
        return std::nullopt;
    }
    std::unique_ptr<Progress> startProgress(QWidget*, const QString&, int) override
    {
        return std::make_unique<UnseenProgress>();
    }
};

}   // namespace

ExportDialogs& nullExportDialogs()
{
    static NoExportDialogs none;
    return none;
}

Clock& systemClockService()
{
    static SystemClock clock;
    return clock;
}

std::unique_ptr<AudioPlayer> makeSilentAudioPlayer() { return std::make_unique<SilentPlayer>(); }

PlatformServices::PlatformServices()
    : random(&programRandom()),
      files(&nullFileDialogs()),
      fontColor(&nullFontColorDialogs()),
      messages(&nullMessageBoxes()),
      clock(&systemClockService()),
      clipboard(&nullClipboard()),
      screen(&nullScreenGrabber()),
      printer(&nullPicturePrinter()),
      exports(&nullExportDialogs()),
      makeAudioPlayer(&makeSilentAudioPlayer)
{}

}   // namespace lh
