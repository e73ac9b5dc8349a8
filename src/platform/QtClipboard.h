#pragma once
// The system clipboard holding one picture.

#include "platform/Services.h"

namespace lh {

class QtClipboard : public Clipboard {
public:
    // An empty picture empties the clipboard.
    void setImage(const QImage& image) override;
    QImage image() const override;
};

}   // namespace lh
