#include "StarterShop.h"

#include "db/Database.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "operators/FirstOperator.h"

#include <QFile>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace StarterShop {

bool writeDefaultIni(const QString &path)
{
    if (QFile::exists(path))
        return false;
    const QString text = u"[TARVIK]\n"
                         "softname=美容美发管理系统\n"
                         "memo=美容美发店前台收银与后台管理\n"
                         "tel=客服电话:400-000-0000\n"
                         "web=网址:www.example.com\n"
                         "Company=SalonDesk\n"
                         "\n"
                         "[PosPrt]\n"
                         "CheckOutPrtPreview=1\n"
                         "port=LPT1\n"
                         "\n"
                         "[part1]\n"
                         "; a = 单机版 (数据文件在程序目录), s = 网络版 (PostgreSQL 服务器)\n"
                         "abc=a\n"
                         "csaccess=Provider=SQLite;Data Source=data.db;Persist Security Info=False\n"_s;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw std::runtime_error(QString(path + u": "_s + file.errorString()).toStdString());
    file.write(text.toUtf8());
    return true;
}

bool seed(Database &database)
{
    if (database.exists(u"select 1 from 管理员"_s) || database.exists(u"select 1 from 包厢"_s)
        || database.exists(u"select 1 from 号牌管理"_s))
        return false;

    Transaction transaction(database);

    QStringList rightColumns = Schema::rightColumns();
    QString columns = u"用户名, 密码"_s;
    QString marks = u"?, ?"_s;
    QVariantList values{QString::fromUtf16(Operators::SuperOperator),
                        QString::fromUtf16(Operators::FactoryPassword)};
    for (const QString &right : rightColumns) {
        columns += u", "_s + right;
        marks += u", ?"_s;
        values.append(true);
    }
    database.execute(u"insert into 管理员 ("_s + columns + u") values ("_s + marks + u')', values);

    database.execute(u"insert into sysinfo (name, tel, \"add\") values (?, ?, ?)"_s,
                     {u"美丽时光美发店"_s, u"0571-8888 6666"_s, u"幸福路 18 号"_s});

    database.execute(u"insert into 会员类型 (类型名称, 初始积分, 打折率) values (?, ?, ?)"_s,
                     {u"普通会员"_s, 0, u"0.9"_s});
    database.execute(u"insert into 会员类型 (类型名称, 初始积分, 打折率) values (?, ?, ?)"_s,
                     {u"金卡会员"_s, 0, u"0.8"_s});

    // One type keeps stock and sells at list price; the other is the
    // services, which members get their discount on.
    database.execute(u"insert into 商品类型 (名称, 库存, 参与打折, 是否需要服务) values (?, ?, ?, ?)"_s,
                     {u"洗护用品"_s, true, u"n"_s, false});
    database.execute(u"insert into 商品类型 (名称, 库存, 参与打折, 是否需要服务) values (?, ?, ?, ?)"_s,
                     {u"美发服务"_s, false, u"y"_s, true});

    struct Goods
    {
        const char16_t *code, *name, *pinyin, *type, *price, *commission, *stock, *service;
    };
    const Goods goods[] = {
        {u"1001", u"洗剪吹", u"XJC", u"美发服务", u"30", u"5", u"0", u"是"},
        {u"1002", u"烫发", u"TF", u"美发服务", u"280", u"20", u"0", u"是"},
        {u"1003", u"染发", u"RF", u"美发服务", u"200", u"15", u"0", u"是"},
        {u"1004", u"头部按摩", u"TBAM", u"美发服务", u"48", u"8", u"0", u"是"},
        {u"2001", u"洗发水", u"XFS", u"洗护用品", u"45", u"0", u"50", u"否"},
        {u"2002", u"护发素", u"HFS", u"洗护用品", u"38.5", u"0", u"30", u"否"},
    };
    for (const Goods &item : goods) {
        database.execute(u"insert into 商品库 (编号, 商品名, 拼音, 商品类型, 单价, 提成金额, 库存, 是否需要服务) "
                         "values (?, ?, ?, ?, ?, ?, ?, ?)"_s,
                         {QString::fromUtf16(item.code), QString::fromUtf16(item.name),
                          QString::fromUtf16(item.pinyin), QString::fromUtf16(item.type),
                          QString::fromUtf16(item.price), QString::fromUtf16(item.commission),
                          QString::fromUtf16(item.stock), QString::fromUtf16(item.service)});
    }

    database.execute(u"insert into 员工等级 (等级名称, 工资) values (?, ?)"_s, {u"发型师"_s, u"3000"_s});
    database.execute(u"insert into 员工管理 (员工编号, 员工姓名, 性别, 证件号码, 联系电话, 备注, 员工等级) "
                     "values (?, ?, ?, ?, ?, ?, ?)"_s,
                     {u"001"_s, u"张敏"_s, u"女"_s, QString(), QString(), QString(), u"发型师"_s});

    database.execute(u"insert into 包厢 (包厢, 门票价格, 最低消费, 初始费用, 排序) values (?, ?, ?, ?, 1)"_s,
                     {u"大厅"_s, u"10"_s, 0, 0});
    for (int number = 1; number <= 20; ++number) {
        database.execute(u"insert into 号牌管理 (号牌, 所属包厢, 号牌状态, 押金金额, 合计金额) "
                         "values (?, ?, ?, 0, 0)"_s,
                         {QString(u"SP"_s + QString::number(number).rightJustified(3, u'0')), u"大厅"_s, u"可用"_s});
    }

    transaction.commit();
    return true;
}

} // namespace StarterShop
