#include "Migration.h"

#include "common/Money.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/SettledTotals.h"
#include "db/Transaction.h"

#include <QHash>
#include <QSqlDriver>
#include <QSqlQuery>

#include <libpq-fe.h>

using namespace Qt::StringLiterals;

namespace Migration {

namespace {

// Rows sent in one COPY, each block in a savepoint of its own.
constexpr int RowsPerBlock = 10000;

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
// and the server's type.
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

// The server's own libpq connection under Qt's: Qt SQL has no COPY, the
// quickest way by far to load a table (a million lines in seconds rather
// than minutes).
PGconn *libpqOf(Database &to)
{
    const QVariant handle = to.handle().driver()->handle();
    // Qt 6 names the type as the compiler does, after the struct.
    if (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0)
        throw DbError(u"服务器连接不支持批量复制。"_s);
    return *static_cast<PGconn *const *>(handle.constData());
}

// The server's words for a failed step, first line only, as Database
// gives them.
QString serverText(PGconn *connection, const PGresult *result)
{
    const char *message = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    const QString text = QString::fromUtf8(message ? message : PQerrorMessage(connection)).trimmed();
    return text.section(u'\n', 0, 0);
}

// Loads rows in COPY's text form into the table's columns; throws DbError
// with the server's text. The connection is left ready for the next
// statement either way.
void copyIn(PGconn *connection, const QByteArray &statement, const QByteArray &rows)
{
    PGresult *result = PQexec(connection, statement.constData());
    if (PQresultStatus(result) != PGRES_COPY_IN) {
        const QString text = serverText(connection, result);
        PQclear(result);
        throw DbError(text);
    }
    PQclear(result);
    QString failure;
    if (PQputCopyData(connection, rows.constData(), int(rows.size())) != 1)
        failure = serverText(connection, nullptr);
    if (PQputCopyEnd(connection, failure.isEmpty() ? nullptr : "failed") != 1 && failure.isEmpty())
        failure = serverText(connection, nullptr);
    while ((result = PQgetResult(connection))) {
        if (PQresultStatus(result) != PGRES_COMMAND_OK && failure.isEmpty())
            failure = serverText(connection, result);
        PQclear(result);
    }
    if (!failure.isEmpty())
        throw DbError(failure);
}

// A block of rows in COPY's text form. SQLite hands numbers over as
// doubles; the server gets their exact text, rounded to the four decimals
// amounts have. Its yes/no flags are 0 and 1, which the server's boolean
// columns take only as booleans. Text with a control character other than
// tab and line breaks is refused, as everywhere in the program.
class Block
{
public:
    explicit Block(const QList<Column> &columns)
    {
        for (const Column &column : columns)
            m_booleans.append(column.type == u"bool");
    }

    int rows() const { return m_rows; }

    // Adds the current row of `query`, whose columns from `first` on are
    // the copied ones. False, adding nothing, when a value holds a control
    // character.
    bool add(const QSqlQuery &query, int first)
    {
        const qsizetype start = m_text.size();
        for (qsizetype i = 0; i < m_booleans.size(); ++i) {
            if (i > 0)
                m_text += u'\t';
            if (!append(query.value(int(first + i)), m_booleans.at(i))) {
                m_text.truncate(start);
                return false;
            }
        }
        m_text += u'\n';
        ++m_rows;
        return true;
    }

    QByteArray data() const { return m_text.toUtf8(); }

    void clear()
    {
        m_text.clear();
        m_rows = 0;
    }

private:
    bool append(const QVariant &value, bool boolean)
    {
        if (value.isNull()) {
            m_text += u"\\N"_s;
            return true;
        }
        if (boolean) {
            m_text += value.toBool() ? u't' : u'f';
            return true;
        }
        QString text;
        if (value.typeId() == QMetaType::Double) {
            if (const auto amount = Money::tryFromVariant(value))
                text = amount->toString();
        }
        if (text.isNull())
            text = value.toString();
        for (const QChar c : std::as_const(text)) {
            switch (c.unicode()) {
            case u'\\':
                m_text += u"\\\\"_s;
                break;
            case u'\t':
                m_text += u"\\t"_s;
                break;
            case u'\n':
                m_text += u"\\n"_s;
                break;
            case u'\r':
                m_text += u"\\r"_s;
                break;
            default:
                if (c.unicode() < 0x20)
                    return false;
                m_text += c;
            }
        }
        return true;
    }

    QString m_text;
    QList<bool> m_booleans;
    int m_rows = 0;
};

// Copies one table block by block, each block in a savepoint of its own:
// a block the server refuses is taken back and its rows are sent one by
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
        for (const Column &column : std::as_const(m_columns))
            targets.append(quoted(column.target));
        m_copy = (u"copy "_s + m_table + u" ("_s + targets.join(u", "_s) + u") from stdin"_s).toUtf8();
        m_connection = libpqOf(m_to);

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
            if (!block.add(rows, 1))
                refuse(rows, u"输入内容中含有不可用的控制字符"_s);
            if (block.rows() == RowsPerBlock)
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
            copyIn(m_connection, m_copy, block.data());
        } catch (const DbError &error) {
            attempt.rollbackAndContinue();
            refuseOneOf(firstRow, lastRow, error);
        }
        attempt.commit();
    }

    // Names the row `rows` stands on by the table's first column, its key,
    // or by its place when that is empty.
    [[noreturn]] void refuse(const QSqlQuery &rows, const QString &why)
    {
        const QVariant key = rows.value(1);
        const QString which = key.isNull()
            ? u"本机第 %1 行"_s.arg(rows.value(0).toLongLong())
            : u' ' + m_columns.first().source + u" 为 "_s + key.toString() + u" 的一行"_s;
        throw DbError(u"表 "_s + m_table + u" 中"_s + which
                      + u"不能复制到服务器，迁移没有进行，服务器上的数据库仍是空的。"
                        "请在本机数据库中改正这一行后再迁移。（"_s
                      + why + u"）"_s);
    }

    // Sends the rows of a refused block one by one and names the first
    // the server refuses.
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
                copyIn(m_connection, m_copy, one.data());
            } catch (const DbError &error) {
                refuse(rows, error.text());
            }
            // Kept, so that a later row repeating its key is the one named.
            attempt.commit();
        }
        throw DbError(u"表 "_s + m_table
                      + u" 不能复制到服务器，迁移没有进行，服务器上的数据库仍是空的。（"_s
                      + refused.text() + u"）"_s);
    }

    Database &m_from;
    Database &m_to;
    QString m_table;
    QList<Column> m_columns;
    QByteArray m_copy;
    PGconn *m_connection = nullptr;
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
    // The daily totals were counted by the server's triggers as the lines
    // came in; they must add up to the lines.
    if (const QStringList differences = SettledTotals::verify(to); !differences.isEmpty()) {
        throw DbError(u"迁移后服务器上的每日汇总（项目日汇总、提成日汇总）与营业明细 jzmx 不符，"
                      "迁移没有完成：\n"_s
                      + differences.mid(0, 10).join(u'\n'));
    }
    // The indexes dropped for the load are back, and nothing else differs
    // from the shop this version builds.
    if (const QString reason = Schema::check(to); !reason.isEmpty())
        throw DbError(u"迁移后服务器上的数据库与本程序的数据库结构不符："_s + reason);
    transaction.commit();
    return copied;
}

} // namespace Migration
