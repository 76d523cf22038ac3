#include "SignIn.h"

#include "FirstOperator.h"
#include "db/Database.h"
#include "db/Schema.h"

#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace SignIn {

OperatorList loadOperators(Database &database)
{
    OperatorList list;
    QSqlQuery query = database.exec(u"select 用户名, 密码 from 管理员 order by id"_s);
    while (query.next()) {
        const QString name = query.value(0).toString();
        if (list.names.isEmpty()) {
            list.firstName = name;
            if (query.value(1).toString() == QStringView(Operators::FactoryPassword))
                list.prefillPassword = query.value(1).toString();
        }
        list.names.append(name);
    }
    return list;
}

QSqlRecord findOperator(Database &database, const QString &name, const QString &password)
{
    // Whether case matters is the database's own comparison: exact on the
    // server. The embedded file takes the place of the desktop database
    // that shops have always signed in to without regard to case.
    if (database.dialect().isPostgres())
        return database.firstRow(u"select * from 管理员 where 用户名=? and 密码=?"_s,
                                 {name, password});
    return database.firstRow(u"select * from 管理员 where 用户名=? collate nocase and 密码=? "
                             u"order by case when 用户名=? then 0 else 1 end, id"_s,
                             {name, password, name});
}

std::optional<Rights> check(Database &database, const QString &name, const QString &password)
{
    const QSqlRecord row = findOperator(database, name, password);
    if (row.isEmpty())
        return std::nullopt;

    Rights rights;
    for (const Right right : Rights::every()) {
        const QString column = Rights::column(right);
        const int index = row.indexOf(column);
        if (index < 0) {
            // Older databases lack these two; their operators had both.
            if (right == Right::Goods || right == Right::GoodsTypes) {
                rights.set(right, true);
                continue;
            }
            throw DbError(u"管理员 表中没有字段 "_s + column);
        }
        rights.set(right, row.value(index).toBool());
    }
    return rights;
}

} // namespace SignIn
