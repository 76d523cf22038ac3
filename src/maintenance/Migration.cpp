#include "Migration.h"

#include "common/Money.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/Transaction.h"

#include <QHash>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace Migration {

namespace {

// Rows sent in one statement: one array a column, so the statement is
// prepared once a table and the server reads each block in one go.
constexpr int RowsPerStatement = 10000;

// Numbers of an identity column that another table carries as well: a
// settled line keeps in jzmx the number it had in xfmx, and may be taken
// back there.
struct SharedNumbers
{
    const char16_t *table;
    const char16_t *column;
    const char16_t *carrier;
    const char16_t *carrierColumn;
};

const SharedNumbers Shared[] = {{u"xfmx", u"id", u"jzmx", u"id"}};

// A column copied: its name in the embedded database and on the server,
// and the server's type, which its array is cast to.
struct Column
{
    QString source;
    QString target;
    QString type;
};

QString quoted(const QString &name)
{
    return u'"' + name + u'"';
}

// The columns both databases have, matched by name whatever the case: the
// server folds unquoted names.
QList<Column> columnsToCopy(Database &from, Database &to, const QString &table)
{
    QHash<QString, Column> target;
    QSqlQuery query = to.exec(u"select column_name, udt_name from information_schema.columns "
                              "where table_schema = current_schema() and table_name = ?"_s,
                              {table});
    while (query.next()) {
        const QString name = query.value(0).toString();
        target.insert(name.toLower(), {QString(), name, query.value(1).toString()});
    }
    QList<Column> columns;
    for (const QString &name : from.columns(table)) {
        const auto found = target.constFind(name.toLower());
        if (found == target.cend())
            continue;
        Column column = *found;
        column.source = name;
        columns.append(column);
    }
    return columns;
}

// A block of rows as one PostgreSQL array literal a column. SQLite hands
// numbers over as doubles; the server gets their exact text, rounded to the
// four decimals amounts have. Its yes/no flags are 0 and 1, which the
// server's boolean columns take only as booleans.
class Block
{
public:
    explicit Block(const QList<Column> &columns) : m_arrays(columns.size())
    {
        for (const Column &column : columns)
            m_booleans.append(column.type == u"bool");
    }

    int rows() const { return m_rows; }

    // Adds the current row of `query`, whose columns from `first` on are
    // the copied ones.
    void add(const QSqlQuery &query, int first)
    {
        for (qsizetype i = 0; i < m_arrays.size(); ++i) {
            QString &array = m_arrays[i];
            array += m_rows == 0 ? u'{' : u',';
            append(array, query.value(int(first + i)), m_booleans.at(i));
        }
        ++m_rows;
    }

    QVariantList values() const
    {
        QVariantList values;
        for (const QString &array : m_arrays)
            values.append(QString(array + u'}'));
        return values;
    }

    void clear()
    {
        for (QString &array : m_arrays)
            array.clear();
        m_rows = 0;
    }

private:
    static void append(QString &array, const QVariant &value, bool boolean)
    {
        if (value.isNull()) {
            array += u"NULL"_s;
            return;
        }
        if (boolean) {
            array += value.toBool() ? u"t"_s : u"f"_s;
            return;
        }
        QString text;
        if (value.typeId() == QMetaType::Double) {
            if (const auto amount = Money::tryFromVariant(value))
                text = amount->toString();
        }
        if (text.isNull())
            text = value.toString();
        array += u'"';
        for (const QChar c : std::as_const(text)) {
            if (c == u'"' || c == u'\\')
                array += u'\\';
            array += c;
        }
        array += u'"';
    }

    QList<QString> m_arrays;
    QList<bool> m_booleans;
    int m_rows = 0;
};

// Copies one table block by block, each block in a savepoint of its own:
// a block the server refuses is taken back and its rows are tried one by
// one, so that the refused row can be named.
class TableCopy
{
public:
    TableCopy(Database &from, Database &to, const QString &table)
        : m_from(from), m_to(to), m_table(table), m_columns(columnsToCopy(from, to, table))
    {
    }

    qint64 run(qint64 total, const Progress &progress)
    {
        if (m_columns.isEmpty())
            return 0;
        QStringList targets;
        QStringList arrays;
        for (const Column &column : std::as_const(m_columns)) {
            targets.append(quoted(column.target));
            arrays.append(u"cast(? as "_s + column.type + u"[])"_s);
        }
        m_insert = m_to.prepare(u"insert into "_s + m_table + u" ("_s + targets.join(u", "_s)
                                + u") select * from unnest("_s + arrays.join(u", "_s) + u')');

        QSqlQuery rows = m_from.exec(u"select rowid, "_s + sourceColumns() + u" from "_s + m_table
                                     + u" order by rowid"_s);
        if (progress)
            progress(m_table, 0, total);
        Block block(m_columns);
        qint64 copied = 0;
        qint64 firstRow = 0;
        qint64 lastRow = 0;
        const auto send = [&] {
            if (block.rows() == 0)
                return;
            insert(block, firstRow, lastRow);
            copied += block.rows();
            block.clear();
            if (progress && copied < total)
                progress(m_table, copied, total);
        };
        while (rows.next()) {
            lastRow = rows.value(0).toLongLong();
            if (block.rows() == 0)
                firstRow = lastRow;
            block.add(rows, 1);
            if (block.rows() == RowsPerStatement)
                send();
        }
        send();
        return copied;
    }

private:
    QString sourceColumns() const
    {
        QStringList names;
        for (const Column &column : m_columns)
            names.append(quoted(column.source));
        return names.join(u", "_s);
    }

