#include "photo/PhotoSlots.h"

#include "pictures/PictureFiles.h"

namespace lh::photo {

std::optional<QImage> loadPictureFile(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    QImage image = loadPictureWithin(path, kSlotPictureBound);
    if (image.isNull())
        return std::nullopt;
    return image;
}

PhotoSlots::PhotoSlots(std::array<QImage, kCount> samples, Loader loader)
    : pictures_(std::move(samples)), loader_(std::move(loader))
{}

bool PhotoSlots::replace(int slot, const std::optional<QString>& chosen)
{
    if (slot < 0 || slot >= kCount)
        return false;
    if (chosen)
        dialogFileName_ = *chosen;
    else if (slot == 0 || dialogFileName_.isEmpty())
        return false;   // cancelled before any file was chosen: the slot keeps its picture

    if (dialogFileName_.isEmpty()) {
        if (slot == 0)
            return false;
        const bool changed = !pictures_[slot].isNull();
        pictures_[slot] = QImage();
        return changed;
    }
    std::optional<QImage> loaded = loader_(dialogFileName_);
    if (!loaded)
        return false;
    pictures_[slot] = std::move(*loaded);
    return true;
}

}   // namespace lh::photo
