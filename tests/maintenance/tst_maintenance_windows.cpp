#include "support/ShopBuilder.h"
#include "support/TestSession.h"

#include "maintenance/ui/BackupActions.h"
#include "maintenance/ui/TAboutFm.h"
#include "maintenance/ui/TDataClearFm.h"
#include "maintenance/ui/TPosPrtSetFm.h"
#include "maintenance/ui/TSetDataFm.h"
#include "maintenance/ui/TSysInfoFm.h"
#include "session/Startup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

using namespace Qt::StringLiterals;
using DataClearing::Records;

// Clearing business records, the shop's details, the receipt printer
// settings and the about box, through their windows.
class TestMaintenanceWindows : public QObject
{
    Q_OBJECT

private slots:
    void clearingEmptiesOnlyWhatIsTicked_data();
    void clearingEmptiesOnlyWhatIsTicked();
    void clearingNeedsPasswordAndConfirmation_data();
    void clearingNeedsPasswordAndConfirmation();
    void clearingIsAllOrNothing();
    void clearingOffersABackupFirst_data();
    void clearingOffersABackupFirst();
    void shopInfoMustBeComplete();
    void shopInfoStartsAnEmptyTable();
    void printerSettingsWrittenAsChosen_data();
    void printerSettingsWrittenAsChosen();
    void aboutShowsTheConfiguredTexts();
    void databaseSettingsOpenOnTheStoredChoice();
    void embeddedChoiceSavesWithoutATest();
    void serverNeedsASuccessfulTest();
    void leavingWritesNothing();
    void backupAndRestoreThroughTheirDialogs();
    void restoreAsksNamingTheBackupsDate_data();
    void restoreAsksNamingTheBackupsDate();
};

namespace {

// One row in every table clearing may touch, and in those it never does.
void fillShop(Database &db)
{
    // The least row of each table, by hand: what matters is that each table
    // has one, not what a visit would have written.
    const QStringList statements = {
        u"insert into 员工工资表 (员工编号, 工资) values ('001', 3000)"_s,
        u"insert into 结帐管理 (单据号, 应收金额) values ('20240301080000', 50)"_s,
        u"insert into jzmx (ID, 号牌, 单据号, 合计) values (1, 'SP001', '20240301080000', 50)"_s,
        u"insert into 会员充值 (会员卡号, 充值金额) values ('8001', 100)"_s,
        u"insert into 商品库 (编号, 商品名, 单价) values ('1001', '洗剪吹', 30)"_s,
        u"insert into 进货表 (商品名, 数量) values ('洗发水', 10)"_s,
        u"insert into xfmx (号牌, 商品名, 合计) values ('SP002', '烫发', 280)"_s,
        u"insert into 号牌管理 (号牌, 号牌状态) values ('SP002', '占用')"_s,
        u"insert into 会员管理 (会员卡号, 会员姓名) values ('8001', '张三')"_s,
        u"insert into 员工管理 (员工编号, 员工姓名) values ('001', '张敏')"_s,
    };
    for (const QString &statement : statements)
        db.execute(statement);
}

QStringList nonEmpty(Database &db)
{
    QStringList tables;
    for (const QString &table : {u"员工工资表"_s, u"结帐管理"_s, u"jzmx"_s, u"会员充值"_s, u"商品库"_s,
                                 u"进货表"_s, u"xfmx"_s, u"号牌管理"_s, u"会员管理"_s, u"员工管理"_s}) {
        if (db.exists(u"select 1 from "_s + table))
            tables.append(table);
    }
    return tables;
}

} // namespace

void TestMaintenanceWindows::clearingEmptiesOnlyWhatIsTicked_data()
{
    QTest::addColumn<QList<Records>>("ticked");
    QTest::addColumn<QStringList>("left");
    // The question names the tables it empties.
    QTest::addColumn<QString>("question");
    const QStringList untouched = {u"xfmx"_s, u"号牌管理"_s, u"会员管理"_s, u"员工管理"_s};
    const QString ask = u"您是否真的要删除?"_s;
    QTest::newRow("bills only") << QList<Records>{Records::Bills}
                                << QStringList{u"员工工资表"_s, u"会员充值"_s, u"商品库"_s,
                                               u"进货表"_s} + untouched
                                << ask + u"\n将清空的表：结帐管理、jzmx。"_s;
    QTest::newRow("all five") << DataClearing::all() << untouched
                              << ask + u"\n将清空的表：员工工资表、结帐管理、jzmx、会员充值、商品库、"
                                       u"进货表。"_s;
    QTest::newRow("none") << QList<Records>{}
                          << QStringList{u"员工工资表"_s, u"结帐管理"_s, u"jzmx"_s, u"会员充值"_s,
                                         u"商品库"_s, u"进货表"_s} + untouched
                          << ask;
}

