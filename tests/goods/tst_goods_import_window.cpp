#include "support/TestSession.h"
#include "support/WorkbookMaker.h"

#include "common/Money.h"
#include "goods/ui/TInExcelDataFm.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QJsonArray>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QStringList items(const QListWidget *list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->item(row)->text());
    return texts;
}

// Titles and three goods in nine columns; the third repeats the first id.
QJsonObject threeGoods()
{
    return WorkbookMaker::book(QJsonArray{
        QJsonArray{u"序号"_s, u"编号"_s, u"名称"_s, u"拼音"_s, u"价格"_s, u"提成"_s, u"类型"_s,
                   u"库存"_s, u"服务"_s},
        QJsonArray{1, u"001"_s, u"洗发"_s, u"XF"_s, 20, 2, u"美发服务"_s, 0, u"是"_s},
        QJsonArray{2, QJsonValue(), u"剪发"_s, u"JF"_s, 30.5, 0, u"美发服务"_s, 0, u"是"_s},
        QJsonArray{1, u"003"_s, u"烫发"_s, u"TF"_s, 88, 5, u"美发服务"_s, 0, u"否"_s},
    });
}

// A prompt that notes the file dialog's filter and leaves the rest to the
// scripted one.
class FilterNotingPrompt final : public Prompt
{
public:
    explicit FilterNotingPrompt(ScriptedPrompt &inner) : m_inner(inner) {}
    void message(const QString &text, const QString &caption, Kind kind) override
    {
        m_inner.message(text, caption, kind);
    }
    bool question(const QString &text, const QString &caption) override
    {
        return m_inner.question(text, caption);
    }
    std::optional<QString> input(const QString &caption, const QString &label,
                                 const QString &defaultText) override
    {
        return m_inner.input(caption, label, defaultText);
    }
    std::optional<QString> maskedInput(const QString &caption, const QString &label,
                                       const QString &defaultText) override
    {
        return m_inner.maskedInput(caption, label, defaultText);
    }
    QString openFile(const QString &caption, const QString &filter, const QString &startPath) override
    {
        filters.append(filter);
        return m_inner.openFile(caption, filter, startPath);
    }
    QString saveFile(const QString &caption, const QString &filter, const QString &proposedPath) override
    {
        return m_inner.saveFile(caption, filter, proposedPath);
    }

    QStringList filters;

private:
    ScriptedPrompt &m_inner;
};

} // namespace

// The import window's wiring: what it shows, what reading a workbook
// fills in, the password before anything is written, the failed rows and
// the count of imported and failed rows, a cancelled import, and a
// workbook that cannot be read.
class TestGoodsImportWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void opensReadyToChooseAWorkbook();
    void offersBothWorkbookFormats();
    void readsTitlesAndCounts_data();
    void readsTitlesAndCounts();
    void importsAfterThePassword_data();
    void importsAfterThePassword();
    void wrongPasswordChangesNothing_data();
    void wrongPasswordChangesNothing();
    void unreadableWorkbookIsReported();
    void clearEmptiesListAAndFailedRows();
    void amountsPastTheRangeAreNamed();
    void cancelImportsNothing();

private:
    QString workbook(const QString &suffix);

    QTemporaryDir m_dir;
};

void TestGoodsImportWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const QString &suffix : {u".xls"_s, u".xlsx"_s}) {
        if (!WorkbookMaker::available(suffix))
            QFAIL("python3 with openpyxl and xlwt is needed to write the workbooks");
    }
}

QString TestGoodsImportWindow::workbook(const QString &suffix)
{
    const QString path = m_dir.filePath(u"商品"_s + suffix);
    if (!QFile::exists(path)) {
        QString error;
        if (!WorkbookMaker::write(path, threeGoods(), &error))
            qWarning("%s", qPrintable(error));
    }
    return path;
}

