#pragma once
// Font faces of the program's texts. The designs and windows name their faces
// by the usual desktop names ("arial", "Arial", "宋体", ...); these functions map
// them onto the fonts installed here and make sure Chinese characters always
// come out as Simplified Chinese glyphs, whatever the user's locale.

#include "engine/Surface.h"

#include <QFont>
#include <QString>
#include <QStringList>

namespace lh {

// The installed families that stand for a face, best first, ending with the
// Simplified Chinese face that supplies characters the first ones lack.
QStringList fontFamiliesFor(const QString& face);

// Makes plain QFonts of those face names ("宋体", "Arial", ...) resolve like
// resolveFont does, for widgets that set a face by name. Done once; the
// resolve functions call it themselves.
void installFontSubstitutions();

// A font for a face at a size in points (on the 96-dpi screen the layouts
// assume: 1 point = 20/15 pixels) and bold or not.
QFont resolveFont(const QString& face, double pointSize, bool bold);

// A font of a given character height in pixels and weight (400 normal,
// 700 bold, 800 extra bold).
QFont resolvePixelFont(const QString& face, int pixelSize, int weight, bool italic = false, bool underline = false,
                       bool strikeOut = false);

// The font a platform font record stands for: a negative height is the
// character height in pixels, a positive one the cell height (ascent plus
// descent), 0 the default height.
QFont fontForRecord(const LogFontRecord& record);

// Character height in pixels of a size in points: round(points * 20 / 15).
int pointsToPixels(double points);

}   // namespace lh
