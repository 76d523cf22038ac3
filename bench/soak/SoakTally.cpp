#include "SoakTally.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

void addCounts(QMap<QString, int> &into, const QMap<QString, int> &from)
{
    for (auto it = from.cbegin(); it != from.cend(); ++it)
        into[it.key()] += it.value();
}

// Texts travel on one line each, so line breaks inside them are flattened.
QString oneLine(QString text)
{
    return text.replace(u'\n', u' ').replace(u'\r', u' ');
}

} // namespace

void SoakTally::add(const SoakTally &other)
{
    visits += other.visits;
    linesSettled += other.linesSettled;
    reversals += other.reversals;
    salaries += other.salaries;
    recharges += other.recharges;
    settleMs.append(other.settleMs);
    addCounts(refusals, other.refusals);
    addCounts(errors, other.errors);
}

int SoakTally::errorCount() const
{
    int count = 0;
    for (int n : errors)
        count += n;
    return count;
}

QString SoakTally::toText() const
{
    QStringList lines{u"visits %1"_s.arg(visits), u"lines %1"_s.arg(linesSettled),
                      u"reversals %1"_s.arg(reversals), u"salaries %1"_s.arg(salaries),
                      u"recharges %1"_s.arg(recharges)};
    for (double ms : settleMs)
        lines.append(u"ms "_s + QString::number(ms, 'f', 3));
    for (auto it = refusals.cbegin(); it != refusals.cend(); ++it)
        lines.append(u"refusal %1 %2"_s.arg(it.value()).arg(oneLine(it.key())));
    for (auto it = errors.cbegin(); it != errors.cend(); ++it)
        lines.append(u"error %1 %2"_s.arg(it.value()).arg(oneLine(it.key())));
    return lines.join(u'\n') + u'\n';
}

SoakTally SoakTally::fromText(const QString &text)
{
    SoakTally tally;
    for (const QString &line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QString word = line.section(u' ', 0, 0);
        const QString rest = line.section(u' ', 1);
        if (word == u"visits")
            tally.visits = rest.toInt();
        else if (word == u"lines")
            tally.linesSettled = rest.toInt();
        else if (word == u"reversals")
            tally.reversals = rest.toInt();
        else if (word == u"salaries")
            tally.salaries = rest.toInt();
        else if (word == u"recharges")
            tally.recharges = rest.toInt();
        else if (word == u"ms")
            tally.settleMs.append(rest.toDouble());
        else if (word == u"refusal")
            tally.refusals[rest.section(u' ', 1)] += rest.section(u' ', 0, 0).toInt();
        else if (word == u"error")
            tally.errors[rest.section(u' ', 1)] += rest.section(u' ', 0, 0).toInt();
    }
    return tally;
}
