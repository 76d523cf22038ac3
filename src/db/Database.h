#pragma once

#include "Changes.h"
#include "ConnectionSettings.h"
#include "DbError.h"
#include "Dialect.h"

#include <QObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

// The program's connection to its database. Every statement goes through
// here with its values bound, never pasted into the text; a refused
// statement throws DbError with a Chinese sentence of what happened and
// what to do (FailureText) and the database's own message as its detail,
// cut down to its first line with bound values masked: PostgreSQL's further lines
// repeat the statement, and Qt's PostgreSQL driver writes the bound values
// into that statement, so a typed password would end up on screen.
//
// Values: Money binds as its exact text, QDateTime as "yyyy-MM-dd hh:mm:ss",
// everything else as it is; a null QVariant is NULL. Text holding a control
// character other than tab and line breaks (NUL above all) is refused with
// DbError before anything is sent: PostgreSQL cannot store it, and SQLite
// would keep a value no window can show.
//
// A lost connection (the server restarted, the network dropped) is opened
// again once and the failed statement is reported, not repeated: it may
// have been a write that the server already ran.
class Database
{
public:
    // Opens the connection or throws DbError with the driver's text.
    static std::unique_ptr<Database> open(const ConnectionSettings &settings);
    ~Database();

    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    const ConnectionSettings &settings() const { return m_settings; }
    const Dialect &dialect() const { return m_dialect; }
    Backend backend() const { return m_settings.backend; }

    // Runs a statement and returns the positioned-before-first query.
    QSqlQuery exec(const QString &sql, const QVariantList &values = {});
    // Runs a statement that writes; returns the number of rows it changed.
    int execute(const QString &sql, const QVariantList &values = {});
    // First column of the first row, or a null QVariant when there is no row.
    QVariant scalar(const QString &sql, const QVariantList &values = {});
    // The first row, or an empty record when there is none.
    QSqlRecord firstRow(const QString &sql, const QVariantList &values = {});
    // The first column of every row, as text.
    QStringList strings(const QString &sql, const QVariantList &values = {});
    // Whether the statement returns at least one row.
    bool exists(const QString &sql, const QVariantList &values = {});
    // A statement prepared once and run many times with other values, for
    // bulk loads: run() binds and runs it with exec()'s conversions, checks
    // and failures. Read out what it returns before the next run.
    QSqlQuery prepare(const QString &sql);
    void run(QSqlQuery &query, const QVariantList &values);

    bool hasTable(const QString &table);
    // The table's columns as the database names them, in order.
    QStringList columns(const QString &table);
    bool hasColumn(const QString &table, const QString &column);

    // What a transaction is for, said when it begins. A write transaction
    // takes the database's write lock at once on SQLite (BEGIN IMMEDIATE),
    // so a second workstation waits its turn under the busy time-out
    // instead of being refused when its first write follows a read. A read
    // transaction sees one snapshot and may not write.
    enum class Access { Write, Read };

    // Transactions nest: the outermost begin() starts one, each inner one
    // sets a savepoint. An inner level that is rolled back (or a statement
    // that fails inside a transaction) takes its own work back and leaves
    // the whole transaction rollback-only: the outermost commit() then
    // rolls everything back and throws, so an inner failure that outer code
    // caught is never committed half done. Only rollbackSavepoint() lets a
    // transaction go on past a failure. Use Transaction, not these.
    // An inner level inherits the outer one's access; a write level inside
    // a read transaction throws DbError.
    void begin(Access access = Access::Write);
    // Ends the innermost level. Throws DbError when none is open, and when
    // the outermost commit finds the transaction rollback-only or fails.
    void commit();
    // Takes back the innermost level; harmless when none is open and never
    // throws, so destructors can call it.
    void rollback();
    // Takes back the innermost level, a savepoint, and lets the transaction
    // go on as though that level had never begun: what failed inside it no
    // longer keeps the outermost commit() from committing the rest, while a
    // failure from before it still does. For an operation that keeps the
    // rows the database accepts and reports those it refuses. Throws
    // DbError when the innermost level is no savepoint, and when the
    // savepoint cannot be restored (then nothing will be committed).
    void rollbackSavepoint();
    bool inTransaction() const { return m_transactionDepth > 0; }
    // Closes the connection before its file is replaced; SQLite writes back
    // and removes its write-ahead log. The next statement opens it again.
    void close();
    int transactionDepth() const { return m_transactionDepth; }
    bool inWriteTransaction() const
    {
        return m_transactionDepth > 0 && m_access == Access::Write;
    }

