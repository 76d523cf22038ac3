#include "support/ShopBuilder.h"
#include "support/TestSession.h"

#include "board/PlateStatus.h"
#include "board/ui/TMainFm.h"
#include "common/Money.h"
#include "common/Refusal.h"
#include "export/ExcelSheet.h"
#include "goods/GoodsCatalogue.h"
#include "goods/GoodsImport.h"
#include "goods/StockPurchases.h"
#include "goods/ui/TXmKindFm.h"
#include "lists/RecordTable.h"
#include "maintenance/Backup.h"
#include "maintenance/DataClearing.h"
#include "maintenance/ReceiptPrinterSettings.h"
#include "maintenance/ServerRestore.h"
#include "members/MemberPasswords.h"
#include "members/MemberStore.h"
#include "orders/Checkout.h"
#include "orders/Settlement.h"
#include "session/AppContext.h"
#include "session/IniFile.h"
#include "session/Operator.h"
#include "session/RightTable.h"
#include "shell/Navigator.h"
#include "staff/SalaryPayment.h"
#include "staff/ui/TYgDjFm.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <map>
#include <memory>

using namespace Qt::StringLiterals;

// Walks the table of rights. Each row a rule class checks: an operator
// without the right is refused with the row's text and nothing is written;
// one with it goes ahead. Each row with entries on the board: they are
// greyed or stay enabled as the row says, and one that stays enabled shows
// the row's text when chosen without the right.
class TestRights : public QObject
{
    Q_OBJECT

private slots:
    void everyRightIsAColumn();
    void ruleClassesCheckTheirRight_data();
    void ruleClassesCheckTheirRight();
    void recordScreensWriteOnlyWithTheRight_data();
    void recordScreensWriteOnlyWithTheRight();
    void boardEntriesFollowTheTable_data();
    void boardEntriesFollowTheTable();
};

