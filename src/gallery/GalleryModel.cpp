#include "gallery/GalleryModel.h"

#include <algorithm>

namespace lh::gallery {

QString entryCaption(const KeptEntry& entry)
{
    return QStringLiteral("第%1大类\n%2").arg(entry.category).arg(entry.kept.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

GalleryModel::GalleryModel(KeptDesigns& designs, QObject* parent)
    : QAbstractListModel(parent), designs_(designs), thumbnails_(kCachedThumbnailKilobytes)
{}

void GalleryModel::reload(int category)
{
    beginResetModel();
    category_ = category;
    entries_ = designs_.list(category);
    thumbnails_.clear();
    endResetModel();
}

void GalleryModel::insert(const KeptEntry& entry)
{
    if ((category_ != 0 && entry.category != category_) || rowOf(entry.id) >= 0)
        return;
    // Newest first: by the time kept, then by id, both descending.
    const auto newer = [](const KeptEntry& a, const KeptEntry& b) {
        return a.kept != b.kept ? a.kept > b.kept : a.id > b.id;
    };
    const auto place = std::lower_bound(entries_.begin(), entries_.end(), entry, newer);
    const int row = static_cast<int>(place - entries_.begin());
    beginInsertRows({}, row, row);
    entries_.insert(place, entry);
    endInsertRows();
}

int GalleryModel::rowOf(std::int64_t id) const
{
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].id == id)
            return static_cast<int>(i);
    return -1;
}

int GalleryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant GalleryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const KeptEntry& e = entries_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole: return entryCaption(e);
    case Qt::ToolTipRole: return entryCaption(e).replace(u'\n', u' ');
    case Qt::UserRole: return QVariant::fromValue<qint64>(e.id);
    // Room for the thumbnail and both lines under it.
    case Qt::SizeHintRole: return QSize(kThumbnailSide + 20, kThumbnailSide + 44);
    case Qt::TextAlignmentRole: return int(Qt::AlignHCenter | Qt::AlignTop);
    case Qt::DecorationRole: {
        if (QPixmap* cached = thumbnails_.object(e.id))
            return *cached;
        ++thumbnailsRead_;
        QImage image = designs_.thumbnail(e.id);
        if (image.isNull()) {
            image = QImage(kThumbnailSide, kThumbnailSide, QImage::Format_RGB32);
            image.fill(Qt::lightGray);
        }
        auto* pixmap = new QPixmap(QPixmap::fromImage(image));
        const QPixmap copy = *pixmap;
        thumbnails_.insert(e.id, pixmap, static_cast<qsizetype>(std::max<qint64>(1, image.sizeInBytes() / 1024)));
        return copy;
    }
    default: return {};
    }
}

}   // namespace lh::gallery
