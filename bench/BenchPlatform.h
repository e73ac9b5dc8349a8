#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace lh::bench {

// Fonts need a GUI application; unless told otherwise, benchmarks run on the
// offscreen platform, with or without a display.
inline void useOffscreenUnlessDisplayed()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

}   // namespace lh::bench
