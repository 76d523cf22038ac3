#include "Migration.h"

#include "common/Money.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/Transaction.h"

#include <QHash>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace Migration {

namespace {

constexpr int RowsPerStatement = 200;

QSqlRecord columnsOf(Database &database, const QString &table)
{
    return database.exec(u"select * from "_s + table + u" where 1=0"_s).record();
}

QString quoted(const QString &name)
{
    return u'"' + name + u'"';
}

// SQLite hands numbers over as doubles; the server gets their exact text,
// rounded to the four decimals amounts have. Its yes/no flags are 0 and 1,
// which the server's boolean columns take only as booleans.
QVariant serverValue(const QVariant &value, bool toBoolean)
{
    if (value.isNull())
        return value;
    if (toBoolean)
        return QVariant(value.toBool());
    if (value.typeId() == QMetaType::Double) {
        if (const auto amount = Money::tryFromVariant(value))
            return amount->toString();
    }
    return value;
}

qint64 copyTable(Database &from, Database &to, const QString &table)
{
    // Matched by name, whatever the case: the server folds unquoted names.
    const QSqlRecord targetRecord = columnsOf(to, table);
    QHash<QString, int> target;
    for (int i = 0; i < targetRecord.count(); ++i)
        target.insert(targetRecord.fieldName(i).toLower(), i);
    const QSqlRecord sourceRecord = columnsOf(from, table);
    QStringList sourceColumns;
    QStringList targetColumns;
    QList<bool> booleans;
    for (int i = 0; i < sourceRecord.count(); ++i) {
        const QString name = sourceRecord.fieldName(i);
        const auto found = target.constFind(name.toLower());
        if (found == target.cend())
            continue;
        const QSqlField field = targetRecord.field(*found);
        sourceColumns.append(quoted(name));
        targetColumns.append(quoted(field.name()));
        booleans.append(field.metaType().id() == QMetaType::Bool);
    }
    if (sourceColumns.isEmpty())
        return 0;
    const QString oneRow =
        u'(' + QStringList(sourceColumns.size(), u"?"_s).join(u", "_s) + u')';
    const QString insert =
        u"insert into "_s + table + u" ("_s + targetColumns.join(u", "_s) + u") values "_s;

    QSqlQuery rows = from.exec(u"select "_s + sourceColumns.join(u", "_s) + u" from "_s + table);
    qint64 copied = 0;
    QVariantList values;
    int pending = 0;
    const auto flush = [&] {
        if (pending == 0)
            return;
        QStringList tuples(pending, oneRow);
        to.execute(insert + tuples.join(u", "_s), values);
        values.clear();
        pending = 0;
    };
    while (rows.next()) {
        for (int i = 0; i < sourceColumns.size(); ++i)
            values.append(serverValue(rows.value(i), booleans.at(i)));
        ++copied;
        if (++pending == RowsPerStatement)
            flush();
    }
    flush();
    return copied;
}

void moveSequencesOn(Database &to, const QString &table)
{
    QSqlQuery identities = to.exec(
        u"select column_name from information_schema.columns where table_schema = current_schema() "
        "and table_name = ? and is_identity = 'YES'"_s,
        {table});
    QStringList columns;
    while (identities.next())
        columns.append(identities.value(0).toString());
    for (const QString &column : columns) {
        to.exec(u"select setval(pg_get_serial_sequence(?, ?), coalesce((select max("_s + quoted(column)
                    + u") from "_s + table + u"), 0) + 1, false)"_s,
                {table, column});
    }
}

} // namespace

QList<Copied> copy(Database &from, Database &to)
{
    if (!to.dialect().isPostgres())
        throw DbError(u"只能迁移到 PostgreSQL 服务器上的数据库。"_s);
    Schema::upgrade(from);
    QList<Copied> copied;
    Transaction transaction(to);
    Schema::create(to);
    for (const QString &table : Schema::tableNames()) {
        const qint64 rows = copyTable(from, to, table);
        moveSequencesOn(to, table);
        const qint64 source = from.scalar(u"select count(*) from "_s + table).toLongLong();
        const qint64 target = to.scalar(u"select count(*) from "_s + table).toLongLong();
        if (rows != source || target != source) {
            throw DbError(table + u" 的行数不一致：本机 "_s + QString::number(source)
                          + u" 行，服务器 "_s + QString::number(target) + u" 行。"_s);
        }
        copied.append({table, rows});
    }
    transaction.commit();
    return copied;
}

} // namespace Migration
