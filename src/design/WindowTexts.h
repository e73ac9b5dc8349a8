#pragma once
// The texts a designer window starts with, keyed by control name: the line
// width and drawing mode lists, the category field and the ring texts (and,
// on the photo designer, the background setting and the greeting lists).

#include <QHash>
#include <QString>

namespace lh::design {

// Category 1 is the photo designer, 2..10 the category windows, 11 the hidden
// full-recipe window.
QHash<QString, QString> initialWindowTexts(int category);

}   // namespace lh::design
