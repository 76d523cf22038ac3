#include "SearchBar.h"

#include "common/Refusal.h"

using namespace Qt::StringLiterals;

QString SearchBar::column(const QString &entry) const
{
    for (const Field &field : fields) {
        if (field.caption == entry)
            return field.column;
    }
    return entry;
}

QList<SearchBar::Field> SearchBar::fieldsOf(const QStringList &columns, ListFilter::Match match)
{
    QList<Field> fields;
    for (const QString &column : columns)
        fields.append({column, column, match});
    return fields;
}

SearchBar::Input SearchBar::defaults(QDate today) const
{
    Input input;
    input.field = firstField.isEmpty() && !fields.isEmpty() ? fields.first().caption : firstField;
    if (range) {
        input.ranged = range->tick.isEmpty() || range->ticked;
        input.first = QDateTime(range->first.on(today), range->firstTime);
        input.last = QDateTime(range->last.on(today), range->lastTime);
    }
    for (qsizetype i = 0; i < tickLists.size(); ++i)
        input.ticks.append(QString());
    return input;
}

std::optional<ListFilter> SearchBar::filter(const Input &input) const
{
    ListFilter filter;
    filter.conditions = always;

    const bool ranged = range && (range->tick.isEmpty() || input.ranged);
    if (ranged) {
        if (!range->orderRefusal.isEmpty() && input.last.date() < input.first.date())
            throw Refusal(range->orderRefusal);
        const bool timed = range->timeTick.isEmpty() ? range->withTimes : input.timed;
        filter.ranges.append(timed ? ListFilter::upTo(range->column, input.first, input.last)
                                   : ListFilter::wholeDays(range->column, input.first.date(),
                                                           input.last.date()));
    }

    if (!fields.isEmpty()) {
        const QString value = this->value == Value::TrimmedOrNone ? input.value.trimmed()
                                                                  : input.value;
        if (!input.field.trimmed().isEmpty() && !value.isEmpty()) {
            ListFilter::Match match = this->match;
            for (const Field &field : fields) {
                if (field.caption == input.field)
                    match = field.match;
            }
            filter.conditions.append({column(input.field), match,
                                      this->value == Value::AsTyped ? value : value.trimmed()});
        } else if (!(value.isEmpty() && ranged)) {
            // A range asked for alone is a search; anything else half
            // filled in is what the bar says.
            switch (incomplete) {
            case Incomplete::Skipped:
                break;
            case Incomplete::Ignored:
                return std::nullopt;
            case Incomplete::Refused:
                throw Refusal(incompleteText);
            }
        }
    }

    for (qsizetype i = 0; i < tickLists.size(); ++i) {
        const QString chosen = input.ticks.value(i);
        if (!chosen.isEmpty())
            filter.conditions.append({tickLists[i].column, ListFilter::Match::Equals, chosen});
    }
    return filter;
}
