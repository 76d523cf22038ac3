#include "support/TestDb.h"

#include "db/Schema.h"
#include "session/IniFile.h"
#include "session/Startup.h"
#include "shell/SingleInstance.h"
#include "shell/StarterShop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

// From system.ini to an open database with its shop.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void choosesConnectionByExactLetter_data();
    void choosesConnectionByExactLetter();
    void mapsConnectionTexts_data();
    void mapsConnectionTexts();
    void connectionValuesReadBackAsWritten_data();
    void connectionValuesReadBackAsWritten();
    void readsQuotedConnectionValues_data();
    void readsQuotedConnectionValues();
    void failedConnectionFallsBackToEmbedded();
    void opensInstalledShopAndReadsIt();
    void createsMissingTablesAtStart();
    void refusesWhatIsNotAShop_data();
    void refusesWhatIsNotAShop();
    void unopenableDatabaseIsExplained();
    void upgradesOlderShopInPlace();
    void nullShopFieldsReadEmpty();
    void seedsOnceOnly();
    void secondCopyIsRefusedAndStaleLockTakenOver();
};

void TestStartup::choosesConnectionByExactLetter_data()
{
    QTest::addColumn<QString>("abc");
    QTest::addColumn<QString>("connection");
    QTest::newRow("s selects the server") << u"s"_s << u"SERVER"_s;
    QTest::newRow("capital S is not s") << u"S"_s << u"FILE"_s;
    QTest::newRow("a") << u"a"_s << u"FILE"_s;
    QTest::newRow("missing") << QString() << u"FILE"_s;
}

void TestStartup::choosesConnectionByExactLetter()
{
    QFETCH(QString, abc);
    QFETCH(QString, connection);
    QTemporaryDir dir;
    IniFile ini(dir.filePath(u"system.ini"_s));
    ini.write(u"part1"_s, u"csaccess"_s, u"FILE"_s);
    ini.write(u"part1"_s, u"cs"_s, u"SERVER"_s);
    if (!abc.isNull())
        ini.write(u"part1"_s, u"abc"_s, abc);
    AppContext context;
    Startup::readConfiguration(ini, context);
    QCOMPARE(context.ConnectionText, connection);
    QCOMPARE(context.DbKind, abc.isNull() ? u"0"_s : abc);
    QCOMPARE(context.SoftName, u"0"_s);
}

void TestStartup::mapsConnectionTexts_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("postgres");
    QTest::addColumn<QString>("target"); // file path or host
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("login"); // database/user/password
    QTest::newRow("embedded file beside the program")
        << u"a"_s << u"Provider=SQLite;Data Source=data.db;Jet OLEDB:Database Password=kq582"_s << false
        << u"/opt/salon/data.db"_s << 0 << QString();
    QTest::newRow("server with comma port")
        << u"s"_s << u"Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=sa;Initial Catalog=salon;Data Source=10.0.0.5,5433;"_s
        << true << u"10.0.0.5"_s << 5433 << u"salon/sa/pw"_s;
    QTest::newRow("server with colon port")
        << u"s"_s << u"Data Source=db.local:6000;Initial Catalog=x;User ID=u;Password=p"_s << true
        << u"db.local"_s << 6000 << u"x/u/p"_s;
    QTest::newRow("server default port")
        << u"s"_s << u"data source=db.local;initial catalog=x;user id=u;password="_s << true
        << u"db.local"_s << 5432 << u"x/u/"_s;
}

void TestStartup::mapsConnectionTexts()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(bool, postgres);
    QFETCH(QString, target);
    QFETCH(int, port);
    QFETCH(QString, login);
    const auto settings = Startup::mapConnection(kind, text, u"/opt/salon"_s);
    QVERIFY(settings);
    QCOMPARE(settings->backend == Backend::Postgres, postgres);
    if (postgres) {
        QCOMPARE(settings->host, target);
        QCOMPARE(settings->port, port);
        QCOMPARE(settings->database + u'/' + settings->user + u'/' + settings->password, login);
    } else {
        QCOMPARE(settings->filePath, target);
    }
    QVERIFY(!Startup::mapConnection(u"s"_s, u"0"_s, u"/opt/salon"_s));
}

