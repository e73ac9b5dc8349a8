#include "platform/Services.h"

#include <QCoreApplication>

namespace lh {

QString programDirectory()
{
    // Tests and the benchmark run from their own folders; they point the
    // program at the folder that holds the built program's files.
    const QByteArray overridden = qgetenv("LH_PROGRAM_DIR");
    if (!overridden.isEmpty())
        return QString::fromLocal8Bit(overridden);
    return QCoreApplication::applicationDirPath();
}

}   // namespace lh