void TestGoodsImportWindow::opensReadyToChooseAWorkbook()
{
    TestSession t;
    TInExcelDataFm window(t.session);
    window.show();
    QCOMPARE(window.windowTitle(), u"Excel导入"_s);
    QCOMPARE(items(window.fieldNames()),
             (QStringList{u"id"_s, u"编号"_s, u"商品名"_s, u"拼音"_s, u"单价"_s, u"提成金额"_s,
                          u"商品类型"_s, u"库存"_s, u"是否需要服务"_s}));
    QCOMPARE(window.excelTitles()->count(), 0);
    QVERIFY(!window.importButton()->isEnabled());
    QVERIFY(window.chooseButton()->isEnabled());
    QVERIFY(!window.autoNumber()->isChecked());
    QCOMPARE(window.autoNumber()->text(), u"自动增加编号"_s);
    QCOMPARE(window.timeLine()->text(), u"时间:"_s);
    QCOMPARE(window.progress()->value(), 0);
    auto *pages = window.findChild<QTabWidget *>();
    QVERIFY(pages);
    QCOMPARE(pages->tabText(0), u"商品库"_s);
    // The buttons of the page are on it; 退出 is outside.
    QVERIFY(pages->isAncestorOf(window.importButton()));
    QVERIFY(!pages->isAncestorOf(window.quitButton()));
    QStringList labels;
    for (const QLabel *label : window.findChildren<QLabel *>())
        labels.append(label->text());
    for (const QString &text : {u"A  导入  B"_s, u"Excel第一行"_s, u"数据库字段名"_s, u"导入失败的行号"_s,
                               u"A表显示的是要导入的Excel表的第一行标题,B表是系统内数据项目名称."_s,
                               u"首先要把Excel的每列的数据按照B表的前后顺序调整好."_s,
                               u"如果您的Excel数据中没有编号,那么请选择自动增加编号."_s})
        QVERIFY2(labels.contains(text), qPrintable(text));
    QVERIFY(t.prompt.shown.isEmpty());
}

void TestGoodsImportWindow::offersBothWorkbookFormats()
{
    TestSession t;
    FilterNotingPrompt prompt(t.prompt);
    Session session{t.context, t.database.get(), QString(), t.ini, prompt, t.clock, t.opener};
    TInExcelDataFm window(session);
    window.chooseButton()->click();
    QCOMPARE(prompt.filters.size(), 1);
    QVERIFY(prompt.filters.at(0).contains(u"*.xls "_s));
    QVERIFY(prompt.filters.at(0).contains(u"*.xlsx"_s));
}

void TestGoodsImportWindow::readsTitlesAndCounts_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::newRow("xlsx") << u".xlsx"_s;
    QTest::newRow("xls") << u".xls"_s;
}

void TestGoodsImportWindow::readsTitlesAndCounts()
{
    QFETCH(QString, suffix);
    TestSession t;
    TInExcelDataFm window(t.session);
    window.show();
    t.prompt.files.enqueue(workbook(suffix));
    window.chooseButton()->click();
    QCOMPARE(items(window.excelTitles()),
             (QStringList{u"序号"_s, u"编号"_s, u"名称"_s, u"拼音"_s, u"价格"_s, u"提成"_s, u"类型"_s,
                          u"库存"_s, u"服务"_s}));
    QCOMPARE(window.rowCountLine()->text(), u"3条数据(行数)"_s);
    QCOMPARE(window.columnCountLine()->text(), u"9个商品(列数)"_s);
    QVERIFY(window.importButton()->isEnabled());
    QVERIFY(t.prompt.messages().isEmpty());
    // Nothing is written by reading.
    QCOMPARE(t.database->scalar(u"select count(*) from 商品库"_s).toInt(), 0);
}

void TestGoodsImportWindow::importsAfterThePassword_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<bool>("autoNumber");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QString>("failed");
    QTest::newRow("xlsx, ids from the sheet")
        << u".xlsx"_s << false << QStringList{u"1"_s, u"2"_s} << u"第 4 行：id 1 已有商品"_s;
    QTest::newRow("xls, ids from the sheet")
        << u".xls"_s << false << QStringList{u"1"_s, u"2"_s} << u"第 4 行：id 1 已有商品"_s;
    QTest::newRow("xlsx, numbered by sheet row")
        << u".xlsx"_s << true << QStringList{u"2"_s, u"3"_s, u"4"_s} << QString();
}