    // The lock order (see RowLocks): the highest rank the running
    // transaction has locked, 0 before its first lock. Only RowLocks calls
    // these.
    int lockRank() const { return m_lockRank; }
    void setLockRank(int rank) { m_lockRank = rank; }

    // Records what the running transaction changed; it is handed to the
    // listener once the outermost commit has gone through, and dropped when
    // the transaction is rolled back. Outside a transaction the statement
    // has already committed, so it is handed on at once. A savepoint taken
    // back keeps what it announced: announcing too much only costs a reload.
    // On PostgreSQL the other workstations hear it too: the outermost
    // commit sends one NOTIFY on changeChannel() with everything the
    // transaction announced, which the server delivers only if the commit
    // goes through.
    void announce(Changes changes);
    // Who hears of committed changes (the change feed); one at a time.
    void setCommittedListener(std::function<void(Changes)> listener)
    {
        m_committedListener = std::move(listener);
    }
    // Who hears what other workstations committed, on PostgreSQL: the
    // connection LISTENs on changeChannel(), now and each time it is opened
    // again (a lost connection, close()). Throws DbError when the server
    // refuses to listen. Nothing is heard on SQLite, whose file tells of
    // other connections' commits by PRAGMA data_version (see ChangeFeed).
    // An empty listener stops listening. False when the server refused to
    // listen; the feed's safety net then still brings their changes.
    bool setOthersListener(std::function<void(Changes)> listener);
    // The PostgreSQL channel of this shop's announcements; empty on SQLite.
    // NOTIFY reaches the sessions of one database only, so the schema is
    // what keeps two shops on one database from hearing each other.
    QString changeChannel() const;
    // Closed on purpose by close() and not yet opened again.
    bool isClosed() const { return m_closed; }

    // Which database this is, for messages: "数据库文件 …" or "服务器 … 上的数据库 …".
    QString displayName() const;

    QSqlDatabase handle() const;

private:
    Database(ConnectionSettings settings, QString connectionName);
    QSqlQuery newQuery() const;
    // The values as the database takes them; throws DbError on a control
    // character.
    static QVariantList boundValues(const QVariantList &values);
    // Opens the connection and sets up the session; throws DbError.
    void connect();
    void reopenIfClosed();
    // Runs a statement of the connection layer itself (savepoints); false
    // and the error when it fails.
    bool runControl(const QString &sql, QSqlError *error);
    // Whether a failure came from a connection that is gone.
    bool connectionLost(const QSqlError &error);
    // Reports a failed statement: a lost connection is opened again and
    // reported with `lostText`; anything else carries the database's text.
    [[noreturn]] void fail(const QSqlError &error, const QVariantList &bound,
                           const QString &lostText = {});

    ConnectionSettings m_settings;
    Dialect m_dialect;
    QString m_connectionName;
    // Marks the transaction rollback-only from `level` outwards.
    void spoil(int level);

    int m_transactionDepth = 0;
    Access m_access = Access::Write;
    int m_lockRank = 0;
    // The outermost level whose work a failure spoiled; 0 when none, and
    // anything but 0 makes the outermost commit roll back.
    int m_spoiledLevel = 0;
    bool m_connecting = false;
    // Closed on purpose by close(): the next statement opens it again quietly.
    bool m_closed = false;
    Changes m_pendingChanges;
    std::function<void(Changes)> m_committedListener;
    std::function<void(Changes)> m_othersListener;
    QMetaObject::Connection m_notified;
    void handOnChanges(Changes changes);
    // Sends NOTIFY with the changes; false and the error when it failed.
    bool notifyOthers(Changes changes, QSqlError *error);
    // LISTENs on changeChannel() when someone hears others; false when
    // the server refused.
    bool listenToOthers();
    void othersNotified(const QString &channel, bool fromOthers, const QVariant &payload);
};
