#pragma once
// Designs at print size. A design scene is drawn again k times larger
// (every position, pen width and font size scaled, the photo of the main
// window drawn from its original picture) and written as a PNG file that
// carries its resolution. A batch draws new designs of a
// category off screen, on a random source of its own, and writes each under
// the number of its serial line.

#include "design/DesignHistory.h"
#include "engine/Surface.h"
#include "scene/DesignScene.h"
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

// The scene's parts, as the designer windows use them.
using scene::CaptionOverlay;
using scene::kDesignPixels;
using scene::PhotoOverlay;
using scene::renderDesign;
using scene::StampedText;

// Dots per inch to dots per metre, as images keep it.
int dotsPerMetre(int dotsPerInch);

// Why a choice cannot be exported; empty when it can.
QString checkExportChoice(const ExportChoice& choice);
QString checkBatchChoice(const BatchChoice& choice);

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

// Draws the scene at the chosen scale and writes it; progress in three
// steps (drawing, encoding, written), cancellable between them.
ExportOutcome exportScene(const scene::DesignScene& scene, const ExportChoice& choice, Progress& progress);

// The file an export writes for a name as typed: one name (quotes and all,
// blanks around it dropped), a relative one taken in `folder`, `ending`
// added when it has another. Empty, with the reason, for no name or a name
// that is only a folder.
std::optional<QString> exportFileFor(const QString& typed, const QString& folder, QString* why,
                                     const QString& ending = QStringLiteral(".png"));
// The folder an export writes into for a folder as typed: a relative one
// taken in `folder`; empty for none.
QString exportFolderFor(const QString& typed, const QString& folder);

// Ctrl+E on a design: asks the export dialog (starting from `last`, which
// keeps the answer), draws and writes the scene with its progress, and says
// why when it fails.
ExportOutcome askAndExportScene(QWidget* parent, const PlatformServices& services, const scene::DesignScene& scene,
                                ExportChoice& last);

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
// files written so far stay). The designs are decided one after another on
// the calling thread (the sources are used there only) and drawn and written
// by `workers` threads (0: one per core); the files are the same, byte for
// byte, whatever the number of workers.
ExportOutcome exportBatch(const BatchChoice& choice, const BatchSources& sources, Progress& progress,
                          int workers = 0);

// The number of threads a batch draws with when `requested` is 0 or less: one per core.
int batchWorkers(int requested);

}   // namespace lh::designer
