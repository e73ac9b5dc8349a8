// The build step that puts the empty password next to the program.

#include "LoginTestFiles.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool runBuildStep(const QString& target)
{
    QProcess cmake;
    cmake.start(QStringLiteral(LH_CMAKE_COMMAND),
                {"-DTARGET=" + target, "-P", QStringLiteral(LH_EMPTY_PASSWORD_SCRIPT)});
    return cmake.waitForFinished(30000) && cmake.exitStatus() == QProcess::NormalExit && cmake.exitCode() == 0;
}

}   // namespace

TEST(BuildPasswordFile, WritesTheEmptyPasswordOnlyWhereNoneIs)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("bin/zrvcom.cct");

    ASSERT_TRUE(runBuildStep(target));
    EXPECT_EQ(lh::test::readBytes(target), QByteArray::fromHex("22220d0a"));

    // A password the owner has set survives the next build.
    lh::test::writeBytes(target, "\"ehk\"\r\n");
    ASSERT_TRUE(runBuildStep(target));
    EXPECT_EQ(lh::test::readBytes(target), QByteArray("\"ehk\"\r\n"));
}
