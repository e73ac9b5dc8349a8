#include "pictures/PictureFiles.h"
#include "pictures/FileAccess.h"

#include "FullDisk.h"
#include "HostilePictures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <optional>

#include "TestImages.h"

#include <algorithm>
#include <optional>
#include <vector>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace lh;

using test::patterned;

namespace {

using test::readFileBytes;
using test::writeFileBytes;

uint32_t u32(const QByteArray& b, int at) { return qFromLittleEndian<uint32_t>(b.constData() + at); }
uint16_t u16(const QByteArray& b, int at) { return qFromLittleEndian<uint16_t>(b.constData() + at); }

}   // namespace

TEST(Bmp24Writing, WritesHeaderAndBottomUpPaddedRows)
{
    QTemporaryDir dir;
    const QImage pic = patterned(5, 3);   // 15 bytes a row, padded to 16
    const QString path = dir.filePath("cut.bmp");
    QString why;
    ASSERT_TRUE(writeBmp24(pic, path, &why)) << why.toStdString();

    const QByteArray b = readFileBytes(path);
    ASSERT_EQ(b.size(), 54 + 16 * 3);
    EXPECT_EQ(b.left(2), QByteArray("BM"));
    EXPECT_EQ(u32(b, 2), uint32_t(b.size()));
    EXPECT_EQ(u32(b, 10), 54u);
    EXPECT_EQ(u32(b, 18), 5u);
    EXPECT_EQ(u32(b, 22), 3u);
    EXPECT_EQ(u16(b, 28), 24u);
    EXPECT_EQ(u32(b, 30), 0u);
    // The first stored row is the bottom one, blue green red.
    const QRgb bottomLeft = pic.pixel(0, 2);
    EXPECT_EQ(uchar(b[54]), qBlue(bottomLeft));
    EXPECT_EQ(uchar(b[55]), qGreen(bottomLeft));
    EXPECT_EQ(uchar(b[56]), qRed(bottomLeft));
    EXPECT_EQ(uchar(b[54 + 15]), 0);   // padding
    const QRgb topRight = pic.pixel(4, 0);
    EXPECT_EQ(uchar(b[54 + 32 + 12]), qBlue(topRight));
    EXPECT_EQ(uchar(b[54 + 32 + 14]), qRed(topRight));
}

TEST(Bmp24Writing, RoundTripsEveryPixelAndTheResolution)
{
    QTemporaryDir dir;
    struct Case {
        int w, h;
        QImage::Format format;
    };
    const Case cases[] = {
        {1, 1, QImage::Format_RGB32},
        {7, 5, QImage::Format_ARGB32},
        {64, 9, QImage::Format_RGB888},
        {3, 40, QImage::Format_Indexed8},
        // Rows of 60,000 bytes: the file is written in three bands, the last short.
        {20000, 150, QImage::Format_RGB32},
        {20000, 150, QImage::Format_ARGB32_Premultiplied},
    };
    for (const Case& c : cases) {
        QImage pic = patterned(c.w, c.h);
        pic.setDotsPerMeterX(7559);
        pic.setDotsPerMeterY(3780);
        const QImage source = pic.convertToFormat(c.format);
        const QString path = dir.filePath(QStringLiteral("p%1x%2.bmp").arg(c.w).arg(c.h));
        ASSERT_TRUE(writeBmp24(source, path));
        const QByteArray b = readFileBytes(path);
        EXPECT_EQ(u16(b, 28), 24u) << c.w << "x" << c.h;
        QString why;
        const QImage back = loadPicture(path, &why);
        ASSERT_FALSE(back.isNull()) << why.toStdString();
        ASSERT_EQ(back.size(), source.size());
        EXPECT_EQ(back.dotsPerMeterX(), 7559);
        EXPECT_EQ(back.dotsPerMeterY(), 3780);
        const QImage expect = source.convertToFormat(QImage::Format_RGB32);
        const QImage got = back.convertToFormat(QImage::Format_RGB32);
        if (got == expect)
            continue;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x)
                ASSERT_EQ(got.pixel(x, y), expect.pixel(x, y)) << c.w << "x" << c.h << " at " << x << "," << y;
    }
}

