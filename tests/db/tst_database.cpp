#include "support/TestDb.h"

#include "common/Money.h"
#include "db/Transaction.h"

#include <QDateTime>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

// The connection layer: bound values, errors, transactions.
class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void keepsAwkwardTextAsTyped_data();
    void keepsAwkwardTextAsTyped();
    void likePatternTreatsBoundValueAsData();
    void refusedStatementCarriesDatabaseText();
    void preparedStatementRunsLikeExec();
    void transactionRollsBackWhenLeftByException();
    void transactionCommits();
    void announcesOnlyWhatWasCommitted();
    void innerFailureUndoesWholeTransaction_data();
    void innerFailureUndoesWholeTransaction();
    void savepointRolledBackToGoOn_data();
    void savepointRolledBackToGoOn();
    void goingOnNeedsAnInnerLevel();
    void failedBeginLeavesNoTransaction();
    void commitNeedsOpenTransaction();
    void refusesControlCharacters_data();
    void refusesControlCharacters();
    void errorTextHidesStatementAndValues_data();
    void errorTextHidesStatementAndValues();
    void lostConnectionIsReopened_data();
    void lostConnectionIsReopened();
    void lostConnectionEndsTransaction();
    void moneyRoundTripsExactly_data();
    void moneyRoundTripsExactly();
    void dateTimesCompareAsDates();
    void reportsTablesAndColumns();
    void openingMissingServerFails();
    void refusalIsExplained_data();
    void refusalIsExplained();
    void openingFailureIsExplained_data();
    void openingFailureIsExplained();
};

void TestDatabase::keepsAwkwardTextAsTyped_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("double quote") << u"a\"b"_s;
    QTest::newRow("single quote") << u"O'Brien"_s;
    QTest::newRow("statement end") << u"x'; delete from 管理员; --"_s;
    QTest::newRow("percent and underscore") << u"50%_off"_s;
    QTest::newRow("backslash") << u"C:\\temp\\"_s;
    QTest::newRow("Chinese") << u"超级管理员"_s;
}

void TestDatabase::keepsAwkwardTextAsTyped()
{
    QFETCH(QString, text);
    auto db = TestDb::fresh();
    db->execute(u"insert into 管理员 (用户名, 密码) values (?, ?)"_s, {u"keep"_s, u"1"_s});
    db->execute(u"insert into 管理员 (用户名, 密码) values (?, ?)"_s, {text, text});
    QCOMPARE(db->scalar(u"select 密码 from 管理员 where 用户名=?"_s, {text}).toString(), text);
    QCOMPARE(db->scalar(u"select count(*) from 管理员"_s).toInt(), 2);
}

void TestDatabase::likePatternTreatsBoundValueAsData()
{
    auto db = TestDb::fresh();
    for (const QString &name : {u"洗发水"_s, u"洗'发"_s, u"护发素"_s})
        db->execute(u"insert into 商品库 (商品名) values (?)"_s, {name});
    QCOMPARE(db->scalar(u"select count(*) from 商品库 where 商品名 like ?"_s, {u"%发%"_s}).toInt(), 3);
    QCOMPARE(db->scalar(u"select count(*) from 商品库 where 商品名 like ?"_s, {u"%'%"_s}).toInt(), 1);
}

void TestDatabase::refusedStatementCarriesDatabaseText()
{
    auto db = TestDb::fresh();
    try {
        db->exec(u"select no_such_column from 管理员"_s);
        QFAIL("the statement should have been refused");
    } catch (const DbError &error) {
        QVERIFY2(error.text().contains(u"no_such_column"_s), qPrintable(error.text()));
    }
    db->execute(u"insert into 管理员 (用户名) values (?)"_s, {u"甲"_s});
    QVERIFY_THROWS_EXCEPTION(DbError, db->execute(u"insert into 管理员 (用户名) values (?)"_s, {u"甲"_s}));
}

