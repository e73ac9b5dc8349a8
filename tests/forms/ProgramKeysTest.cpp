// The program's key table and what is said of it outside the program: the
// manual page of the package names every key the help (F1) lists.

#include "forms/ProgramKeys.h"

#include <QFile>

#include <gtest/gtest.h>

TEST(ProgramKeys, TheManualPageNamesEveryKeyOfTheTable)
{
    QFile page(QStringLiteral(LH_MANUAL_PAGE));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << LH_MANUAL_PAGE;
    const QString text = QString::fromUtf8(page.readAll());
    ASSERT_FALSE(lh::forms::programKeys().empty());
    for (const lh::forms::ProgramKey& k : lh::forms::programKeys()) {
        // Each key as a bold tag of the KEYS section.
        EXPECT_TRUE(text.contains(QStringLiteral("\n.B ") + k.keys + QLatin1Char('\n'))
                    || text.contains(QStringLiteral("\n.B ") + k.keys + QLatin1Char(' ')))
            << k.keys.toStdString() << " (" << k.what.toStdString() << ") is not in the manual page";
    }
}
