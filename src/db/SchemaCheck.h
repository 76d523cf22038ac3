#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

class Database;

// Holds a shop's database against the catalogue of this version: what is
// refused (views or other objects under a table's name, triggers, views
// and rules that are not the program's, tables whose columns differ, a
// shop without its operators), and what is built again in its current
// shape (a missing table, index or trigger; an index or trigger of the
// program's that was changed).
namespace SchemaCheck {

enum class Missing {
    Rebuild, // start-up and setup: a missing table is built again, empty
    Refuse,  // restore: a shop must bring all its tables with it
};

enum class Stage {
    BeforeSteps, // an older shop before its upgrade steps: only what the steps cannot mend
    Current,     // the whole current shape
};

struct Findings
{
    QStringList refusals; // one Chinese reason each, naming the table or object
    QStringList tables;   // to build
    QStringList droppedIndexes;
    QStringList indexes; // to build
    QList<std::pair<QString, QString>> droppedTriggers; // name, table
    QStringList triggers;                                // to build
    bool function = false;                               // PostgreSQL: to build

    bool clean() const;
    // What repair() builds, in words: "数据表 包厢", "索引 …", "触发器 …".
    QStringList built() const;
};

Findings inspect(Database &database, Missing missing, Stage stage);

// Builds what the findings name, in the caller's transaction, and
// recounts the daily totals when anything they depend on was built.
// Throws DbError naming the object that could not be built.
void repair(Database &database, const Findings &findings);

} // namespace SchemaCheck
