#include "login/PasswordFile.h"

#include "FullDisk.h"
#include "LoginTestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <thread>

using namespace lh::login;
using lh::test::readBytes;
using lh::test::writeBytes;

namespace {

// Records written out byte by byte from the file layout: quote, each
// character shifted by 2*i + 50 (i from 1), quote, CR LF.
struct RecordCase {
    const char* label;
    QString password;
    QByteArray hex;
    QString loginPart;
};

QString latin1Codes(std::initializer_list<int> codes)
{
    QString s;
    for (int c : codes)
        s.append(QChar(c));
    return s;
}

QString descendingTopCodes(int length)
{
    // The largest code each position can hold: 205 - 2*i stores as 0xFF.
    QString s;
    for (int i = 1; i <= length; ++i)
        s.append(QChar(205 - 2 * i));
    return s;
}

std::vector<RecordCase> recordCases()
{
    return {
        {"empty", QString(), "22220d0a", QString()},
        {"digits", QStringLiteral("123"), "2265686b220d0a", QStringLiteral("123")},
        {"ten digits stay ASCII", QStringLiteral("0123456789"), "2264676a6d707376797c7f220d0a",
         QStringLiteral("01234567")},
        {"nine letters, login by the first eight", QStringLiteral("abcdefghi"), "22 95989b9ea1a4a7aaad 220d0a",
         QStringLiteral("abcdefgh")},
        {"31 tildes", QString(31, QLatin1Char('~')),
         "22 b2b4b6b8babcbe c0c2c4c6c8caccce d0d2d4d6d8dadcde e0e2e4e6e8eaecee 220d0a", QString(8, QLatin1Char('~'))},
        {"largest shifted codes", descendingTopCodes(31), "22" + QByteArray(62, 'f') + "220d0a", descendingTopCodes(8)},
        {"lowest code", latin1Codes({0}), "2234220d0a", latin1Codes({0})},
    };
}

QByteArray hexBytes(QByteArray hex) { return QByteArray::fromHex(hex.replace(" ", "")); }

}   // namespace

TEST(PasswordRecord, EncodesToTheStoredBytes)
{
    for (const auto& c : recordCases()) {
        SCOPED_TRACE(c.label);
        const auto record = encodePasswordRecord(c.password);
        ASSERT_TRUE(record.has_value());
        EXPECT_EQ(record->toHex(' '), hexBytes(c.hex).toHex(' '));
    }
}

TEST(PasswordRecord, StoredBytesDecodeToThePassword)
{
    for (const auto& c : recordCases()) {
        SCOPED_TRACE(c.label);
        const auto field = firstField(hexBytes(c.hex));
        ASSERT_TRUE(field.has_value());
        const auto decoded = decodeField(*field);
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(*decoded, c.password);
        EXPECT_EQ(loginPart(*decoded), c.loginPart);
    }
}

TEST(PasswordRecord, RefusesWhatTheRecordCannotHoldBackExactly)
{
    const struct {
        const char* label;
        QString password;
    } refused[] = {
        {"32 characters", QString(32, QLatin1Char('1'))},
        {"shift past one byte at position 1", latin1Codes({204})},
        {"shift past one byte at position 31", QString(30, QLatin1Char('a')) + QChar(144)},
        {"Chinese character", QStringLiteral("蓝禾")},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.label);
        EXPECT_FALSE(encodePasswordRecord(c.password).has_value());
    }
}

