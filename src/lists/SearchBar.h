#pragma once

#include "ListFilter.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

// An entry of the field box and the column it stands for.
struct SearchBarField
{
    QString caption;
    QString column;
    ListFilter::Match match = ListFilter::Match::Equals;
};

// A day of a range: a fixed one, or a number of days from today.
struct SearchBarDay
{
    int fromToday = 0;
    QDate fixed = {};

    QDate on(QDate today) const { return fixed.isValid() ? fixed : today.addDays(fromToday); }
};

// A range on a date or date-time column.
struct SearchBarRange
{
    QString column;
    SearchBarDay first = {};
    SearchBarDay last = {};
    // The labels before the first and the last day; without a first
    // label the tick box stands there.
    QString firstLabel = QStringLiteral("从");
    QString lastLabel = QStringLiteral("到");
    // Times beside the days, the range then running to the second;
    // with timeTick, only while that box is ticked.
    bool withTimes = false;
    QTime firstTime = QTime(0, 0);
    QTime lastTime = QTime(23, 59, 59);
    QString timeTick = {};
    // The box that turns the range on; empty: it always counts.
    QString tick = {};
    bool ticked = false;
    // Refused when the last day is before the first; empty: never.
    QString orderRefusal = {};
};

// A box to tick and a list to choose from: while ticked, the column
// must hold the choice.
struct SearchBarTickList
{
    QString caption;
    QString column;
    QStringList choices;
};

// A button of the bar; the window connects its id. The button with
// the id SearchBar::Search runs the search, as Enter in the value box does.
struct SearchBarButton
{
    QString caption;
    QString id;
};

// What the operator entered into the bar.
struct SearchBarInput
{
    QString field;
    QString value;
    bool ranged = false;
    bool timed = false;
    // The days and, where the range has them, the times.
    QDateTime first = {};
    QDateTime last = {};
    // Per tick list: the choice while its box is ticked, else empty.
    QStringList ticks = {};
};

// The search bar of a list window, described: the fields the operator
// picks and how each matches, a range of days or moments, lists to tick,
// and the bar's buttons. filter() turns what the operator entered into the
// search's conditions; the list window builds the boxes from the rest.
struct SearchBar
{
    using Field = SearchBarField;
    using Day = SearchBarDay;
    using Range = SearchBarRange;
    using TickList = SearchBarTickList;
    using Button = SearchBarButton;
    using Input = SearchBarInput;
    // The id of the button that searches.
    static constexpr auto Search = u"search";

    // What becomes of the value's outer blanks.
    enum class Value {
        AsTyped,       // kept
        Trimmed,       // removed; a value of blanks asks for an empty column
        TrimmedOrNone, // removed; a value of blanks is no value
    };

    // What a search without a field or a value does when no range counts
    // instead.
    enum class Incomplete {
        Skipped, // the other conditions alone are searched
        Ignored, // nothing happens
        Refused, // incompleteText is shown
    };

    enum class Layout {
        OneLine,      // everything on one line
        ButtonsBelow, // the buttons on a line of their own
        RangeBelow,   // the range and tick lists on a second line
    };

    // The label before the field box, or, without one, an only field's caption.
    QString lead = {};
    QList<Field> fields = {};
    // The field box's text at first; empty: the first field.
    QString firstField = {};
    // Another column of the table may be typed into the field box; it is
    // checked when the list is read, and matches as `match` says.
    bool anyColumn = true;
    ListFilter::Match match = ListFilter::Match::Equals;
    // The words between the field and value boxes ("中含有").
    QString matchLabel = {};
    Value value = Value::AsTyped;
    Incomplete incomplete = Incomplete::Skipped;
    QString incompleteText = {};
    std::optional<Range> range = {};
    // The range before the field box.
    bool rangeFirst = false;
    QList<TickList> tickLists = {};
    // Conditions every search has.
    QList<ListFilter::Condition> always = {};
    QList<Button> buttons = {};
    Layout layout = Layout::OneLine;
    // Said when a search finds no row; empty: nothing is said.
    QString nothingFound = {};

    // The conditions the input asks for; nothing when the search does
    // nothing. Refuses with Refusal.
    std::optional<ListFilter> filter(const Input &input) const;
    // The column a field box text stands for: a field's column, or the text
    // as typed.
    QString column(const QString &entry) const;
    // The fields of these columns, each captioned with its column's name.
    static QList<Field> fieldsOf(const QStringList &columns, ListFilter::Match match);
    // The range's default input for today.
    Input defaults(QDate today) const;
};