void TestMaintenanceWindows::clearingEmptiesOnlyWhatIsTicked()
{
    QFETCH(QList<Records>, ticked);
    QFETCH(QStringList, left);
    QFETCH(QString, question);
    TestSession t;
    t.context.Rights.set(Right::DataClearing, true);
    fillShop(*t.database);
    TDataClearFm window(t.session);
    for (const Records records : ticked)
        window.box(records)->setChecked(true);
    t.prompt.inputs.enqueue(u"pmtr"_s);
    // No backup first, then yes to the clearing.
    t.prompt.answers.enqueue(false);
    t.prompt.answers.enqueue(true);

    window.clearChosen();

    QVERIFY(t.prompt.shown.size() > 2);
    QCOMPARE(t.prompt.shown.at(0).kind, u"masked"_s);
    QCOMPARE(t.prompt.shown.at(1).text, u"数据初始化之前，是否先备份数据?"_s);
    QCOMPARE(t.prompt.shown.at(2).text, question);
    QCOMPARE(t.prompt.lastMessage(), u"清理完毕！"_s);
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(nonEmpty(*t.database), left);
}

void TestMaintenanceWindows::clearingNeedsPasswordAndConfirmation_data()
{
    QTest::addColumn<std::optional<QString>>("password");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("message");
    QTest::newRow("wrong password") << std::optional<QString>(u"tupo"_s) << true
                                    << u"密码错误!"_s;
    QTest::newRow("prompt cancelled") << std::optional<QString>() << true << u"密码错误!"_s;
    QTest::newRow("not confirmed") << std::optional<QString>(u"pmtr"_s) << false << QString();
}

void TestMaintenanceWindows::clearingNeedsPasswordAndConfirmation()
{
    QFETCH(std::optional<QString>, password);
    QFETCH(bool, confirm);
    QFETCH(QString, message);
    TestSession t;
    t.context.Rights.set(Right::DataClearing, true);
    fillShop(*t.database);
    const QStringList before = nonEmpty(*t.database);
    TDataClearFm window(t.session);
    for (const Records records : DataClearing::all())
        window.box(records)->setChecked(true);
    t.prompt.inputs.enqueue(password);
    t.prompt.answers.enqueue(false);
    t.prompt.answers.enqueue(confirm);

    window.clearChosen();

    QCOMPARE(t.prompt.lastMessage(), message);
    QCOMPARE(nonEmpty(*t.database), before);
    QVERIFY(window.result() != QDialog::Accepted);
}

void TestMaintenanceWindows::clearingIsAllOrNothing()
{
    TestSession t;
    t.context.Rights.set(Right::DataClearing, true);
    fillShop(*t.database);
    const QStringList before = nonEmpty(*t.database);
    // The last table to be emptied refuses: the ones before it stay full.
    t.database->exec(u"create view 进货表_v as select 1 as x"_s);
    t.database->exec(u"drop table 进货表"_s);
    t.database->exec(u"create view 进货表 as select * from 进货表_v"_s);
    TDataClearFm window(t.session);
    for (const Records records : DataClearing::all())
        window.box(records)->setChecked(true);
    t.prompt.inputs.enqueue(u"pmtr"_s);
    t.prompt.answers.enqueue(false);
    t.prompt.answers.enqueue(true);

    window.clearChosen();

    QCOMPARE(t.prompt.shown.last().kind, u"message"_s);
    QVERIFY(t.prompt.lastMessage() != u"清理完毕！"_s);
    QStringList expected = before;
    expected.removeAll(u"进货表"_s);
    QStringList now = nonEmpty(*t.database);
    now.removeAll(u"进货表"_s);
    QCOMPARE(now, expected);
    QVERIFY(window.result() != QDialog::Accepted);
}