void TestGoodsImportWindow::importsAfterThePassword()
{
    QFETCH(QString, suffix);
    QFETCH(bool, autoNumber);
    QFETCH(QStringList, ids);
    QFETCH(QString, failed);
    TestSession t;
    t.context.Rights.set(Right::Administration, true);
    TInExcelDataFm window(t.session);
    window.show();
    t.prompt.files.enqueue(workbook(suffix));
    window.chooseButton()->click();
    window.autoNumber()->setChecked(autoNumber);
    t.prompt.clear();

    t.prompt.inputs.enqueue(u"tupo"_s);
    window.importButton()->click();
    QCOMPARE(t.prompt.shown.size(), 2);
    QCOMPARE(t.prompt.shown.at(0).kind, u"masked"_s);
    QCOMPARE(t.prompt.shown.at(0).caption, u"请输入正确的密码"_s);
    QCOMPARE(t.prompt.shown.at(0).text, u"密码:"_s);
    QCOMPARE(t.prompt.lastMessage(),
             failed.isEmpty() ? u"导入 3 条，失败 0 条。"_s
                              : u"导入 2 条，失败 1 条。失败的行和原因见“导入失败的行号”。"_s);
    QCOMPARE(window.failedRows()->toPlainText(), failed);
    QCOMPARE(t.database->strings(u"select id from 商品库 order by id"_s), ids);
    QCOMPARE(t.database->scalar(u"select 编号 from 商品库 where 商品名 = '剪发'"_s).toString(), u"0"_s);
    QCOMPARE(window.progress()->maximum(), 4);
    QCOMPARE(window.progress()->value(), 4);
    QVERIFY(window.timeLine()->text().startsWith(u"时间:00:00:"_s));
    // A workbook must be read again before the next import.
    QVERIFY(!window.importButton()->isEnabled());
    QCOMPARE(items(window.excelTitles()).size(), 9);
}

void TestGoodsImportWindow::wrongPasswordChangesNothing_data()
{
    QTest::addColumn<std::optional<QString>>("typed");
    QTest::newRow("wrong") << std::optional<QString>(u"TUPO"_s);
    QTest::newRow("cancelled") << std::optional<QString>();
}

void TestGoodsImportWindow::wrongPasswordChangesNothing()
{
    QFETCH(std::optional<QString>, typed);
    TestSession t;
    TInExcelDataFm window(t.session);
    window.show();
    t.prompt.files.enqueue(workbook(u".xlsx"_s));
    window.chooseButton()->click();
    t.prompt.inputs.enqueue(typed);
    window.importButton()->click();
    QCOMPARE(t.prompt.messages(), QStringList{u"密码错误!"_s});
    QCOMPARE(t.database->scalar(u"select count(*) from 商品库"_s).toInt(), 0);
    QCOMPARE(items(window.excelTitles()).size(), 9);
    QCOMPARE(window.rowCountLine()->text(), u"3条数据(行数)"_s);
    QCOMPARE(window.timeLine()->text(), u"时间:"_s);
    QVERIFY(window.importButton()->isEnabled());
}

void TestGoodsImportWindow::unreadableWorkbookIsReported()
{
    TestSession t;
    t.context.Rights.set(Right::Administration, true);
    TInExcelDataFm window(t.session);
    window.show();
    t.prompt.files.enqueue(workbook(u".xlsx"_s));
    window.chooseButton()->click();
    QVERIFY(window.importButton()->isEnabled());

    const QString notAWorkbook = m_dir.filePath(u"清单.xlsx"_s);
    QFile file(notAWorkbook);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("编号,名称\n");
    file.close();
    t.prompt.files.enqueue(notAWorkbook);
    window.chooseButton()->click();
    QCOMPARE(t.prompt.messages().size(), 1);
    QVERIFY2(t.prompt.lastMessage().startsWith(u"无法读取Excel文件 "_s + notAWorkbook + u"："_s),
             qPrintable(t.prompt.lastMessage()));
    QCOMPARE(window.excelTitles()->count(), 0);
    QCOMPARE(window.rowCountLine()->text(), QString());
    QVERIFY(!window.importButton()->isEnabled());
}

