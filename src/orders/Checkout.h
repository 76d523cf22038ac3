#pragma once

#include "common/Money.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class Clock;
class Database;

// The bill the checkout window prepares for a plate and its group: which
// plates are billed together, their open lines, the member who pays, the
// discount rate and how the amount due is split between the card and the
// money received. Every step that the window shows writes to the database
// at once, as the shop's other workstations expect (stamps on the lines,
// discounted prices); the bill itself is written by Settlement.
//
// Refusals throw Refusal with the operator's text; database errors DbError.
class Checkout
{
public:
    // One open line as listed, with what settlement checks it against.
    struct Line
    {
        int id = 0;
        QString goods;       // 商品名
        Money price;         // 单价, the list price every discount starts from
        Money actualPrice;   // 实际单价 as listed: 单价 until discounted here
        Money quantity;      // 数量
        QString discounts;   // 折: "y" when the line takes part in discounting
        QString rateText;    // 折扣 as listed, or the rate applied here
        Money total;         // 合计
        QString plate;
        QString employee;    // 员工编号
        QString operatorName; // 营业员
        QString mainPlate;
    };

    struct Member
    {
        QString card;
        QString name;
        QString type;
        Money balance; // 卡内金额
        Money points;  // 当前积分
    };

    static constexpr auto Walkin = u"散客";
    static constexpr auto NoMember = u"非会员";
    static constexpr auto Cash = u"现金支付";
    static constexpr auto ByCard = u"卡内扣除";
    static constexpr auto BankCard = u"银行卡";
    static constexpr auto Cheque = u"支票";
    static constexpr auto UnknownCard = u"没有这个卡号的会员!";
    static constexpr auto WrongPassword = u"密码错误！";
    static constexpr auto CardNeedsMember = u"非会员不能卡内扣除,只能付现金结帐!";

    // The payment methods in the order the window lists them.
    static QStringList paymentMethods();

    Checkout(Database &database, const Clock &clock, const QString &plate);

    // What showing the window does: free plates lose their main plate, the
    // bill gets its number, the group, the other occupied plates, the
    // plate's customer, deposit and entry time are read, the group's line
    // totals go back to list price, and the lines are read and stamped.
    void open();

    // Double clicks on the two plate lists. The checkout plate never leaves
    // the checkout list; a plate not in the list moved from is ignored. A
    // plate moved out loses the bill number on its lines.
    void moveIn(const QString &plate);
    void moveOut(const QString &plate);

    // Reads the lines of every plate of the checkout list and stamps them
    // with the bill number, the member's card and name. A number that a bill
    // or another open checkout's lines already have moves on to the next
    // free one, so the lines that carry a number are one checkout's.
    void DuXfmx();
    // Applies the rate text to every line that takes part in discounting,
    // always from the list price: unit price and total rounded half to
    // even at four decimals, written on the line's own row.
    void DaZheHs();
    // Consumption, due and received all become the sum of the line totals.
    void JiSuan();
    // Enter in the rate field: the rate, the amounts and, for the card, the
    // payment split again.
    void applyRate(const QString &rateText);

    // Enter in the card field. Refuses UnknownCard; returns the default
    // password when the member still has it, else nothing.
    QString lookUpCard(const QString &card);
    // Enter in the password field: identifies the member, takes the rate of
    // the member's type ("0.00") and applies it. A type without a row leaves
    // the rate as it is; a type whose rate is not set gives no discount
    // (rate 1) and returns the notice to show, else nothing is returned.
    // Refuses WrongPassword, keeping any member identified before. The card
    // payment is split again whatever came of it.
    QString identify(const QString &card, const QString &password);

    // A choice in the payment list. "卡内扣除" without a member goes back to
    // cash and refuses CardNeedsMember.
    void choosePayment(const QString &method);
    // What the operator typed as received amount: unreadable text refuses.
    void setReceived(const QString &typed);
    void setRemark(const QString &remark) { m_remark = remark; }

    const QString &plate() const { return m_plate; }
    const QString &mainPlate() const { return m_mainPlate; }
    const QString &billNumber() const { return m_billNumber; }
    const QDateTime &shownAt() const { return m_shownAt; }
    const QStringList &group() const { return m_group; }
    const QStringList &others() const { return m_others; }
    const QList<Line> &lines() const { return m_lines; }
    bool hasMember() const { return m_member.card != QStringView(NoMember); }
    const Member &member() const { return m_member; }
    const QString &customerName() const { return m_customer; }
    const QString &deposit() const { return m_deposit; }
    const QString &entryTime() const { return m_entryTime; }
    const QDateTime &entryMoment() const { return m_entryMoment; }
    const QString &rateText() const { return m_rateText; }
    Money consumption() const { return m_consumption; }
    Money due() const { return m_due; }
    Money received() const { return m_received; }
    Money cardDeduction() const { return m_cardDeduction; }
    const QString &paymentMethod() const { return m_method; }
    const QString &remark() const { return m_remark; }

private:
    QStringList occupiedOutsideGroup();
    void readGroup();
    void readPlate();
    void resetTotals();
    void stamp(const QStringList &plates, const QString &number);
    // DuXfmx's reading and stamping, inside a transaction that holds the
    // bill number's lock.
    void readAndStamp();
    QString identifyMember(const QString &card, const QString &password);
    void splitPayment();
    // The split again when the card pays, after the amounts or the member changed.
    void splitAgain();
    Money rate(const QString &text) const;

    Database &m_database;
    const Clock &m_clock;
    QString m_plate;
    QString m_mainPlate;
    QString m_billNumber;
    QDateTime m_shownAt;
    QStringList m_group;
    QStringList m_others;
    QList<Line> m_lines;
    Member m_member;
    QString m_customer;
    QString m_deposit;
    QString m_entryTime;
    QDateTime m_entryMoment;
    QString m_rateText;
    Money m_consumption;
    Money m_due;
    Money m_received;
    Money m_cardDeduction;
    QString m_method;
    QString m_remark;
};
