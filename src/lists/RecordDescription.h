#pragma once

#include "session/RightTable.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <cstddef>
#include <optional>
#include <vector>

// One column of a record screen: where it is kept, what the form calls it
// and how it is typed in.
struct RecordField
{
    enum class Kind {
        Text,   // free text, stored as typed; empty is '' (never NULL)
        Money,  // an amount, stored exactly; empty is NULL
        Number, // a quantity, factor or points, stored exactly; empty is NULL
        YesNo,  // a boolean column, shown as a check box
        Choice, // text picked from `choices`
    };

    QString column;
    // The form's label (a check box's own text); it also names the field in messages.
    QString caption;
    Kind kind = Kind::Text;
    // The grid's heading; empty: the column's name.
    QString heading = {};
    QStringList choices = {};
    // Numbers and amounts shown with at least two decimals ("0.80") instead
    // of the shortest form; a value with more keeps them all ("0.875"), so
    // saving what the form shows never rounds a stored value.
    bool twoDecimals = false;
    // What a new row starts with: a bool for YesNo, text for the others.
    QVariant initial = {};
};

// A table kept by a record screen: the columns it edits and how a row is
// found again.
struct RecordTableDescription
{
    QString table;
    // Finds a row. When it is not one of the fields, the database assigns it.
    QString keyColumn;
    // The list's order; empty leaves it to the database.
    QString orderBy;
    std::vector<RecordField> fields;
    // Columns the database keeps unique: a write it refuses while another
    // row holds the same value there is reported with duplicateText instead
    // of the database's words.
    QStringList uniqueColumns = {};
    QString duplicateText = {};
    // The database does not keep uniqueColumns unique (an older shop may
    // already hold repeats): a save looks for another row with the value
    // first, with the table locked against other saves, and refuses with
    // duplicateText. A change that keeps the row's own value is not refused.
    bool uniqueByCheck = false;
    // The operation whose right every write of the table needs; none: the
    // table is written by whoever reached its screen.
    std::optional<Guarded> writeGuard = {};

    // The field's place in `fields`, or -1.
    int indexOf(const QString &column) const
    {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (fields[i].column == column)
                return static_cast<int>(i);
        }
        return -1;
    }
    bool keyIsAssigned() const { return indexOf(keyColumn) < 0; }
};

// A row as the database handed it over; a save compares against these
// values to find out whether someone else changed the row meanwhile.
struct RecordRow
{
    QVariant key;
    QVariantList values; // one per field
};

// The form's values about to be saved, one per field: text for every kind
// but YesNo, which is a bool.
struct RecordEntry
{
    const RecordTableDescription &table;
    QVariantList values;

    QVariant value(const QString &column) const
    {
        const int index = table.indexOf(column);
        return index < 0 ? QVariant() : values.value(index);
    }
    QString text(const QString &column) const { return value(column).toString(); }
};
