#include "app/ProgramLook.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QIcon>
#include <QRawFont>
#include <QTextLayout>

#include <gtest/gtest.h>

#include "FontFaces.h"

using lh::test::familiesUsedFor;

TEST(ProgramLook, IconChineseDialogTextsAndSimplifiedChineseGlyphs)
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    ASSERT_TRUE(QApplication::windowIcon().isNull());

    EXPECT_TRUE(lh::app::installProgramLook(*app)) << "Qt's Chinese translations are missing";

    EXPECT_FALSE(QApplication::windowIcon().isNull());
    EXPECT_EQ(QApplication::windowIcon().pixmap(32, 32).size(), QSize(32, 32));

    // Buttons of Qt's own dialogs and message boxes speak Chinese.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));

    // Chinese text in the default widget font comes from the Simplified Chinese face.
    const QStringList used = familiesUsedFor(QStringLiteral("蓝禾提示"), QApplication::font());
    ASSERT_FALSE(used.isEmpty());
    for (const QString& family : used)
        EXPECT_EQ(family, QStringLiteral("Noto Sans CJK SC"));
}
