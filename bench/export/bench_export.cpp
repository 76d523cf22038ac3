// Times the Excel export of a large result: 100,000 rows of 18 columns with
// integers, amounts as text (as PostgreSQL hands them over), date-times as
// text (as SQLite keeps them), real date-times and Chinese text.

#include "db/Database.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "export/ExcelExporter.h"

#include <QAbstractTableModel>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int Rows = 100'000;
constexpr double TargetMs = 3000;

class GeneratedModel final : public QAbstractTableModel
{
public:
    static inline const QStringList Headers{
        u"ID"_s,       u"号牌"_s,     u"主号牌"_s,   u"商品名"_s,   u"商品类型"_s, u"单价"_s,
        u"实际单价"_s, u"数量"_s,     u"合计"_s,     u"折扣"_s,     u"提成金额"_s, u"员工编号"_s,
        u"员工姓名"_s, u"消费时间"_s, u"营业员"_s,   u"单据号"_s,   u"进店时间"_s, u"顾客姓名"_s};
    // The columns whose text holds amounts.
    static inline const QList<int> AmountColumns{5, 6, 8, 9, 10};

    explicit GeneratedModel(int rows)
    {
        const QStringList goods{u"洗剪吹"_s, u"烫发（长发）"_s, u"染发"_s, u"面部护理"_s,
                                u"精油按摩"_s, u"洗发水 500ml"_s, u"修眉"_s, u"头皮护理套餐"_s};
        const QStringList staff{u"王芳"_s, u"李娜"_s, u"张伟"_s, u"刘洋"_s, u"陈静"_s};
        const QStringList customers{u"散客"_s, u"赵女士"_s, u"孙先生"_s, u"周小姐"_s};
        const QDateTime start(QDate(2024, 1, 1), QTime(9, 0));
        m_rows.reserve(rows);
        for (int i = 0; i < rows; ++i) {
            const QDateTime when = start.addSecs(i * 37);
            const int price = 10 + i % 290;
            m_rows.append(QVariantList{
                i + 1,
                u"A%1"_s.arg(i % 200, 3, 10, QChar(u'0')),
                u"A%1"_s.arg(i % 200 / 4 * 4, 3, 10, QChar(u'0')),
                goods[i % goods.size()],
                i % 3 == 0 ? u"商品"_s : u"服务"_s,
                u"%1.5000"_s.arg(price),
                u"%1.2500"_s.arg(price),
                1 + i % 3,
                u"%1.7500"_s.arg(price * (1 + i % 3)),
                u"0.9500"_s,
                u"%1.0000"_s.arg(i % 20),
                u"%1"_s.arg(i % 40, 3, 10, QChar(u'0')),
                staff[i % staff.size()],
                when.toString(u"yyyy-MM-dd hh:mm:ss"_s),
                u"管理员"_s,
                when.toString(u"yyyyMMddhhmm"_s),
                when.addSecs(-3600),
                customers[i % customers.size()],
            });
        }
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(Headers.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole && role != Qt::EditRole)
            return {};
        return m_rows.at(index.row()).at(index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return Headers.value(section);
    }

private:
    QList<QVariantList> m_rows;
};

} // namespace

