#pragma once

#include "common/DateFormat.h"

#include <QDateEdit>
#include <QTimeEdit>

// The date and time boxes of every search bar, in the program's forms.
namespace DatePickers {

// A date box with a calendar to pick from, "yyyy-MM-dd".
inline QDateEdit *date(QWidget *parent)
{
    auto *picker = new QDateEdit(parent);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QString::fromUtf16(DateFormat::DatePattern));
    return picker;
}

// A time box, "hh:mm:ss".
inline QTimeEdit *time(QWidget *parent, QTime shown = QTime(0, 0))
{
    auto *picker = new QTimeEdit(shown, parent);
    picker->setDisplayFormat(QStringLiteral("hh:mm:ss"));
    return picker;
}

} // namespace DatePickers
