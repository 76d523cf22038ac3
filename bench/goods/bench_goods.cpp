// The goods catalogue over 10,000 items: opening 商品项目管理 (the first
// page of the list and its footers), a search by a fragment of the name as
// the window does it, and a search by a fragment of the pinyin code through
// the list's query into a model page, as the consumption window searches.
// The list's pieces are timed alone as well, to tell where the time goes.
// Runs on SQLite in a temporary folder and, when SALONDESK_TEST_PG holds a
// connection ("host=… port=… dbname=… user=… password=…"), on PostgreSQL in
// a schema of its own that is dropped afterwards.
//
//   bench_goods [ITEMS]   (default 10000)

#include "common/Clock.h"
#include "db/Database.h"
#include "db/ResultTableModel.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "goods/PinYin.h"
#include "goods/ui/TXmFm.h"
#include "lists/ListQuery.h"
#include "session/AppContext.h"
#include "session/IniFile.h"
#include "session/Rights.h"
#include "session/Session.h"
#include "support/BenchBackends.h"
#include "support/RecordingFileOpener.h"
#include "support/ScriptedPrompt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QUuid>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int Rounds = 7;
constexpr double Target = 50;
// The rows a list window reads at a time.
constexpr int PageSize = 500;

// Names are a brand, a product and a variant: 20 × 25 × 20 distinct names,
// all of characters whose pinyin initials the GBK order gives, so every
// item has a full code ("丝美护发素小瓶" → "SMHFSXP").
const QStringList Brands = {u"丝美"_s, u"花语"_s, u"金秀"_s, u"雅诗"_s, u"清风"_s,
                            u"水润"_s, u"天然"_s, u"绿叶"_s, u"红梅"_s, u"青春"_s,
                            u"美丽"_s, u"自然"_s, u"明星"_s, u"玉兰"_s, u"春天"_s,
                            u"海洋"_s, u"阳光"_s, u"百合"_s, u"彩虹"_s, u"紫云"_s};
const QStringList Products = {u"洗发水"_s, u"护发素"_s, u"染发膏"_s, u"烫发水"_s, u"精油"_s,
                              u"面膜"_s,   u"洁面乳"_s, u"爽肤水"_s, u"乳液"_s,   u"面霜"_s,
                              u"眼霜"_s,   u"发蜡"_s,   u"发胶"_s,   u"定型水"_s, u"营养液"_s,
                              u"头皮水"_s, u"护手霜"_s, u"润肤露"_s, u"香水"_s,   u"修护膜"_s,
                              u"去屑露"_s, u"柔顺剂"_s, u"按摩油"_s, u"足浴盐"_s, u"防晒霜"_s};
const QStringList Variants = {u"小瓶"_s, u"大瓶"_s, u"特大"_s, u"家庭装"_s, u"旅行装"_s,
                              u"男士"_s, u"女士"_s, u"儿童"_s, u"清香"_s,   u"花香"_s,
                              u"果香"_s, u"无香"_s, u"加强"_s, u"温和"_s,   u"滋养"_s,
                              u"保湿"_s, u"美白"_s, u"紧致"_s, u"修复"_s,   u"经典"_s};
const QStringList Types = {u"洗护"_s, u"染烫"_s, u"护肤"_s, u"香氛"_s, u"服务"_s};

QString nameOf(int i)
{
    const int round = i / (Brands.size() * Products.size() * Variants.size());
    QString name = Brands.at(i % Brands.size())
        + Products.at(i / Brands.size() % Products.size())
        + Variants.at(i / (Brands.size() * Products.size()) % Variants.size());
    // Beyond 10,000 items the names repeat with a number, which ends the code.
    return round == 0 ? name : name + QString::number(round);
}

