#pragma once
// A font description turned by an angle. The object keeps one rotated font
// handle for its user and rebuilds it whenever the font or the angle changes.
//
// A handle is an opaque nonzero id together with the font record it was
// built from; the user prints with the record (Surface::textOut) and must
// not keep either past the next rebuild.

#include "engine/Surface.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace lh::drawing {

// An ordinary font description: face, size, styles.
struct FontDescription {
    QString name;
    double size = 0;   // points, kept to four decimal places
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    std::int16_t weight = 400;   // 400 normal, 700 bold
    std::int16_t charset = 0;
    friend bool operator==(const FontDescription&, const FontDescription&) = default;
};

// The record a rotated font is built from: height from the size and the
// screen's pixels per logical inch, escapement and orientation in tenths of
// a degree, OEM character set 255 mapped to 0 and TrueType-only output for
// angles that are not a whole turn.
LogFontRecord rotatedFontRecord(const FontDescription& font, float rotation, int pixelsPerInchY);

class CLogFont {
public:
    explicit CLogFont(int pixelsPerInchY = 96) : dpi_(pixelsPerInchY) {}
    ~CLogFont() = default;
    CLogFont(const CLogFont&) = delete;
    CLogFont& operator=(const CLogFont&) = delete;

    // Replaces the stored font by a copy (or drops it) and rebuilds the handle.
    void setLogFont(const std::optional<FontDescription>& font);
    const std::optional<FontDescription>& logFont() const { return font_; }

    // Stores the angle (degrees, counter-clockwise) and rebuilds the handle
    // if it changed.
    void setRotation(float degrees);
    float rotation() const { return rotation_; }

    // 0 when there is no font.
    std::uint32_t handle() const { return handle_; }
    // The record of the current handle; empty when the handle is 0.
    const std::optional<LogFontRecord>& handleRecord() const { return record_; }

private:
    void dropHandle();
    void makeFontHandle();

    int dpi_;
    std::optional<FontDescription> font_;
    std::uint32_t handle_ = 0;
    std::optional<LogFontRecord> record_;
    float rotation_ = 0;
};

}   // namespace lh::drawing