TEST(PasswordRecord, ReadsOnlyTheFirstFieldOfTheFirstRecord)
{
    const struct {
        const char* label;
        QByteArray content;
        std::optional<QString> password;
    } cases[] = {
        {"leading blanks", QByteArray("  \t\"ehk\"\r\n"), QStringLiteral("123")},
        {"unquoted to the comma", QByteArray("ehk,zzz\r\n"), QStringLiteral("123")},
        {"unquoted to the line end", QByteArray("ehk\r\nzzz"), QStringLiteral("123")},
        {"unquoted to the end of file", QByteArray("ehk"), QStringLiteral("123")},
        {"only the first record counts", QByteArray("\"ehk\"\r\n\"\"\r\n"), QStringLiteral("123")},
        {"no line end after the quote", QByteArray("\"\""), QString()},
        {"empty file", QByteArray(), std::nullopt},
        {"blanks only", QByteArray("   "), std::nullopt},
        {"empty first line", QByteArray("\r\n\"ehk\"\r\n"), std::nullopt},
        {"quote never closed", QByteArray("\"ehk\r\n"), std::nullopt},
        {"code below zero", QByteArray("\"\x01\x02\"\r\n"), std::nullopt},
        {"binary garbage", QByteArray::fromHex("00ff10fe2c"), std::nullopt},
        {"longer than 31 characters", "\"" + QByteArray(32, 'z') + "\"\r\n", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const auto field = firstField(c.content);
        const auto decoded = field ? decodeField(*field) : std::nullopt;
        EXPECT_EQ(decoded, c.password);
    }
}

TEST(StoredPassword, LooksUpReadsAndDecodesThePasswordFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("zrvcom.cct");

    {
        SCOPED_TRACE("missing");
        EXPECT_EQ(readStoredPassword(dir.path()).status, ReadStatus::Missing);
    }
    {
        SCOPED_TRACE("name differs in letter case");
        writeBytes(dir.filePath("Zrvcom.cct"), "\"\"\r\n");
        EXPECT_EQ(readStoredPassword(dir.path()).status, ReadStatus::Missing);
        EXPECT_FALSE(hasExactEntry(dir.path(), "zrvcom.cct"));
        EXPECT_TRUE(hasExactEntry(dir.path(), "Zrvcom.cct"));
    }
    {
        SCOPED_TRACE("nine-character password, first eight kept");
        writeBytes(path, hexBytes("22 95989b9ea1a4a7aaad 220d0a"));
        const auto read = readStoredPassword(dir.path());
        EXPECT_EQ(read.status, ReadStatus::Ok);
        EXPECT_EQ(read.password, QStringLiteral("abcdefgh"));
    }
    {
        SCOPED_TRACE("empty file");
        writeBytes(path, QByteArray());
        EXPECT_EQ(readStoredPassword(dir.path()).status, ReadStatus::Damaged);
    }
    {
        SCOPED_TRACE("garbage");
        writeBytes(path, QByteArray::fromHex("0001020304"));
        EXPECT_EQ(readStoredPassword(dir.path()).status, ReadStatus::Damaged);
    }
    {
        SCOPED_TRACE("large file with the record first");
        writeBytes(path, "\"ehk\"\r\n" + QByteArray(5 * 1024 * 1024, 'x'));
        const auto read = readStoredPassword(dir.path());
        EXPECT_EQ(read.status, ReadStatus::Ok);
        EXPECT_EQ(read.password, QStringLiteral("123"));
    }
}

TEST(StoredPassword, NameThatCannotBeOpenedIsUnreadable)
{
    {
        SCOPED_TRACE("a folder of that name");
        QTemporaryDir dir;
        ASSERT_TRUE(QDir(dir.path()).mkdir("zrvcom.cct"));
        const auto read = readStoredPassword(dir.path());
        EXPECT_EQ(read.status, ReadStatus::Unreadable);
    }
    {
        SCOPED_TRACE("a link to nowhere");
        QTemporaryDir dir;
        ASSERT_TRUE(QFile::link(dir.filePath("gone"), dir.filePath("zrvcom.cct")));
        const auto read = readStoredPassword(dir.path());
        EXPECT_EQ(read.status, ReadStatus::Unreadable);
        EXPECT_FALSE(read.detail.isEmpty());
    }
}

// A FIFO of that name: reading it must neither block (no writer ever comes)
// nor pass. The read runs on its own thread so that a regression fails the
// test after a few seconds instead of hanging it.
TEST(StoredPassword, FifoIsUnreadableAndDoesNotBlock)
{
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath("zrvcom.cct"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0) << std::strerror(errno);

    auto done = std::make_shared<std::promise<StoredPasswordRead>>();
    std::future<StoredPasswordRead> result = done->get_future();
    std::thread reader([done, path = dir.path()] { done->set_value(readStoredPassword(path)); });
    const bool finished = result.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!finished) {
        // Release the blocked reader: a writer that comes and goes gives it an end of file.
        const int w = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
        if (w >= 0)
            ::close(w);
    }
    if (finished || result.wait_for(std::chrono::seconds(5)) == std::future_status::ready)
        reader.join();
    else
        reader.detach();
    ASSERT_TRUE(finished) << "reading a FIFO named zrvcom.cct blocked";
    const StoredPasswordRead read = result.get();
    EXPECT_EQ(read.status, ReadStatus::Unreadable);
    EXPECT_FALSE(read.detail.isEmpty());
}