// The same export from a query over settled lines, as the lists of the
// program hand it over: rows come from the database as the model is read.
qint64 exportFromDatabase(const ConnectionSettings &settings, const QString &path, QString *error)
{
    auto db = Database::open(settings);
    Schema::ensure(*db);
    {
        Transaction transaction(*db);
        QSqlQuery insert(db->handle());
        insert.prepare(u"insert into jzmx (ID, 号牌, 主号牌, 商品名, 商品类型, 单价, 实际单价, 数量, 合计, 折扣, "
                       "参与打折, 提成金额, TcYf, 员工编号, 员工姓名, 消费时间, 营业员, 单据号) "
                       "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s);
        const QDateTime start(QDate(2024, 3, 1), QTime(9, 0));
        for (int row = 0; row < Rows; ++row) {
            const QString plate = u"SP"_s + QString::number(row % 200 + 1).rightJustified(3, u'0');
            const QVariantList values{row + 1, plate, plate, u"洗剪吹"_s, u"美发服务"_s, u"30"_s,
                                      u"25.5"_s, 1, u"25.5"_s, u"0.85"_s, u"y"_s, u"5"_s, u"0"_s,
                                      u"001"_s, u"张敏"_s,
                                      start.addSecs(row * 60).toString(u"yyyy-MM-dd hh:mm:ss"_s),
                                      u"超级管理员"_s, QString::number(202403000000LL + row / 4)};
            for (const QVariant &value : values)
                insert.addBindValue(value);
            if (!insert.exec()) {
                *error = insert.lastError().text();
                return -1;
            }
        }
        transaction.commit();
    }
    QElapsedTimer clock;
    clock.start();
    QSqlQueryModel model;
    QSqlQuery query(db->handle());
    if (db->dialect().isPostgres())
        query.setNumericalPrecisionPolicy(QSql::HighPrecision);
    query.exec(u"select ID, 号牌, 主号牌, 商品名, 商品类型, 单价, 实际单价, 数量, 合计, 折扣, 参与打折, "
               "提成金额, TcYf, 员工编号, 员工姓名, 消费时间, 营业员, 单据号 from jzmx order by ID"_s);
    model.setQuery(std::move(query));
    ExcelExporter exporter;
    if (exporter.write(model, path, 0, model.columnCount() - 1, error) != ExcelExporter::Outcome::Written)
        return -1;
    const qint64 elapsed = clock.elapsed();
    if (!settings.schema.isEmpty())
        db->exec(u"drop schema "_s + settings.schema + u" cascade"_s);
    return elapsed;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }

    QElapsedTimer clock;
    clock.start();
    GeneratedModel model(Rows);
    const qint64 buildMs = clock.elapsed();

    ExcelExporter exporter;
    exporter.setNumericColumns(GeneratedModel::AmountColumns);
    const QString path = dir.filePath(u"bench.xlsx"_s);
    QString error;
    clock.restart();
    const auto outcome = exporter.write(model, path, 0, model.columnCount() - 1, &error);
    const qint64 exportMs = clock.elapsed();
    if (outcome != ExcelExporter::Outcome::Written) {
        std::fprintf(stderr, "export failed: %s\n", qUtf8Printable(error));
        return 1;
    }

    std::printf("model of %d rows x %d columns built in %lld ms\n", Rows,
                static_cast<int>(model.columnCount()), static_cast<long long>(buildMs));
    std::printf("Excel export: %lld ms (target under %.0f ms), %.1f MB written\n",
                static_cast<long long>(exportMs), TargetMs,
                QFileInfo(path).size() / (1024.0 * 1024.0));

    bool withinTarget = exportMs < TargetMs;
    QList<std::pair<QString, ConnectionSettings>> backends;
    ConnectionSettings sqlite;
    sqlite.filePath = dir.filePath(u"bench.db"_s);
    backends.append({u"sqlite"_s, sqlite});
    if (!qEnvironmentVariableIsEmpty("SALONDESK_TEST_PG")) {
        ConnectionSettings pg = ConnectionSettings::fromPostgresKeywords(qEnvironmentVariable("SALONDESK_TEST_PG"));
        pg.schema = u"bench_export_"_s + QString::number(QCoreApplication::applicationPid());
        backends.append({u"postgresql"_s, pg});
    } else {
        std::printf("SALONDESK_TEST_PG is not set: PostgreSQL skipped\n");
    }
    for (const auto &[name, settings] : backends) {
        const qint64 ms = exportFromDatabase(settings, dir.filePath(name + u".xlsx"_s), &error);
        if (ms < 0) {
            std::fprintf(stderr, "%s export failed: %s\n", qUtf8Printable(name), qUtf8Printable(error));
            return 1;
        }
        std::printf("Excel export from %s, %d rows x 18 columns (query and export): %lld ms (target under %.0f ms)\n",
                    qUtf8Printable(name), Rows, static_cast<long long>(ms), TargetMs);
        withinTarget = withinTarget && ms < TargetMs;
    }
    return withinTarget ? 0 : 2;
}