void TestDatabase::transactionRollsBackWhenLeftByException()
{
    auto db = TestDb::fresh();
    try {
        Transaction transaction(*db);
        db->execute(u"insert into 包厢 (包厢) values (?)"_s, {u"一楼"_s});
        db->execute(u"insert into 号牌管理 (号牌, 所属包厢) values (?, ?)"_s, {u"A1"_s, u"一楼"_s});
        db->execute(u"insert into 号牌管理 (号牌, 所属包厢) values (?, ?)"_s, {u"A1"_s, u"一楼"_s});
        transaction.commit();
        QFAIL("the duplicate plate should have been refused");
    } catch (const DbError &) {
    }
    QCOMPARE(db->scalar(u"select count(*) from 包厢"_s).toInt(), 0);
    QCOMPARE(db->scalar(u"select count(*) from 号牌管理"_s).toInt(), 0);
    QVERIFY(!db->inTransaction());
    // The connection is usable afterwards.
    db->execute(u"insert into 包厢 (包厢) values (?)"_s, {u"一楼"_s});
    QCOMPARE(db->scalar(u"select count(*) from 包厢"_s).toInt(), 1);
}

void TestDatabase::transactionCommits()
{
    auto db = TestDb::fresh();
    {
        Transaction outer(*db);
        db->execute(u"insert into 包厢 (包厢) values (?)"_s, {u"一楼"_s});
        {
            Transaction inner(*db);
            db->execute(u"insert into 包厢 (包厢) values (?)"_s, {u"二楼"_s});
            inner.commit();
        }
        outer.commit();
    }
    QCOMPARE(db->scalar(u"select count(*) from 包厢"_s).toInt(), 2);
}

namespace {

const QString AllUndone = u"操作未完成，已全部撤销。"_s;
const QString Reconnected = u"与数据库的连接已断开，已重新连接，请重新操作。"_s;

int rooms(Database &db)
{
    return db.scalar(u"select count(*) from 包厢"_s).toInt();
}

void addRoom(Database &db, const QString &name)
{
    db.execute(u"insert into 包厢 (包厢) values (?)"_s, {name});
}

// Ends the connection from the server's side, as a restart or a dropped
// network line would.
void endFromServer(Database &db)
{
    const QVariant pid = db.scalar(u"select pg_backend_pid()"_s);
    auto other = Database::open(ConnectionSettings::fromPostgresKeywords(
        qEnvironmentVariable("SALONDESK_TEST_PG")));
    QVERIFY(other->scalar(u"select pg_terminate_backend(?)"_s, {pid}).toBool());
}

} // namespace

// A statement prepared once takes new values each run, with exec()'s
// conversions, refusals and rollback-only transaction on a failure.
void TestDatabase::preparedStatementRunsLikeExec()
{
    auto db = TestDb::fresh();
    addRoom(*db, u"大厅"_s);
    QSqlQuery insert = db->prepare(u"insert into 包厢 (包厢, 门票价格) values (?, ?)"_s);
    db->run(insert, {u"一楼"_s, QVariant::fromValue(*Money::parse(u"12.5"_s))});
    db->run(insert, {u"二楼"_s, QVariant::fromValue(*Money::parse(u"0.1"_s))});
    QCOMPARE(rooms(*db), 3);
    QCOMPARE(db->scalar(u"select 门票价格 from 包厢 where 包厢='二楼'"_s).toString().left(3), u"0.1"_s);
    QVERIFY_THROWS_EXCEPTION(DbError, db->run(insert, {u"三\x01楼"_s, 0}));

    {
        Transaction transaction(*db);
        db->run(insert, {u"三楼"_s, 0});
        QVERIFY_THROWS_EXCEPTION(DbError, db->run(insert, {u"大厅"_s, 0}));
        QVERIFY_THROWS_EXCEPTION(DbError, transaction.commit());
    }
    QCOMPARE(rooms(*db), 3);
    // The statement outlives the failure.
    db->run(insert, {u"三楼"_s, 0});
    QCOMPARE(rooms(*db), 4);
}

