#include "TInExcelDataFm.h"

#include "common/Money.h"
#include "common/Prompt.h"
#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "export/ExcelSheetReader.h"
#include "goods/GoodsImport.h"
#include "session/Session.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QTime>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QLabel *wrapped(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

// The titles and the columns the import fills: whatever lies further
// right is never held in memory.
ExcelSheet readSheet(const QString &file)
{
    return ExcelSheetReader::read(file, int(GoodsImport::columns().size()));
}

} // namespace

TInExcelDataFm::TInExcelDataFm(Session &session, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_excelTitles(new QListWidget(this))
    , m_fieldNames(new QListWidget(this))
    , m_failedRows(new QPlainTextEdit(this))
    , m_rowCount(new QLabel(this))
    , m_columnCount(new QLabel(this))
    , m_time(new QLabel(u"时间:"_s, this))
    , m_autoNumber(new QCheckBox(u"自动增加编号"_s, this))
    , m_progress(new QProgressBar(this))
    , m_choose(new QPushButton(u"选择Excel"_s, this))
    , m_import(new QPushButton(u"开始导入"_s, this))
    , m_clear(new QPushButton(u"清空list"_s, this))
    , m_quit(new QPushButton(u"退出"_s, this))
{
    setWindowTitle(u"Excel导入"_s);
    m_failedRows->setReadOnly(true);
    m_failedRows->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_progress->setValue(0);
    m_import->setEnabled(false);
    // Nothing happens on Enter: each step is a deliberate click.
    for (QPushButton *button : {m_choose, m_import, m_clear, m_quit})
        button->setAutoDefault(false);

    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    grid->addWidget(new QLabel(u"A  导入  B"_s, page), 0, 0, 1, 2, Qt::AlignHCenter);
    grid->addWidget(new QLabel(u"Excel第一行"_s, page), 1, 0);
    grid->addWidget(new QLabel(u"数据库字段名"_s, page), 1, 1);
    grid->addWidget(m_excelTitles, 2, 0);
    grid->addWidget(m_fieldNames, 2, 1);

    // A panel of its own and of fixed width, so the wrapped explanations
    // get the height they need.
    auto *sidePanel = new QWidget(page);
    sidePanel->setFixedWidth(300);
    auto *side = new QVBoxLayout(sidePanel);
    side->setContentsMargins(0, 0, 0, 0);
    side->addWidget(new QLabel(u"导入失败的行号"_s, page));
    side->addWidget(m_failedRows);
    side->addWidget(m_rowCount);
    side->addWidget(m_columnCount);
    side->addWidget(m_time);
    side->addWidget(m_autoNumber);
    side->addWidget(wrapped(u"导入失败的原因有很多,比如Excel中的编号和系统内已存在的编号重复,或者该是数字的项目确出现了字符/文字等原因,还有就是日期的格式(2008-8-8)."_s, page));
    side->addWidget(wrapped(u"如果您的Excel数据中没有编号,那么请选择自动增加编号."_s, page));
    side->addStretch(1);
    grid->addWidget(sidePanel, 0, 2, 3, 1);
    grid->addWidget(m_progress, 3, 0, 1, 3);
    auto *pageButtons = new QHBoxLayout;
    pageButtons->addWidget(m_choose);
    pageButtons->addWidget(m_import);
    pageButtons->addWidget(m_clear);
    pageButtons->addStretch(1);
    grid->addLayout(pageButtons, 4, 0, 1, 3);
    grid->setRowStretch(2, 1);

    auto *pages = new QTabWidget(this);
    pages->addTab(page, u"商品库"_s);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(wrapped(u"A表显示的是要导入的Excel表的第一行标题,B表是系统内数据项目名称."_s, this));
    layout->addWidget(wrapped(u"首先要把Excel的每列的数据按照B表的前后顺序调整好."_s, this));
    layout->addWidget(wrapped(u"请仔细检查确保A表内的项目与B表内的项目对应一致.否则导入的数据可能不正确.没有的项目可以在Excel中加入空白列,有数据的项目一定要保证和要导入的项目名称是同一行.编号和名称是必有项目,编号必须唯一不能重复,如果你的Excel数据中没有编号,可以选择系统自动增加编号."_s, this));
    layout->addWidget(pages, 1);
    layout->addLayout(buttonRow({m_quit}));
    resize(820, 600);

    connect(m_choose, &QPushButton::clicked, this, &TInExcelDataFm::chooseWorkbook);
    connect(m_import, &QPushButton::clicked, this, &TInExcelDataFm::startImport);
    connect(m_clear, &QPushButton::clicked, this, &TInExcelDataFm::clearLists);
    connect(m_quit, &QPushButton::clicked, this, &QDialog::reject);
}

void TInExcelDataFm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    m_failedRows->clear();
    m_rowCount->clear();
    m_columnCount->clear();
    m_fieldNames->clear();
    m_fieldNames->addItems(GoodsImport::columns());
    m_import->setEnabled(false);
}