void fill(Database &db, int items)
{
    Transaction transaction(db);
    for (const QString &type : Types) {
        db.execute(u"insert into 商品类型 (名称, 库存, 参与打折, 是否需要服务) values (?, ?, 'n', ?)"_s,
                   {type, type != u"服务"_s, type == u"服务"_s});
    }
    int shortCodes = 0;
    for (int i = 0; i < items; ++i) {
        const QString name = nameOf(i);
        const QString code = PinYinInitials(name);
        if (i < 10000 && code.size() != name.size())
            ++shortCodes;
        const QString type = Types.at(i % Types.size());
        db.execute(u"insert into 商品库 (编号, 商品名, 拼音, 商品类型, 单价, 库存, 提成金额, "
                   u"是否需要服务, 作者, 出版社, 出版年, 简介) "
                   u"values (?, ?, ?, ?, ?, ?, ?, ?, '', '', '', '')"_s,
                   {QString(u"SP"_s + QString::number(i + 1).rightJustified(5, u'0')), name, code,
                    type, QString(QString::number(10 + i % 290) + u".5"_s), i % 120,
                    QString::number(i % 9), type == u"服务"_s ? u"是"_s : u"否"_s});
    }
    transaction.commit();
    if (shortCodes > 0)
        std::printf("warning: %d names have a shorter pinyin code than the name\n", shortCodes);
}

struct Figures
{
    double median = 0;
    double worst = 0;
};

// `after` runs outside the timing, so a window's closing is not counted as
// its opening.
Figures figuresOf(QList<double> times)
{
    std::sort(times.begin(), times.end());
    return {times.at(times.size() / 2), times.last()};
}

double millisecondsOf(const std::function<void()> &operation)
{
    QElapsedTimer timer;
    timer.start();
    operation();
    return timer.nsecsElapsed() / 1e6;
}

Figures measure(const std::function<void()> &operation,
                const std::function<void()> &after = [] {})
{
    operation(); // warm the caches and the statement plans
    after();
    QList<double> times;
    for (int round = 0; round < Rounds; ++round) {
        times.append(millisecondsOf(operation));
        after();
    }
    return figuresOf(times);
}

void report(const char *backend, const char *label, const Figures &figures)
{
    const QString what = QString::fromUtf8(label);
    // Chinese characters take two columns of the terminal.
    int width = 0;
    for (const QChar c : what)
        width += c.unicode() >= 0x2E80 ? 2 : 1;
    const QString padded = what + QString(std::max(0, 50 - width), u' ');
    std::printf("%-10s %s median %8.2f ms   worst %8.2f ms   %s\n", backend,
                qPrintable(padded), figures.median, figures.worst,
                figures.median >= Target  ? "OVER 50 ms"
                : figures.worst >= Target ? "ok (< 50 ms), worst over"
                                          : "ok (< 50 ms)");
}