void TestStartup::connectionValuesReadBackAsWritten_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << u"salon2024"_s;
    QTest::newRow("empty") << QString();
    QTest::newRow("semicolon") << u"pa;ss"_s;
    QTest::newRow("double quote") << u"pa\"ss"_s;
    QTest::newRow("starts with double quote") << u"\"pass"_s;
    QTest::newRow("single quote") << u"pa'ss"_s;
    QTest::newRow("starts with single quote") << u"'pass'"_s;
    QTest::newRow("both quotes and semicolon") << u"a'b\";c"_s;
    QTest::newRow("equals signs") << u"a=b==c="_s;
    QTest::newRow("blanks at both ends") << u"  pa ss  "_s;
    QTest::newRow("Chinese") << u"美发;密码"_s;
    QTest::newRow("looks like another key") << u"x;Data Source=evil"_s;
}

void TestStartup::connectionValuesReadBackAsWritten()
{
    QFETCH(QString, value);
    const QString text = Startup::connectionText({{u"Provider"_s, u"PostgreSQL"_s},
                                                  {u"Password"_s, value},
                                                  {u"User ID"_s, value},
                                                  {u"Initial Catalog"_s, value},
                                                  {u"Data Source"_s, u"db.local:5433"_s}});
    const auto settings = Startup::mapConnection(u"s"_s, text, u"/opt/salon"_s);
    QVERIFY2(settings, qPrintable(text));
    QCOMPARE(settings->password, value);
    QCOMPARE(settings->user, value);
    QCOMPARE(settings->database, value);
    QCOMPARE(settings->host, u"db.local"_s);
    QCOMPARE(settings->port, 5433);

    // The same through system.ini, as salondesk-setup stores it.
    QTemporaryDir dir;
    IniFile ini(dir.filePath(u"system.ini"_s));
    ini.write(u"part1"_s, u"abc"_s, u"s"_s);
    ini.write(u"part1"_s, u"cs"_s, text);
    AppContext context;
    Startup::readConfiguration(ini, context);
    QCOMPARE(Startup::mapConnection(context.DbKind, context.ConnectionText, dir.path())->password, value);
}

void TestStartup::readsQuotedConnectionValues_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("target"); // host or file path
    QTest::addColumn<QString>("password");
    const QString server = u"s"_s;
    QTest::newRow("double quotes") << server << u"Password=\"pa;ss\";Data Source=h"_s << u"h"_s << u"pa;ss"_s;
    QTest::newRow("doubled quote inside")
        << server << u"Password=\"say \"\"hi\"\"\";Data Source=h"_s << u"h"_s << u"say \"hi\""_s;
    QTest::newRow("single quotes") << server << u"Password='pa\"ss';Data Source=h"_s << u"h"_s << u"pa\"ss"_s;
    QTest::newRow("doubled single quote") << server << u"Password='it''s';Data Source=h"_s << u"h"_s << u"it's"_s;
    QTest::newRow("blanks kept inside quotes, dropped outside")
        << server << u" password = ' a b ' ; DATA SOURCE = h ;"_s << u"h"_s << u" a b "_s;
    QTest::newRow("quote inside an unquoted value")
        << server << u"Password=pa\"ss;Data Source=h"_s << u"h"_s << u"pa\"ss"_s;
    QTest::newRow("equals sign in a value") << server << u"Password=a=b;Data Source=h"_s << u"h"_s << u"a=b"_s;
    QTest::newRow("quoted data source") << server << u"Data Source=\"db;1\";Password=p"_s << u"db;1"_s << u"p"_s;
    QTest::newRow("unterminated quote is a character")
        << server << u"Password=\"abc;Data Source=h"_s << u"h"_s << u"\"abc"_s;
    QTest::newRow("pieces without a value skipped")
        << server << u";;junk;Password=p;;Data Source=h;"_s << u"h"_s << u"p"_s;
    QTest::newRow("shipped embedded form, quoted file name")
        << u"a"_s
        << u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"shop data.mdb\";Persist Security Info=False;"
           "Jet OLEDB:Database Password=kq582"_s
        << u"/opt/salon/shop data.mdb"_s << QString();
}

void TestStartup::readsQuotedConnectionValues()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QString, target);
    QFETCH(QString, password);
    const auto settings = Startup::mapConnection(kind, text, u"/opt/salon"_s);
    QVERIFY(settings);
    if (settings->backend == Backend::Postgres) {
        QCOMPARE(settings->host, target);
        QCOMPARE(settings->password, password);
    } else {
        QCOMPARE(settings->filePath, target);
    }
}

