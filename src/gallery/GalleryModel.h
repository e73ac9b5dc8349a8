#pragma once
// The kept designs as a list for the gallery's view: newest first, one
// category or all; thumbnails are read from the store when a row is first
// shown and kept in a bounded cache, so a gallery of any size opens at once.

#include "gallery/KeptDesigns.h"

#include <QAbstractListModel>
#include <QCache>
#include <QPixmap>

namespace lh::gallery {

class GalleryModel final : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kThumbnailSide = 160;
    // Thumbnails held at once, in kilobytes of pixels (600 of the gallery's
    // size, about 100 KB each; fewer if a store gives larger ones).
    static constexpr int kCachedThumbnailKilobytes = 600 * 100;

    explicit GalleryModel(KeptDesigns& designs, QObject* parent = nullptr);

    // Reads the list again: category 0 lists every category.
    void reload(int category);
    // A design just kept, put in its place without reading the list again
    // (when the list shows its category and does not hold it yet).
    void insert(const KeptEntry& entry);
    int category() const { return category_; }

    const KeptEntry& entry(int row) const { return entries_.at(static_cast<std::size_t>(row)); }
    int rowOf(std::int64_t id) const;
    // Thumbnails read from the store so far (each at most once while cached).
    int thumbnailsRead() const { return thumbnailsRead_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    KeptDesigns& designs_;
    int category_ = 0;
    std::vector<KeptEntry> entries_;
    mutable QCache<std::int64_t, QPixmap> thumbnails_;
    mutable int thumbnailsRead_ = 0;
};

// The text under a thumbnail: category and date.
QString entryCaption(const KeptEntry& entry);

}   // namespace lh::gallery
