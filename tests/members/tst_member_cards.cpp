#include "support/ShopBuilder.h"
#include "support/TestDb.h"
#include "support/Workstations.h"

#include "common/Money.h"
#include "db/Database.h"
#include "db/RowLocks.h"
#include "db/Transaction.h"
#include "members/MemberCards.h"

#include <QSqlRecord>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::function<bool(MemberCards &)>)

// The members' cards as their store keeps them: a charge takes only what
// the balance covers, also when two workstations charge one card at the
// same moment, every change takes the member's lock in the program's one
// order, and every change is announced once it has committed.
class TestMemberCards : public QObject
{
    Q_OBJECT

private slots:
    void chargeTakesOnlyWhatIsCovered_data();
    void chargeTakesOnlyWhatIsCovered();
    void chargesFromTwoWorkstations_data();
    void chargesFromTwoWorkstations();
    void writesAreAnnouncedOnceCommitted_data();
    void writesAreAnnouncedOnceCommitted();
    void writesTakeTheMemberInTheLockOrder_data();
    void writesTakeTheMemberInTheLockOrder();
};

namespace {

const QString Card = u"8001"_s;

void insertMember(Database &db, const QVariant &balance)
{
    if (!balance.isNull()) {
        ShopBuilder(db).member({.card = Card, .name = u"张三"_s,
                                .balance = Money::fromVariant(balance)});
        return;
    }
    // A balance never set only older data has; written by hand.
    db.execute(u"insert into 会员管理 (会员卡号, 会员姓名, 会员类型, 密码, 卡内金额, 当前积分) "
               "values (?, '张三', '金卡', '0000', ?, 0)"_s,
               {Card, balance});
}

QVariant stored(Database &db, const QString &column)
{
    return db.scalar(u"select "_s + column + u" from 会员管理 where 会员卡号=?"_s, {Card});
}

} // namespace

void TestMemberCards::chargeTakesOnlyWhatIsCovered_data()
{
    QTest::addColumn<QVariant>("balance");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<bool>("charged");
    QTest::addColumn<QVariant>("after");
    QTest::newRow("covered") << QVariant(u"100"_s) << u"30"_s << true << QVariant(u"70"_s);
    QTest::newRow("the whole balance")
        << QVariant(u"30.25"_s) << u"30.25"_s << true << QVariant(u"0"_s);
    QTest::newRow("a ten-thousandth short")
        << QVariant(u"30"_s) << u"30.0001"_s << false << QVariant(u"30"_s);
    QTest::newRow("no balance ever set") << QVariant() << u"1"_s << false << QVariant();
}

void TestMemberCards::chargeTakesOnlyWhatIsCovered()
{
    QFETCH(QVariant, balance);
    QFETCH(QString, amount);
    QFETCH(bool, charged);
    QFETCH(QVariant, after);
    auto db = TestDb::fresh();
    insertMember(*db, balance);
    MemberCards cards(*db);
    QCOMPARE(cards.charge(Card, Money::fromText(amount)), charged);
    const QVariant left = stored(*db, u"卡内金额"_s);
    QCOMPARE(left.isNull(), after.isNull());
    if (!after.isNull())
        QCOMPARE(Money::fromVariant(left), Money::fromVariant(after));
    QVERIFY(!cards.charge(u"gone"_s, Money::fromInt(1)));
}

void TestMemberCards::chargesFromTwoWorkstations_data()
{
    QTest::addColumn<QString>("balance");
    QTest::addColumn<QString>("each");
    QTest::addColumn<int>("charges");
    QTest::addColumn<QString>("left");
    QTest::newRow("both covered") << u"100"_s << u"30"_s << 2 << u"40"_s;
    QTest::newRow("together exactly the balance") << u"100"_s << u"50"_s << 2 << u"0"_s;
    QTest::newRow("only one covered") << u"100"_s << u"60"_s << 1 << u"40"_s;
}

void TestMemberCards::chargesFromTwoWorkstations()
{
    QFETCH(QString, balance);
    QFETCH(QString, each);
    QFETCH(int, charges);
    QFETCH(QString, left);
    auto db = TestDb::fresh();
    const ConnectionSettings settings = db->settings();
    insertMember(*db, balance);
    const Money amount = Money::fromText(each);

    constexpr int Rounds = 20;
    for (int round = 0; round < Rounds; ++round) {
        db->execute(u"update 会员管理 set 卡内金额=?, 当前积分=0"_s, {balance});
        // Each charges the card and adds the points, as a settlement does,
        // in a transaction of its own, both starting together.
        Workstations stations(1);
        const auto outcomes = stations.run([&](int station) {
            auto own = Database::open(settings);
            MemberCards cards(*own);
            // Met before the transaction begins: a write transaction holds
            // SQLite's write lock from its start, and the other could not
            // begin while this one waited here for it.
            stations.meet(station);
            Transaction transaction(*own);
            const bool charged = cards.charge(Card, amount);
            if (charged)
                cards.addPoints(Card, amount);
            transaction.commit();
            return charged ? u"charged"_s : u"not covered"_s;
        });

        const QString what = u"round %1: [%2] [%3]"_s.arg(round).arg(outcomes[0].describe(),
                                                                     outcomes[1].describe());
        int charged = 0;
        for (const Outcome &outcome : outcomes) {
            QVERIFY2(outcome.kind == Outcome::Done, qPrintable(what));
            if (outcome.text == u"charged")
                ++charged;
        }
        QVERIFY2(charged == charges, qPrintable(what));
        QVERIFY2(Money::fromVariant(stored(*db, u"卡内金额"_s)) == Money::fromText(left),
                 qPrintable(what + u" balance "_s + stored(*db, u"卡内金额"_s).toString()));
        QVERIFY2(Money::fromVariant(stored(*db, u"当前积分"_s)) == amount * Money::fromInt(charges),
                 qPrintable(what + u" points "_s + stored(*db, u"当前积分"_s).toString()));
    }
}