void TestMaintenanceWindows::clearingOffersABackupFirst_data()
{
    QTest::addColumn<bool>("backUp");
    QTest::addColumn<bool>("fileChosen");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("no backup wanted") << false << false << true << QStringList{u"清理完毕！"_s}
                                      << true;
    QTest::newRow("backed up, then cleared")
        << true << true << true << QStringList{u"备份成功"_s, u"清理完毕！"_s} << true;
    QTest::newRow("backed up, then not confirmed")
        << true << true << false << QStringList{u"备份成功"_s} << false;
    QTest::newRow("backup cancelled: nothing cleared")
        << true << false << true << QStringList{u"没有备份，数据初始化没有进行。"_s} << false;
}

void TestMaintenanceWindows::clearingOffersABackupFirst()
{
    QFETCH(bool, backUp);
    QFETCH(bool, fileChosen);
    QFETCH(bool, confirm);
    QFETCH(QStringList, messages);
    QFETCH(bool, cleared);
    TestSession t;
    t.context.Rights.set(Right::DataClearing, true);
    t.context.Rights.set(Right::Backup, true);
    fillShop(*t.database);
    const QStringList before = nonEmpty(*t.database);
    TDataClearFm window(t.session);
    window.box(Records::Bills)->setChecked(true);
    const QString target = t.dir.filePath(u"before-clearing"_s);
    t.prompt.inputs.enqueue(u"pmtr"_s);
    t.prompt.answers.enqueue(backUp);
    if (fileChosen)
        t.prompt.files.enqueue(target);
    t.prompt.answers.enqueue(confirm);

    window.clearChosen();

    QVERIFY(t.prompt.shown.size() > 1);
    QCOMPARE(t.prompt.shown.at(1).kind, u"question"_s);
    QCOMPARE(t.prompt.shown.at(1).text, u"数据初始化之前，是否先备份数据?"_s);
    QStringList shown = t.prompt.messages();
    // "备份成功" is followed by the file's name.
    for (QString &message : shown)
        message = message.section(u'\n', 0, 0);
    QCOMPARE(shown, messages);
    QCOMPARE(QFileInfo::exists(target), fileChosen);
    QCOMPARE(nonEmpty(*t.database).contains(u"结帐管理"_s), !cleared);
    if (!cleared)
        QCOMPARE(nonEmpty(*t.database), before);
    QCOMPARE(window.result(), int(cleared ? QDialog::Accepted : QDialog::Rejected));
}

void TestMaintenanceWindows::shopInfoMustBeComplete()
{
    TestSession t;
    t.database->execute(u"insert into sysinfo (name, tel, \"add\") values ('美丽时光', '0571', '幸福路')"_s);
    TSysInfoFm window(t.session);
    QCOMPARE(window.nameEdit()->text(), u"美丽时光"_s);
    QCOMPARE(window.addressEdit()->text(), u"幸福路"_s);

    window.telEdit()->setText(u"  "_s);
    window.save();
    QCOMPARE(t.prompt.lastMessage(), u"必须认真填写完整！"_s);
    QCOMPARE(t.database->scalar(u"select tel from sysinfo"_s).toString(), u"0571"_s);

    window.telEdit()->setText(u"0571-8888"_s);
    window.save();
    QCOMPARE(t.prompt.lastMessage(), u"重启软件后生效！"_s);
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(t.database->scalar(u"select tel from sysinfo"_s).toString(), u"0571-8888"_s);
    QCOMPARE(t.database->scalar(u"select count(*) from sysinfo"_s).toInt(), 1);
}

void TestMaintenanceWindows::shopInfoStartsAnEmptyTable()
{
    TestSession t;
    TSysInfoFm window(t.session);
    window.nameEdit()->setText(u"新店"_s);
    window.telEdit()->setText(u"123"_s);
    window.addressEdit()->setText(u"一号"_s);
    window.save();
    QCOMPARE(t.database->scalar(u"select \"add\" from sysinfo where name='新店'"_s).toString(),
             u"一号"_s);
}