namespace {

const QDateTime Now(QDate(2024, 3, 15), QTime(14, 5, 9));

int count(Database &db, const QString &sql)
{
    return db.scalar(sql).toInt();
}

// How the walk runs one rule class's operation: what it needs in the shop,
// the operation as `who`, and whether it wrote.
struct Run
{
    std::function<void(Database &)> prepare;
    std::function<void(Database &, Clock &, const Operator &)> operation;
    std::function<bool(Database &)> written;
};

// SP001 occupied, with one open line when the walk settles it.
void occupiedPlate(Database &db, bool withLine)
{
    ShopBuilder shop(db);
    shop.plate({.plate = u"SP001"_s, .state = u"占用"_s, .entered = Now.addSecs(-3600)});
    if (withLine) {
        shop.line({.plate = u"SP001"_s, .goods = u"洗发"_s, .price = Money::fromInt(30),
                   .operatorName = u"前台"_s});
    }
}

Run settle(Settlement::Status status)
{
    return {[](Database &db) { occupiedPlate(db, true); },
            [status](Database &db, Clock &clock, const Operator &who) {
                Checkout checkout(db, clock, u"SP001"_s);
                checkout.open();
                Settlement(db, who, clock).JieZhangHs(checkout, status);
            },
            [](Database &db) { return count(db, u"select count(*) from 结帐管理"_s) > 0; }};
}

// One goods item, 洗发水, of a type that keeps stock.
void goodsItem(Database &db)
{
    ShopBuilder(db).goodsType(u"产品"_s, true, false, false);
    // By hand: the catalogue would record the item's first stock as a
    // purchase, and a purchase is what the walk looks for.
    db.execute(u"insert into 商品库 (编号, 商品名, 拼音, 商品类型, 单价, 提成金额, 库存, 是否需要服务) "
               "values ('001', '洗发水', 'xfs', '产品', 30, 0, 0, '否')"_s);
}

int goodsId(Database &db)
{
    return count(db, u"select id from 商品库"_s);
}

// Member M1 with the password 1234.
void member(Database &db)
{
    ShopBuilder(db).member({.card = u"M1"_s, .name = u"张三"_s, .type = u"普通"_s,
                            .password = u"1234"_s});
}

// A backup of the shop with sysinfo "before", then "after" in the shop:
// a restore brings "before" back.
Run restore()
{
    auto dir = std::make_shared<QTemporaryDir>();
    const QString backup = dir->filePath(u"backup"_s);
    return {[dir, backup](Database &db) {
                db.execute(u"insert into sysinfo (name) values ('before')"_s);
                Backup::backUp(Operator{u"店长"_s, Rights::all()}, db, backup);
                db.execute(u"update sysinfo set name='after'"_s);
            },
            [dir, backup](Database &db, Clock &, const Operator &who) {
                if (db.dialect().isPostgres()) {
                    ServerRestore::restore(who, db.settings(), backup);
                } else {
                    // The program closes its connection first.
                    db.close();
                    Backup::restoreEmbedded(who, backup, db.settings().filePath, Now);
                }
            },
            [](Database &db) {
                return db.scalar(u"select name from sysinfo"_s).toString() == u"before";
            }};
}

Run paySalary()
{
    return {[](Database &db) {
                ShopBuilder(db).level(u"发型师"_s, u"3000"_s).employee(u"001"_s, u"张敏"_s, u"发型师"_s);
            },
            [](Database &db, Clock &clock, const Operator &who) {
                SalaryPayment salary(db, clock, who);
                SalaryPayment::Payment payment;
                payment.employee = *salary.employee(u"001"_s);
                payment.base = *salary.baseSalary(u"发型师"_s);
                payment.commission = salary.unpaidCommission(u"001"_s);
                payment.withCommission = false;
                salary.pay(payment);
            },
            [](Database &db) { return count(db, u"select count(*) from 员工工资表"_s) > 0; }};
}

Run backUp()
{
    auto dir = std::make_shared<QTemporaryDir>();
    const QString backup = dir->filePath(u"backup"_s);
    return {[](Database &) {},
            [dir, backup](Database &db, Clock &, const Operator &who) {
                Backup::backUp(who, db, backup);
            },
            [dir, backup](Database &) { return QFileInfo::exists(backup); }};
}

Run importGoods()
{
    return {[](Database &) {},
            [](Database &db, Clock &, const Operator &who) {
                const QList<QStringList> rows{
                    GoodsImport::columns(),
                    {u"1"_s, u"001"_s, u"洗发水"_s, u"xfs"_s, u"30"_s, u"0"_s, u"产品"_s, u"0"_s, u"否"_s}};
                GoodsImport(db, who).run(ExcelSheet(u"Sheet1"_s, rows), false);
            },
            [](Database &db) { return count(db, u"select count(*) from 商品库"_s) > 0; }};
}

Run receiptPrinter()
{
    struct Settings
    {
        QTemporaryDir dir;
        IniFile ini{dir.filePath(u"system.ini"_s)};
        AppContext context;
    };
    auto settings = std::make_shared<Settings>();
    return {[](Database &) {},
            [settings](Database &, Clock &, const Operator &who) {
                ReceiptPrinterSettings::apply(who, settings->ini, settings->context, true, u"COM2"_s);
            },
            [settings](Database &) {
                return settings->ini.read(u"PosPrt"_s, u"port"_s) == u"COM2"
                       && settings->context.ReceiptPort == u"COM2";
            }};
}

// A record screen's table as its window describes it.
RecordTableDescription recordTable(Guarded operation)
{
    return operation == Guarded::GoodsTypes ? TXmKindFm::describe().table : TYgDjFm::describe().table;
}

// A new row of that table: a goods type or an employee level.
QVariantList newRecord(Guarded operation)
{
    if (operation == Guarded::GoodsTypes)
        return {u"产品"_s, true, false, u"n"_s};
    return {u"发型师"_s, u"3000"_s};
}

int records(Database &db, Guarded operation)
{
    return count(db, u"select count(*) from "_s + recordTable(operation).table);
}

Run addRecord(Guarded operation)
{
    return {[](Database &) {},
            [operation](Database &db, Clock &, const Operator &who) {
                RecordTable(db, recordTable(operation), who).insert(newRecord(operation));
            },
            [operation](Database &db) { return records(db, operation) > 0; }};
}

// Every row a rule class checks, and how the walk runs it.
std::map<Guarded, Run> runs()
{
    std::map<Guarded, Run> all;
    all[Guarded::Waive] = settle(Settlement::Status::Waived);
    all[Guarded::CancelAtCheckout] = settle(Settlement::Status::Cancelled);
    all[Guarded::CancelOrder] = {
        [](Database &db) { occupiedPlate(db, false); },
        [](Database &db, Clock &, const Operator &who) {
            PlateStatus(db).cancelOrder(u"SP001"_s, who);
        },
        [](Database &db) {
            return count(db, u"select count(*) from 号牌管理 where 号牌状态='占用'"_s) == 0;
        }};
    all[Guarded::EditGoods] = {
        goodsItem,
        [](Database &db, Clock &clock, const Operator &who) {
            GoodsCatalogue catalogue(db, who, clock);
            const GoodsCatalogue::Item shown = catalogue.item(goodsId(db));
            catalogue.update(shown, {shown.code, shown.name, shown.pinyin, shown.type,
                                     shown.needsService, u"35"_s, u"0"_s, u"0"_s});
        },
        [](Database &db) {
            return Money::fromVariant(db.scalar(u"select 单价 from 商品库"_s)) == Money::fromText(u"35"_s);
        }};
    all[Guarded::DeleteGoods] = {
        goodsItem,
        [](Database &db, Clock &clock, const Operator &who) {
            GoodsCatalogue(db, who, clock).remove(goodsId(db));
        },
        [](Database &db) { return count(db, u"select count(*) from 商品库"_s) == 0; }};
    all[Guarded::PurchaseStock] = {
        goodsItem,
        [](Database &db, Clock &clock, const Operator &who) {
            GoodsCatalogue(db, who, clock).checkPurchase(goodsId(db));
            StockPurchases(db, who, clock).record({goodsId(db), u"20"_s, u"2"_s, {}});
        },
        [](Database &db) { return count(db, u"select count(*) from 进货表"_s) > 0; }};
    all[Guarded::EditMember] = {
        member,
        [](Database &db, Clock &, const Operator &who) {
            MemberStore store(db, who.rights);
            const MemberStore::Member shown = store.load(u"M1"_s);
            MemberStore::Member edited = shown;
            edited.name = u"李四"_s;
            store.update(shown, edited);
        },
        [](Database &db) {
            return db.scalar(u"select 会员姓名 from 会员管理"_s).toString() == u"李四";
        }};
    all[Guarded::DeleteMember] = {
        member,
        [](Database &db, Clock &, const Operator &who) {
            MemberStore(db, who.rights).remove(u"M1"_s);
        },
        [](Database &db) { return count(db, u"select count(*) from 会员管理"_s) == 0; }};
    all[Guarded::ResetMemberPassword] = {
        member,
        [](Database &db, Clock &clock, const Operator &who) {
            MemberPasswords(db, who, clock).reset(u"M1"_s);
        },
        [](Database &db) { return count(db, u"select count(*) from 日志"_s) > 0; }};
    all[Guarded::ClearData] = {
        [](Database &db) {
            db.execute(u"insert into 员工工资表 (员工编号, 员工姓名) values ('001', '张敏')"_s);
        },
        [](Database &db, Clock &, const Operator &who) {
            DataClearing::clear(who, db, {DataClearing::Records::Salaries});
        },
        [](Database &db) { return count(db, u"select count(*) from 员工工资表"_s) == 0; }};
    all[Guarded::Restore] = restore();
    all[Guarded::PaySalary] = paySalary();
    all[Guarded::BackUp] = backUp();
    all[Guarded::ImportGoods] = importGoods();
    all[Guarded::ReceiptPrinter] = receiptPrinter();
    all[Guarded::EmployeeLevels] = addRecord(Guarded::EmployeeLevels);
    all[Guarded::GoodsTypes] = addRecord(Guarded::GoodsTypes);
    return all;
}

} // namespace

