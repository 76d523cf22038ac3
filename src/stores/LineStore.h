#pragma once

#include "common/Money.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <utility>

class Database;
class ResultTableModel;

// One open consumption line as the board's grid and its printed list show
// it. The amounts are kept as the database gave them: SQLite can hold text
// that is no number there, and the grid shows it as it is rather than
// failing.
struct OpenLine
{
    int id = 0;
    QString plate;
    QString goods;
    QVariant price;
    QVariant quantity;
    QVariant discount;
    QVariant total;
    QDateTime time;
    QString employeeNumber;
    QString employeeName;
    QString operatorName;
};

// The only writer of the lines: the open ones (xfmx) and the settled ones
// (jzmx). It books a line, stamps lines with a bill number, writes
// discounted prices, settles a group's lines (xfmx → jzmx) and restores a
// reversed bill's lines (jzmx → xfmx); it marks commissions paid. Writes run
// in a write transaction at LockRank::Lines and announce Change::Lines.
// Amounts read for computing are read strictly: a value that is no number
// throws DbError naming the table and column.
class LineStore
{
public:
    // A line as the rule classes compute with it.
    struct Line
    {
        qint64 id = 0;
        QString plate;        // 号牌
        QString mainPlate;    // 主号牌
        QString goods;        // 商品名
        Money price;          // 单价
        Money actualPrice;    // 实际单价
        Money quantity;       // 数量
        Money total;          // 合计
        QString discounts;    // 参与打折: "y" when it takes part in discounting
        // 折扣; nothing for NULL and for what is no number, which
        // `unreadableRate` then holds as stored.
        std::optional<Money> rate;
        QString unreadableRate;
        QString employee;     // 员工编号
        QString employeeName; // 员工姓名
        QString operatorName; // 营业员
        QDateTime time;       // 消费时间
    };

    // What booking writes.
    struct NewLine
    {
        QString plate;
        QString mainPlate;
        QString goods;
        QString type;
        Money price;
        Money quantity;
        Money total;
        QString discounts;
        Money commission;
        QString employee;
        QString employeeName;
        QDateTime time;
        QString operatorName;
    };

    // A discounted price and total for one line.
    struct Discounted
    {
        qint64 id = 0;
        Money actualPrice;
        Money total;
    };

    // A settled line's unpaid commission.
    struct Commission
    {
        qint64 id = 0;
        Money amount;
        bool operator==(const Commission &) const = default;
    };

    explicit LineStore(Database &database) : m_database(database) {}

    // The open lines of a plate, by ID; of a group (by main plate).
    QList<Line> openLines(const QString &plate);
    QList<Line> groupLines(const QString &mainPlate);
    // The open lines of `plates` stamped with `billNumber`, by ID.
    QList<Line> stampedLines(const QString &billNumber, const QStringList &plates);
    bool hasOpenLines(const QString &plate);
    // The sum of the plate's open totals; nothing when it has no lines.
    std::optional<Money> openAmount(const QString &plate);
    // The board's grid: every open line, or one plate's, by ID.
    QList<OpenLine> boardLines(const std::optional<QString> &plate = {});
    // Every column of those lines, for the export.
    void loadBoardRows(ResultTableModel &into, const std::optional<QString> &plate);
    // Whether an open line of a plate other than `plates` (of any plate when
    // empty) carries the bill number.
    bool numberUsedElsewhere(const QString &number, const QStringList &plates);
    // The plates whose settled lines carry the bill number.
    QStringList settledPlates(const QString &billNumber);

    // Books a line.
    void book(const NewLine &line);
    // A room's ticket as the first line of an opened plate.
    void bookTicket(const QString &plate, const QString &mainPlate, Money price,
                    const QDateTime &time, const QString &operatorName);
    // Lines whose total is written anew (back to list price).
    void setTotals(const QList<std::pair<qint64, Money>> &totals);
    // Stamps every open line of the plates with the bill number, the card
    // and the customer's name.
    void stamp(const QStringList &plates, const QString &number, const QString &card,
               const QString &customer);
    // Takes the bill number off the plate's lines that carry it.
    void unstamp(const QString &plate, const QString &number);
    // Writes the rate, the discounted prices and totals, by ID.
    void discount(Money rate, QList<Discounted> lines);
    // Settles the plates' lines under the bill: stamped, moved to jzmx
    // with their IDs, gone from xfmx.
    void settle(const QStringList &plates, const QString &number, const QString &card,
                const QString &customer);
    // Brings the bill's settled lines back open under `mainPlate`, each with
    // its own ID, at list price, without the bill's stamps.
    void restore(const QString &billNumber, const QString &mainPlate);

    // The employee's settled lines whose commission is unpaid, by ID.
    QList<Commission> unpaidCommission(const QString &employee);
    // Marks those lines paid while they are still unpaid; how many were.
    qsizetype markPaid(const QString &employee, const QList<Commission> &lines);

private:
    QList<Line> lines(const QString &where, const QVariantList &values);
    void enter();

    Database &m_database;
};
