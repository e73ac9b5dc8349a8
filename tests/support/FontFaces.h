#pragma once
// Which font faces really draw a text: the faces of the glyph runs Qt lays
// it out with, after its own fallback.

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QStringList>
#include <QTextLayout>

namespace lh::test {

inline QStringList familiesUsedFor(const QString& text, const QFont& font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList families;
    for (const QGlyphRun& run : layout.glyphRuns())
        families << run.rawFont().familyName();
    return families;
}

}   // namespace lh::test