// A long write tells how far it is, and a cancel between bands leaves no file
// behind and an existing file as it was.
TEST(Bmp24Writing, ReportsItsRowsAndCancelsBetweenBands)
{
    QTemporaryDir dir;
    const QImage pic = patterned(20000, 150);
    const QString path = dir.filePath("wide.bmp");
    std::vector<qint64> seen;
    ASSERT_TRUE(writeBmp24(pic, path, nullptr, [&](qint64 done, qint64 total) {
        EXPECT_EQ(total, 150);
        seen.push_back(done);
        return true;
    }));
    ASSERT_GE(seen.size(), 2u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 150);

    const QByteArray old("old contents");
    ASSERT_TRUE(writeFileBytes(path, old));
    int calls = 0;
    QString why;
    EXPECT_FALSE(writeBmp24(pic, path, &why, [&](qint64, qint64) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(why, writingCancelledReason());
    EXPECT_EQ(readFileBytes(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"wide.bmp"});
}

TEST(Bmp24Writing, FailedWritesSayWhyInChineseAndLeaveNoFile)
{
    QTemporaryDir dir;
    const QImage pic = patterned(4, 4);
    QDir(dir.path()).mkdir("adir");
    ASSERT_TRUE(writeFileBytes(dir.filePath("plain"), "x"));
    const struct Case {
        const char* what;
        QString path;
        QImage picture;
        const char* says;
    } cases[] = {
        {"a missing folder", dir.filePath("missing/sub/x.bmp"), pic, "文件夹不存在"},
        {"a folder's name", dir.filePath("adir"), pic, "文件夹"},
        {"under a plain file", dir.filePath("plain/x.bmp"), pic, "不是文件夹"},
        {"a system pseudo folder", QStringLiteral("/proc/design.bmp"), pic, "系统的虚拟文件夹"},
        {"no picture", dir.filePath("empty.bmp"), QImage(), ""},
    };
    for (const Case& c : cases) {
        QString why;
        EXPECT_FALSE(writeBmp24(c.picture, c.path, &why)) << c.what;
        EXPECT_TRUE(why.contains(QString::fromUtf8(c.says))) << c.what << ": " << why.toStdString();
        EXPECT_FALSE(why.isEmpty()) << c.what;
        // The reason is in Chinese: no English words in it beyond the paths.
        const QString reason = QString(why).remove(c.path).remove(QFileInfo(c.path).absolutePath());
        EXPECT_FALSE(reason.contains(QRegularExpression(QStringLiteral("[A-Za-z]{3,}")))) << c.what << ": " << why.toStdString();
        if (QFileInfo(c.path).absolutePath() != QStringLiteral("/proc")) {
            EXPECT_FALSE(QFileInfo(c.path).isFile()) << c.what;
        }
    }
    // Every system error a write may meet reads in Chinese.
    for (int e = 1; e < 134; ++e)
        EXPECT_FALSE(systemErrorReason(e).contains(QRegularExpression(QStringLiteral("[A-Za-z]"))))
            << e << ": " << systemErrorReason(e).toStdString();
}

// A full disk: a small tmpfs filled to the last byte (root can mount one).
// A picture under 16 KB stays in the file's buffer until the commit, so its
// failure shows only if the write is flushed and checked before the commit.
TEST(Bmp24Writing, FullDiskKeepsTheOldFileAndSaysTheDiskIsFull)
{
    const struct {
        int w, h;
    } sizes[] = {{1, 1}, {40, 40}, {73, 73}, {300, 300}};   // 58 bytes to 270 KB
    for (const auto& c : sizes) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        QTemporaryDir dir;
        const QString mnt = dir.filePath("small");
        ASSERT_TRUE(QDir().mkpath(mnt));
        test::FullTmpfs disk(mnt);
        if (!disk.mounted())
            GTEST_SKIP() << "cannot make a full disk here: " << disk.reason().toStdString();
        const QString target = mnt + "/keep.bmp";
        const QByteArray old("old contents");
        ASSERT_TRUE(writeFileBytes(target, old));
        ASSERT_TRUE(disk.fill());

        QString why;
        EXPECT_FALSE(writeBmp24(patterned(c.w, c.h), target, &why));
        EXPECT_TRUE(why.contains(QStringLiteral("磁盘已满"))) << why.toStdString();
        EXPECT_EQ(readFileBytes(target), old);
        EXPECT_EQ(QDir(mnt).entryList(QDir::Files | QDir::Hidden), (QStringList{"filler", "keep.bmp"}));
    }
}

// A folder that takes no file: a read-only file system (root mounts one), or
// a folder without write permission (which does not stop root).
TEST(Bmp24Writing, ReadOnlyFolderKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("ro");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString target = folder + "/design.bmp";
    const QByteArray old("old contents");
    std::optional<test::FullTmpfs> disk;
    const char* says = "没有权限";
    if (geteuid() == 0) {
        disk.emplace(folder, "1m");
        ASSERT_TRUE(disk->mounted()) << disk->reason().toStdString();
        ASSERT_TRUE(writeFileBytes(target, old));
        ASSERT_TRUE(disk->makeReadOnly());
        says = "文件系统只读";
    } else {
        ASSERT_TRUE(writeFileBytes(target, old));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    }
    QString why;
    const bool ok = writeBmp24(patterned(3, 3), target, &why);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(why.contains(QString::fromUtf8(says))) << why.toStdString();
    EXPECT_EQ(readFileBytes(target), old);
}

TEST(PictureLoading, ReadsBmpJpegAndGifAndGives96DpiWhereNoneIsCarried)
{
    QTemporaryDir dir;
    const QImage pic = patterned(20, 10);
    for (const char* fmt : {"bmp", "jpg", "gif", "png"}) {
        QImage plain = pic;
        const QString path = dir.filePath(QStringLiteral("a.%1").arg(fmt));
        // A BMP claiming no resolution at all.
        if (QByteArray(fmt) == "bmp") {
            QByteArray b = encodeBmp24(pic);
            qToLittleEndian<uint32_t>(0, b.data() + 38);
            qToLittleEndian<uint32_t>(0, b.data() + 42);
            ASSERT_TRUE(writeFileBytes(path, b));
        } else if (QByteArray(fmt) == "gif") {
            // Qt reads GIF but does not write it.
            const QString png = dir.filePath("for-gif.png");
            ASSERT_TRUE(plain.save(png, "png"));
            ASSERT_EQ(QProcess::execute("convert", {png, path}), 0);
        } else {
            ASSERT_TRUE(plain.save(path, fmt)) << fmt;
        }
        QString why;
        const QImage got = loadPicture(path, &why);
        ASSERT_FALSE(got.isNull()) << fmt << ": " << why.toStdString();
        EXPECT_EQ(got.size(), QSize(20, 10)) << fmt;
        if (QByteArray(fmt) == "bmp") {
            EXPECT_EQ(got.dotsPerMeterX(), kScreenDotsPerMetre);
            EXPECT_EQ(got.dotsPerMeterY(), kScreenDotsPerMetre);
        }
    }
}

TEST(PictureLoading, BadFilesFailWithAReason)
{
    QTemporaryDir dir;
    QByteArray hugeBmp = encodeBmp24(patterned(2, 2));
    qToLittleEndian<uint32_t>(200000, hugeBmp.data() + 18);   // 200000 x 200000 claimed
    qToLittleEndian<uint32_t>(200000, hugeBmp.data() + 22);
    QByteArray truncatedJpeg;
    {
        QImage img = patterned(64, 64);
        QByteArray full;
        QBuffer buf(&full);
        buf.open(QIODevice::WriteOnly);
        img.save(&buf, "jpg");
        truncatedJpeg = full.left(40);
    }
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"garbage.bmp", QByteArray(300, 'x')},
        {"empty.jpg", QByteArray()},
        {"huge.bmp", hugeBmp},
        {"cut.jpg", truncatedJpeg},
        {"header-only.gif", QByteArray("GIF89a")},
        // Run-length rows can be short, so only the size refuses this one.
        {"rle-claims-1.6-GB.bmp", test::bmpClaiming(20000, 20000, 70, 1, 8)},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(c.name);
        ASSERT_TRUE(writeFileBytes(path, c.bytes));
        QString why;
        EXPECT_TRUE(loadPicture(path, &why).isNull()) << c.name;
        EXPECT_FALSE(why.isEmpty()) << c.name;
    }
    QString why;
    EXPECT_TRUE(loadPicture(dir.filePath("nothing-here.bmp"), &why).isNull());
    EXPECT_FALSE(why.isEmpty());
    EXPECT_TRUE(loadPicture(dir.path(), &why).isNull());

    // A FIFO would block a plain open until a writer comes.
    const QString fifo = dir.filePath("pipe.bmp");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    why.clear();
    EXPECT_TRUE(loadPicture(fifo, &why).isNull());
    EXPECT_TRUE(loadPictureWithin(fifo, QSize(100, 100), &why).isNull());
    EXPECT_FALSE(why.isEmpty());
}