void TestDatabase::announcesOnlyWhatWasCommitted()
{
    auto db = TestDb::fresh();
    QList<Changes> heard;
    db->setCommittedListener([&heard](Changes changes) { heard.append(changes); });

    {
        Transaction outer(*db);
        db->announce(Change::Plates);
        {
            Transaction inner(*db);
            db->announce(Change::Lines);
            inner.commit();
        }
        QVERIFY2(heard.isEmpty(), "nothing is heard before the commit");
        outer.commit();
    }
    QCOMPARE(heard, QList<Changes>{Change::Plates | Change::Lines});

    heard.clear();
    {
        Transaction abandoned(*db);
        db->announce(Change::Bills);
    }
    {
        Transaction failed(*db);
        db->announce(Change::Members);
        try {
            db->execute(u"insert into no_such_table values (1)"_s);
        } catch (const DbError &) {
        }
        QVERIFY_THROWS_EXCEPTION(DbError, failed.commit());
    }
    QVERIFY2(heard.isEmpty(), "a rolled-back transaction announces nothing");

    // A statement outside a transaction has committed when it returns.
    db->announce(Change::Goods);
    QCOMPARE(heard, QList<Changes>{Change::Goods});
}

void TestDatabase::innerFailureUndoesWholeTransaction_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("inner scope left without commit") << u"return"_s;
    QTest::newRow("inner statement refused, caught outside") << u"exception"_s;
    QTest::newRow("statement refused in the outer scope, caught") << u"outer"_s;
}

void TestDatabase::innerFailureUndoesWholeTransaction()
{
    QFETCH(QString, how);
    auto db = TestDb::fresh();
    addRoom(*db, u"大厅"_s);
    {
        Transaction outer(*db);
        addRoom(*db, u"一楼"_s);
        if (how == u"outer") {
            QVERIFY_THROWS_EXCEPTION(DbError, addRoom(*db, u"大厅"_s));
        } else {
            try {
                Transaction inner(*db);
                addRoom(*db, u"二楼"_s);
                if (how == u"exception")
                    addRoom(*db, u"大厅"_s); // the name is taken
            } catch (const DbError &) {
                // Caught further out, as a window's helper might.
            }
            // Back at the savepoint: the outer work is still there, the inner is not.
            QCOMPARE(rooms(*db), 2);
        }
        try {
            outer.commit();
            QFAIL("the outer commit should have been refused");
        } catch (const DbError &error) {
            QCOMPARE(error.text(), AllUndone);
        }
    }
    QVERIFY(!db->inTransaction());
    QCOMPARE(db->strings(u"select 包厢 from 包厢"_s), QStringList{u"大厅"_s});
    // The next operation starts clean.
    {
        Transaction next(*db);
        addRoom(*db, u"三楼"_s);
        next.commit();
    }
    QCOMPARE(rooms(*db), 2);
}

void TestDatabase::savepointRolledBackToGoOn_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("kept"); // empty: the commit is refused
    QTest::newRow("refused statement, back to its savepoint")
        << u"refused"_s << QStringList{u"一楼"_s, u"三楼"_s, u"大厅"_s};
    QTest::newRow("a deeper level failed inside it")
        << u"deeper"_s << QStringList{u"一楼"_s, u"三楼"_s, u"大厅"_s};
    QTest::newRow("an earlier failure still undoes everything") << u"earlier"_s << QStringList();
}