void run(const char *backend, Database &db, int items)
{
    Schema::ensure(db);
    QElapsedTimer filling;
    filling.start();
    fill(db, items);
    std::printf("%-10s %d goods items (filled in %.1f s)\n", backend, items,
                filling.elapsed() / 1000.0);

    QTemporaryDir dir;
    AppContext context;
    context.ProgramDir = dir.path();
    context.DbKind = u"a"_s;
    context.Rights = Rights::all();
    IniFile ini(dir.filePath(u"system.ini"_s));
    ScriptedPrompt prompt;
    RecordingFileOpener opener;
    SystemClock clock;
    Session session{context, &db, QString(), ini, prompt, clock, opener};

    const QString nameFragment = u"护发素"_s;
    const QString codeFragment = u"HFS"_s;

    // The list's work without a window: the first page into the model and
    // the footers, for the whole list and for each search.
    std::unique_ptr<TXmFm> probe = std::make_unique<TXmFm>(session);
    ListQuery query(db, probe->query().description());
    probe.reset();
    ResultTableModel rows;
    const auto firstPage = [&](const ListFilter &filter) {
        rows.loadPaged([&, filter](int offset, int count) { return query.page(filter, offset, count); },
                       PageSize);
    };
    report(backend, "list: first page read into the model", measure([&] { firstPage({}); }));
    report(backend, "list: footers by the database (count, stock sum)",
           measure([&] { query.footers(); }));

    ListFilter byName;
    byName.conditions.append({u"商品名"_s, ListFilter::Match::Contains, nameFragment});
    report(backend, "list: 商品名 contains …, first page", measure([&] { firstPage(byName); }));
    report(backend, "list: 商品名 contains …, footers", measure([&] { query.footers(byName); }));

    // The consumption window's search by pinyin code: a page of the items
    // whose code holds what was typed.
    ListFilter byCode;
    byCode.conditions.append({u"拼音"_s, ListFilter::Match::Contains, codeFragment});
    report(backend, "search 拼音 contains … (first page into model)",
           measure([&] { firstPage(byCode); }));
    std::printf("%-10s   拼音 contains %s: %d rows on the first page\n", backend,
                qPrintable(codeFragment), rows.rowCount());
    report(backend, "search 拼音 contains … (page + footers)", measure([&] {
               firstPage(byCode);
               query.footers(byCode);
           }));

    // The window as the operator sees it: built, shown (which reads the
    // list) and painted once; each phase timed too, to tell where the time
    // goes. The very first opening also pays for Qt's fonts and styles once
    // per program run, and is shown apart.
    std::unique_ptr<TXmFm> opened;
    const auto open = [&] {
        opened = std::make_unique<TXmFm>(session);
        opened->show();
        QApplication::processEvents();
    };
    const auto closeOpened = [&] {
        opened->close();
        opened.reset();
    };
    std::printf("%-10s   first TXmFm opening in this run: %.2f ms\n", backend, millisecondsOf(open));
    closeOpened();
    QList<double> built, shown, painted, whole;
    for (int round = 0; round < Rounds; ++round) {
        built.append(millisecondsOf([&] { opened = std::make_unique<TXmFm>(session); }));
        shown.append(millisecondsOf([&] { opened->show(); }));
        painted.append(millisecondsOf([&] { QApplication::processEvents(); }));
        whole.append(built.last() + shown.last() + painted.last());
        closeOpened();
    }
    report(backend, "TXmFm constructed + shown (first page, footers)", figuresOf(whole));
    report(backend, "  of which: constructed", figuresOf(built));
    report(backend, "  of which: show() (reads the list)", figuresOf(shown));
    report(backend, "  of which: first paint (events)", figuresOf(painted));
    // The grid fits its columns to the text of up to 200 rows, again on each
    // new layout; the same opening with columns left as they are tells what
    // that fitting costs.
    whole.clear();
    for (int round = 0; round < Rounds; ++round) {
        whole.append(millisecondsOf([&] {
            opened = std::make_unique<TXmFm>(session);
            opened->grid()->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
            opened->show();
            QApplication::processEvents();
        }));
        closeOpened();
    }
    report(backend, "  the same, columns not fitted to their text", figuresOf(whole));

    TXmFm window(session);
    window.show();
    QApplication::processEvents();
    // Both as the operator sees them: read and painted.
    report(backend, "TXmFm 显示全部 (first page, footers)", measure([&] {
               window.showAll();
               QApplication::processEvents();
           }));
    window.searchBox()->setText(nameFragment);
    report(backend, "TXmFm 查找 名称 contains …", measure([&] {
               window.search();
               QApplication::processEvents();
           }));
    std::printf("%-10s   名称 contains %s: %d rows in the grid, footer count %s\n", backend,
                qPrintable(nameFragment), window.rows()->rowCount(),
                qPrintable(window.query().footers(window.filter()).texts.value(1)));
    if (!prompt.messages().isEmpty())
        std::printf("%-10s   messages shown: %s\n", backend, qPrintable(prompt.messages().join(u" | "_s)));
    window.close();
}


// The offscreen platform says this on every window shown; it would bury
// the figures.
void quietOffscreen(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.contains(u"propagateSizeHints"_s))
        return;
    qt_message_output(type, context, text);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler(quietOffscreen);
    const int items = argc > 1 ? std::atoi(argv[1]) : 10000;

    return runOnBackends("bench_goods",
                         [&](const char *backend, Database &db) { run(backend, db, items); });
}