TEST(PictureLoading, TellsWhenAFileIsFarTooShortForThePixelsItClaims)
{
    QImage rgba(30, 20, QImage::Format_ARGB32);
    rgba.fill(qRgba(1, 2, 3, 4));
    const struct {
        const char* label;
        QByteArray head;
        qint64 fileSize;
        bool implausible;
    } cases[] = {
        {"70-byte BMP claiming 11000 x -11000", test::bmpClaiming(11000, -11000), 70, true},
        {"BMP claiming 11000 x 11000", test::bmpClaiming(11000, 11000), 70, true},
        {"32-bit bit-field BMP, half its rows", test::bmpClaiming(100, 100, 54, 3, 32), 54 + 100 * 400 / 2 - 4, true},
        {"BMP with half its rows", test::bmpClaiming(100, 100), 54 + 300 * 100 / 2, false},
        {"whole BMP", encodeBmp24(patterned(33, 7)), 54 + 100 * 7, false},
        {"run-length BMP can be short", test::bmpClaiming(11000, 11000, 70, 1, 8), 70, false},
        {"PNG claiming 20000 x 20000 RGBA with one row", test::pngOfZeros(20000, 20000, 1, 6), 0, true},
        {"grey PNG claiming 11000 x 11000 with ten rows", test::pngOfZeros(11000, 11000, 10), 0, true},
        {"grey PNG of zeros, complete", test::pngOfZeros(2000, 2000, 2000), 0, false},
        {"real RGBA PNG", test::encoded(rgba, "png"), 0, false},
        // Found by fuzzing: a 29-byte GIF whose screen is 2052 x 33795 (277 MB).
        {"29-byte GIF claiming 2052 x 33795",
         QByteArray::fromHex("474946383961040803840000002c0000000004ff00000300000205c151"), 0, true},
        {"GIF of 4000 x 4000 in 1 KB", QByteArray::fromHex("474946383961a00fa00f00"), 1024, false},
        {"real GIF", QByteArray::fromHex("4749463839610400030000"), 60, false},
        {"JPEG does not tell", test::jpegClaiming(11000, 11000), 0, false},
        {"too short to tell", QByteArray("BM"), 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const qint64 size = c.fileSize > 0 ? c.fileSize : c.head.size();
        EXPECT_EQ(!implausibleSizeClaim(c.head.left(64), size).isEmpty(), c.implausible);
    }
}

// Both loaders refuse hostile files before decoding a pixel; the bounded one
// never keeps (or, for formats that cannot decode smaller, decodes) more
// than it needs.
TEST(PictureLoading, HostileFilesAreRefusedOrKeptSmall)
{
    QTemporaryDir dir;
    auto file = [&](const char* name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(writeFileBytes(path, bytes)) << name;
        return path;
    };
    const QSize bound(1024, 1024);
    QString why;
    for (const QString& path : {file("claims.bmp", test::bmpClaiming(11000, -11000)),
                                file("claims.png", test::pngOfZeros(20000, 20000, 1, 6))}) {
        SCOPED_TRACE(path.toStdString());
        why.clear();
        EXPECT_TRUE(loadPicture(path, &why).isNull());
        EXPECT_FALSE(why.isEmpty());
        why.clear();
        EXPECT_TRUE(loadPictureWithin(path, bound, &why).isNull());
        EXPECT_FALSE(why.isEmpty());
    }

    // A text chunk after the pixels claiming 800 MB in a 300-byte file (found
    // by fuzzing): the decoder set that much aside before finding the end.
    QByteArray longText = test::pngOfZeros(4, 3, 3);
    longText.chop(12);   // IEND
    longText += QByteArray::fromHex("32353030") + "tEXtdate:modify" + QByteArray(100, '2') + test::pngChunk("IEND", {});
    for (const QSize& within : {QSize(), bound}) {
        why.clear();
        const QString path = file("long-text.png", longText);
        EXPECT_TRUE((within.isValid() ? loadPictureWithin(path, within, &why) : loadPicture(path, &why)).isNull());
        EXPECT_TRUE(why.contains(QStringLiteral("损坏"))) << why.toStdString();
    }

    // A real PNG bomb (36 MB of zeros in 35 KB) takes 144 MB decoded: too
    // much for a window that shows it small.
    why.clear();
    EXPECT_TRUE(loadPictureWithin(file("bomb.png", test::pngOfZeros(6000, 6000, 6000)), bound, &why).isNull());
    EXPECT_TRUE(why.contains(QStringLiteral("图像太大"))) << why.toStdString();

    // A 3 KB JPEG claiming 11000 x 11000 decodes at an eighth and is kept
    // at most at the bound.
    why.clear();
    const QImage jpeg = loadPictureWithin(file("claims.jpg", test::jpegClaiming(11000, 11000)), bound, &why);
    EXPECT_EQ(jpeg.size(), bound) << why.toStdString();

    // Real pictures larger than the bound are scaled to fit it, aspect kept;
    // smaller ones stay as they are.
    const QString wide = file("wide.png", test::encoded(patterned(2000, 100), "png"));
    const QImage fitted = loadPictureWithin(wide, bound, &why);
    EXPECT_EQ(fitted.size(), QSize(1024, 51)) << why.toStdString();
    EXPECT_EQ(loadPicture(wide).size(), QSize(2000, 100));
    const QString jpegWide = file("wide.jpg", test::encoded(patterned(3000, 1500), "jpg"));
    EXPECT_EQ(loadPictureWithin(jpegWide, bound).size(), QSize(1024, 512));
    EXPECT_EQ(loadPictureWithin(file("small.bmp", encodeBmp24(patterned(20, 10))), bound).size(), QSize(20, 10));
}

namespace {

// How picture_load_probe says a load went.
enum class Outcome {
    TooLarge,       // refused, the reason says the picture is too large
    OtherFailure,   // refused for another reason (a decoder that ran out of memory)
    Loaded,         // loaded, within the bound where one was given
    TooBig          // loaded larger than the bound
};

struct ProbeLoad {
    int status = -1;   // the probe's exit status
    long peakKb = 0;   // its peak resident memory
};

// Loads the file in a process of its own (the probe caps its address space)
// and measures that process's peak resident memory.
ProbeLoad loadInProbe(const QString& path, const std::optional<QSize>& bound)
{
    const QByteArray file = QFile::encodeName(path);
    const QByteArray w = QByteArray::number(bound ? bound->width() : 0);
    const QByteArray h = QByteArray::number(bound ? bound->height() : 0);
    std::vector<char*> args{const_cast<char*>(LH_PICTURE_LOAD_PROBE), const_cast<char*>(file.constData())};
    if (bound) {
        args.push_back(const_cast<char*>(w.constData()));
        args.push_back(const_cast<char*>(h.constData()));
    }
    args.push_back(nullptr);
    ProbeLoad result;
    pid_t pid = 0;
    if (::posix_spawn(&pid, LH_PICTURE_LOAD_PROBE, nullptr, nullptr, args.data(), environ) != 0)
        return result;
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
        result.peakKb = usage.ru_maxrss;
    }
    return result;
}

// The probe's peak with a tiny picture: what the process takes anyway.
long probeBaselineKb(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("baseline.bmp"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(encodeBmp24(patterned(4, 4))) <= 0)
        return 0;
    f.close();
    return loadInProbe(path, std::nullopt).peakKb;
}

}   // namespace

