#include "scene/SceneCodec.h"

#include <QtEndian>

#include <cstring>
#include <limits>

namespace lh::scene {

namespace {

constexpr char kMagic[4] = {'L', 'H', 'S', 'C'};
constexpr int kMaxStamps = 100000;

class Writer {
public:
    void u8(std::uint8_t v) { out_.append(static_cast<char>(v)); }
    void i32(std::int32_t v)
    {
        char b[4];
        qToLittleEndian(v, b);
        out_.append(b, 4);
    }
    void f64(double v)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &v, 8);
        char b[8];
        qToLittleEndian(bits, b);
        out_.append(b, 8);
    }
    void text(const QString& s)
    {
        const QByteArray utf8 = s.toUtf8();
        i32(static_cast<std::int32_t>(utf8.size()));
        out_.append(utf8);
    }
    void rect(const QRect& r)
    {
        i32(r.x());
        i32(r.y());
        i32(r.width());
        i32(r.height());
    }
    void colour(const QColor& c) { i32(static_cast<std::int32_t>(c.rgba())); }
    QByteArray take() { return std::move(out_); }
    QByteArray out_;
};

class Reader {
public:
    explicit Reader(const QByteArray& in) : in_(in) {}
    bool ok() const { return ok_; }
    bool atEnd() const { return at_ == in_.size(); }
    bool take(void* to, qsizetype n)
    {
        if (!ok_ || n < 0 || in_.size() - at_ < n)
            return ok_ = false;
        std::memcpy(to, in_.constData() + at_, static_cast<std::size_t>(n));
        at_ += n;
        return true;
    }
    std::uint8_t u8()
    {
        std::uint8_t v = 0;
        take(&v, 1);
        return v;
    }
    std::int32_t i32()
    {
        char b[4] = {};
        take(b, 4);
        return qFromLittleEndian<std::int32_t>(b);
    }
    double f64()
    {
        char b[8] = {};
        take(b, 8);
        const std::uint64_t bits = qFromLittleEndian<std::uint64_t>(b);
        double v;
        std::memcpy(&v, &bits, 8);
        return v;
    }
    QString text()
    {
        const std::int32_t n = i32();
        if (!ok_ || n < 0 || in_.size() - at_ < n) {
            ok_ = false;
            return {};
        }
        const QString s = QString::fromUtf8(in_.constData() + at_, n);
        at_ += n;
        return s;
    }
    QRect rect()
    {
        const int x = i32(), y = i32(), w = i32(), h = i32();
        if (w < 0 || h < 0)
            ok_ = false;
        return QRect(x, y, w, h);
    }
    QColor colour() { return QColor::fromRgba(static_cast<QRgb>(i32())); }

private:
    const QByteArray& in_;
    qsizetype at_ = 0;
    bool ok_ = true;
};

bool refuse(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

}   // namespace

QByteArray encodeSceneExtras(const DesignScene& scene)
{
    Writer w;
    w.out_.append(kMagic, 4);
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
        w.rect(o.photo);
        w.rect(o.frame);
        w.colour(o.frameColour);
        w.i32(o.frameWidth);
        w.u8(o.date ? 1 : 0);
        if (o.date) {
            w.text(o.date->text);
            w.text(o.date->font.toString());
            w.colour(o.date->colour);
            w.rect(o.date->place);
            w.i32(static_cast<std::int32_t>(o.date->alignment.toInt()));
            w.i32(o.date->pixelSize);
        }
    }
    return w.take();
}

bool decodeSceneExtras(const QByteArray& bytes, DesignScene& scene, QString* error)
{
    Reader r(bytes);
    char magic[4] = {};
    if (!r.take(magic, 4) || std::memcmp(magic, kMagic, 4) != 0)
        return refuse(error, QStringLiteral("不是图案场景数据。"));
    const std::int32_t version = r.i32();
    if (!r.ok() || version < 1)
        return refuse(error, QStringLiteral("图案场景数据已损坏。"));
    if (version > kSceneFormatVersion)
        return refuse(error, QStringLiteral("图案场景数据来自较新的版本（%1）。").arg(version));

    DesignScene read;
    read.category = r.i32();
    const std::int32_t stamps = r.i32();
    if (!r.ok() || stamps < 0 || stamps > kMaxStamps)
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
        read.stamps.push_back(std::move(s));
    }
    if (r.u8() == 1) {
        PhotoOverlay o;
        o.photo = r.rect();
        o.frame = r.rect();
        o.frameColour = r.colour();
        o.frameWidth = r.i32();
        if (r.u8() == 1) {
            CaptionOverlay c;
            c.text = r.text();
            const QString font = r.text();
            if (r.ok() && !c.font.fromString(font))
                return refuse(error, QStringLiteral("图案场景数据已损坏。"));
            c.colour = r.colour();
            c.place = r.rect();
            c.alignment = Qt::Alignment::fromInt(r.i32());
            c.pixelSize = r.i32();
            o.date = std::move(c);
        }
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
