#include "common/FailureText.h"

#include <QTest>

using namespace Qt::StringLiterals;

using FailureText::Stage;
Q_DECLARE_METATYPE(FailureText::Stage)

// Raw refusals of SQLite, PostgreSQL, libpq and the system become Chinese
// sentences that say what happened and what to do, with the raw text
// kept as the detail and no connection text anywhere.
class TestFailureText : public QObject
{
    Q_OBJECT

private slots:
    void explains_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("code");
        QTest::addColumn<Stage>("stage");
        QTest::addColumn<QString>("sentence"); // how the sentence starts
        QTest::addColumn<QString>("todo");     // what it tells to do

        const Stage statement = Stage::Statement;
        const Stage connecting = Stage::Connecting;
        const Stage file = Stage::File;
        QTest::newRow("sqlite: not a database")
            << u"file is not a database Unable to execute statement"_s << u"26"_s << statement
            << u"这个文件不是数据库"_s << u"数据恢复"_s;
        QTest::newRow("sqlite: not a database, no code")
            << u"file is not a database"_s << QString() << connecting << u"这个文件不是数据库"_s
            << u"数据库设置"_s;
        QTest::newRow("sqlite: malformed") << u"database disk image is malformed"_s << u"11"_s
                                           << statement << u"数据库文件已经损坏"_s << u"数据恢复"_s;
        QTest::newRow("sqlite: locked") << u"database is locked"_s << u"5"_s << statement
                                        << u"数据库正被另一台收银台或另一个程序占用"_s
                                        << u"稍后再试"_s;
        QTest::newRow("sqlite: read-only") << u"attempt to write a readonly database"_s << u"8"_s
                                           << statement << u"数据库文件是只读的"_s << u"权限"_s;
        QTest::newRow("sqlite: disk full") << u"database or disk is full"_s << u"13"_s << statement
                                           << u"磁盘空间已满"_s << u"清理磁盘"_s;
        QTest::newRow("sqlite: cannot open") << u"unable to open database file"_s << u"14"_s
                                             << connecting << u"无法打开数据库文件"_s
                                             << u"文件夹能否读写"_s;
        QTest::newRow("sqlite: unique") << u"UNIQUE constraint failed: room.name"_s << u"2067"_s
                                        << statement << u"要保存的内容与已有的记录重复"_s
                                        << u"换一个"_s;
        QTest::newRow("sqlite: not null") << u"NOT NULL constraint failed: goods.name"_s
                                          << u"1299"_s << statement << u"有必须填写的内容是空的"_s
                                          << u"填写完整"_s;
        QTest::newRow("sqlite: no such table") << u"no such table: hyinfo"_s << u"1"_s << statement
                                               << u"数据库中缺少表 hyinfo"_s << u"数据库设置"_s;
        QTest::newRow("pg: password")
            << u"connection to server at \"127.0.0.1\", port 5432 failed: FATAL:  password "
               "authentication failed for user \"salon\""_s
            << QString() << connecting << u"数据库服务器拒绝登录：用户名或密码不对"_s
            << u"数据库设置"_s;
        QTest::newRow("pg: password by SQLSTATE") << u"authentication failed"_s << u"28P01"_s
                                                  << connecting << u"数据库服务器拒绝登录"_s
                                                  << u"用户名和密码"_s;
        QTest::newRow("pg: refused")
            << u"connection to server at \"10.0.0.9\", port 5432 failed: Connection refused Is the "
               "server running on that host and accepting TCP/IP connections?"_s
            << QString() << connecting << u"连接不上数据库服务器"_s << u"服务器地址和端口"_s;
        QTest::newRow("pg: unknown host")
            << u"could not translate host name \"salon-server\" to address: Name or service not "
               "known"_s
            << QString() << connecting << u"找不到数据库服务器 salon-server"_s << u"服务器地址"_s;
        QTest::newRow("pg: no database") << u"FATAL:  database \"salon\" does not exist"_s
                                         << u"3D000"_s << connecting
                                         << u"数据库服务器上没有名为 salon 的数据库"_s
                                         << u"数据库名称"_s;
        QTest::newRow("pg: no role") << u"FATAL:  role \"kasse\" does not exist"_s << QString()
                                     << connecting << u"数据库服务器上没有用户 kasse"_s
                                     << u"用户名"_s;
        QTest::newRow("pg: hba") << u"FATAL:  no pg_hba.conf entry for host \"10.0.0.5\""_s
                                 << u"28000"_s << connecting << u"数据库服务器不允许"_s
                                 << u"管理员"_s;
        QTest::newRow("pg: duplicate") << u"duplicate key value violates unique constraint "
                                          "\"room_name_key\""_s
                                       << u"23505"_s << statement
                                       << u"要保存的内容与已有的记录重复"_s << u"换一个"_s;
        QTest::newRow("pg: lock timeout") << u"canceling statement due to lock timeout"_s
                                          << u"55P03"_s << statement
                                          << u"要修改的数据正被另一台收银台使用"_s
                                          << u"稍后再试"_s;
        QTest::newRow("pg: deadlock") << u"deadlock detected"_s << u"40P01"_s << statement
                                      << u"另一台收银台同时在修改同样的数据"_s << u"再试一次"_s;
        QTest::newRow("pg: starting up") << u"FATAL:  the database system is starting up"_s
                                         << u"57P03"_s << connecting
                                         << u"数据库服务器正在启动或关闭"_s << u"稍后再试"_s;
        QTest::newRow("pg: too many") << u"FATAL:  sorry, too many clients already"_s
                                      << u"53300"_s << connecting
                                      << u"数据库服务器的连接数已满"_s << u"关闭不用的"_s;
        QTest::newRow("system: no such file") << u"No such file or directory"_s << QString()
                                              << file << u"文件或文件夹不存在"_s
                                              << u"检查路径"_s;
        QTest::newRow("system: permission") << u"Permission denied"_s << QString() << file
                                            << u"没有访问这个文件的权限"_s << u"换一个文件夹"_s;
        QTest::newRow("system: disk full") << u"No space left on device"_s << QString() << file
                                           << u"磁盘空间已满"_s << u"清理磁盘"_s;
        QTest::newRow("system: read-only disk") << u"Read-only file system"_s << QString() << file
                                                << u"磁盘是只读的"_s << u"换一个"_s;
        QTest::newRow("unknown statement refusal") << u"some new refusal"_s << u"XX000"_s
                                                   << statement << u"数据库拒绝了这次操作"_s
                                                   << u"告诉管理员"_s;
        QTest::newRow("unknown connection failure") << u"SSL SYSCALL error"_s << QString()
                                                    << connecting << u"无法连接数据库"_s
                                                    << u"数据库设置"_s;
        QTest::newRow("unknown file failure") << u"Unknown error"_s << QString() << file
                                              << u"读写文件失败"_s << u"检查文件"_s;
    }

    void explains()
    {
        QFETCH(QString, raw);
        QFETCH(QString, code);
        QFETCH(Stage, stage);
        QFETCH(QString, sentence);
        QFETCH(QString, todo);
        const FailureText::Explained explained = FailureText::explain(raw, code, stage);
        QVERIFY2(explained.sentence.startsWith(sentence), qPrintable(explained.sentence));
        QVERIFY2(explained.sentence.contains(todo), qPrintable(explained.sentence));
        QCOMPARE(explained.detail, raw.simplified());
        QCOMPARE(explained.shown(), explained.sentence + u"（"_s + raw.simplified() + u"）"_s);
    }

    // The program's own texts are sentences already.
    void chineseTextStaysAsItIs()
    {
        const auto explained = FailureText::explain(u"只读事务中不能写入数据，操作已取消。"_s);
        QCOMPARE(explained.sentence, u"只读事务中不能写入数据，操作已取消。"_s);
        QVERIFY(explained.detail.isEmpty());
        QCOMPARE(explained.shown(), explained.sentence);
        QVERIFY(!FailureText::explain({}).sentence.isEmpty());
    }

    void passwordNeverShown_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("kept"); // what of the text stays
        QTest::newRow("libpq conninfo")
            << u"could not connect: host=10.0.0.9 port=5432 dbname=salon user=salon "
               "password=Geheim42 connect_timeout=10 refused"_s
            << u"could not connect:"_s;
        QTest::newRow("quoted libpq password")
            << u"failed for host='db' password='Ge heim42' dbname=x"_s << u"failed for"_s;
        QTest::newRow("system.ini connection text")
            << u"bad: Provider=PostgreSQL;Password=Geheim42;Persist Security Info=True;User ID=salon;"
               "Initial Catalog=salon;Data Source=db:5432;"_s
            << u"bad:"_s;
        QTest::newRow("quoted OLE DB password")
            << u"Password=\"Ge;heim42\";User ID=salon;Data Source=db"_s << QString();
        QTest::newRow("lone password") << u"retry with PASSWORD=Geheim42 please"_s << u"retry with"_s;
        QTest::newRow("pwd") << u"pwd=Geheim42"_s << QString();
    }

    void passwordNeverShown()
    {
        QFETCH(QString, raw);
        QFETCH(QString, kept);
        for (const Stage stage : {Stage::Statement, Stage::Connecting, Stage::File}) {
            const FailureText::Explained explained = FailureText::explain(raw, {}, stage);
            const QString shown = explained.shown();
            QVERIFY2(!shown.contains(u"heim42"_s), qPrintable(shown));
            QVERIFY2(!shown.contains(u"dbname="_s, Qt::CaseInsensitive), qPrintable(shown));
            QVERIFY2(!shown.contains(u"User ID="_s, Qt::CaseInsensitive), qPrintable(shown));
            QVERIFY2(shown.contains(kept), qPrintable(shown));
        }
    }

    // Words that merely look like settings stay.
    void ordinaryTextIsKept()
    {
        const QString raw = u"value a=1 is out of range"_s;
        QCOMPARE(FailureText::withoutConnectionText(raw), raw);
        QCOMPARE(FailureText::withoutConnectionText(u"password authentication failed"_s),
                 u"password authentication failed"_s);
    }
};

QTEST_APPLESS_MAIN(TestFailureText)
#include "tst_failure_text.moc"
