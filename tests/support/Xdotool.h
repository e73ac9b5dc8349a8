#pragma once
// Real input from outside the program, and questions about the X display's
// windows, through xdotool: for tests on an X display.

#include <QProcess>
#include <QStringList>
#include <QTest>

namespace lh::test {

struct XdotoolRun {
    bool ok = false;   // ran, ended in time and exited with 0
    QString output;    // what it printed, trimmed
};

// Runs xdotool while this program keeps handling events. Every call is
// bounded by `seconds` (a `search --sync` for a window that never comes too).
inline XdotoolRun runXdotool(const QStringList& args, int seconds = 30)
{
    QProcess p;
    p.start("timeout", QStringList{QString::number(seconds), "xdotool"} + args);
    if (!p.waitForStarted(5000))
        return {};
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, (seconds + 5) * 1000)) {
        p.kill();
        p.waitForFinished(5000);
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
            QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed()};
}

// True when the xdotool command ran through.
inline bool xdotool(const QStringList& args, int seconds = 30) { return runXdotool(args, seconds).ok; }

// What xdotool printed, trimmed; empty when it printed nothing or failed.
inline QString xdotoolOutput(const QStringList& args, int seconds = 10) { return runXdotool(args, seconds).output; }

// Whether the window manager lists a window named `title` among the windows it manages.
inline bool managedWindowNamed(const QString& title)
{
    const QString id = xdotoolOutput({"search", "--name", title}).split('\n').value(0).trimmed();
    if (id.isEmpty())
        return false;
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST")});
    if (!xprop.waitForFinished(10000))
        return false;
    // "_NET_CLIENT_LIST(WINDOW): window id # 0x200001, 0x400007"
    const QString listed = QString::fromLatin1(xprop.readAllStandardOutput()).section('#', 1);
    for (const QString& w : listed.split(',')) {
        bool ok = false;
        if (w.trimmed().toULong(&ok, 0) == id.toULong() && ok)
            return true;
    }
    return false;
}

}   // namespace lh::test