void TestStartup::failedConnectionFallsBackToEmbedded()
{
    // "s" without a cs key: the connection text is "0", which names nothing.
    QTemporaryDir dir;
    IniFile ini(dir.filePath(u"system.ini"_s));
    ini.write(u"part1"_s, u"abc"_s, u"s"_s);
    AppContext context;
    context.ProgramDir = dir.path();
    Startup::readConfiguration(ini, context);
    QCOMPARE(context.ConnectionText, u"0"_s);
    const Startup::Opened opened = Startup::openDatabase(context, ini);
    QVERIFY(!opened.database);
    QVERIFY(!opened.error.isEmpty());
    QCOMPARE(ini.read(u"part1"_s, u"abc"_s), u"a"_s);

    // A server that does not answer fails the same way.
    ini.write(u"part1"_s, u"abc"_s, u"s"_s);
    ini.write(u"part1"_s, u"cs"_s, u"Data Source=127.0.0.1,1;Initial Catalog=x;User ID=u;Password=p"_s);
    Startup::readConfiguration(ini, context);
    QVERIFY(!Startup::openDatabase(context, ini).database);
    QCOMPARE(ini.read(u"part1"_s, u"abc"_s), u"a"_s);

    // So does an embedded file that is not there; it is not silently created.
    Startup::readConfiguration(ini, context);
    context.ConnectionText = u"Data Source=missing.db"_s;
    QVERIFY(!Startup::openDatabase(context, ini).database);
    QVERIFY(!QFile::exists(dir.filePath(u"missing.db"_s)));
}

void TestStartup::opensInstalledShopAndReadsIt()
{
    if (TestDb::backend() == Backend::Postgres)
        QSKIP("the installed shop is an embedded database file");
    QTemporaryDir dir;
    const QString iniPath = dir.filePath(u"system.ini"_s);
    QVERIFY(StarterShop::writeDefaultIni(iniPath));
    QVERIFY(!StarterShop::writeDefaultIni(iniPath));
    IniFile ini(iniPath);
    AppContext context;
    context.ProgramDir = dir.path();
    Startup::readConfiguration(ini, context);
    QCOMPARE(context.DbKind, u"a"_s);
    QCOMPARE(context.ReceiptPreview, u"1"_s);
    QCOMPARE(context.ReceiptPort, u"LPT1"_s);
    {
        // What salondesk-setup does for a new shop.
        ConnectionSettings settings;
        settings.filePath = dir.filePath(u"data.db"_s);
        auto db = Database::open(settings);
        Schema::create(*db);
    }
    Startup::Opened opened = Startup::openDatabase(context, ini);
    QVERIFY2(opened.database, qPrintable(opened.error));
    QVERIFY(Schema::isComplete(*opened.database));
    QVERIFY(StarterShop::seed(*opened.database));
    Startup::readShop(*opened.database, context);
    QVERIFY(!context.ShopName.isEmpty());
    QVERIFY(!context.ShopAddress.isEmpty());
}

void TestStartup::createsMissingTablesAtStart()
{
    auto db = TestDb::fresh();
    db->execute(u"drop table 会员充值"_s);
    db->execute(u"delete from schema_version"_s);
    // The start-up step is the one openDatabase runs.
    QVERIFY(!Schema::isComplete(*db));
    Schema::upgrade(*db);
    QVERIFY(Schema::isComplete(*db));
}

namespace {

// A program folder whose system.ini names `settings` the way a shop's own
// settings would: the embedded file beside the program, or the server.
struct Shop
{
    QTemporaryDir dir;
    std::unique_ptr<IniFile> ini;
    AppContext context;
    ConnectionSettings settings;

    Shop()
    {
        ini = std::make_unique<IniFile>(dir.filePath(u"system.ini"_s));
        context.ProgramDir = dir.path();
        settings = TestDb::freshSettings();
        if (settings.backend == Backend::Sqlite) {
            settings.filePath = dir.filePath(u"data.db"_s);
            // Embedded: abc is left unset, as a shop that never had a server.
            ini->write(u"part1"_s, u"csaccess"_s, u"Provider=SQLite;Data Source=data.db"_s);
        } else {
            ini->write(u"part1"_s, u"abc"_s, u"s"_s);
            ini->write(u"part1"_s, u"cs"_s,
                       u"Data Source=%1,%2;Initial Catalog=%3;User ID=%4;Password=%5"_s.arg(
                           settings.host, QString::number(settings.port), settings.database,
                           settings.user, settings.password));
        }
        Startup::readConfiguration(*ini, context);
    }

