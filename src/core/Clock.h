#pragma once
// The clock of the local date and time. Designs read it for their date line;
// the program's own clock is the system's, tests and redrawn designs give
// their own readings.

#include <QDateTime>

namespace lh {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

}   // namespace lh
