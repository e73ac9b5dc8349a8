#pragma once
// The stored kept designs of the golden-record test and their pictures.

#include "GalleryTestSupport.h"

#include <QString>

namespace lh::test {

inline QString goldenPictureName(int category, bool withPhoto)
{
    return QStringLiteral("category%1%2.png").arg(category).arg(withPhoto ? QStringLiteral("-photo") : QString());
}

}   // namespace lh::test