void TestRights::everyRightIsAColumn()
{
    for (const Right right : Rights::every())
        QCOMPARE(Rights::ofColumn(Rights::column(right)), std::optional<Right>(right));
    for (const Guard &guard : RightTable::guards()) {
        QVERIFY(!guard.refusal.isEmpty());
        QCOMPARE(&RightTable::guard(guard.operation), &guard);
    }
}

void TestRights::ruleClassesCheckTheirRight_data()
{
    QTest::addColumn<Guarded>("operation");
    const std::map<Guarded, Run> known = runs();
    for (const Guard &guard : RightTable::guards()) {
        if (guard.checkedBy.isEmpty())
            continue;
        // A row a rule class checks must be walked.
        QVERIFY2(known.count(guard.operation), qPrintable(guard.checkedBy));
        QTest::newRow(qPrintable(guard.checkedBy + u' ' + Rights::column(guard.right)))
            << guard.operation;
    }
}

void TestRights::ruleClassesCheckTheirRight()
{
    QFETCH(Guarded, operation);
    const Guard &guard = RightTable::guard(operation);
    const Run run = runs().at(operation);
    for (const bool granted : {false, true}) {
        auto db = TestDb::fresh();
        FixedClock clock(Now);
        run.prepare(*db);
        Operator who{u"前台"_s, Rights::all()};
        who.rights.set(guard.right, granted);
        QString refused;
        try {
            run.operation(*db, clock, who);
        } catch (const Refusal &refusal) {
            refused = refusal.text();
        }
        QCOMPARE(refused, granted ? QString() : guard.refusal);
        QCOMPARE(run.written(*db), granted);
    }
}