void TestMaintenanceWindows::printerSettingsWrittenAsChosen_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("previewShown");
    QTest::addColumn<bool>("directShown");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("written");
    QTest::newRow("preview, listed port") << u"1"_s << true << false << u"COM3"_s << u"1"_s;
    QTest::newRow("direct, typed path") << u"0"_s << false << true << u"/dev/usb/lp0"_s << u"0"_s;
    QTest::newRow("unexpected value") << u"2"_s << false << false << u"LPT1"_s << u"0"_s;
}

void TestMaintenanceWindows::printerSettingsWrittenAsChosen()
{
    QFETCH(QString, stored);
    QFETCH(bool, previewShown);
    QFETCH(bool, directShown);
    QFETCH(QString, port);
    QFETCH(QString, written);
    TestSession t;
    t.context.Rights.set(Right::Administration, true);
    t.context.ReceiptPreview = stored;
    t.context.ReceiptPort = u"LPT2"_s;
    TPosPrtSetFm window(t.session);
    QCOMPARE(window.previewButton()->isChecked(), previewShown);
    QCOMPARE(window.directButton()->isChecked(), directShown);
    QCOMPARE(window.portBox()->currentText(), u"LPT2"_s);
    QCOMPARE(window.portBox()->count(), 12);

    window.portBox()->setCurrentText(port);
    window.apply();

    QCOMPARE(t.prompt.lastMessage(), u"修改完毕,重启软件后生效!"_s);
    QCOMPARE(t.ini.read(u"PosPrt"_s, u"CheckOutPrtPreview"_s), written);
    QCOMPARE(t.ini.read(u"PosPrt"_s, u"port"_s), port);
    // The port counts from now on; the preview default from the next start.
    QCOMPARE(t.context.ReceiptPort, port);
    QCOMPARE(t.context.ReceiptPreview, stored);
}

void TestMaintenanceWindows::aboutShowsTheConfiguredTexts()
{
    TestSession t;
    t.context.AboutMemo = u"美容美发店的前台与后台"_s;
    t.context.TelText = u"电话:400"_s;
    t.context.WebText = u"网址:example.com"_s;
    t.context.CompanyText = u"某某软件"_s;
    for (const auto &[kind, line] : {std::pair{u"a"_s, u"数据库:单机版 (SQLite)"_s},
                                     std::pair{u"s"_s, u"数据库:网络版 (PostgreSQL)"_s}}) {
        t.context.DbKind = kind;
        TAboutFm about(t.session);
        QCOMPARE(about.lines(), QStringList({u"美容美发管理系统"_s, u"美容美发店的前台与后台"_s,
                                             u"电话:400"_s, u"网址:example.com"_s, u"某某软件"_s,
                                             line}));
    }
}

namespace {

void storeServer(IniFile &ini, const QString &server, const QString &password)
{
    ini.write(u"part1"_s, u"ServerName"_s, server);
    ini.write(u"part1"_s, u"DataBaseName"_s, u"salon"_s);
    ini.write(u"part1"_s, u"UserName"_s, u"salon"_s);
    ini.write(u"part1"_s, u"PassWord"_s, password);
}

} // namespace

void TestMaintenanceWindows::databaseSettingsOpenOnTheStoredChoice()
{
    TestSession t;
    storeServer(t.ini, u"db.example"_s, u"secret"_s);
    for (const QString &kind : {u"a"_s, u"s"_s, u"x"_s}) {
        t.context.DbKind = kind;
        TSetDataFm window(t.session);
        QCOMPARE(window.embeddedButton()->isChecked(), kind == u"a");
        QCOMPARE(window.serverButton()->isChecked(), kind == u"s");
        QCOMPARE(window.serverGroup()->isEnabled(), kind == u"s");
        QCOMPARE(window.saveButton()->isEnabled(), kind == u"a");
        QCOMPARE(window.serverEdit()->text(), u"db.example"_s);
        QCOMPARE(window.passwordEdit()->text(), u"secret"_s);
    }
}

