#pragma once
// The four picture slots of the photo panel and the file name that the
// window's one shared open dialog keeps between uses.

#include <QImage>
#include <QSize>
#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace lh::photo {

// Filter of the slots' open dialog.
inline const QString kPictureFilter =
    QStringLiteral("All Files (*.*)|*.*|JPG Files (*.jpg)|*.jpg|GIF Files (*.gif)|*.gif|BMP Files (*.bmp)|*.bmp");

// The largest copy of a picture a slot keeps. The slots (91 pixels) and the
// centre photo (165 pixels) stretch it to their boxes, so a larger picture is
// kept scaled down to fit this size (JPEG decodes at a reduced size).
inline constexpr QSize kSlotPictureBound{1024, 1024};

// Loads a picture file (BMP, JPEG, GIF and the other formats Qt reads) as a
// copy no larger than kSlotPictureBound. Nothing for an empty name, a missing
// or unreadable file, garbage, or a picture too large to decode.
std::optional<QImage> loadPictureFile(const QString& path);

class PhotoSlots {
public:
    static constexpr int kCount = 4;
    // nullopt: the file cannot be loaded as a picture.
    using Loader = std::function<std::optional<QImage>(const QString& path)>;

    explicit PhotoSlots(std::array<QImage, kCount> samples, Loader loader = loadPictureFile);

    const QImage& picture(int slot) const { return pictures_.at(slot); }
    // The name the shared dialog holds: the file last chosen in any slot.
    const QString& dialogFileName() const { return dialogFileName_; }

    // Applies the answer of the open dialog to slot 0..3 (nullopt: cancelled).
    // Slot 0 ends on a cancel or a file that does not load. The others, on a
    // cancel, load the name the dialog still holds: an empty name blanks the
    // slot; a file that does not load leaves the slot as it was.
    // True when the slot's picture changed.
    bool replace(int slot, const std::optional<QString>& chosen);

private:
    std::array<QImage, kCount> pictures_;
    Loader loader_;
    QString dialogFileName_;
};

}   // namespace lh::photo
