#pragma once

#include <QString>

// The pattern for "column like ? escape '\'" that finds `value` anywhere in
// the column: "%" and "_" in the value are ordinary characters, not
// wildcards.
inline QString containsPattern(const QString &value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    escaped.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}
