#pragma once

#include "RecordDescription.h"

#include "session/Operator.h"

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <vector>

class Database;

// Reads and writes the rows of one record screen's table, as its
// description says. A save writes a row only while it still holds what the
// screen showed, so a second workstation's change is never overwritten
// unseen. Refusals carry the text the user is shown; a table whose
// description names a writeGuard is written only by an operator with its
// right.
class RecordTable
{
public:
    static const QString StaleText;
    static const QString GoneText;

    // `who` writes the rows; the rights matter only for a writeGuard.
    RecordTable(Database &db, RecordTableDescription described, Operator who = {});

    const RecordTableDescription &description() const { return m_description; }

    std::vector<RecordRow> readAll();
    // Adds a row from the entered values (see RecordEntry); an empty number
    // gets the column's default. Returns the new row's key.
    QVariant insert(const QVariantList &entered);
    // Writes the entered values over `shown`, provided the row still holds
    // exactly what `shown` holds; otherwise Refusal(StaleText) and nothing
    // is written. Returns the row's key, which changes with a key field.
    QVariant update(const RecordRow &shown, const QVariantList &entered);
    // Refusal(GoneText) when no row has the key any more.
    void remove(const QVariant &key);

    // What the form shows for a stored value: a bool for YesNo, text for
    // the others (an amount in its shortest form or with two decimals; a
    // stored value that is no number shows as it is).
    static QVariant shownValue(const RecordField &field, const QVariant &stored);
    // The entered values the form starts a new row with.
    QVariantList initialValues() const;
    // The entered values that show a stored row.
    QVariantList shownValues(const RecordRow &row) const;

private:
    // The values to bind for the entered ones; a number that does not
    // parse is refused naming its field, one past the stored range with
    // Money::OutOfRange.
    QVariantList boundValues(const QVariantList &entered) const;
    // Whether another row than `ownKey` (null for a new row) already holds
    // a unique value; a column whose value is the same as in `shown` is
    // passed over.
    bool duplicates(const QVariantList &bound, const QVariant &ownKey, const RecordRow *shown = nullptr);
    // For uniqueByCheck: keeps other saves of the table out until the
    // transaction ends, then refuses a repeated value.
    void refuseRepeats(const QVariantList &bound, const QVariant &ownKey, const RecordRow *shown);
    QString columnList() const;
    // Refusal with the table's text when the operator lacks writeGuard's right.
    void checkRight() const;

    Database &m_db;
    RecordTableDescription m_description;
    const Operator m_operator;
};
