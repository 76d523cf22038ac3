#include "SchemaCheck.h"

#include "Database.h"
#include "SchemaCatalogue.h"
#include "SchemaShape.h"
#include "SettledTotals.h"

using namespace Qt::StringLiterals;

namespace SchemaCheck {

namespace {

QString kindText(const QString &kind)
{
    if (kind == u"view")
        return u"视图"_s;
    if (kind == u"index")
        return u"索引"_s;
    if (kind == u"trigger")
        return u"触发器"_s;
    if (kind == u"table")
        return u"数据表"_s;
    if (kind == u"sequence")
        return u"序列"_s;
    return u"其他对象"_s;
}

bool sameNames(const QStringList &a, const QStringList &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a.at(i).compare(b.at(i), Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

QStringList without(const QStringList &names, const QStringList &others)
{
    QStringList left;
    for (const QString &name : names) {
        if (!others.contains(name, Qt::CaseInsensitive))
            left.append(name);
    }
    return left;
}

void compareColumns(const Dialect &dialect, const SchemaCatalogue::Table &table,
                    const QList<SchemaShape::Column> &actual, QStringList &refusals)
{
    QStringList names;
    for (const SchemaShape::Column &column : actual)
        names.append(column.name);
    const QStringList expected = table.columnNames();
    const QStringList missing = without(expected, names);
    const QStringList extra = without(names, expected);
    if (!missing.isEmpty())
        refusals.append(u"数据表 "_s + table.name + u" 缺少列 "_s + missing.join(u"、"_s));
    if (!extra.isEmpty())
        refusals.append(u"数据表 "_s + table.name + u" 多出列 "_s + extra.join(u"、"_s));
    if (!missing.isEmpty() || !extra.isEmpty())
        return;
    // Settlement copies lines by position; every table is held to its order.
    if (!sameNames(names, expected)) {
        refusals.append(u"数据表 "_s + table.name + u" 的列顺序与本程序的不同"_s);
        return;
    }
    for (qsizetype i = 0; i < actual.size(); ++i) {
        const QString wanted = table.columns.at(i).storedType(dialect);
        if (actual.at(i).type != wanted) {
            refusals.append(u"数据表 %1 的列 %2 类型为 %3，应为 %4"_s.arg(
                table.name, table.columns.at(i).name, actual.at(i).type, wanted));
        }
    }
}

void inspectTables(Database &database, const SchemaShape::Shape &shape, Missing missing,
                   Stage stage, Findings &findings)
{
    const QStringList shopTables = SchemaCatalogue::shopTables();
    int present = 0;
    for (const SchemaCatalogue::Table &table : SchemaCatalogue::tables()) {
        const QString kind = shape.kinds.value(table.name.toLower());
        if (kind.isEmpty()) {
            if (!table.rebuildable) {
                findings.refusals.append(u"缺少数据表 "_s + table.name
                                         + u"，没有它谁也不能登录"_s);
            } else if (missing == Missing::Refuse
                       && (stage == Stage::Current || shopTables.contains(table.name))) {
                findings.refusals.append(u"缺少数据表 "_s + table.name);
            } else if (stage == Stage::Current) {
                findings.tables.append(table.name);
            }
            continue;
        }
        if (shopTables.contains(table.name))
            ++present;
        if (kind != u"table") {
            findings.refusals.append(table.name + u" 是"_s + kindText(kind) + u"，不是数据表"_s);
            continue;
        }
        if (stage == Stage::Current)
            compareColumns(database.dialect(), table, shape.columns.value(table.name.toLower()),
                           findings.refusals);
    }
    if (present == 0) {
        // Nothing of a shop to rebuild around: every table would be new.
        findings.refusals = {u"其中只有版本表 schema_version，没有本店的任何数据表"_s};
        findings.tables.clear();
    }
}

void inspectIndexes(const SchemaShape::Shape &shape, Findings &findings)
{
    for (const SchemaCatalogue::Index &index : SchemaCatalogue::indexes()) {
        const QString kind = shape.kinds.value(index.name.toLower());
        if (kind.isEmpty()) {
            findings.indexes.append(index.name);
            continue;
        }
        if (kind != u"index") {
            findings.refusals.append(index.name + u" 应是本程序的索引，却是"_s + kindText(kind));
            continue;
        }
        const SchemaShape::Index actual = shape.indexes.value(index.name.toLower());
        if (actual.table != index.table.toLower() || actual.unique != index.unique
            || !sameNames(actual.columns, index.columns)) {
            findings.droppedIndexes.append(index.name);
            findings.indexes.append(index.name);
        }
    }
}

void inspectTriggers(Database &database, const SchemaShape::Shape &shape, Stage stage,
                     Findings &findings)
{
    const Dialect &dialect = database.dialect();
    const QStringList ours = SchemaCatalogue::triggerNames();
    for (auto it = shape.triggers.cbegin(); it != shape.triggers.cend(); ++it) {
        if (!ours.contains(it.key())) {
            findings.refusals.append(u"数据表 "_s + it.value().table + u" 上有不属于本程序的触发器 "_s
                                     + it.key());
            continue;
        }
        if (stage == Stage::Current
            && (it.value().table != u"jzmx"
                || it.value().definition
                       != SchemaShape::normalized(SettledTotals::triggerStatement(dialect, it.key())))) {
            findings.droppedTriggers.append({it.key(), it.value().table});
            findings.triggers.append(it.key());
        }
    }
    if (stage == Stage::BeforeSteps)
        return;
    for (const QString &name : ours) {
        if (!shape.triggers.contains(name))
            findings.triggers.append(name);
    }
    if (dialect.isPostgres()) {
        const auto function = shape.functions.constFind(SettledTotals::functionName());
        findings.function = function == shape.functions.cend()
                            || function.value() != SettledTotals::functionBody(dialect);
    }
}

void inspectOthers(const SchemaShape::Shape &shape, Findings &findings)
{
    for (auto it = shape.kinds.cbegin(); it != shape.kinds.cend(); ++it) {
        if (it.value() == u"view" && !SchemaCatalogue::table(it.key()))
            findings.refusals.append(u"有不属于本程序的视图 "_s + it.key());
    }
    for (const QString &rule : shape.rules) {
        findings.refusals.append(u"数据表 "_s + rule.section(u' ', 0, 0) + u" 上有不属于本程序的规则 "_s
                                 + rule.section(u' ', 1));
    }
}

bool feedsTotals(const QString &table)
{
    return table == u"jzmx" || SettledTotals::tableNames().contains(table);
}

} // namespace

bool Findings::clean() const
{
    return refusals.isEmpty() && tables.isEmpty() && indexes.isEmpty() && triggers.isEmpty()
           && !function;
}

QStringList Findings::built() const
{
    QStringList words;
    for (const QString &table : tables)
        words.append(u"数据表 "_s + table);
    for (const QString &index : indexes)
        words.append(u"索引 "_s + index);
    if (function)
        words.append(u"函数 "_s + SettledTotals::functionName());
    for (const QString &trigger : triggers)
        words.append(u"触发器 "_s + trigger);
    return words;
}

Findings inspect(Database &database, Missing missing, Stage stage)
{
    const SchemaShape::Shape shape = SchemaShape::read(database);
    Findings findings;
    inspectTables(database, shape, missing, stage, findings);
    if (stage == Stage::Current)
        inspectIndexes(shape, findings);
    inspectTriggers(database, shape, stage, findings);
    inspectOthers(shape, findings);
    return findings;
}

void repair(Database &database, const Findings &findings)
{
    const Dialect &dialect = database.dialect();
    QString building;
    try {
        bool totals = findings.function || !findings.triggers.isEmpty();
        for (const QString &name : findings.tables) {
            building = u"数据表 "_s + name;
            database.exec(SchemaCatalogue::table(name)->createStatement(dialect));
            totals = totals || feedsTotals(name);
        }
        for (const QString &name : findings.droppedIndexes) {
            building = u"索引 "_s + name;
            database.exec(u"drop index if exists "_s + name);
        }
        for (const SchemaCatalogue::Index &index : SchemaCatalogue::indexes()) {
            if (!findings.indexes.contains(index.name))
                continue;
            building = u"索引 "_s + index.name;
            database.exec(index.createStatement());
            totals = totals || SettledTotals::tableNames().contains(index.table);
        }
        if (findings.function) {
            building = u"函数 "_s + SettledTotals::functionName();
            SettledTotals::createFunction(database);
        }
        for (const auto &[name, table] : findings.droppedTriggers) {
            building = u"触发器 "_s + name;
            database.exec(u"drop trigger if exists "_s + name
                          + (dialect.isPostgres() ? u" on "_s + table : QString()));
        }
        for (const QString &name : findings.triggers) {
            building = u"触发器 "_s + name;
            if (dialect.isPostgres())
                database.exec(u"drop trigger if exists "_s + name + u" on jzmx"_s);
            database.exec(SettledTotals::triggerStatement(dialect, name));
        }
        if (totals) {
            // Totals kept while a trigger was missing or changed, or beside
            // lines that are gone, cannot be trusted.
            building = u"每日汇总"_s;
            SettledTotals::rebuild(database);
        }
    } catch (const DbError &error) {
        throw DbError(u"无法重建"_s + building + u"："_s + error.text());
    }
}

} // namespace SchemaCheck
