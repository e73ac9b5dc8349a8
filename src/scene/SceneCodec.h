#pragma once
// A kept design's scene as bytes: its category, the texts stamped on it and
// what lies over it (the photo's place and ring, the date caption). The
// record that draws the design and the photo are kept apart (a photo shared
// by many designs is kept once). The format is versioned; a reader never
// trusts a length it has not got the bytes for.

#include "scene/DesignScene.h"

#include <QByteArray>
#include <QString>

namespace lh::scene {

// The version written; a reader takes this one and every earlier one.
inline constexpr int kSceneFormatVersion = 1;

// The most stamps a design holds; a window stamps no more on one design.
inline constexpr int kMaxStamps = 1000;

QByteArray encodeSceneExtras(const DesignScene& scene);

// Puts the decoded category, stamps and overlay into `scene` (its record is
// left alone). False, with the reason, for bytes that are not such a scene
// or come from a later version; `scene` is then unchanged.
bool decodeSceneExtras(const QByteArray& bytes, DesignScene& scene, QString* error = nullptr);

}   // namespace lh::scene