// A failed row taken back with rollbackAndContinue() lets the transaction
// keep the others; any other failure still keeps it from committing. On
// PostgreSQL the refused statement also aborts the transaction until the
// savepoint is restored.
void TestDatabase::savepointRolledBackToGoOn()
{
    QFETCH(QString, how);
    QFETCH(QStringList, kept);
    auto db = TestDb::fresh();
    addRoom(*db, u"大厅"_s);
    {
        Transaction outer(*db);
        addRoom(*db, u"一楼"_s);
        if (how == u"earlier") {
            Transaction inner(*db);
            addRoom(*db, u"地下"_s);
            // Left without commit: spoils the outer level.
        }
        {
            Transaction row(*db);
            addRoom(*db, u"二楼"_s);
            try {
                if (how == u"deeper") {
                    Transaction deeper(*db);
                    addRoom(*db, u"大厅"_s);
                } else {
                    addRoom(*db, u"大厅"_s); // the name is taken
                }
            } catch (const DbError &) {
            }
            row.rollbackAndContinue();
            QCOMPARE(db->transactionDepth(), 1);
        }
        addRoom(*db, u"三楼"_s); // the transaction goes on
        if (kept.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(DbError, outer.commit());
        } else {
            outer.commit();
        }
    }
    QVERIFY(!db->inTransaction());
    QStringList expected = kept.isEmpty() ? QStringList{u"大厅"_s} : kept;
    QStringList names = db->strings(u"select 包厢 from 包厢"_s);
    names.sort();
    expected.sort();
    QCOMPARE(names, expected);
}

void TestDatabase::goingOnNeedsAnInnerLevel()
{
    auto db = TestDb::fresh();
    {
        Transaction outer(*db);
        addRoom(*db, u"一楼"_s);
        // The outermost level has nothing around it to go on with.
        QVERIFY_THROWS_EXCEPTION(DbError, outer.rollbackAndContinue());
        {
            Transaction row(*db);
            row.commit();
            QVERIFY_THROWS_EXCEPTION(DbError, row.rollbackAndContinue());
        }
        outer.commit();
    }
    QCOMPARE(rooms(*db), 1);
}

void TestDatabase::failedBeginLeavesNoTransaction()
{
    auto db = TestDb::fresh();
    db->handle().close();
    QVERIFY_THROWS_EXCEPTION(DbError, Transaction{*db});
    QVERIFY(!db->inTransaction());
    QCOMPARE(db->transactionDepth(), 0);
    // A commit has nothing to find, and the next transaction is a real one.
    QVERIFY_THROWS_EXCEPTION(DbError, db->commit());
    {
        Transaction transaction(*db);
        addRoom(*db, u"一楼"_s);
        QCOMPARE(db->transactionDepth(), 1);
    }
    QCOMPARE(rooms(*db), 0);
    {
        Transaction transaction(*db);
        addRoom(*db, u"一楼"_s);
        transaction.commit();
    }
    QCOMPARE(rooms(*db), 1);
}

void TestDatabase::commitNeedsOpenTransaction()
{
    auto db = TestDb::fresh();
    QVERIFY_THROWS_EXCEPTION(DbError, db->commit());
    db->rollback(); // harmless: destructors call it
    {
        Transaction transaction(*db);
        addRoom(*db, u"一楼"_s);
        transaction.commit();
        QVERIFY_THROWS_EXCEPTION(DbError, transaction.commit());
    }
    QCOMPARE(rooms(*db), 1);
    QVERIFY(!db->inTransaction());
}

void TestDatabase::refusesControlCharacters_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("refused");
    QTest::newRow("NUL") << u"secret"_s + QChar(0) + u"more"_s << true;
    QTest::newRow("NUL at the start") << QString(QChar(0)) << true;
    QTest::newRow("escape") << u"a\x1b[0m"_s << true;
    QTest::newRow("bell") << u"\x07"_s << true;
    QTest::newRow("delete") << u"a\x7f"_s << true;
    QTest::newRow("first of C1") << QString(u"a"_s + QChar(0x80)) << true;
    QTest::newRow("last of C1") << QString(QChar(0x9F) + u"b"_s) << true;
    QTest::newRow("tab and line breaks") << u"a\tb\r\nc"_s << false;
    QTest::newRow("tilde and no-break space") << QString(u"~"_s + QChar(0xA0) + u"é中"_s) << false;
}

