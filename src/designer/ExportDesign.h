#pragma once
// Designs at print size. A recorded design is drawn again on a surface k
// times larger (every position, pen width and font size scaled), the photo
// of the main window drawn over it from its original picture, and written as
// a PNG file that carries its resolution. A batch draws new designs of a
// category off screen, on a random source of its own, and writes each under
// the number of its serial line.

#include "design/DesignHistory.h"
#include "engine/Surface.h"
#include "platform/Services.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace lh::designer {

// The designer surface's side in pixels.
inline constexpr int kDesignPixels = 857;

// A caption over the surface (the main window's date label): drawn from the
// top left of its place and cut to it, as the label shows it. The font's size
// is in pixels.
struct CaptionOverlay {
    QString text;
    QFont font;
    QColor colour;
    QRect place;
};

// What the main window shows over its design: the photo and the ring around
// it, and the date label, in surface pixels.
struct PhotoOverlay {
    QRect photo;
    QRect frame;
    QColor frameColour;
    int frameWidth = 0;
    std::optional<CaptionOverlay> date;
};

// A text the user stamped on the design on show (the main window's quick
// texts): where it was put in twips, its text and font. The export draws it
// again at the same place and in the same colour, scaled like everything else.
struct StampedText {
    double xTwips = 0;
    double yTwips = 0;
    QString text;
    LogFontRecord font;
    Rgb colour = 0;
};

// Dots per inch to dots per metre, as images keep it.
int dotsPerMetre(int dotsPerInch);

// Why a choice cannot be exported; empty when it can.
QString checkExportChoice(const ExportChoice& choice);
QString checkBatchChoice(const BatchChoice& choice);

// The design of the record drawn at `scale` times the surface's size, the
// stamps on it in their order, and the photo over it when the record has one
// and an overlay is given. Null when an image of that size cannot be had.
QImage renderDesign(const design::DesignRecipe& recipe, const design::DesignRecord& record, int scale,
                    const std::optional<PhotoOverlay>& overlay, int surfacePixels = kDesignPixels,
                    const std::vector<StampedText>& stamps = {});

// A file name from a serial line: the text after the recipe's prefix, with
// blanks as '_' and only letters, digits, '.', '-' and '_' kept.
QString fileNameFromSerialLine(const QString& serialLine, const QString& prefix);

struct ExportOutcome {
    enum class Kind {
        Written,
        Cancelled,
        Failed
    } kind = Kind::Failed;
    QString error;     // for Failed
    int written = 0;   // files written
};

// Draws the record at the chosen scale and writes it; progress in three
// steps (drawing, encoding, written), cancellable between them.
ExportOutcome exportDesign(const design::DesignRecipe& recipe, const design::DesignRecord& record,
                           const ExportChoice& choice, const std::optional<PhotoOverlay>& overlay, Progress& progress,
                           const std::vector<StampedText>& stamps = {});

// What a batch draws with: the window texts, the random source and clock of
// its own, and the photo shown in the middle (main window's recipe only).
struct BatchSources {
    QHash<QString, QString> texts;
    RandomSource* random = nullptr;
    Clock* clock = nullptr;
    QImage photo;
    std::optional<PhotoOverlay> overlay;
};

// Draws `choice.count` new designs of the category and writes each into the
// folder; progress one step a design, cancellable between designs (the
// files written so far stay).
ExportOutcome exportBatch(const BatchChoice& choice, const BatchSources& sources, Progress& progress);

}   // namespace lh::designer
