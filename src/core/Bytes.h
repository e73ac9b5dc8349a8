#pragma once
// Little-endian bytes for the program's own file formats. The reader never
// trusts a length it has not got the bytes for: a short or lying input makes
// it fail (ok() false) and every later read return zero, never allocate.

#include <QByteArray>
#include <QString>
#include <QtEndian>

#include <cstdint>
#include <cstring>

namespace lh {

class ByteWriter {
public:
    void raw(const char* data, qsizetype n) { out_.append(data, n); }
    void u8(std::uint8_t v) { out_.append(static_cast<char>(v)); }
    void i32(std::int32_t v)
    {
        char b[4];
        qToLittleEndian(v, b);
        out_.append(b, 4);
    }
    void i64(std::int64_t v)
    {
        char b[8];
        qToLittleEndian(v, b);
        out_.append(b, 8);
    }
    void f32(float v)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        i32(static_cast<std::int32_t>(bits));
    }
    void f64(double v)
    {
        std::int64_t bits;
        std::memcpy(&bits, &v, 8);
        i64(bits);
    }
    void bytes(const QByteArray& b)
    {
        i32(static_cast<std::int32_t>(b.size()));
        out_.append(b);
    }
    void text(const QString& s) { bytes(s.toUtf8()); }
    QByteArray take() { return std::move(out_); }

private:
    QByteArray out_;
};

class ByteReader {
public:
    explicit ByteReader(const QByteArray& in) : in_(in) {}
    bool ok() const { return ok_; }
    bool atEnd() const { return at_ == in_.size(); }
    qsizetype remaining() const { return in_.size() - at_; }
    void fail() { ok_ = false; }
    bool raw(void* to, qsizetype n)
    {
        if (!ok_ || n < 0 || remaining() < n)
            return ok_ = false;
        std::memcpy(to, in_.constData() + at_, static_cast<std::size_t>(n));
        at_ += n;
        return true;
    }
    std::uint8_t u8()
    {
        std::uint8_t v = 0;
        raw(&v, 1);
        return v;
    }
    std::int32_t i32()
    {
        char b[4] = {};
        return raw(b, 4) ? qFromLittleEndian<std::int32_t>(b) : 0;
    }
    std::int64_t i64()
    {
        char b[8] = {};
        return raw(b, 8) ? qFromLittleEndian<std::int64_t>(b) : 0;
    }
    float f32()
    {
        const auto bits = static_cast<std::uint32_t>(i32());
        float v;
        std::memcpy(&v, &bits, 4);
        return v;
    }
    double f64()
    {
        const std::int64_t bits = i64();
        double v;
        std::memcpy(&v, &bits, 8);
        return v;
    }
    QByteArray bytes()
    {
        const std::int32_t n = i32();
        if (!ok_ || n < 0 || remaining() < n) {
            ok_ = false;
            return {};
        }
        QByteArray b(in_.constData() + at_, n);
        at_ += n;
        return b;
    }
    QString text()
    {
        const QByteArray utf8 = bytes();
        return QString::fromUtf8(utf8);
    }
    // A count of items each at least `itemBytes` long: more than the bytes
    // left can hold fails.
    std::int32_t count(qsizetype itemBytes)
    {
        const std::int32_t n = i32();
        if (!ok_ || n < 0 || (itemBytes > 0 && n > remaining() / itemBytes)) {
            ok_ = false;
            return 0;
        }
        return n;
    }

private:
    const QByteArray& in_;
    qsizetype at_ = 0;
    bool ok_ = true;
};

}   // namespace lh