void TestDatabase::refusesControlCharacters()
{
    QFETCH(QString, password);
    QFETCH(bool, refused);
    auto db = TestDb::fresh();
    db->execute(u"insert into 管理员 (用户名, 密码) values (?, ?)"_s, {u"收银"_s, u"1"_s});
    const QString signIn = u"select 1 from 管理员 where 用户名=? and 密码=?"_s;
    if (!refused) {
        QVERIFY(!db->exists(signIn, {u"收银"_s, password}));
        db->execute(u"update 管理员 set 密码=? where 用户名=?"_s, {password, u"收银"_s});
        QVERIFY(db->exists(signIn, {u"收银"_s, password}));
        return;
    }
    try {
        db->exists(signIn, {u"收银"_s, password});
        QFAIL("the control character should have been refused");
    } catch (const DbError &error) {
        QCOMPARE(error.text(), u"输入内容中含有不可用的控制字符"_s);
    }
    QVERIFY_THROWS_EXCEPTION(
        DbError, db->execute(u"update 管理员 set 密码=? where 用户名=?"_s, {password, u"收银"_s}));
    QVERIFY(db->exists(signIn, {u"收银"_s, u"1"_s}));
}

void TestDatabase::errorTextHidesStatementAndValues_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QString>("shows");     // a part of the database's message
    QTest::addColumn<bool>("sqliteRefuses");
    QTest::newRow("unknown column")
        << u"select no_such_column from 管理员 where 密码=?"_s << QVariantList{u"pw-Secret"_s}
        << u"no_such_column"_s << true;
    QTest::newRow("taken name")
        << u"insert into 管理员 (用户名, 密码) values (?, ?)"_s << QVariantList{u"taken"_s, u"pw-Secret"_s}
        << QString() << true;
    // Qt's PostgreSQL driver writes bound values into the statement it
    // sends, and the server quotes them back.
    QTest::newRow("text in a number column")
        << u"update 包厢 set 门票价格=? where 包厢=?"_s << QVariantList{u"pw-Secret"_s, u"一楼"_s}
        << u"numeric"_s << false;
    QTest::newRow("more values than marks")
        << u"select 1 from 管理员 where 密码=?"_s << QVariantList{u"pw-Secret"_s, u"pw-Secret"_s}
        << QString() << true;
}

void TestDatabase::errorTextHidesStatementAndValues()
{
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    QFETCH(QString, shows);
    QFETCH(bool, sqliteRefuses);
    if (!sqliteRefuses && TestDb::backend() == Backend::Sqlite)
        QSKIP("SQLite keeps text in a number column");
    auto db = TestDb::fresh();
    db->execute(u"insert into 管理员 (用户名, 密码) values (?, ?)"_s, {u"taken"_s, u"1"_s});
    addRoom(*db, u"一楼"_s);
    try {
        db->exec(sql, values);
        QFAIL("the statement should have been refused");
    } catch (const DbError &error) {
        const QString text = error.text();
        QVERIFY(!text.trimmed().isEmpty());
        QVERIFY2(text.contains(shows), qPrintable(text));
        for (const QString &hidden : {u"Secret"_s, u"LINE"_s, u"EXECUTE"_s, u"DETAIL"_s, u"管理员 ("_s,
                                      u"where"_s, u"\n"_s})
            QVERIFY2(!text.contains(hidden), qPrintable(text));
    }
}

void TestDatabase::lostConnectionIsReopened_data()
{
    QTest::addColumn<bool>("byServer");
    QTest::newRow("closed on this side") << false;
    QTest::newRow("ended by the server") << true;
}

