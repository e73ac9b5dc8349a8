#pragma once
// The services of a platform that has none of a kind: every dialog is
// cancelled, every question answered No, nothing is printed or played, the
// clipboard and the screen hold nothing. PlatformServices starts with these,
// so a window never has to ask whether a service is there.

#include "platform/Services.h"

namespace lh {

FileDialogs& nullFileDialogs();
FontColorDialogs& nullFontColorDialogs();
MessageBoxes& nullMessageBoxes();
Clipboard& nullClipboard();
ScreenGrabber& nullScreenGrabber();
PicturePrinter& nullPicturePrinter();
// Export and batch dialogs that are cancelled; progress nobody sees or cancels.
ExportDialogs& nullExportDialogs();
// The machine's local time.
Clock& systemClockService();
// A player that never plays.
std::unique_ptr<AudioPlayer> makeSilentAudioPlayer();

}   // namespace lh