void TestGoodsImportWindow::clearEmptiesListAAndFailedRows()
{
    TestSession t;
    t.context.Rights.set(Right::Administration, true);
    TInExcelDataFm window(t.session);
    window.show();
    t.prompt.files.enqueue(workbook(u".xls"_s));
    window.chooseButton()->click();
    t.prompt.inputs.enqueue(u"tupo"_s);
    window.importButton()->click();
    QCOMPARE(window.failedRows()->toPlainText(), u"第 4 行：id 1 已有商品"_s);
    window.clearButton()->click();
    QCOMPARE(window.excelTitles()->count(), 0);
    QCOMPARE(window.failedRows()->toPlainText(), QString());
    QCOMPARE(window.fieldNames()->count(), 9);
}

void TestGoodsImportWindow::amountsPastTheRangeAreNamed()
{
    const QString path = m_dir.filePath(u"大金额.xlsx"_s);
    const QJsonObject book = WorkbookMaker::book(QJsonArray{
                 QJsonArray{u"序号"_s, u"编号"_s, u"名称"_s, u"拼音"_s, u"价格"_s, u"提成"_s, u"类型"_s,
                            u"库存"_s, u"服务"_s},
                 QJsonArray{1, u"001"_s, u"到顶"_s, u"DD"_s, 99999999999.9999, 0, u"美发服务"_s, 0, u"是"_s},
                 QJsonArray{2, u"002"_s, u"极大"_s, u"JD"_s, 1e22, 0, u"美发服务"_s, 0, u"是"_s},
                 QJsonArray{3, u"003"_s, u"超出"_s, u"CC"_s, 20, 100000000000.0, u"美发服务"_s, 0, u"是"_s},
                 QJsonArray{4, u"004"_s, u"是字"_s, u"SZ"_s, u"二十"_s, 0, u"美发服务"_s, 0, u"是"_s},
             });
    QString error;
    QVERIFY2(WorkbookMaker::write(path, book, &error), qPrintable(error));
    TestSession t;
    t.context.Rights.set(Right::Administration, true);
    TInExcelDataFm window(t.session);
    window.show();
    t.prompt.files.enqueue(path);
    window.chooseButton()->click();
    t.prompt.inputs.enqueue(u"tupo"_s);
    window.importButton()->click();
    QCOMPARE(window.failedRows()->toPlainText(),
             u"第 3 行：单价、提成金额或库存超出 ±99999999999.9999\n"
             "第 4 行：单价、提成金额或库存超出 ±99999999999.9999\n"
             "第 5 行：单价、提成金额或库存不是数字"_s);
    QCOMPARE(t.prompt.messages(),
             (QStringList{u"金额超出范围：第 3、4 行的单价、提成金额或库存超出 ±99999999999.9999，"
                          "这些行没有导入，请在 Excel 中改正后再导入。"_s,
                          u"导入 1 条，失败 3 条。失败的行和原因见“导入失败的行号”。"_s}));
    QCOMPARE(t.database->scalar(u"select count(*) from 商品库"_s).toInt(), 1);
    QCOMPARE(Money::fromVariant(t.database->scalar(u"select 单价 from 商品库"_s)).toString(),
             u"99999999999.9999"_s);
}

void TestGoodsImportWindow::cancelImportsNothing()
{
    TestSession t;
    t.context.Rights.set(Right::Administration, true);
    TInExcelDataFm window(t.session);
    window.show();
    t.prompt.files.enqueue(workbook(u".xlsx"_s));
    window.chooseButton()->click();
    t.prompt.clear();
    t.prompt.inputs.enqueue(u"tupo"_s);
    // The operator presses 取消 as soon as the progress shows.
    bool offered = false;
    QTimer::singleShot(0, &window, [&window, &offered] {
        if (auto *progress = window.findChild<QProgressDialog *>()) {
            offered = progress->isVisible() && progress->labelText() == u"正在导入商品…"_s;
            progress->cancel();
        }
    });
    window.importButton()->click();
    QVERIFY(offered);
    QCOMPARE(t.prompt.messages(), QStringList{u"导入已取消，没有导入任何商品。"_s});
    QCOMPARE(t.database->scalar(u"select count(*) from 商品库"_s).toInt(), 0);
    // The workbook is still chosen: the import can start again.
    QVERIFY(window.importButton()->isEnabled());
}

SALONDESK_DB_GUI_TEST_MAIN(TestGoodsImportWindow)
#include "tst_goods_import_window.moc"
