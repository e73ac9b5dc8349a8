#pragma once
// The keys that reach what no button reaches, in one table: the designer
// windows' heading tooltip and the help that F1 opens in every window list
// them from here.

#include <QString>

#include <vector>

class QWidget;

namespace lh::forms {

struct ProgramKey {
    QString keys;   // as a user presses them, e.g. "Ctrl+Shift+E"
    QString what;   // what they do, in Chinese
};

const std::vector<ProgramKey>& programKeys();

// The export scales as a sentence says them: "1、2、4 或 8".
QString offeredScalesText();

// "快捷键：" and one line a key.
QString programKeysText();

// The help window "蓝禾快捷键" listing the keys; Escape closes it.
void showKeysHelp(QWidget* parent);
// The help listing a window's own keys under `heading`.
void showKeysHelp(QWidget* parent, const std::vector<ProgramKey>& keys, const QString& heading);

// F1 in `window` opens the help.
void installHelpKey(QWidget* window);
// F1 in `window` opens the help of its own keys.
void installHelpKey(QWidget* window, const std::vector<ProgramKey>& keys, const QString& heading);

}   // namespace lh::forms
