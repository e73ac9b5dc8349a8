#pragma once
// What every window of the program shares: the window icon, Chinese texts on
// Qt's own dialogs (buttons of message boxes, file, font and colour dialogs)
// and a default font whose Chinese characters come from a Simplified Chinese
// face whatever the user's locale.

class QApplication;

namespace lh::app {

// Returns false when Qt's Chinese translations are not installed (the
// dialogs then keep Qt's English button texts); everything else still applies.
bool installProgramLook(QApplication& app);

}   // namespace lh::app