// Small files claiming huge pictures: what decoding will take is counted
// from the header (format, bit depth, progressive JPEG) before decoding, and
// what exceeds the window's limit is refused or decoded smaller; the memory
// the load takes stays bounded.
TEST(PictureLoading, WhatDecodingTakesIsCountedBeforeDecoding)
{
    QTemporaryDir dir;
    const QSize slot(1024, 1024);
    struct Case {
        const char* name;
        QByteArray bytes;
        std::optional<QSize> bound;   // none: the full-picture loader (512 MB here)
        Outcome outcome;
    };
    const Case cases[] = {
        // Every coefficient of a progressive JPEG is kept at the full size:
        // 3 GB for 32000 x 32000 and 768 MB for 16000 x 16000 (4:2:0), whatever the scale.
        {"progressive-32000.jpg", test::jpegClaiming(32000, 32000, true), slot, Outcome::TooLarge},
        {"progressive-16000.jpg", test::jpegClaiming(16000, 16000, true), slot, Outcome::TooLarge},
        {"progressive-11000.jpg", test::jpegClaiming(11000, 11000, true), std::nullopt, Outcome::TooLarge},
        // A baseline JPEG decodes at an eighth, into the slot.
        {"baseline-32000.jpg", test::jpegClaiming(32000, 32000), slot, Outcome::Loaded},
        // 16-bit RGBA: 8 bytes a pixel, then the 32-bit copy.
        {"rgba16-8000.png", test::pngPaddedClaiming(8000, 8000, 16, 6, 500 * 1024), std::nullopt, Outcome::TooLarge},
        // The GIF decoder keeps two screen-sized images.
        {"screen-9000.gif", test::gifPaddedClaiming(9000, 9000, 20 * 1024), std::nullopt, Outcome::TooLarge},
        // Run-length rows of palette indices, then 32-bit pixels.
        {"rle-11000.bmp", test::bmpClaiming(11000, 11000, 70, 1, 8), std::nullopt, Outcome::TooLarge},
        // Real small pictures of the same kinds still load.
        {"progressive.jpg", test::encodedProgressive(patterned(300, 200)), std::nullopt, Outcome::Loaded},
        {"progressive-in-slot.jpg", test::encodedProgressive(patterned(3000, 200)), slot, Outcome::Loaded},
        {"screen.gif", test::gifPaddedClaiming(300, 200, 1024), std::nullopt, Outcome::Loaded},
    };
    const long baseline = probeBaselineKb(dir);
    ASSERT_GT(baseline, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        ASSERT_FALSE(c.bytes.isEmpty());
        ASSERT_TRUE(writeFileBytes(path, c.bytes));
        const ProbeLoad load = loadInProbe(path, c.bound);
        EXPECT_EQ(load.status, int(c.outcome));
#if !defined(__SANITIZE_ADDRESS__)
        // (Under AddressSanitizer freed memory waits in its quarantine: the
        // peak says nothing there; the release build measures it.) Decoding
        // a baseline JPEG at an eighth, into the slot, takes its 64 MB;
        // nothing here may take more than twice that above the probe's own
        // needs.
        constexpr long kAllowedKb = 128 * 1024;
        EXPECT_LT(load.peakKb - baseline, kAllowedKb) << "peak " << load.peakKb << " KB, " << baseline << " KB at rest";
#endif
    }
}

TEST(PictureLoading, FullPictureLimitFollowsTheMachinesMemory)
{
    constexpr qint64 MB = 1024 * 1024;
    const struct {
        qint64 available, limit;
    } cases[] = {
        {0, 512 * MB},   // unknown: the fixed limit
        {8192 * MB, 512 * MB}, {1024 * MB, 512 * MB}, {600 * MB, 300 * MB}, {100 * MB, 50 * MB},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fullPictureLimitBytes(c.available), c.limit) << c.available;
    EXPECT_GT(availableMemoryBytes(), 0);
}
