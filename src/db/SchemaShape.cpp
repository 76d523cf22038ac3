#include "SchemaShape.h"

#include "Database.h"

#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace SchemaShape {

namespace {

// Objects of the connection's schema that no extension brought in.
constexpr auto OwnClass =
    u"n.nspname = current_schema() and not exists (select 1 from pg_depend d "
    "where d.classid = 'pg_class'::regclass and d.objid = c.oid and d.deptype = 'e')";

// Names as both databases match them: PostgreSQL folds unquoted names to
// lower case, SQLite ignores case.
QString folded(const QVariant &name)
{
    return name.toString().toLower();
}

QString postgresKind(const QString &relkind)
{
    if (relkind == u"r")
        return u"table"_s;
    if (relkind == u"v" || relkind == u"m")
        return u"view"_s;
    if (relkind == u"i")
        return u"index"_s;
    if (relkind == u"S")
        return u"sequence"_s;
    return u"other"_s;
}

void readPostgres(Database &database, Shape &shape)
{
    const QString schema = database.scalar(u"select current_schema()"_s).toString();
    QSqlQuery query = database.exec(
        u"select c.relname, c.relkind from pg_class c join pg_namespace n on n.oid = c.relnamespace "
        "where "_s + QString::fromUtf16(OwnClass));
    while (query.next())
        shape.kinds.insert(folded(query.value(0)), postgresKind(query.value(1).toString()));

    query = database.exec(
        u"select c.relname, a.attname, format_type(a.atttypid, a.atttypmod), a.attnotnull, "
        "case when a.attidentity <> '' then 'identity' "
        "else coalesce(pg_get_expr(ad.adbin, ad.adrelid), '') end "
        "from pg_attribute a join pg_class c on c.oid = a.attrelid "
        "join pg_namespace n on n.oid = c.relnamespace "
        "left join pg_attrdef ad on ad.adrelid = a.attrelid and ad.adnum = a.attnum "
        "where c.relkind = 'r' and a.attnum > 0 and not a.attisdropped and "_s
        + QString::fromUtf16(OwnClass) + u" order by c.relname, a.attnum"_s);
    while (query.next()) {
        shape.columns[folded(query.value(0))].append(
            {query.value(1).toString(), query.value(2).toString().toLower(),
             query.value(3).toBool(), query.value(4).toString()});
    }

    query = database.exec(
        u"select ic.relname, c.relname, ix.indisunique, array_to_string(array("
        "select a.attname from unnest(ix.indkey::int2[]) with ordinality k(num, ord) "
        "join pg_attribute a on a.attrelid = ix.indrelid and a.attnum = k.num order by k.ord), ',') "
        "from pg_index ix join pg_class ic on ic.oid = ix.indexrelid "
        "join pg_class c on c.oid = ix.indrelid join pg_namespace n on n.oid = c.relnamespace "
        "where "_s + QString::fromUtf16(OwnClass));
    while (query.next()) {
        shape.indexes.insert(folded(query.value(0)),
                             {folded(query.value(1)),
                              query.value(3).toString().split(u',', Qt::SkipEmptyParts),
                              query.value(2).toBool()});
    }

    query = database.exec(
        u"select t.tgname, c.relname, pg_get_triggerdef(t.oid), t.tgenabled = 'D' "
        "from pg_trigger t join pg_class c on c.oid = t.tgrelid "
        "join pg_namespace n on n.oid = c.relnamespace where not t.tgisinternal and "_s
        + QString::fromUtf16(OwnClass));
    while (query.next()) {
        const QString name = folded(query.value(0));
        QString definition = normalized(query.value(2).toString(), schema);
        if (query.value(3).toBool())
            definition += u" disabled"_s;
        shape.kinds.insert(name, u"trigger"_s);
        shape.triggers.insert(name, {folded(query.value(1)), definition});
    }

    query = database.exec(
        u"select p.proname, p.prosrc from pg_proc p join pg_namespace n on n.oid = p.pronamespace "
        "where n.nspname = current_schema() and not exists (select 1 from pg_depend d "
        "where d.classid = 'pg_proc'::regclass and d.objid = p.oid and d.deptype = 'e')"_s);
    while (query.next())
        shape.functions.insert(folded(query.value(0)), query.value(1).toString());

    query = database.exec(
        u"select tablename, rulename from pg_rules where schemaname = current_schema()"_s);
    while (query.next())
        shape.rules.append(folded(query.value(0)) + u' ' + query.value(1).toString());
}

void readSqlite(Database &database, Shape &shape)
{
    QSqlQuery query = database.exec(
        u"select type, name, tbl_name, sql from sqlite_master "
        "where name not like 'sqlite\\_%' escape '\\'"_s);
    QStringList tables;
    while (query.next()) {
        const QString type = query.value(0).toString();
        const QString name = query.value(1).toString();
        shape.kinds.insert(folded(name), type);
        if (type == u"table")
            tables.append(name);
        if (type == u"trigger")
            shape.triggers.insert(folded(name), {folded(query.value(2)), normalized(query.value(3).toString())});
    }
    for (const QString &table : std::as_const(tables)) {
        QSqlQuery columns = database.exec(
            u"select name, type, \"notnull\", coalesce(dflt_value, '') from pragma_table_info(?)"_s,
            {table});
        while (columns.next()) {
            shape.columns[folded(table)].append({columns.value(0).toString(),
                                         columns.value(1).toString().toLower(),
                                         columns.value(2).toBool(), columns.value(3).toString()});
        }
        QSqlQuery indexes = database.exec(
            u"select name, \"unique\" from pragma_index_list(?)"_s, {table});
        while (indexes.next()) {
            const QString name = indexes.value(0).toString();
            const QStringList names = database.strings(
                u"select name from pragma_index_info(?) order by seqno"_s, {name});
            shape.indexes.insert(folded(name), {folded(table), names, indexes.value(1).toBool()});
        }
    }
}

} // namespace

