#pragma once

#include <QHash>
#include <QList>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include "session/Operator.h"

#include <functional>
#include <map>

class Database;
class ExcelSheet;

// Loads goods from a worksheet into 商品库. Row 1 holds titles; each later
// row becomes one item, its columns A to I filling id, 编号, 商品名, 拼音,
// 单价, 提成金额, 商品类型, 库存 and 是否需要服务 as they stand: the pinyin
// is not computed, the type not checked, no purchase recorded.
//
// All rows go in one transaction, two hundred to a savepoint. A row whose
// id is taken is skipped; when the database refuses a statement for any
// other reason, the rows of its savepoint go again one by one, each under
// a savepoint of its own. So a row that cannot be stored (a repeated
// id, text in a number column) is reported and every other row is kept,
// as if each had gone in on its own. On PostgreSQL the id sequence is moved
// past the largest id afterwards, so goods added later do not collide
// with imported ones; SQLite's AUTOINCREMENT does so by itself.
class GoodsImport
{
public:
    static constexpr auto Password = u"tupo";
    static constexpr auto WrongPassword = u"密码错误!";

    struct Outcome
    {
        int inserted = 0;
        // Sheet row numbers (2 for the first data row), in order.
        QList<int> failedRows;
        // Those of them with an amount past the range, in order.
        QList<int> outOfRangeRows;
        // Why each failed row was not imported, by its row number.
        QHash<int, QString> reasons;
        // The operator stopped the import: nothing was kept.
        bool cancelled = false;
    };

    // Hears each sheet row number before that row goes in; false stops the
    // import, keeping nothing.
    using Progress = std::function<bool(int row)>;

    // The 商品库 columns that sheet columns A to I fill, in that order.
    static QStringList columns();
    // Refuses anything but the import password with WrongPassword.
    static void checkPassword(const QString &typed);

    // `who` needs the right to import goods (RightTable: Guarded::ImportGoods).
    GoodsImport(Database &database, const Operator &who) : m_database(database), m_operator(who) {}

    // Imports rows 2 to the last of `sheet`; a row empty in columns A to I
    // is skipped, not reported. `numberRows` ("自动增加编号") makes each
    // row's id its sheet row number, whatever column A holds. An empty 编号
    // becomes "0"; an empty 单价, 提成金额 or 库存 is 0. A row whose id is no
    // whole number, or whose amounts are no numbers or lie past the amount
    // range (also listed in outOfRangeRows), fails like a row the database
    // refuses. Throws DbError when the whole import could not be committed;
    // nothing is kept then, nor when `progress` stopped it. Refusal, with
    // nothing read or written, without the right.
    Outcome run(const ExcelSheet &sheet, bool numberRows, const Progress &progress = {});

private:
    struct PendingRow
    {
        int row;
        int id;
        QVariantList values;
    };
    void insertBlock(const QList<PendingRow> &block, Outcome &outcome);
    // The rows under one savepoint; rows whose id is taken are skipped and
    // listed as failed. False, with nothing kept and the database's reason
    // in `refusal`, when the database refused a statement.
    bool tryInsert(const QList<PendingRow> &rows, Outcome &outcome, QString *refusal = nullptr);
    // One statement for `rows`; the ids that went in are added to `inserted`.
    void insertRows(const QList<PendingRow> &rows, QList<int> &inserted);
    // The insert of that many rows, prepared on first use.
    QSqlQuery &statementFor(qsizetype rows);

    Database &m_database;
    const Operator m_operator;
    std::map<qsizetype, QSqlQuery> m_statements;
};