void TestMaintenanceWindows::embeddedChoiceSavesWithoutATest()
{
    TestSession t;
    t.context.DbKind = u"s"_s;
    t.ini.write(u"part1"_s, u"cs"_s, u"Provider=PostgreSQL;Data Source=db.example;"_s);
    TSetDataFm window(t.session);
    window.embeddedButton()->click();
    QVERIFY(window.saveButton()->isEnabled());
    window.serverEdit()->setText(u"  10.0.0.5 "_s);
    window.save();
    QCOMPARE(t.prompt.messages(), QStringList({u"软件重启后生效!"_s}));
    QCOMPARE(t.ini.read(u"part1"_s, u"abc"_s), u"a"_s);
    QCOMPARE(t.ini.read(u"part1"_s, u"ServerName"_s), u"10.0.0.5"_s);
    // The server's working text stays for the day the shop goes back to it.
    QCOMPARE(t.ini.read(u"part1"_s, u"cs"_s), u"Provider=PostgreSQL;Data Source=db.example;"_s);
}

void TestMaintenanceWindows::serverNeedsASuccessfulTest()
{
    TestSession t;
    t.context.DbKind = u"s"_s;
    // Nothing listens on port 1: the test fails at once.
    storeServer(t.ini, u"127.0.0.1:1"_s, u"secret"_s);
    TSetDataFm window(t.session);
    window.testServer();
    QCOMPARE(t.prompt.messages().size(), 2);
    QVERIFY(!t.prompt.messages().first().contains(u"secret"_s));
    QVERIFY(t.prompt.messages().first().contains(u"Data Source=127.0.0.1:1"_s));
    QVERIFY(t.prompt.lastMessage().startsWith(u"连接失败"_s));
    QVERIFY(!window.saveButton()->isEnabled());

    const QByteArray keywords = qgetenv("SALONDESK_TEST_PG");
    if (keywords.isEmpty())
        QSKIP("a reachable server is named by SALONDESK_TEST_PG");
    const ConnectionSettings server = ConnectionSettings::fromPostgresKeywords(QString::fromUtf8(keywords));
    window.serverEdit()->setText(server.host + u':' + QString::number(server.port));
    window.databaseEdit()->setText(server.database);
    window.userEdit()->setText(server.user);
    window.passwordEdit()->setText(server.password);
    t.prompt.clear();
    window.testServer();
    QCOMPARE(t.prompt.lastMessage(), u"连接成功!"_s);
    QVERIFY(window.saveButton()->isEnabled());

    // Fields changed after the test need another one.
    window.databaseEdit()->setText(u"other"_s);
    window.save();
    QVERIFY(!window.saveButton()->isEnabled());
    QCOMPARE(t.ini.read(u"part1"_s, u"DataBaseName"_s), u"salon"_s);

    window.databaseEdit()->setText(server.database);
    window.testServer();
    window.save();
    QCOMPARE(t.prompt.lastMessage(), u"软件重启后生效!"_s);
    QCOMPARE(t.ini.read(u"part1"_s, u"abc"_s), u"s"_s);
    const auto stored = Startup::mapConnection(u"s"_s, t.ini.read(u"part1"_s, u"cs"_s), t.dir.path());
    QVERIFY(stored);
    QCOMPARE(stored->host, server.host);
    QCOMPARE(stored->port, server.port);
    QCOMPARE(stored->database, server.database);
    QCOMPARE(stored->password, server.password);
}

void TestMaintenanceWindows::leavingWritesNothing()
{
    TestSession t;
    t.context.DbKind = u"a"_s;
    TSetDataFm window(t.session);
    window.serverButton()->click();
    window.leave();
    QCOMPARE(t.prompt.messages(), QStringList({u"软件重启后生效!"_s}));
    QCOMPARE(t.ini.read(u"part1"_s, u"abc"_s), u"0"_s);
}

