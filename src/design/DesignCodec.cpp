#include "design/DesignCodec.h"

#include "core/Bytes.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

#include <algorithm>
#include <cmath>

namespace lh::design {

namespace {

constexpr char kMagic[4] = {'L', 'H', 'D', 'R'};
// A design takes a few hundred draws and a dozen texts; far more is damage.
constexpr std::int32_t kMaxDraws = 1 << 20;
constexpr std::int32_t kMaxTexts = 4096;
// Texts are read from a window's controls: names are control names, values
// what a text box holds at most (a line edit's 32767 characters).
constexpr qsizetype kMaxTextNameLength = 64;
constexpr qsizetype kMaxRecordedTextLength = 32767;
// A font family's name.
constexpr qsizetype kMaxFontNameLength = 256;
// A background picture is a copy of the window's surface.
constexpr int kMaxBackgroundSide = kDesignPixels;

QByteArray pngOf(const QImage& image)
{
    if (image.isNull())
        return {};
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setCompression(1);
    return writer.write(image) ? out : QByteArray();
}

std::optional<QImage> imageOf(const QByteArray& png)
{
    if (png.isEmpty())
        return QImage();
    QBuffer buffer;
    buffer.setData(png);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxBackgroundSide || size.height() > kMaxBackgroundSide)
        return std::nullopt;
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}

std::optional<DesignRecord> refuse(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return std::nullopt;
}

}   // namespace

QByteArray encodeRecord(const DesignRecord& r)
{
    ByteWriter w;
    w.raw(kMagic, 4);
    w.i32(kRecordFormatVersion);
    w.i32(r.countBefore);
    const SurfaceSettings& s = r.before;
    w.i32(static_cast<std::int32_t>(s.back));
    w.i32(static_cast<std::int32_t>(s.fore));
    w.i32(s.drawWidth);
    w.i32(s.drawMode);
    w.text(s.fontName);
    w.f32(s.fontSize);
    w.u8(s.fontBold ? 1 : 0);
    w.bytes(pngOf(s.background));
    w.i32(static_cast<std::int32_t>(r.draws.size()));
    for (float u : r.draws)
        w.f32(u);
    w.i32(static_cast<std::int32_t>(r.texts.size()));
    for (const RecordedText& t : r.texts) {
        w.text(t.name);
        w.text(t.value);
        w.u8(t.missing ? 1 : 0);
    }
    w.u8(r.when ? 1 : 0);
    if (r.when) {
        w.i64(r.when->toMSecsSinceEpoch());
        w.i32(r.when->offsetFromUtc());
    }
    return w.take();
}

std::optional<DesignRecord> decodeRecord(const QByteArray& bytes, QString* error)
{
    const QString damaged = QStringLiteral("图案记录已损坏。");
    ByteReader in(bytes);
    char magic[4] = {};
    if (!in.raw(magic, 4) || std::memcmp(magic, kMagic, 4) != 0)
        return refuse(error, QStringLiteral("不是图案记录。"));
    const std::int32_t version = in.i32();
    if (!in.ok() || version < 1)
        return refuse(error, damaged);
    if (version > kRecordFormatVersion)
        return refuse(error, QStringLiteral("图案记录来自较新的版本（%1）。").arg(version));

    DesignRecord r;
    r.countBefore = in.i32();
    SurfaceSettings& s = r.before;
    s.back = static_cast<Rgb>(in.i32());
    s.fore = static_cast<Rgb>(in.i32());
    s.drawWidth = in.i32();
    s.drawMode = in.i32();
    s.fontName = in.text();
    s.fontSize = in.f32();
    s.fontBold = in.u8() != 0;
    const QByteArray background = in.bytes();
    if (s.fontName.size() > kMaxFontNameLength || !std::isfinite(s.fontSize))
        return refuse(error, damaged);
    const std::int32_t draws = in.count(4);
    if (!in.ok() || draws > kMaxDraws)
        return refuse(error, damaged);
    r.draws.reserve(static_cast<std::size_t>(draws));
    for (std::int32_t i = 0; i < draws; ++i)
        r.draws.push_back(in.f32());
    if (!std::all_of(r.draws.begin(), r.draws.end(), [](float u) { return std::isfinite(u); }))
        return refuse(error, damaged);
    const std::int32_t texts = in.count(4 + 4 + 1);
    if (!in.ok() || texts > kMaxTexts)
        return refuse(error, damaged);
    for (std::int32_t i = 0; i < texts && in.ok(); ++i) {
        RecordedText t;
        t.name = in.text();
        t.value = in.text();
        t.missing = in.u8() != 0;
        if (t.name.size() > kMaxTextNameLength || t.value.size() > kMaxRecordedTextLength)
            return refuse(error, damaged);
        r.texts.push_back(std::move(t));
    }
    if (in.u8() == 1) {
        const std::int64_t ms = in.i64();
        const std::int32_t offset = in.i32();
        r.when = QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, offset);
    }
    if (!in.ok() || !in.atEnd())
        return refuse(error, damaged);
    const std::optional<QImage> picture = imageOf(background);
    if (!picture)
        return refuse(error, damaged);
    s.background = *picture;
    return r;
}

}   // namespace lh::design