void TestRights::recordScreensWriteOnlyWithTheRight_data()
{
    // The walk above adds a row; changing and deleting one need the right
    // as well.
    QTest::addColumn<Guarded>("operation");
    QTest::addColumn<QString>("write");
    for (const Guarded operation : {Guarded::EmployeeLevels, Guarded::GoodsTypes}) {
        for (const QString &write : {u"update"_s, u"remove"_s}) {
            const QString name = recordTable(operation).table + u' ' + write;
            QTest::newRow(qPrintable(name)) << operation << write;
        }
    }
}

void TestRights::recordScreensWriteOnlyWithTheRight()
{
    QFETCH(Guarded, operation);
    QFETCH(QString, write);
    const Guard &guard = RightTable::guard(operation);
    const RecordTableDescription described = recordTable(operation);
    const QString nameColumn = described.fields.front().column;
    const QString stored = newRecord(operation).front().toString();
    for (const bool granted : {false, true}) {
        auto db = TestDb::fresh();
        RecordTable(*db, described, {u"店长"_s, Rights::all()}).insert(newRecord(operation));
        Operator who{u"前台"_s, Rights::all()};
        who.rights.set(guard.right, granted);
        RecordTable table(*db, described, who);
        const RecordRow shown = table.readAll().front();
        QString refused;
        try {
            if (write == u"update") {
                QVariantList changed = table.shownValues(shown);
                changed[0] = u"新名称"_s;
                table.update(shown, changed);
            } else {
                table.remove(shown.key);
            }
        } catch (const Refusal &refusal) {
            refused = refusal.text();
        }
        QCOMPARE(refused, granted ? QString() : guard.refusal);
        const QStringList left = db->strings(u"select "_s + nameColumn + u" from "_s + described.table);
        if (!granted)
            QCOMPARE(left, QStringList{stored});
        else if (write == u"update")
            QCOMPARE(left, QStringList{u"新名称"_s});
        else
            QCOMPARE(left, QStringList());
    }
}

void TestRights::boardEntriesFollowTheTable_data()
{
    QTest::addColumn<Guarded>("operation");
    for (const Guard &guard : RightTable::guards()) {
        const QStringList entries = guard.toolbar + guard.menuEntries + guard.menus + guard.popup;
        if (!entries.isEmpty())
            QTest::newRow(qPrintable(entries.join(u'/'))) << guard.operation;
    }
}

void TestRights::boardEntriesFollowTheTable()
{
    QFETCH(Guarded, operation);
    const Guard &guard = RightTable::guard(operation);
    for (const bool granted : {false, true}) {
        TestSession t;
        t.context.Rights = Rights::all();
        t.context.Rights.set(guard.right, granted);
        TMainFm board(t.session);
        board.setAskOnClose(false);
        Navigator navigator(t.session, board);
        // The board sets its entries as it is shown.
        board.show();

        const bool enabled = granted || guard.board == Guard::Board::Refuses;
        for (const QString &title : guard.menus)
            QCOMPARE(board.menu(title)->menuAction()->isEnabled(), enabled);
        QList<QAction *> actions;
        for (const QString &caption : guard.toolbar)
            actions.append(board.toolbarAction(caption));
        for (const QString &entry : guard.menuEntries)
            actions.append(board.menuAction(entry));
        for (const QString &caption : guard.popup)
            actions.append(board.popupAction(caption));
        for (QAction *action : actions) {
            QVERIFY(action);
            QCOMPARE(action->isEnabled(), enabled);
        }

        if (granted || guard.board != Guard::Board::Refuses)
            continue;
        // Chosen without the right: the row's text, and no window opens
        // (one would wait here for a click).
        for (QAction *action : actions) {
            t.prompt.clear();
            action->trigger();
            QCOMPARE(t.prompt.messages(), QStringList{guard.refusal});
        }
    }
}

SALONDESK_DB_GUI_TEST_MAIN(TestRights)
#include "tst_rights.moc"
