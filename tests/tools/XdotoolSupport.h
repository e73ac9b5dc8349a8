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
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 30000))
        return false;
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

}   // namespace lh::test
