#include "ExcelCellText.h"

#include <QDate>
#include <QLocale>
#include <QTime>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace ExcelCellText {

QString number(double value)
{
    if (value == 0)
        return u"0"_s; // also for -0
    if (!std::isfinite(value))
        return QString::number(value);
    const double magnitude = std::fabs(value);
    // Whole numbers, the most common, without the general conversion.
    if (magnitude < 1e15 && value == std::trunc(value))
        return QString::number(static_cast<qint64>(value));
    // The shortest text that reads back as the same double is cheap to
    // find; only noise beyond 15 digits (0.30000000000000004) needs more.
    QString shortest = QString::number(value, 'g', QLocale::FloatingPointShortest);
    const qsizetype exponentAt = shortest.indexOf(u'e');
    const QStringView mantissa = QStringView(shortest).left(exponentAt < 0 ? shortest.size() : exponentAt);
    const qsizetype digits = std::count_if(mantissa.begin(), mantissa.end(), [](QChar c) { return c.isDigit(); });
    if (digits > 15)
        shortest = QString::number(value, 'g', 15);
    if (!shortest.contains(u'e') || magnitude < 1e-15 || magnitude >= 1e21)
        return shortest;
    // Written out in full, still with 15 significant digits.
    const int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    QString text = QString::number(value, 'f', std::max(0, 14 - exponent));
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text;
}

QString date(double serial, DateKind kind, bool epoch1904)
{
    // 2958465 is 9999-12-31, the last day Excel knows.
    if (!std::isfinite(serial) || serial < 0 || serial >= 2958466)
        return {};
    const qint64 seconds = std::llround(serial * 86400.0);
    const qint64 days = seconds / 86400;
    const QTime time = QTime(0, 0).addSecs(static_cast<int>(seconds % 86400));
    if (kind == DateKind::Time)
        return time.toString(u"hh:mm:ss"_s);
    QDate day;
    if (epoch1904) {
        day = QDate(1904, 1, 1).addDays(days);
    } else if (days < 60) {
        // Serial 1 is 1900-01-01; Excel's false leap day 1900-02-29
        // (serial 60) comes after, so the later serials count from a day
        // earlier.
        day = QDate(1899, 12, 31).addDays(days);
    } else {
        day = QDate(1899, 12, 30).addDays(days);
    }
    if (kind == DateKind::Date)
        return day.toString(u"yyyy-MM-dd"_s);
    return day.toString(u"yyyy-MM-dd"_s) + u' ' + time.toString(u"hh:mm:ss"_s);
}

} // namespace ExcelCellText
