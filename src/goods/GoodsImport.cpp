#include "GoodsImport.h"

#include "common/Money.h"
#include "common/Refusal.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "export/ExcelSheet.h"
#include "session/RightTable.h"

#include <QSet>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr int ColumnCount = 9;
// Rows a savepoint: a row the database refuses sends its group through
// again row by row, to find it.
constexpr qsizetype GroupRows = 200;
// Rows a statement. PostgreSQL takes a group in one statement, as each
// statement costs round trips. SQLite binds a statement's values by looking
// each placeholder up among all of them, and its statements cost no round
// trip: one row a statement, prepared once and run for every row, imports
// a sheet in half the time of twenty rows a statement prepared anew.
constexpr qsizetype SqliteStatementRows = 1;

const QString InsertText = u"insert into 商品库 (id, 编号, 商品名, 拼音, 单价, 提成金额, 商品类型, 库存, "
                           "是否需要服务) values "_s;
const QString RowPlaces = u"(?, ?, ?, ?, ?, ?, ?, ?, ?)"_s;

bool isBlank(const ExcelSheet &sheet, int row)
{
    for (int column = 1; column <= ColumnCount; ++column) {
        if (!sheet.text(row, column).isEmpty())
            return false;
    }
    return true;
}

// Nothing for a cell that is no number; Refusal(Money::OutOfRange) for a
// number past the amount range.
std::optional<QVariant> amount(const QString &text)
{
    if (text.trimmed().isEmpty())
        return QVariant::fromValue(Money());
    const std::optional<Money> value = Money::parseEntry(text);
    if (!value)
        return std::nullopt;
    return QVariant::fromValue(*value);
}

// The values of one sheet row for the insert, or nothing, with the reason
// in `why`, when they cannot be stored. Both backends refuse the same rows:
// SQLite would keep text in a number column that PostgreSQL refuses. An
// amount past the range throws Refusal(Money::OutOfRange).
std::optional<QVariantList> rowValues(const ExcelSheet &sheet, int row, bool numberRows,
                                      QString &why)
{
    QStringList texts;
    texts.reserve(ColumnCount);
    for (int column = 1; column <= ColumnCount; ++column) {
        // An empty cell is empty text, not NULL.
        const QString text = sheet.text(row, column);
        texts.append(text.isNull() ? u""_s : text);
    }
    if (numberRows)
        texts[0] = QString::number(row);
    if (texts.at(1).isEmpty())
        texts[1] = u"0"_s;

    bool ok = false;
    const int id = texts.at(0).trimmed().toInt(&ok);
    if (!ok) {
        why = u"id“%1”不是整数"_s.arg(texts.at(0));
        return std::nullopt;
    }
    const auto price = amount(texts.at(4));
    const auto commission = amount(texts.at(5));
    const auto stock = amount(texts.at(7));
    if (!price || !commission || !stock) {
        why = u"单价、提成金额或库存不是数字"_s;
        return std::nullopt;
    }
    return QVariantList{id,        texts.at(1), texts.at(2), texts.at(3), *price,
                        *commission, texts.at(6), *stock,      texts.at(8)};
}

} // namespace

QStringList GoodsImport::columns()
{
    return {u"id"_s,      u"编号"_s,     u"商品名"_s, u"拼音"_s, u"单价"_s,
            u"提成金额"_s, u"商品类型"_s, u"库存"_s,   u"是否需要服务"_s};
}

void GoodsImport::checkPassword(const QString &typed)
{
    if (typed != QString::fromUtf16(Password))
        throw Refusal(QString::fromUtf16(WrongPassword));
}

