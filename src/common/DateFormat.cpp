#include "DateFormat.h"

#include <QTime>

namespace DateFormat {

QString dateTimeText(const QDateTime &moment)
{
    return moment.toString(DateTimePattern);
}

QString dateText(const QDate &day)
{
    return day.toString(DatePattern);
}

QDateTime fromVariant(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().startOfDay();
    const QString text = value.toString().trimmed();
    QDateTime moment = QDateTime::fromString(text, DateTimePattern);
    if (!moment.isValid())
        moment = QDateTime::fromString(text, Qt::ISODate);
    if (!moment.isValid()) {
        const QDate day = QDate::fromString(text, DatePattern);
        if (day.isValid())
            moment = day.startOfDay();
    }
    return moment;
}

QString elapsedClock(const QDateTime &from, const QDateTime &to)
{
    if (!from.isValid() || !to.isValid())
        return {};
    qint64 seconds = from.secsTo(to) % 86400;
    if (seconds < 0)
        seconds += 86400;
    return QTime(0, 0).addSecs(static_cast<int>(seconds)).toString(u"hh:mm:ss");
}

} // namespace DateFormat
