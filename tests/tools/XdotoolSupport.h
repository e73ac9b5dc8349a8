#pragma once
// Real input from outside the program, for tests on an X display.

#include <QProcess>
#include <QStringList>
#include <QTest>

namespace lh::test {

// Runs xdotool while the program keeps handling events.
inline bool xdotool(const QStringList& args)
{
    QProcess p;
    p.start("xdotool", args);
    if (!p.waitForStarted(5000))
        return false;
    while (p.state() != QProcess::NotRunning)
        QTest::qWait(10);
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace lh::test