TEST(StoredPassword, LinkToTheFileIsFollowed)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath("real.cct"), "\"ehk\"\r\n");
    ASSERT_TRUE(QFile::link(dir.filePath("real.cct"), dir.filePath("zrvcom.cct")));
    const auto read = readStoredPassword(dir.path());
    EXPECT_EQ(read.status, ReadStatus::Ok);
    EXPECT_EQ(read.password, QStringLiteral("123"));
}

TEST(PasswordWrite, ReplacesTheFileWithTheExactRecord)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("zrvcom.cct");
    writeBytes(path, "\"ehk\"\r\n");
    QString error;
    ASSERT_TRUE(writePasswordFile(path, QStringLiteral("abcdefghi"), &error)) << error.toStdString();
    EXPECT_EQ(readBytes(path).toHex(' '), hexBytes("22 95989b9ea1a4a7aaad 220d0a").toHex(' '));
    ASSERT_TRUE(writePasswordFile(path, QString(), &error));
    EXPECT_EQ(readBytes(path), QByteArray("\"\"\r\n"));
    // Nothing but the password file is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"zrvcom.cct"});
}

TEST(PasswordWrite, FailedWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("zrvcom.cct");
    writeBytes(path, "\"ehk\"\r\n");
    lh::test::ImmutableDirectory locked(dir.path());
    if (!locked.active())
        GTEST_SKIP() << "this file system cannot lock a folder: " << locked.reason().toStdString();
    QString error;
    EXPECT_FALSE(writePasswordFile(path, QStringLiteral("abc"), &error));
    EXPECT_FALSE(error.isEmpty());
    locked.release();
    EXPECT_EQ(readBytes(path), QByteArray("\"ehk\"\r\n"));
    EXPECT_EQ(readStoredPassword(dir.path()).password, QStringLiteral("123"));
}

// The record is always small enough to sit in a write buffer until the
// commit: on a full disk the change has to fail and keep the old password.
TEST(PasswordWrite, FullDiskKeepsTheOldPasswordAndSaysSo)
{
    QTemporaryDir dir;
    const QString mnt = dir.filePath("small");
    ASSERT_TRUE(QDir().mkpath(mnt));
    lh::test::FullTmpfs disk(mnt);
    if (!disk.mounted())
        GTEST_SKIP() << "cannot make a full disk here: " << disk.reason().toStdString();
    const QString path = mnt + "/zrvcom.cct";
    writeBytes(path, "\"ehk\"\r\n");
    ASSERT_TRUE(disk.fill());

    QString error;
    EXPECT_FALSE(writePasswordFile(path, QStringLiteral("newpw"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("磁盘已满"))) << error.toStdString();
    EXPECT_EQ(readBytes(path), QByteArray("\"ehk\"\r\n"));
    const auto read = readStoredPassword(mnt);
    EXPECT_EQ(read.status, ReadStatus::Ok);
    EXPECT_EQ(read.password, QStringLiteral("123"));
    EXPECT_EQ(QDir(mnt).entryList(QDir::Files | QDir::Hidden), (QStringList{"filler", "zrvcom.cct"}));
}

TEST(PasswordWrite, FolderThatIsAFileFailsWithAReason)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath("plain"), "x");
    QString error;
    EXPECT_FALSE(writePasswordFile(dir.filePath("plain/zrvcom.cct"), QStringLiteral("abc"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readBytes(dir.filePath("plain")), QByteArray("x"));
}

TEST(PasswordWrite, RefusedPasswordWritesNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("zrvcom.cct");
    writeBytes(path, "\"ehk\"\r\n");
    QString error;
    EXPECT_FALSE(writePasswordFile(path, QString(32, QLatin1Char('a')), &error));
    EXPECT_EQ(readBytes(path), QByteArray("\"ehk\"\r\n"));
}