void TInExcelDataFm::chooseWorkbook()
{
    m_progress->setValue(0);
    m_excelTitles->clear();
    m_failedRows->clear();
    const QString file = m_session.prompt.openFile(u"选择Excel"_s, u"Excel (*.xls *.xlsx)"_s);
    if (file.isEmpty())
        return;
    m_file = file;
    const auto sheet = fetch(m_session.prompt, [&file] { return readSheet(file); });
    if (!sheet) {
        m_rowCount->clear();
        m_columnCount->clear();
        m_import->setEnabled(false);
        return;
    }
    m_rowCount->setText(QString::number(std::max(sheet->rowCount() - 1, 0)) + u"条数据(行数)"_s);
    m_columnCount->setText(QString::number(sheet->columnCount()) + u"个商品(列数)"_s);
    for (int column = 1; column <= sheet->columnCount(); ++column)
        m_excelTitles->addItem(sheet->text(1, column));
    m_import->setEnabled(true);
}

void TInExcelDataFm::startImport()
{
    // A cancelled box leaves the empty default, which is no password.
    const QString typed =
        m_session.prompt.maskedInput(u"请输入正确的密码"_s, u"密码:"_s, {}).value_or(QString());
    if (!attempt(m_session.prompt, [&typed] { GoodsImport::checkPassword(typed); }))
        return;

    QElapsedTimer elapsed;
    elapsed.start();
    GoodsImport::Outcome outcome;
    // Shown at once: it also paints over the place where the password box
    // was, and it is the way to stop a long import.
    QProgressDialog stopping(u"正在导入商品…"_s, u"取消"_s, 0, 0, this);
    stopping.setWindowTitle(windowTitle());
    stopping.setWindowModality(Qt::WindowModal);
    stopping.setMinimumDuration(0);
    stopping.setAutoReset(false);
    stopping.setAutoClose(false);
    const bool imported = attempt(m_session.prompt, [this, &outcome, &stopping] {
        // The file is read again: it may have been changed since.
        const ExcelSheet sheet = readSheet(m_file);
        const int rows = std::max(sheet.rowCount(), 1);
        m_progress->setMaximum(rows);
        stopping.setMaximum(rows);
        outcome = GoodsImport(m_session.db(), m_session.context.signedIn())
                      .run(sheet, m_autoNumber->isChecked(), [this, &stopping](int row) {
                          m_progress->setValue(row);
                          // A window-modal dialog runs the event loop here.
                          stopping.setValue(row);
                          return !stopping.wasCanceled();
                      });
    });
    stopping.reset();
    stopping.hide();
    if (!imported)
        return;
    if (outcome.cancelled) {
        m_progress->setValue(0);
        m_session.prompt.message(u"导入已取消，没有导入任何商品。"_s);
        return;
    }
    QStringList failed;
    for (int row : std::as_const(outcome.failedRows))
        failed.append(u"第 %1 行：%2"_s.arg(row).arg(outcome.reasons.value(row)));
    m_failedRows->setPlainText(failed.join(u'\n'));
    m_time->setText(u"时间:"_s + QTime(0, 0).addMSecs(static_cast<int>(elapsed.elapsed())).toString(u"hh:mm:ss"_s));
    if (!outcome.outOfRangeRows.isEmpty()) {
        QStringList rows;
        for (int row : std::as_const(outcome.outOfRangeRows))
            rows.append(QString::number(row));
        m_session.prompt.message(
            QString::fromUtf16(Money::OutOfRange) + u"：第 "_s + rows.join(u'、') + u" 行的单价、提成金额或库存超出 ±"_s
                + Money::Max.toString() + u"，这些行没有导入，请在 Excel 中改正后再导入。"_s,
            {}, Prompt::Kind::Warning);
    }
    QString report = u"导入 %1 条，失败 %2 条。"_s.arg(outcome.inserted).arg(outcome.failedRows.size());
    if (!outcome.failedRows.isEmpty())
        report += u"失败的行和原因见“导入失败的行号”。"_s;
    m_session.prompt.message(report);
    m_import->setEnabled(false);
}

void TInExcelDataFm::clearLists()
{
    m_excelTitles->clear();
    m_failedRows->clear();
}