    // A connection of the test's own to the shop's database.
    std::unique_ptr<Database> open() const { return Database::open(settings); }

    Startup::Opened start()
    {
        // The server's connection text has no schema; the test's schema is
        // handed to libpq the way an administrator could for a login.
        if (settings.backend == Backend::Postgres)
            qputenv("PGOPTIONS", "-c search_path=" + settings.schema.toUtf8());
        Startup::Opened opened = Startup::openDatabase(context, *ini);
        qunsetenv("PGOPTIONS");
        return opened;
    }

    QString abc() const { return ini->read(u"part1"_s, u"abc"_s); }
    QString abcBefore() const { return settings.backend == Backend::Sqlite ? u"0"_s : u"s"_s; }
};

} // namespace

void TestStartup::refusesWhatIsNotAShop_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("says");
    QTest::newRow("zero-byte file") << u"zero bytes"_s << u"是空的"_s;
    QTest::newRow("empty database") << u"empty"_s << u"是空的"_s;
    QTest::newRow("another program's database") << u"foreign"_s << u"不是本程序的数据库"_s;
    QTest::newRow("newer version") << u"newer"_s << u"数据库版本高于程序版本，请升级程序。"_s;
}

void TestStartup::refusesWhatIsNotAShop()
{
    QFETCH(QString, what);
    QFETCH(QString, says);
    if (what == u"zero bytes" && TestDb::backend() == Backend::Postgres)
        QSKIP("a server database has no file");
    Shop shop;
    if (what == u"zero bytes") {
        QVERIFY(QFile(shop.settings.filePath).open(QIODevice::WriteOnly));
    } else {
        auto db = shop.open();
        if (what == u"empty") {
            db->exec(u"create table gone (a integer)"_s);
            db->exec(u"drop table gone"_s);
        } else if (what == u"foreign") {
            db->exec(u"create table customers (name text)"_s);
            db->execute(u"insert into customers (name) values (?)"_s, {u"张三"_s});
        } else {
            Schema::create(*db);
            db->execute(u"update schema_version set version = 99"_s);
        }
    }

    const Startup::Opened opened = shop.start();
    QVERIFY(!opened.database);
    QVERIFY(!opened.connectionFailed);
    QVERIFY2(opened.error.contains(says), qPrintable(opened.error));
    const QString name = shop.settings.backend == Backend::Sqlite ? shop.settings.filePath
                                                                  : shop.settings.database;
    QVERIFY2(opened.error.contains(name), qPrintable(opened.error));
    // The server answered: the next start goes to it again.
    QCOMPARE(shop.abc(), shop.abcBefore());

    // Nothing was made of it.
    if (what == u"zero bytes") {
        QCOMPARE(QFileInfo(shop.settings.filePath).size(), 0);
        return;
    }
    auto db = shop.open();
    if (what == u"newer") {
        QCOMPARE(Schema::version(*db), 99);
        return;
    }
    QVERIFY(!db->hasTable(u"schema_version"_s));
    QVERIFY(!db->hasTable(u"号牌管理"_s));
    if (what == u"foreign")
        QCOMPARE(db->strings(u"select name from customers"_s), QStringList{u"张三"_s});
}

// A damaged file or a server that refuses the login: the operator reads
// which database, what happened and what to do, the driver's words as a
// detail, and never the connection text with its password.
void TestStartup::unopenableDatabaseIsExplained()
{
    Shop shop;
    QString says;
    QString detail;
    QString name;
    if (shop.settings.backend == Backend::Sqlite) {
        QFile file(shop.settings.filePath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(8192, 'x'));
        says = u"无法打开数据库文件 "_s + shop.settings.filePath + u"：这个文件不是数据库"_s;
        detail = u"file is not a database"_s;
    } else {
        shop.ini->write(u"part1"_s, u"cs"_s,
                        u"Data Source=%1,%2;Initial Catalog=%3;User ID=%4;Password=Wrong-Geheim42"_s
                            .arg(shop.settings.host, QString::number(shop.settings.port),
                                 shop.settings.database, shop.settings.user));
        Startup::readConfiguration(*shop.ini, shop.context);
        says = u"数据库服务器拒绝登录"_s;
        detail = u"password authentication failed"_s;
    }
    const Startup::Opened opened = shop.start();
    QVERIFY(!opened.database);
    QVERIFY2(opened.error.startsWith(says), qPrintable(opened.error));
    QVERIFY2(opened.error.contains(detail), qPrintable(opened.error));
    for (const QString &hidden : {u"Geheim42"_s, u"Password="_s, u"password="_s, u"Data Source"_s})
        QVERIFY2(!opened.error.contains(hidden), qPrintable(opened.error));
}

