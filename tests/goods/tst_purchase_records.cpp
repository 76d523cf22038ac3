#include "support/TestSession.h"

#include "db/ResultTableModel.h"
#include "goods/ui/TXmAddChaXunFm.h"
#include "lists/ui/FooterBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTest>

using namespace Qt::StringLiterals;

// 进货表统计: which purchases each search finds.
class TestPurchaseRecords : public QObject
{
    Q_OBJECT

private slots:
    void opensOnTodaysPurchases();
    void searches_data();
    void searches();

private:
    static void purchase(Database &db, const QString &name, const QString &day, int quantity,
                         const QString &total);
    static QStringList names(const TXmAddChaXunFm &window);
};

void TestPurchaseRecords::purchase(Database &db, const QString &name, const QString &day,
                                   int quantity, const QString &total)
{
    db.execute(u"insert into 进货表 (商品名, 进货单价, 数量, 总进价, 日期, 管理员) values (?, 1, ?, ?, ?, ?)"_s,
               {name, quantity, total, day, u"超级管理员"_s});
}

QStringList TestPurchaseRecords::names(const TXmAddChaXunFm &window)
{
    QStringList found;
    for (int row = 0; row < window.rows()->rowCount(); ++row)
        found.append(window.rows()->value(row, u"商品名"_s).toString());
    return found;
}

void TestPurchaseRecords::opensOnTodaysPurchases()
{
    TestSession t; // the clock stands at 2024-03-01 08:00
    purchase(*t.database, u"洗发水"_s, u"2024-02-29 00:00:00"_s, 1, u"1"_s);
    purchase(*t.database, u"护发素"_s, u"2024-03-01 00:00:00"_s, 4, u"10"_s);
    purchase(*t.database, u"发蜡"_s, u"2024-03-01 00:00:00"_s, 2, u"2.5"_s);
    TXmAddChaXunFm window(t.session);
    QCOMPARE(window.windowTitle(), u"进货表统计"_s);
    QVERIFY(window.dateBox()->isChecked());
    QCOMPARE(window.firstDate()->date(), QDate(2024, 3, 1));
    QCOMPARE(window.lastDate()->date(), QDate(2024, 3, 2));
    QCOMPARE(names(window), (QStringList{u"护发素"_s, u"发蜡"_s}));
    QCOMPARE(window.footer()->text(0), u"2"_s);
    QCOMPARE(window.footer()->text(4), u"6"_s);
    QCOMPARE(window.footer()->text(5), u"12.5"_s);
    QVERIFY(t.prompt.shown.isEmpty());
}

void TestPurchaseRecords::searches_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("byDate");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("exact name over all days") << u"洗发水"_s << false << QStringList{u"洗发水"_s, u"洗发水"_s};
    QTest::newRow("a part of a name finds nothing") << u"洗发"_s << false << QStringList();
    QTest::newRow("the whole last day counts") << QString() << true
                                               << QStringList{u"洗发水"_s, u"发蜡"_s};
    QTest::newRow("name within the days") << u"发蜡"_s << true << QStringList{u"发蜡"_s};
    // Neither filter: the grid keeps what it showed.
    QTest::newRow("nothing to search by") << u"  "_s << false << QStringList{u"护发素"_s};
}

void TestPurchaseRecords::searches()
{
    QFETCH(QString, name);
    QFETCH(bool, byDate);
    QFETCH(QStringList, found);
    TestSession t;
    purchase(*t.database, u"护发素"_s, u"2024-03-01 00:00:00"_s, 1, u"1"_s);
    purchase(*t.database, u"洗发水"_s, u"2024-02-10 00:00:00"_s, 1, u"1"_s);
    purchase(*t.database, u"洗发水"_s, u"2024-02-20 00:00:00"_s, 1, u"1"_s);
    purchase(*t.database, u"发蜡"_s, u"2024-02-21 23:59:59"_s, 1, u"1"_s);
    purchase(*t.database, u"发油"_s, u"2024-02-22 00:00:00"_s, 1, u"1"_s);
    TXmAddChaXunFm window(t.session);
    window.nameBox()->setText(name);
    window.dateBox()->setChecked(byDate);
    window.firstDate()->setDate(QDate(2024, 2, 20));
    window.lastDate()->setDate(QDate(2024, 2, 21));
    window.search();
    QCOMPARE(names(window), found);
}

SALONDESK_DB_GUI_TEST_MAIN(TestPurchaseRecords)
#include "tst_purchase_records.moc"