    void insert(const Block &block, qint64 firstRow, qint64 lastRow)
    {
        Transaction attempt(m_to);
        try {
            m_to.run(m_insert, block.values());
        } catch (const DbError &error) {
            attempt.rollbackAndContinue();
            refuseOneOf(firstRow, lastRow, error);
        }
        attempt.commit();
    }

    // Sends the rows of a refused block one by one and names the first
    // the server refuses by the table's first column, its key.
    [[noreturn]] void refuseOneOf(qint64 firstRow, qint64 lastRow, const DbError &refused)
    {
        QSqlQuery rows = m_from.exec(u"select rowid, "_s + sourceColumns() + u" from "_s + m_table
                                     + u" where rowid between ? and ? order by rowid"_s,
                                     {firstRow, lastRow});
        Block one(m_columns);
        while (rows.next()) {
            one.clear();
            one.add(rows, 1);
            Transaction attempt(m_to);
            try {
                m_to.run(m_insert, one.values());
            } catch (const DbError &error) {
                const QVariant key = rows.value(1);
                const QString which = key.isNull()
                    ? u"本机第 %1 行"_s.arg(rows.value(0).toLongLong())
                    : m_columns.first().source + u" 为 "_s + key.toString() + u" 的一行"_s;
                throw DbError(u"表 "_s + m_table + u" 中"_s + which
                              + u"不能复制到服务器，迁移没有进行，服务器上的数据库仍是空的。"
                                "请在本机数据库中改正这一行后再迁移。（"_s
                              + error.text() + u"）"_s);
            }
            // Kept, so that a later row repeating its key is the one named.
            attempt.commit();
        }
        throw DbError(u"表 "_s + m_table + u" 不能复制到服务器，迁移没有进行，服务器上的数据库仍是空的。（"_s
                      + refused.text() + u"）"_s);
    }

    Database &m_from;
    Database &m_to;
    QString m_table;
    QList<Column> m_columns;
    QSqlQuery m_insert;
};

// Drops the table's indexes that only speed up reading and returns how to
// build them again: after the copy each is built in one sorted pass,
// instead of taking a million rows one by one. Unique indexes stay, so
// that a repeated key is refused on its own row and named.
QStringList dropReadingIndexes(Database &to, const QString &table)
{
    QStringList names;
    QStringList definitions;
    QSqlQuery query = to.exec(
        u"select i.indexrelid::regclass::text, pg_get_indexdef(i.indexrelid) from pg_index i "
        "join pg_class t on t.oid = i.indrelid join pg_namespace n on n.oid = t.relnamespace "
        "where n.nspname = current_schema() and t.relname = ? and not i.indisunique"_s,
        {table});
    while (query.next()) {
        names.append(query.value(0).toString());
        definitions.append(query.value(1).toString());
    }
    for (const QString &name : std::as_const(names))
        to.exec(u"drop index "_s + name);
    return definitions;
}

// Moves every identity sequence of the server past every number the shop
// has used for it: the largest in the column, in the columns that carry
// its numbers too, and SQLite's own counter, which remembers numbers of
// rows deleted since (AUTOINCREMENT never hands them out again).
void moveSequences(Database &from, Database &to)
{
    QList<std::pair<QString, QString>> identities;
    QSqlQuery query = to.exec(u"select table_name, column_name from information_schema.columns "
                              "where table_schema = current_schema() and is_identity = 'YES'"_s);
    while (query.next())
        identities.append({query.value(0).toString(), query.value(1).toString()});
    const bool counted = from.hasTable(u"sqlite_sequence"_s);
    for (const auto &[table, column] : std::as_const(identities)) {
        QStringList tops{u"(select max("_s + quoted(column) + u") from "_s + table + u')'};
        for (const SharedNumbers &shared : Shared) {
            if (table == QStringView(shared.table) && column == QStringView(shared.column)) {
                tops.append(u"(select max("_s + QString::fromUtf16(shared.carrierColumn)
                            + u") from "_s + QString::fromUtf16(shared.carrier) + u')');
            }
        }
        const qint64 used = counted ? from.scalar(u"select seq from sqlite_sequence where name = ?"_s,
                                                  {table})
                                          .toLongLong()
                                    : 0;
        to.exec(u"select setval(pg_get_serial_sequence(?, ?), greatest("_s + tops.join(u", "_s)
                    + u", cast(? as bigint), 0) + 1, false)"_s,
                {table, column, used});
    }
}

} // namespace

QList<Copied> copy(Database &from, Database &to, const Progress &progress)
{
    if (!to.dialect().isPostgres())
        throw DbError(u"只能迁移到 PostgreSQL 服务器上的数据库。"_s);
    Schema::upgrade(from);
    QList<Copied> copied;
    Transaction transaction(to);
    Schema::create(to);
    for (const QString &table : Schema::tableNames()) {
        const qint64 source = from.scalar(u"select count(*) from "_s + table).toLongLong();
        const QStringList indexes = dropReadingIndexes(to, table);
        const qint64 rows = TableCopy(from, to, table).run(source, progress);
        for (const QString &index : indexes)
            to.exec(index);
        if (progress)
            progress(table, rows, source);
        const qint64 target = to.scalar(u"select count(*) from "_s + table).toLongLong();
        if (rows != source || target != source) {
            throw DbError(table + u" 的行数不一致：本机 "_s + QString::number(source)
                          + u" 行，服务器 "_s + QString::number(target) + u" 行。"_s);
        }
        copied.append({table, rows});
    }
    moveSequences(from, to);
    transaction.commit();
    return copied;
}

} // namespace Migration