void TestMaintenanceWindows::backupAndRestoreThroughTheirDialogs()
{
    TestSession t;
    t.context.Rights.set(Right::Backup, true);
    t.context.Rights.set(Right::Restore, true);
    ShopBuilder(*t.database).bill({.number = u"A"_s});
    const QString target = t.dir.filePath(u"shop-backup"_s);

    // Cancelled: nothing happens, the proposal stays.
    QCOMPARE(BackupActions::backUp(t.session, u"/old/name"_s), u"/old/name"_s);
    QCOMPARE(t.prompt.shown.first().kind, u"save"_s);
    QVERIFY(t.prompt.messages().isEmpty());

    t.prompt.files.enqueue(target);
    QCOMPARE(BackupActions::backUp(t.session, QString()), target);
    QVERIFY(t.prompt.lastMessage().startsWith(u"备份成功\n"_s));
    QVERIFY(t.prompt.lastMessage().endsWith(target));

    t.prompt.clear();
    QVERIFY(!BackupActions::restore(t.session));
    QVERIFY(t.prompt.messages().isEmpty());
    if (TestDb::backend() == Backend::Postgres)
        return;

    // A file that is no shop is refused and the program goes on.
    const QString notes = t.dir.filePath(u"notes.txt"_s);
    QFile file(notes);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("备忘");
    file.close();
    t.prompt.files.enqueue(notes);
    QVERIFY(!BackupActions::restore(t.session));
    QVERIFY(t.prompt.lastMessage().contains(u"不是"_s));
    QCOMPARE(t.database->scalar(u"select count(*) from 结帐管理"_s).toInt(), 1);

    ShopBuilder(*t.database).bill({.number = u"B"_s});
    t.prompt.files.enqueue(target);
    t.prompt.answers.enqueue(true);
    QVERIFY(BackupActions::restore(t.session));
    QVERIFY(t.prompt.lastMessage().startsWith(u"数据恢复成功，需要重新启动软件！"_s));
    QCOMPARE(t.database->strings(u"select 单据号 from 结帐管理"_s), QStringList({u"A"_s}));
}

void TestMaintenanceWindows::restoreAsksNamingTheBackupsDate_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("No keeps the shop") << false;
    QTest::newRow("Yes restores") << true;
}

void TestMaintenanceWindows::restoreAsksNamingTheBackupsDate()
{
    QFETCH(bool, answer);
    const bool server = TestDb::backend() == Backend::Postgres;
    if (answer && server)
        QSKIP("replacing the server's shop is tst_server_restore's");
    TestSession t;
    t.context.Rights.set(Right::Backup, true);
    t.context.Rights.set(Right::Restore, true);
    t.database->execute(u"insert into 结帐管理 (单据号) values ('A')"_s);
    const QString target = t.dir.filePath(u"shop-backup"_s);
    t.prompt.files.enqueue(target);
    QCOMPARE(BackupActions::backUp(t.session, QString()), target);
    // Made on the evening before: the question names that, not today.
    QFile backup(target);
    QVERIFY(backup.open(QIODevice::ReadWrite));
    QVERIFY(backup.setFileTime(QDateTime(QDate(2024, 2, 28), QTime(18, 30)),
                               QFileDevice::FileModificationTime));
    backup.close();
    t.database->execute(u"insert into 结帐管理 (单据号) values ('B')"_s);
    const ConnectionSettings settings = t.database->settings();
    t.prompt.clear();
    t.prompt.files.enqueue(target);
    t.prompt.answers.enqueue(answer);

    QCOMPARE(BackupActions::restore(t.session), answer);

    const QString replaced = server
        ? QString(u"服务器 "_s + settings.host + u" 上数据库 "_s + settings.database
                  + u" 中的全部数据，其他收银台也会受影响"_s)
        : QString(u"本机数据库 "_s + settings.filePath + u" 中的全部数据，原来的数据库会另存一份"_s);
    QVERIFY(t.prompt.shown.size() > 1);
    QCOMPARE(t.prompt.shown.at(1).kind, u"question"_s);
    QCOMPARE(t.prompt.shown.at(1).text,
             u"将用 2024-02-28 18:30:00 的备份 "_s + target + u" 替换"_s + replaced + u"。是否继续?"_s);
    QCOMPARE(t.prompt.shown.at(1).caption, u"数据恢复"_s);
    QCOMPARE(t.database->strings(u"select 单据号 from 结帐管理 order by 单据号"_s),
             answer ? QStringList{u"A"_s} : QStringList({u"A"_s, u"B"_s}));
    if (!answer)
        QVERIFY(t.prompt.messages().isEmpty());
}

SALONDESK_DB_GUI_TEST_MAIN(TestMaintenanceWindows)
#include "tst_maintenance_windows.moc"
