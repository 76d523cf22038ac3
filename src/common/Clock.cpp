#include "Clock.h"

QDateTime SystemClock::now() const
{
    // Whole seconds: stored times have no fractions, and comparisons with
    // values read back must agree.
    const QDateTime moment = QDateTime::currentDateTime();
    return moment.addMSecs(-moment.time().msec());
}
