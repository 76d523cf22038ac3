#include "support/ShopBuilder.h"
#include "support/TestSession.h"

#include "db/ResultTableModel.h"
#include "orders/ui/TFwsXzFm.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

using namespace Qt::StringLiterals;

// 选择服务生: which employees each search lists, and how the chooser is left.
class TestEmployeeChooser : public QObject
{
    Q_OBJECT

private slots:
    void searches_data();
    void searches();
    void leaving_data();
    void leaving();
    void opensOnTheFirstEmployee();

private:
    static void staff(Database &db);
    static QStringList codes(const TFwsXzFm &window);
};

void TestEmployeeChooser::staff(Database &db)
{
    const QStringList rows[] = {{u"001"_s, u"张敏"_s}, {u"002"_s, u"刘洋"_s}, {u"010"_s, u"张%"_s}};
    for (const QStringList &row : rows) {
        ShopBuilder(db).employee(row.at(0), row.at(1), u"发型师"_s);
    }
}

QStringList TestEmployeeChooser::codes(const TFwsXzFm &window)
{
    QStringList found;
    for (int row = 0; row < window.rows()->rowCount(); ++row)
        found.append(window.rows()->value(row, u"员工编号"_s).toString());
    return found;
}

void TestEmployeeChooser::searches_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("all on opening") << QString() << QString()
                                    << QStringList{u"001"_s, u"002"_s, u"010"_s};
    QTest::newRow("a part of the name") << u"张"_s << QString() << QStringList{u"001"_s, u"010"_s};
    QTest::newRow("percent is a character") << u"%"_s << QString() << QStringList{u"010"_s};
    QTest::newRow("the whole number") << QString() << u"01"_s << QStringList();
    QTest::newRow("number") << QString() << u"002"_s << QStringList{u"002"_s};
}

void TestEmployeeChooser::searches()
{
    QFETCH(QString, name);
    QFETCH(QString, number);
    QFETCH(QStringList, found);
    TestSession t;
    staff(*t.database);
    TFwsXzFm window(t.session);
    window.show();
    if (!name.isEmpty()) {
        window.nameBox()->setText(name);
        QTest::keyClick(window.nameBox(), Qt::Key_Return);
    }
    if (!number.isEmpty()) {
        window.numberBox()->setText(number);
        QTest::keyClick(window.numberBox(), Qt::Key_Return);
    }
    QCOMPARE(codes(window), found);
    QVERIFY(window.isVisible());
}

void TestEmployeeChooser::leaving_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("number");
    QTest::newRow("选择") << u"选择"_s << int(TFwsXzFm::Outcome::Chosen) << u"002"_s;
    QTest::newRow("取消") << u"取消"_s << int(TFwsXzFm::Outcome::Cancelled) << QString();
    // Esc once booked the service on the employee "n".
    QTest::newRow("Esc") << u"Esc"_s << int(TFwsXzFm::Outcome::Cancelled) << QString();
    QTest::newRow("closed") << u"close"_s << int(TFwsXzFm::Outcome::Cancelled) << QString();
    QTest::newRow("Enter on the list") << u"Enter"_s << int(TFwsXzFm::Outcome::Chosen) << u"002"_s;
}

void TestEmployeeChooser::leaving()
{
    QFETCH(QString, how);
    QFETCH(int, outcome);
    QFETCH(QString, number);
    TestSession t;
    staff(*t.database);
    TFwsXzFm window(t.session);
    window.show();
    QVERIFY(window.selectRow(u"员工编号"_s, u"002"_s));
    if (how == u"Esc")
        QTest::keyClick(&window, Qt::Key_Escape);
    else if (how == u"close")
        window.close();
    else if (how == u"Enter") {
        // Keys reach the active window only.
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(window.grid(), Qt::Key_Return);
    }
    else
        window.action(how)->trigger();
    QVERIFY(!window.isVisible());
    QCOMPARE(int(window.outcome()), outcome);
    if (!number.isEmpty()) {
        QCOMPARE(window.employee().number, number);
        QCOMPARE(window.employee().name, u"刘洋"_s);
    }
}

// At the desk: the chooser opens, Enter books the first employee, with no
// click in between.
void TestEmployeeChooser::opensOnTheFirstEmployee()
{
    TestSession t;
    staff(*t.database);
    TFwsXzFm window(t.session);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTRY_VERIFY(window.grid()->hasFocus());
    QCOMPARE(window.grid()->currentIndex().row(), 0);
    const QString first = codes(window).value(0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(int(window.outcome()), int(TFwsXzFm::Outcome::Chosen));
    QCOMPARE(window.employee().number, first);
}

SALONDESK_DB_GUI_TEST_MAIN(TestEmployeeChooser)
#include "tst_employee_chooser.moc"
