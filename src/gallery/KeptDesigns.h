#pragma once
// What the gallery window needs of the kept designs: the list, newest first,
// their thumbnails, each design's scene, removing, and design files to share.
// The program's store is the SQLite gallery; tests may give their own.

#include "scene/DesignScene.h"

#include <QDateTime>
#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace lh::gallery {

struct KeptEntry {
    std::int64_t id = 0;
    int category = 1;
    QDateTime kept;   // in UTC, which a long list makes fast (toLocalTime() to show it)
};

struct KeptScene {
    scene::DesignScene scene;
    QDateTime kept;
};

// How a keep went: the design's id and the number of designs kept, and
// whether the design was new (keeping the same design twice keeps it once);
// when it was, the time it was kept.
struct KeepOutcome {
    std::int64_t id = 0;
    bool added = false;
    std::int64_t total = 0;
    QDateTime kept;
};

// How an import went: designs added and designs skipped as already kept.
struct ImportOutcome {
    int added = 0;
    int skipped = 0;
};

class KeptDesigns {
public:
    virtual ~KeptDesigns() = default;
    // Why the gallery cannot be used (a newer version's database, say);
    // empty when it can.
    virtual QString unavailable() const = 0;
    // Keeps the scene with a thumbnail made from `shown`, the design as the
    // window shows it; committed when this returns. Empty with `error` set
    // when it could not be kept.
    virtual std::optional<KeepOutcome> keep(const scene::DesignScene& scene, const QImage& shown, QString* error) = 0;
    // Category 0: every category.
    virtual std::vector<KeptEntry> list(int category) = 0;
    virtual QImage thumbnail(std::int64_t id) = 0;
    virtual std::optional<KeptScene> load(std::int64_t id, QString* error) = 0;
    virtual bool remove(const std::vector<std::int64_t>& ids, QString* error) = 0;
    // Design files (.lhd): the designs with their photos.
    virtual bool exportTo(const QString& file, const std::vector<std::int64_t>& ids, QString* error) = 0;
    virtual std::optional<ImportOutcome> importFrom(const QString& file, QString* error) = 0;
    // Told the designs read so far and how many the file holds, after each;
    // false cancels the import, which then adds nothing.
    using ImportProgress = std::function<bool(qint64 done, qint64 total)>;
    // An import that tells its progress (a store that cannot: as importFrom).
    virtual std::optional<ImportOutcome> importWithProgress(const QString& file, QString* error,
                                                            const ImportProgress& progress)
    {
        Q_UNUSED(progress);
        return importFrom(file, error);
    }
};

}   // namespace lh::gallery