GoodsImport::Outcome GoodsImport::run(const ExcelSheet &sheet, bool numberRows,
                                      const Progress &progress)
{
    RightTable::require(m_operator, Guarded::ImportGoods);
    Outcome outcome;
    QList<PendingRow> block;
    block.reserve(GroupRows);
    Transaction transaction(m_database);
    for (const int row : sheet.rowsWithValues()) {
        // A row with nothing in the imported columns is no item, and no
        // failure either: blank lines between the goods, or a stray value
        // far down or to the right, are not reported row by row.
        if (row < 2 || isBlank(sheet, row))
            continue;
        if (progress && !progress(row)) {
            // Left without a commit: the transaction takes back every row.
            return Outcome{.cancelled = true};
        }
        std::optional<QVariantList> values;
        QString why;
        try {
            values = rowValues(sheet, row, numberRows, why);
        } catch (const Refusal &) {
            outcome.outOfRangeRows.append(row);
            why = u"单价、提成金额或库存超出 ±"_s + Money::Max.toString();
        }
        if (!values) {
            outcome.failedRows.append(row);
            outcome.reasons.insert(row, why);
            continue;
        }
        const int id = values->constFirst().toInt();
        block.append({row, id, std::move(*values)});
        if (block.size() == GroupRows) {
            insertBlock(block, outcome);
            block.clear();
        }
    }
    insertBlock(block, outcome);
    std::sort(outcome.failedRows.begin(), outcome.failedRows.end());
    if (outcome.inserted > 0 && m_database.dialect().isPostgres()) {
        // Moved on only: ids handed out before stay used.
        m_database.exec(
            u"select setval(pg_get_serial_sequence('商品库', 'id'), max(id)) from 商品库 having max(id) >= "
            "coalesce(pg_sequence_last_value(pg_get_serial_sequence('商品库', 'id')::regclass) + 1, 1)"_s);
    }
    m_database.announce(Change::Goods);
    transaction.commit();
    return outcome;
}

void GoodsImport::insertBlock(const QList<PendingRow> &block, Outcome &outcome)
{
    if (block.isEmpty() || tryInsert(block, outcome))
        return;
    // The database refused the statement: each row goes again on its own
    // to find which it was.
    for (const PendingRow &row : block) {
        QString refusal;
        if (!tryInsert({row}, outcome, &refusal)) {
            outcome.failedRows.append(row.row);
            outcome.reasons.insert(row.row, u"数据库不接受这一行："_s + refusal);
        }
    }
}

bool GoodsImport::tryInsert(const QList<PendingRow> &rows, Outcome &outcome, QString *refusal)
{
    const qsizetype statementRows = m_database.dialect().isPostgres() ? GroupRows : SqliteStatementRows;
    QList<int> inserted;
    Transaction level(m_database);
    try {
        for (qsizetype from = 0; from < rows.size(); from += statementRows)
            insertRows(rows.mid(from, statementRows), inserted);
    } catch (const DbError &error) {
        // Throws on when the transaction itself is gone.
        level.rollbackAndContinue();
        if (refusal)
            *refusal = error.text();
        return false;
    }
    level.commit();
    // Of rows sharing an id the first went in, as it would on its own.
    QSet<int> taken(inserted.cbegin(), inserted.cend());
    for (const PendingRow &row : rows) {
        if (taken.remove(row.id)) {
            ++outcome.inserted;
        } else {
            outcome.failedRows.append(row.row);
            outcome.reasons.insert(row.row, u"id %1 已有商品"_s.arg(row.id));
        }
    }
    return true;
}

void GoodsImport::insertRows(const QList<PendingRow> &rows, QList<int> &inserted)
{
    QVariantList values;
    values.reserve(rows.size() * ColumnCount);
    for (const PendingRow &row : rows)
        values.append(row.values);
    QSqlQuery &query = statementFor(rows.size());
    m_database.run(query, values);
    // Read out and finished before the savepoint is released: SQLite cannot
    // release it under a statement still running.
    while (query.next())
        inserted.append(query.value(0).toInt());
    query.finish();
}

QSqlQuery &GoodsImport::statementFor(qsizetype rows)
{
    auto found = m_statements.find(rows);
    if (found != m_statements.end())
        return found->second;
    QString sql = InsertText;
    for (qsizetype i = 0; i < rows; ++i)
        sql += i == 0 ? RowPlaces : u"," + RowPlaces;
    // A taken id is the usual reason a row cannot go in; skipping such
    // rows, instead of failing the statement, keeps the rest of it.
    sql += u" on conflict (id) do nothing returning id"_s;
    return m_statements.emplace(rows, m_database.prepare(sql)).first->second;
}
