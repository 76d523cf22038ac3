#pragma once

#include "common/Clock.h"
#include "common/Money.h"
#include "db/Database.h"
#include "orders/Checkout.h"
#include "orders/Settlement.h"
#include "session/AppContext.h"
#include "support/ShopBuilder.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

// A shop's bills made the way the desk makes them: plates occupied and lines
// booked through the stores (ShopBuilder), then Checkout and Settlement; or
// bill rows written through the bill store where only the list matters.
class BillsFixture
{
public:
    BillsFixture(Database &db, Clock &clock) : m_db(db), m_clock(clock), m_shop(db)
    {
        m_context.OperatorName = QStringLiteral("前台");
        m_context.Rights = Rights::all();
    }

    void plate(const QString &number, const QString &state = QStringLiteral("可用"),
               const QString &main = QString())
    {
        if (state == QStringLiteral("占用"))
            m_shop.occupiedPlate(number, QStringLiteral("大厅"), main, m_clock.now());
        else
            m_shop.freePlate(number, QStringLiteral("大厅"), m_clock.now());
    }
    void occupy(const QString &number, const QString &main)
    {
        m_shop.occupy(number, main, m_clock.now());
    }
    // A line as booking leaves it; its ID.
    int line(const QString &plate, const QString &main, const QString &goods,
             const QString &price, const QString &quantity = QStringLiteral("1"),
             const QString &discounts = QStringLiteral("y"))
    {
        ShopBuilder::Line line;
        line.plate = plate;
        line.mainPlate = main;
        line.goods = goods;
        line.type = QStringLiteral("服务");
        line.price = Money::fromText(price);
        line.quantity = Money::fromText(quantity);
        line.discounts = discounts;
        line.commission = Money::fromInt(2);
        line.employee = QStringLiteral("007");
        line.employeeName = QStringLiteral("王芳");
        line.time = m_clock.now();
        line.operatorName = QStringLiteral("前台");
        return m_shop.line(line);
    }
    void member(const QString &card, const QString &balance, const QString &points,
                const QString &rate = QStringLiteral("1"))
    {
        m_db.execute(QStringLiteral("insert into 会员类型 (类型名称, 打折率) values (?, ?)"),
                     {QString(QStringLiteral("类型") + card), rate});
        m_db.execute(QStringLiteral("insert into 会员管理 (会员卡号, 会员姓名, 密码, 会员类型, 卡内金额, "
                                    "当前积分) values (?, '张三', '0000', ?, ?, ?)"),
                     {card, QString(QStringLiteral("类型") + card), balance, points});
    }

    struct Payment
    {
        QString card;   // empty: a walk-in
        QString method; // empty: cash
        Settlement::Status status = Settlement::Status::Paid;
    };
    // Settles the group of `plate` as the checkout window would; the bill number.
    QString settle(const QString &plate) { return settle(plate, Payment()); }
    QString settle(const QString &plate, const Payment &payment)
    {
        Checkout checkout(m_db, m_clock, plate);
        checkout.open();
        if (!payment.card.isEmpty())
            checkout.identify(payment.card, QStringLiteral("0000"));
        if (!payment.method.isEmpty())
            checkout.choosePayment(payment.method);
        return Settlement(m_db, m_context.signedIn(), m_clock).JieZhangHs(checkout, payment.status);
    }

    // A bill row alone, for the lists.
    void bill(const QString &number, const QDateTime &at, const QString &due,
              const QString &received, const QString &method = QStringLiteral("现金支付"),
              const QString &state = QStringLiteral("已结"),
              const QString &customer = QStringLiteral("散客"))
    {
        BillStore::Bill bill;
        bill.number = number;
        bill.plate = QStringLiteral("SP001");
        bill.entered = at.addSecs(-3600);
        bill.left = at;
        bill.settledAt = at;
        bill.due = Money::fromText(due);
        bill.received = Money::fromText(received);
        bill.method = method;
        bill.status = state;
        bill.card = QStringLiteral("非会员");
        bill.customer = customer;
        bill.remark = QStringLiteral("无");
        bill.operatorName = QStringLiteral("前台");
        m_shop.bill(bill);
    }
    // A settled line alone, for the lists.
    void settledLine(int id, const QString &bill, const QString &plate, const QString &goods,
                     const QVariant &at, const QString &total = QStringLiteral("10"))
    {
        m_db.execute(QStringLiteral("insert into jzmx (ID, 号牌, 主号牌, 商品名, 单价, 实际单价, 数量, "
                                    "合计, 员工编号, 员工姓名, 消费时间, 营业员, 单据号) "
                                    "values (?, ?, ?, ?, ?, ?, 1, ?, '007', '王芳', ?, '前台', ?)"),
                     {id, plate, plate, goods, total, total, total, at, bill});
    }

    QString text(const QString &sql, const QVariantList &values = {})
    {
        return m_db.scalar(sql, values).toString();
    }
    QString amount(const QString &sql, const QVariantList &values = {})
    {
        return Money::fromVariant(m_db.scalar(sql, values)).toString();
    }
    int count(const QString &sql, const QVariantList &values = {})
    {
        return m_db.scalar(sql, values).toInt();
    }
    QStringList strings(const QString &sql, const QVariantList &values = {})
    {
        return m_db.strings(sql, values);
    }

    AppContext &context() { return m_context; }

private:
    Database &m_db;
    Clock &m_clock;
    ShopBuilder m_shop;
    AppContext m_context;
};