void TestDatabase::lostConnectionIsReopened()
{
    QFETCH(bool, byServer);
    if (byServer && TestDb::backend() == Backend::Sqlite)
        QSKIP("an embedded database has no server to lose");
    auto db = TestDb::fresh();
    addRoom(*db, u"一楼"_s);
    if (byServer)
        endFromServer(*db);
    else
        db->handle().close();
    try {
        rooms(*db);
        QFAIL("the lost connection should have been reported");
    } catch (const DbError &error) {
        QCOMPARE(error.text(), Reconnected);
    }
    // Opened again, in the same schema: the next statement works.
    QCOMPARE(rooms(*db), 1);
    addRoom(*db, u"二楼"_s);
    QCOMPARE(rooms(*db), 2);
}

void TestDatabase::lostConnectionEndsTransaction()
{
    if (TestDb::backend() == Backend::Sqlite)
        QSKIP("an embedded database has no server to lose");
    auto db = TestDb::fresh();
    {
        Transaction transaction(*db);
        addRoom(*db, u"一楼"_s);
        endFromServer(*db);
        try {
            addRoom(*db, u"二楼"_s);
            QFAIL("the lost connection should have been reported");
        } catch (const DbError &error) {
            QCOMPARE(error.text(), Reconnected);
        }
        QVERIFY(!db->inTransaction());
        // Code that caught the error and carried on cannot commit a half.
        QVERIFY_THROWS_EXCEPTION(DbError, transaction.commit());
    }
    QCOMPARE(rooms(*db), 0);
    {
        Transaction transaction(*db);
        addRoom(*db, u"三楼"_s);
        transaction.commit();
    }
    QCOMPARE(db->strings(u"select 包厢 from 包厢"_s), QStringList{u"三楼"_s});
}

void TestDatabase::moneyRoundTripsExactly_data()
{
    QTest::addColumn<QString>("amount");
    QTest::newRow("cents") << u"28.05"_s;
    QTest::newRow("ten-thousandth") << u"0.0001"_s;
    QTest::newRow("negative") << u"-45.5"_s;
    QTest::newRow("large") << u"12345678.9999"_s;
}

void TestDatabase::moneyRoundTripsExactly()
{
    QFETCH(QString, amount);
    auto db = TestDb::fresh();
    const Money money = Money::fromText(amount);
    db->execute(u"insert into 包厢 (包厢, 门票价格) values (?, ?)"_s,
                {u"一楼"_s, QVariant::fromValue(money)});
    QCOMPARE(Money::fromVariant(db->scalar(u"select 门票价格 from 包厢"_s)), money);
    const QVariant sum = db->scalar(u"select sum(门票价格) from 包厢 where 门票价格 = ?"_s,
                                    {QVariant::fromValue(money)});
    QCOMPARE(Money::fromVariant(sum), money);
}

void TestDatabase::dateTimesCompareAsDates()
{
    auto db = TestDb::fresh();
    const QDateTime base(QDate(2024, 3, 1), QTime(8, 0));
    for (int day = 0; day < 3; ++day) {
        db->execute(u"insert into 结帐管理 (单据号, 结帐时间) values (?, ?)"_s,
                    {QString::number(day), base.addDays(day)});
    }
    // A range of whole days: from the first day to the day after the last.
    const int count = db->scalar(u"select count(*) from 结帐管理 where 结帐时间 >= ? and 结帐时间 <= ?"_s,
                                 {QDate(2024, 3, 2), QDate(2024, 3, 3)})
                          .toInt();
    QCOMPARE(count, 1);
}

void TestDatabase::reportsTablesAndColumns()
{
    auto db = TestDb::fresh();
    QVERIFY(db->hasTable(u"号牌管理"_s));
    QVERIFY(!db->hasTable(u"没有这个表"_s));
    QVERIFY(db->hasColumn(u"管理员"_s, u"商品管理"_s));
    QVERIFY(!db->hasColumn(u"管理员"_s, u"没有这列"_s));
}

