#include "scene/SceneCodec.h"

#include "core/Bytes.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace lh::scene {

namespace {

constexpr char kMagic[4] = {'L', 'H', 'S', 'C'};
// What a window can put in a scene: stamps and the caption are texts of its
// boxes in fonts of its font dialog, placed on the surface or near it.
constexpr qsizetype kMaxTextLength = 32767;
constexpr qsizetype kMaxFaceLength = 256;
constexpr std::int32_t kMaxFontPixels = 2048;
constexpr double kFarTwips = 3.0 * kDesignPixels * 15;

bool placeFits(const QRect& r)
{
    const int far = 2 * kDesignPixels;
    return r.x() >= -far && r.y() >= -far && r.x() <= far && r.y() <= far && r.width() <= far && r.height() <= far;
}

bool stampFits(const StampedText& s)
{
    const LogFontRecord& f = s.font;
    return std::isfinite(s.xTwips) && std::isfinite(s.yTwips) && std::abs(s.xTwips) <= kFarTwips
           && std::abs(s.yTwips) <= kFarTwips && s.text.size() <= kMaxTextLength && f.faceName.size() <= kMaxFaceLength
           && std::abs(qint64(f.height)) <= kMaxFontPixels && std::abs(qint64(f.width)) <= kMaxFontPixels;
}

bool overlayFits(const PhotoOverlay& o)
{
    if (!placeFits(o.photo) || !placeFits(o.frame) || o.frameWidth < 0 || o.frameWidth > kDesignPixels)
        return false;
    if (!o.date)
        return true;
    const CaptionOverlay& c = *o.date;
    return placeFits(c.place) && c.text.size() <= kMaxTextLength && c.pixelSize >= 0 && c.pixelSize <= kMaxFontPixels
           && c.font.pixelSize() <= kMaxFontPixels && c.font.pointSizeF() <= kMaxFontPixels;
}

void putRect(ByteWriter& w, const QRect& r)
{
    w.i32(r.x());
    w.i32(r.y());
    w.i32(r.width());
    w.i32(r.height());
}

QRect takeRect(ByteReader& r)
{
    const int x = r.i32(), y = r.i32(), w = r.i32(), h = r.i32();
    if (w < 0 || h < 0)
        r.fail();
    return QRect(x, y, w, h);
}

void putColour(ByteWriter& w, const QColor& c) { w.i32(static_cast<std::int32_t>(c.rgba())); }
QColor takeColour(ByteReader& r) { return QColor::fromRgba(static_cast<QRgb>(r.i32())); }

bool refuse(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

}   // namespace

QByteArray encodeSceneExtras(const DesignScene& scene)
{
    ByteWriter w;
    w.raw(kMagic, 4);
    w.i32(kSceneFormatVersion);
    w.i32(scene.category);
    w.i32(static_cast<std::int32_t>(scene.stamps.size()));
    for (const StampedText& s : scene.stamps) {
        w.f64(s.xTwips);
        w.f64(s.yTwips);
        w.text(s.text);
        const LogFontRecord& f = s.font;
        for (std::int32_t v : {f.height, f.width, f.escapement, f.orientation, f.weight})
            w.i32(v);
        for (std::uint8_t v : {f.italic, f.underline, f.strikeOut, f.charSet, f.outPrecision, f.clipPrecision, f.quality,
                               f.pitchAndFamily})
            w.u8(v);
        w.text(f.faceName);
        w.i32(static_cast<std::int32_t>(s.colour));
    }
    w.u8(scene.overlay ? 1 : 0);
    if (scene.overlay) {
        const PhotoOverlay& o = *scene.overlay;
        putRect(w, o.photo);
        putRect(w, o.frame);
        putColour(w, o.frameColour);
        w.i32(o.frameWidth);
        w.u8(o.date ? 1 : 0);
        if (o.date) {
            w.text(o.date->text);
            w.text(o.date->font.toString());
            putColour(w, o.date->colour);
            putRect(w, o.date->place);
            w.i32(static_cast<std::int32_t>(o.date->alignment.toInt()));
            w.i32(o.date->pixelSize);
        }
    }
    return w.take();
}

bool decodeSceneExtras(const QByteArray& bytes, DesignScene& scene, QString* error)
{
    ByteReader r(bytes);
    char magic[4] = {};
    if (!r.raw(magic, 4) || std::memcmp(magic, kMagic, 4) != 0)
        return refuse(error, QStringLiteral("不是图案场景数据。"));
    const std::int32_t version = r.i32();
    if (!r.ok() || version < 1)
        return refuse(error, QStringLiteral("图案场景数据已损坏。"));
    if (version > kSceneFormatVersion)
        return refuse(error, QStringLiteral("图案场景数据来自较新的版本（%1）。").arg(version));

    DesignScene read;
    read.category = r.i32();
    const std::int32_t stamps = r.count(8 + 8 + 4 + 5 * 4 + 8 + 4 + 4);
    if (!r.ok() || stamps > kMaxStamps)
        return refuse(error, QStringLiteral("图案场景数据已损坏。"));
    for (std::int32_t i = 0; i < stamps && r.ok(); ++i) {
        StampedText s;
        s.xTwips = r.f64();
        s.yTwips = r.f64();
        s.text = r.text();
        LogFontRecord& f = s.font;
        for (std::int32_t* v : {&f.height, &f.width, &f.escapement, &f.orientation, &f.weight})
            *v = r.i32();
        for (std::uint8_t* v : {&f.italic, &f.underline, &f.strikeOut, &f.charSet, &f.outPrecision, &f.clipPrecision,
                                &f.quality, &f.pitchAndFamily})
            *v = r.u8();
        f.faceName = r.text();
        s.colour = static_cast<Rgb>(r.i32());
        if (r.ok() && !stampFits(s))
            r.fail();
        read.stamps.push_back(std::move(s));
    }
    if (r.u8() == 1) {
        PhotoOverlay o;
        o.photo = takeRect(r);
        o.frame = takeRect(r);
        o.frameColour = takeColour(r);
        o.frameWidth = r.i32();
        if (r.u8() == 1) {
            CaptionOverlay c;
            c.text = r.text();
            const QString font = r.text();
            if (r.ok() && !c.font.fromString(font))
                return refuse(error, QStringLiteral("图案场景数据已损坏。"));
            c.colour = takeColour(r);
            c.place = takeRect(r);
            c.alignment = Qt::Alignment::fromInt(r.i32());
            c.pixelSize = r.i32();
            o.date = std::move(c);
        }
        if (r.ok() && !overlayFits(o))
            r.fail();
        read.overlay = std::move(o);
    }
    if (!r.ok() || !r.atEnd() || read.category < 1 || read.category > design::kCategoryCount)
        return refuse(error, QStringLiteral("图案场景数据已损坏。"));
    scene.category = read.category;
    scene.stamps = std::move(read.stamps);
    scene.overlay = std::move(read.overlay);
    return true;
}

}   // namespace lh::scene
