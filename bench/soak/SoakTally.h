#pragma once

#include <QList>
#include <QMap>
#include <QString>

// What the desks and the office of a soak run did and met: counts, the
// settlement times, and each refusal or error by its text. Passed from a
// desk process to the bench as lines of text.
struct SoakTally
{
    int visits = 0;      // groups opened and settled by a desk
    int linesSettled = 0; // lines those settlements moved to the settled lines
    int reversals = 0;    // bills the office reversed and settled again
    int salaries = 0;     // salary payments made
    int recharges = 0;    // card recharges made
    QList<double> settleMs; // each desk settlement, JieZhangHs alone
    QMap<QString, int> refusals; // met in ordinary work, by text
    QMap<QString, int> errors;   // anything else shown to an operator

    void add(const SoakTally &other);
    int errorCount() const;
    QString toText() const;
    static SoakTally fromText(const QString &text);
};