void TestDatabase::openingMissingServerFails()
{
    ConnectionSettings settings;
    settings.backend = Backend::Postgres;
    settings.host = u"127.0.0.1"_s;
    settings.port = 1; // nothing listens here
    settings.database = u"none"_s;
    QVERIFY_THROWS_EXCEPTION(DbError, Database::open(settings));
}

void TestDatabase::refusalIsExplained_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("sentence"); // how the operator's sentence starts
    QTest::addColumn<QString>("detail");   // a part of the database's own words
    QTest::newRow("taken name") << u"insert into 管理员 (用户名, 密码) values ('taken', '2')"_s
                                << u"要保存的内容与已有的记录重复"_s << u"unique"_s;
    QTest::newRow("missing column") << u"select no_such_column from 管理员"_s
                                    << u"数据库中缺少字段 no_such_column"_s << u"no_such_column"_s;
    QTest::newRow("missing table") << u"select * from no_such_table"_s
                                   << u"数据库中缺少表 no_such_table"_s << u"no_such_table"_s;
}

// What the database said reaches the operator as a Chinese sentence of
// what happened and what to do, its own words kept as the detail.
void TestDatabase::refusalIsExplained()
{
    QFETCH(QString, sql);
    QFETCH(QString, sentence);
    QFETCH(QString, detail);
    auto db = TestDb::fresh();
    db->execute(u"insert into 管理员 (用户名, 密码) values (?, ?)"_s, {u"taken"_s, u"1"_s});
    try {
        db->exec(sql);
        QFAIL("the statement should have been refused");
    } catch (const DbError &error) {
        QVERIFY2(error.sentence().startsWith(sentence), qPrintable(error.sentence()));
        QVERIFY2(error.detail().contains(detail, Qt::CaseInsensitive), qPrintable(error.detail()));
        QCOMPARE(error.text(), FailureText::withDetail(error.sentence(), error.detail()));
    }
}

void TestDatabase::openingFailureIsExplained_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("sentence");
    QTest::addColumn<QString>("detail");
    QTest::newRow("a file that is no database") << u"garbage"_s << u"这个文件不是数据库"_s
                                                << u"file is not a database"_s;
    QTest::newRow("no server listening") << u"no server"_s << u"连接不上数据库服务器"_s
                                         << u"refused"_s;
    QTest::newRow("wrong password") << u"wrong password"_s << u"数据库服务器拒绝登录"_s
                                    << u"password authentication failed"_s;
}

// Opening fails with the reason said in Chinese, and whatever the driver
// said, the password typed for the server is never part of it.
void TestDatabase::openingFailureIsExplained()
{
    QFETCH(QString, what);
    QFETCH(QString, sentence);
    QFETCH(QString, detail);
    const QString password = u"Wrong-Geheim42"_s;
    ConnectionSettings settings;
    QTemporaryDir dir;
    if (what == u"garbage") {
        if (TestDb::backend() != Backend::Sqlite)
            QSKIP("a file of the embedded database");
        settings.filePath = dir.filePath(u"data.db"_s);
        QFile file(settings.filePath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(8192, 'x'));
    } else {
        if (TestDb::backend() != Backend::Postgres)
            QSKIP("a server's refusal");
        settings = TestDb::freshSettings();
        settings.password = password;
        if (what == u"no server")
            settings.port = 1; // nothing listens here
    }
    try {
        // SQLite reads the file with the first statement.
        Database::open(settings)->exec(u"select count(*) from sqlite_master"_s);
        QFAIL("opening should have failed");
    } catch (const DbError &error) {
        QVERIFY2(error.sentence().startsWith(sentence), qPrintable(error.text()));
        QVERIFY2(error.detail().contains(detail), qPrintable(error.text()));
        QVERIFY2(!error.text().contains(password), qPrintable(error.text()));
        QVERIFY(!QString::fromUtf8(error.what()).contains(password));
    }
}

SALONDESK_DB_TEST_MAIN(TestDatabase)
#include "tst_database.moc"