void TestStartup::upgradesOlderShopInPlace()
{
    Shop shop;
    {
        auto db = shop.open();
        Schema::create(*db);
        QVERIFY(StarterShop::seed(*db));
        // An older shop: an earlier version, without a table added since.
        db->execute(u"drop table 会员充值"_s);
        db->execute(u"update schema_version set version = ?"_s, {Schema::CurrentVersion - 1});
    }
    Startup::Opened opened = shop.start();
    QVERIFY2(opened.database, qPrintable(opened.error));
    Database &db = *opened.database;
    QCOMPARE(Schema::version(db), Schema::CurrentVersion);
    QVERIFY(Schema::isComplete(db));
    QCOMPARE(db.scalar(u"select count(*) from 号牌管理"_s).toInt(), 20);
    QVERIFY(!StarterShop::seed(db));
    QCOMPARE(shop.abc(), shop.abcBefore());
}

void TestStartup::nullShopFieldsReadEmpty()
{
    auto db = TestDb::fresh();
    db->execute(u"insert into sysinfo (name, tel, \"add\") values (?, ?, ?)"_s,
                {u"美丽时光"_s, QVariant(), u"幸福路"_s});
    AppContext context;
    context.ShopTel = u"stale"_s;
    Startup::readShop(*db, context);
    QCOMPARE(context.ShopName, u"美丽时光"_s);
    QCOMPARE(context.ShopTel, QString());
    QCOMPARE(context.ShopAddress, u"幸福路"_s);
}

void TestStartup::seedsOnceOnly()
{
    auto db = TestDb::fresh();
    QVERIFY(StarterShop::seed(*db));
    const auto counts = [&db] {
        QStringList list;
        for (const QString &table : Schema::tableNames())
            list.append(db->scalar(u"select count(*) from "_s + table).toString());
        return list;
    };
    const QStringList before = counts();
    QVERIFY(!StarterShop::seed(*db));
    QCOMPARE(counts(), before);

    QCOMPARE(db->scalar(u"select count(*) from 号牌管理 where 号牌状态=?"_s, {u"可用"_s}).toInt(), 20);
    QCOMPARE(db->scalar(u"select min(号牌) from 号牌管理"_s).toString(), u"SP001"_s);
    QCOMPARE(db->scalar(u"select max(号牌) from 号牌管理"_s).toString(), u"SP020"_s);
    QVERIFY(db->exists(u"select 1 from 包厢 where 门票价格 > 0"_s));
    QVERIFY(db->exists(u"select 1 from 商品类型 where 库存=true"_s));
    QVERIFY(db->exists(u"select 1 from 商品类型 where 参与打折=?"_s, {u"y"_s}));
    QVERIFY(db->exists(u"select 1 from 商品库 where 拼音 <> ''"_s));
    QVERIFY(db->exists(u"select 1 from 员工管理"_s));
    QVERIFY(db->exists(u"select 1 from 员工等级"_s));
    QVERIFY(db->exists(u"select 1 from 会员类型"_s));
    const QSqlRecord super = db->firstRow(u"select * from 管理员 where 用户名=?"_s, {u"超级管理员"_s});
    QCOMPARE(super.value(u"密码"_s).toString(), u"1"_s);
    for (const QString &right : Schema::rightColumns())
        QVERIFY2(super.value(right).toBool(), qPrintable(right));
}

void TestStartup::secondCopyIsRefusedAndStaleLockTakenOver()
{
    QTemporaryDir dir;
    const QString lockPath = dir.filePath(u"instance.lock"_s);
    {
        SingleInstance first(lockPath);
        QVERIFY(first.acquire());
        SingleInstance second(lockPath);
        QVERIFY(!second.acquire());
    }
    // A copy that crashed leaves its file behind, naming a process that is gone.
    {
        QFile stale(lockPath);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("999999\nsalondesk\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    }
    SingleInstance next(lockPath);
    QVERIFY(next.acquire());
}

SALONDESK_DB_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
