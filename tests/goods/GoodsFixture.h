#pragma once

#include "common/Money.h"
#include "db/Database.h"
#include "support/ShopBuilder.h"

#include <QString>
#include <QVariant>

// Small rows for the goods tests: types, items, and a trigger that makes
// one table's writes fail as a full disk or a lock would.
namespace GoodsFixture {

using namespace Qt::StringLiterals;

inline void type(Database &db, const QString &name, bool keepsStock)
{
    ShopBuilder(db).goodsType(name, keepsStock, false, false);
}

// Written by hand: the catalogue records a new item's stock as a purchase,
// and these tests count the purchases the screens record.
inline int item(Database &db, const QString &name, const QString &type, const QString &stock,
                const QString &price = u"10"_s)
{
    db.execute(u"insert into 商品库 (编号, 商品名, 拼音, 商品类型, 单价, 库存, 提成金额, 是否需要服务) "
               "values ('001', ?, 'P', ?, ?, ?, 0, '否')"_s,
               {name, type, price, stock});
    return db.scalar(u"select max(id) from 商品库"_s).toInt();
}

inline QVariant value(Database &db, const QString &column, int id)
{
    return db.scalar(u"select "_s + column + u" from 商品库 where id=?"_s, {id});
}

inline QString stockOf(Database &db, int id)
{
    return Money::fromVariant(value(db, u"库存"_s, id)).toString();
}

inline int count(Database &db, const QString &table)
{
    return db.scalar(u"select count(*) from "_s + table).toInt();
}

// Every insert into / update of `table` fails with the database's text.
inline void refuseWrites(Database &db, const QString &table, const QString &what)
{
    if (db.backend() == Backend::Postgres) {
        db.exec(u"create function refuse_write() returns trigger language plpgsql as "
                "$$ begin raise exception 'disk full'; end $$"_s);
        db.exec(u"create trigger refuse_write before "_s + what + u" on "_s + table +
                u" for each row execute function refuse_write()"_s);
    } else {
        db.exec(u"create trigger refuse_write before "_s + what + u" on "_s + table +
                u" begin select raise(abort, 'disk full'); end"_s);
    }
}

} // namespace GoodsFixture