void TestMemberCards::writesAreAnnouncedOnceCommitted_data()
{
    using Write = std::function<bool(MemberCards &)>;
    QTest::addColumn<Write>("write");
    QTest::addColumn<bool>("writes");
    const MemberCards::Recharge recharge{Card,           u"张三"_s, u"金卡"_s, Money::fromInt(50),
                                         QDateTime(QDate(2024, 3, 1), QTime(9, 0)),
                                         QString(), u"前台"_s};
    QTest::newRow("recharge") << Write([=](MemberCards &cards) {
        return cards.recharge(recharge).has_value();
    }) << true;
    QTest::newRow("charge") << Write([](MemberCards &cards) {
        return cards.charge(Card, Money::fromInt(5));
    }) << true;
    QTest::newRow("charge not covered") << Write([](MemberCards &cards) {
        return cards.charge(Card, Money::fromInt(500));
    }) << false;
    QTest::newRow("refund") << Write([](MemberCards &cards) {
        return cards.refund(Card, Money::fromInt(5));
    }) << true;
    QTest::newRow("points") << Write([](MemberCards &cards) {
        return cards.addPoints(Card, Money::fromInt(5));
    }) << true;
    QTest::newRow("points of a member gone") << Write([](MemberCards &cards) {
        return cards.addPoints(u"gone"_s, Money::fromInt(5));
    }) << false;
    QTest::newRow("password") << Write([](MemberCards &cards) {
        return cards.changePassword(Card, u"0000"_s, u"1234"_s);
    }) << true;
    QTest::newRow("password reset") << Write([](MemberCards &cards) {
        return cards.resetPassword(Card, u"前台"_s, QDateTime(QDate(2024, 3, 1), QTime(9, 0)));
    }) << true;
}

void TestMemberCards::writesAreAnnouncedOnceCommitted()
{
    using Write = std::function<bool(MemberCards &)>;
    QFETCH(Write, write);
    QFETCH(bool, writes);
    auto db = TestDb::fresh();
    insertMember(*db, u"100"_s);
    QList<Changes> heard;
    db->setCommittedListener([&](Changes changes) { heard.append(changes); });
    MemberCards cards(*db);

    {
        // Taken back: the other windows have nothing to read again.
        Transaction transaction(*db);
        QCOMPARE(write(cards), writes);
    }
    QVERIFY(heard.isEmpty());

    Transaction transaction(*db);
    QCOMPARE(write(cards), writes);
    QVERIFY(heard.isEmpty());
    transaction.commit();
    QCOMPARE(heard.size(), writes ? 1 : 0);
    if (writes)
        QVERIFY(heard.first() == Changes(Change::Members));
}

void TestMemberCards::writesTakeTheMemberInTheLockOrder_data()
{
    // The same writes, each once after the plates, where the member comes,
    // and once after the bill number, where it may no longer.
    writesAreAnnouncedOnceCommitted_data();
}

void TestMemberCards::writesTakeTheMemberInTheLockOrder()
{
    using Write = std::function<bool(MemberCards &)>;
    QFETCH(Write, write);
    QFETCH(bool, writes);
    auto db = TestDb::fresh();
    insertMember(*db, u"100"_s);
    const auto row = [&db] {
        return db->firstRow(u"select 卡内金额, 当前积分, 密码 from 会员管理"_s);
    };
    MemberCards cards(*db);

    const QSqlRecord before = row();
    {
        Transaction transaction(*db);
        RowLocks::enter(*db, LockRank::BillNumber);
        QString refused;
        try {
            write(cards);
        } catch (const DbError &error) {
            refused = error.text();
        }
        QVERIFY2(refused.startsWith(u"锁定顺序错误"_s), qPrintable(refused));
    }
    for (int column = 0; column < before.count(); ++column)
        QCOMPARE(row().value(column).toString(), before.value(column).toString());
    QCOMPARE(db->scalar(u"select count(*) from 会员充值"_s).toInt(), 0);

    Transaction transaction(*db);
    RowLocks::enter(*db, LockRank::Plates);
    QCOMPARE(write(cards), writes);
    transaction.commit();
}

SALONDESK_DB_TEST_MAIN(TestMemberCards)
#include "tst_member_cards.moc"
