#pragma once

#include "common/Clock.h"
#include "common/Money.h"
#include "db/Database.h"
#include "orders/Checkout.h"
#include "orders/Settlement.h"
#include "session/AppContext.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

// A shop's bills made the way the desk makes them: plates occupied, lines
// booked, then Checkout and Settlement; or bill rows written directly where
// only the list matters.
class BillsFixture
{
public:
    BillsFixture(Database &db, Clock &clock) : m_db(db), m_clock(clock)
    {
        m_context.OperatorName = QStringLiteral("前台");
        m_context.Rights = Rights::all();
    }

    void plate(const QString &number, const QString &state = QStringLiteral("可用"),
               const QString &main = QString())
    {
        m_db.execute(QStringLiteral("insert into 号牌管理 (号牌, 所属包厢, 号牌状态, 主号牌, 顾客姓名, "
                                    "押金金额, 进店时间) values (?, '大厅', ?, ?, '散客', 0, ?)"),
                     {number, state, main, m_clock.now()});
    }
    void occupy(const QString &number, const QString &main)
    {
        m_db.execute(QStringLiteral("update 号牌管理 set 号牌状态='占用', 主号牌=?, 进店时间=? "
                                    "where 号牌=?"),
                     {main, m_clock.now(), number});
    }
    // A line as booking leaves it; its ID.
    int line(const QString &plate, const QString &main, const QString &goods,
             const QString &price, const QString &quantity = QStringLiteral("1"),
             const QString &discounts = QStringLiteral("y"))
    {
        const Money total = Money::fromText(price) * Money::fromText(quantity);
        m_db.execute(QStringLiteral("insert into xfmx (号牌, 主号牌, 商品名, 商品类型, 单价, 实际单价, "
                                    "数量, 合计, 折扣, 参与打折, 提成金额, TcYf, 员工编号, 员工姓名, "
                                    "消费时间, 营业员) values (?, ?, ?, '服务', ?, ?, ?, ?, 1, ?, 2, "
                                    "'0', '007', '王芳', ?, '前台')"),
                     {plate, main, goods, price, price, quantity, total.toVariant(), discounts,
                      m_clock.now()});
        return m_db.scalar(QStringLiteral("select max(ID) from xfmx")).toInt();
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
        m_db.execute(QStringLiteral("insert into 结帐管理 (单据号, 号牌, 进店时间, 离店时间, 结帐时间, "
                                    "应收金额, 实收金额, 卡内扣除, 结帐方式, 状态, 会员卡号, 顾客姓名, "
                                    "备注, 营业员) values (?, 'SP001', ?, ?, ?, ?, ?, 0, ?, ?, '非会员', "
                                    "?, '无', '前台')"),
                     {number, at.addSecs(-3600), at, at, due, received, method, state, customer});
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
    AppContext m_context;
};