QString normalized(QString statement, const QString &schema)
{
    statement.remove(u'"');
    if (!schema.isEmpty())
        statement.replace(schema + u'.', QString());
    return statement.simplified().toLower();
}

Shape read(Database &database)
{
    Shape shape;
    if (database.dialect().isPostgres())
        readPostgres(database, shape);
    else
        readSqlite(database, shape);
    return shape;
}

QStringList Shape::lines() const
{
    QStringList lines;
    for (auto it = kinds.cbegin(); it != kinds.cend(); ++it)
        lines.append(it.value() + u' ' + it.key());
    for (auto it = columns.cbegin(); it != columns.cend(); ++it) {
        int position = 0;
        for (const Column &column : it.value()) {
            lines.append(u"column %1.%2 %3 %4%5 default %6"_s.arg(
                it.key(), QString::number(++position), column.name.toLower(), column.type,
                column.notNull ? u" not null"_s : QString(), column.defaultValue));
        }
    }
    for (auto it = indexes.cbegin(); it != indexes.cend(); ++it) {
        lines.append(u"index %1 on %2 (%3)%4"_s.arg(it.key(), it.value().table,
                                                   it.value().columns.join(u',').toLower(),
                                                   it.value().unique ? u" unique"_s : QString()));
    }
    for (auto it = triggers.cbegin(); it != triggers.cend(); ++it)
        lines.append(u"trigger %1 on %2: %3"_s.arg(it.key(), it.value().table, it.value().definition));
    for (auto it = functions.cbegin(); it != functions.cend(); ++it)
        lines.append(u"function %1: %2"_s.arg(it.key(), it.value().simplified()));
    for (const QString &rule : rules)
        lines.append(u"rule "_s + rule);
    lines.sort();
    return lines;
}

} // namespace SchemaShape
