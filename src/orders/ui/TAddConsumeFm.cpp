#include "TAddConsumeFm.h"

#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "common/ui/GridLook.h"
#include "session/Session.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

enum GoodsColumn { GoodsCode, GoodsName, GoodsPrice, GoodsStock, GoodsType };
enum LineColumn { LineName, LinePrice, LineQuantity, LineTotal, LineDiscount,
                  LineEmployee, LineEmployeeName, LineClerk };

QTableWidget *grid(const QStringList &headings, QWidget *parent)
{
    auto *table = new QTableWidget(0, static_cast<int>(headings.size()), parent);
    table->setHorizontalHeaderLabels(headings);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    GridLook::setUp(table);
    return table;
}

QTableWidgetItem *cell(const QString &text, bool number = false)
{
    auto *item = new QTableWidgetItem(text);
    // Amounts line up on the right, as on paper.
    item->setTextAlignment(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    return item;
}

QLabel *valueLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(u"00000000"_s));
    return label;
}

} // namespace

TAddConsumeFm::TAddConsumeFm(Session &session, const QString &plate, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_plate(plate)
    , m_booking(session.db(), session.context.signedIn(), session.clock)
    , m_plateValue(valueLabel(this))
    , m_mainValue(valueLabel(this))
    , m_depositCaption(new QLabel(u"押金:"_s, this))
    , m_depositValue(valueLabel(this))
    , m_name(new QLineEdit(this))
    , m_code(new QLineEdit(this))
    , m_quantity(new QLineEdit(u"1"_s, this))
    , m_negative(new QCheckBox(u"负数"_s, this))
    , m_signed(valueLabel(this))
    , m_add(new QPushButton(u"增加[F5]"_s, this))
    , m_types(new QListWidget(this))
    , m_goods(grid({u"编号"_s, u"商品名"_s, u"单价"_s, u"库存"_s, u"商品类型"_s}, this))
    , m_lines(grid({u"商品名"_s, u"单价"_s, u"数量"_s, u"合计"_s, u"折"_s, u"员工编号"_s,
                    u"员工姓名"_s, u"营业员"_s},
                   this))
    , m_checkout(new QPushButton(u"结帐"_s, this))
    , m_close(new QPushButton(u"关闭"_s, this))
{
    setWindowTitle(u"消费"_s);
    buildLayout();
    connectKeys();

    showHeader();
    if (const auto types = fetch(m_session.prompt, [this] { return m_booking.typeList(); }))
        m_types->addItems(*types);
    reloadAllGoods();
    showLines();
    showSignedQuantity();
}

void TAddConsumeFm::buildLayout()
{
    auto *header = new QHBoxLayout;
    header->addWidget(new QLabel(u"牌号:"_s, this));
    header->addWidget(m_plateValue);
    header->addSpacing(24);
    header->addWidget(new QLabel(u"主牌号:"_s, this));
    header->addWidget(m_mainValue);
    header->addSpacing(24);
    header->addWidget(m_depositCaption);
    header->addWidget(m_depositValue);
    header->addStretch(1);

    // The quantity is short; its box need not take a search box's width.
    m_quantity->setMaximumWidth(m_quantity->fontMetrics().horizontalAdvance(u"000000000000"_s));
    m_quantity->setValidator(
        new QRegularExpressionValidator(QRegularExpression(u"[0-9.]*"_s), m_quantity));
    auto *search = new QGridLayout;
    search->addWidget(new QLabel(u"(回车) 名称/拼音 (F1)"_s, this), 0, 0);
    search->addWidget(m_name, 0, 1);
    search->addWidget(new QLabel(u"编号(回车后自动添加)"_s, this), 0, 2);
    search->addWidget(m_code, 0, 3);
    auto *quantity = new QHBoxLayout;
    quantity->addWidget(m_quantity);
    quantity->addWidget(m_negative);
    quantity->addSpacing(16);
    quantity->addWidget(new QLabel(u"数量:"_s, this));
    quantity->addWidget(m_signed);
    quantity->addStretch(1);
    quantity->addWidget(m_add);
    search->addWidget(new QLabel(u"消费数量[F4]:"_s, this), 1, 0);
    search->addLayout(quantity, 1, 1, 1, 3);
    search->setColumnStretch(1, 1);
    search->setColumnStretch(3, 1);

    auto *goods = new QSplitter(Qt::Horizontal, this);
    goods->addWidget(m_types);
    goods->addWidget(m_goods);
    // The type names are short; the goods take the rest, also when the window grows.
    const int typesWidth = m_types->fontMetrics().horizontalAdvance(u"商品类型名称"_s) + 24;
    goods->setSizes({typesWidth, 4 * typesWidth});
    goods->setStretchFactor(0, 0);
    goods->setStretchFactor(1, 1);
    goods->setChildrenCollapsible(false);
    auto *lists = new QSplitter(Qt::Vertical, this);
    lists->addWidget(goods);
    lists->addWidget(m_lines);
    lists->setChildrenCollapsible(false);

    // Enter belongs to the search boxes; no button takes it.
    for (QPushButton *button : {m_add, m_checkout, m_close})
        button->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addLayout(search);
    layout->addWidget(lists, 1);
    layout->addLayout(buttonRow({m_checkout, m_close}));
    resize(960, 680);
}

void TAddConsumeFm::connectKeys()
{
    const auto key = [this](Qt::Key key, auto slot) {
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, slot);
    };
    key(Qt::Key_F1, [this] {
        m_name->setFocus(Qt::ShortcutFocusReason);
        m_name->selectAll();
    });
    key(Qt::Key_F2, [this] {
        m_code->setFocus(Qt::ShortcutFocusReason);
        m_code->selectAll();
    });
    key(Qt::Key_F4, [this] {
        m_quantity->selectAll();
        m_quantity->setFocus(Qt::ShortcutFocusReason);
    });
    key(Qt::Key_F5, [this] { addLine(); });

    connect(m_add, &QPushButton::clicked, this, &TAddConsumeFm::addLine);
    connect(m_checkout, &QPushButton::clicked, this, &TAddConsumeFm::requestCheckout);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_name, &QLineEdit::returnPressed, this, &TAddConsumeFm::searchByName);
    connect(m_code, &QLineEdit::returnPressed, this, &TAddConsumeFm::searchByCode);
    connect(m_quantity, &QLineEdit::textChanged, this, &TAddConsumeFm::showSignedQuantity);
    connect(m_negative, &QCheckBox::toggled, this, &TAddConsumeFm::showSignedQuantity);
    connect(m_types, &QListWidget::itemClicked, this, &TAddConsumeFm::showType);
    connect(m_goods, &QTableWidget::cellDoubleClicked, this, &TAddConsumeFm::addLine);

    for (QObject *watched : {static_cast<QObject *>(m_name), static_cast<QObject *>(m_code),
                             static_cast<QObject *>(m_quantity),
                             static_cast<QObject *>(m_depositCaption),
                             static_cast<QObject *>(m_depositValue)})
        watched->installEventFilter(this);
}

bool TAddConsumeFm::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        // Whatever is typed into an empty search box starts from all goods
        // again, before the key itself counts.
        if ((watched == m_name || watched == m_code)
            && static_cast<QLineEdit *>(watched)->text().trimmed().isEmpty())
            reloadAllGoods();
        break;
    case QEvent::FocusOut:
        if (watched == m_name)
            m_name->clear();
        break;
    case QEvent::MouseButtonRelease:
        // After the box has placed its cursor, so the selection stays.
        if (watched == m_quantity || watched == m_code)
            QMetaObject::invokeMethod(static_cast<QLineEdit *>(watched), &QLineEdit::selectAll,
                                      Qt::QueuedConnection);
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == m_depositCaption || watched == m_depositValue) {
            editDeposit();
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TAddConsumeFm::showHeader()
{
    ConsumptionBooking::Plate header{m_plate, m_plate, u"0"_s};
    if (const auto read = fetch(m_session.prompt, [this] { return m_booking.plate(m_plate); }))
        header = *read;
    m_plateValue->setText(header.plate);
    m_mainValue->setText(header.mainPlate);
    m_depositValue->setText(header.deposit);
}

void TAddConsumeFm::showGoods(const QList<GoodsCatalogue::Item> &items)
{
    m_items = items;
    m_goods->setRowCount(0);
    m_goods->setRowCount(static_cast<int>(m_items.size()));
    for (int row = 0; row < m_items.size(); ++row)
        showGoodsRow(row);
    if (!m_items.isEmpty())
        m_goods->setCurrentCell(0, GoodsCode);
}

void TAddConsumeFm::showGoodsRow(int row)
{
    const GoodsCatalogue::Item &item = m_items.at(row);
    m_goods->setItem(row, GoodsCode, cell(item.code));
    m_goods->setItem(row, GoodsName, cell(item.name));
    m_goods->setItem(row, GoodsPrice, cell(item.price.toFixed2(), true));
    m_goods->setItem(row, GoodsStock, cell(item.stock.toString(), true));
    m_goods->setItem(row, GoodsType, cell(item.type));
}

void TAddConsumeFm::reloadAllGoods()
{
    if (const auto items = fetch(m_session.prompt, [this] { return m_booking.allGoods(); }))
        showGoods(*items);
}

void TAddConsumeFm::showLines()
{
    const auto lines = fetch(m_session.prompt, [this] { return m_booking.lines(m_plate); });
    if (!lines)
        return;
    m_lines->setRowCount(0);
    m_lines->setRowCount(static_cast<int>(lines->size()));
    for (int row = 0; row < lines->size(); ++row) {
        const ConsumptionBooking::Line &line = lines->at(row);
        m_lines->setItem(row, LineName, cell(line.name));
        m_lines->setItem(row, LinePrice, cell(line.actualPrice.toFixed2(), true));
        m_lines->setItem(row, LineQuantity, cell(line.quantity.toString(), true));
        m_lines->setItem(row, LineTotal, cell(line.total.toFixed2(), true));
        m_lines->setItem(row, LineDiscount, cell(line.discount));
        m_lines->setItem(row, LineEmployee, cell(line.employee.number));
        m_lines->setItem(row, LineEmployeeName, cell(line.employee.name));
        m_lines->setItem(row, LineClerk, cell(line.clerk));
    }
    if (!lines->isEmpty())
        m_lines->scrollToBottom();
}

void TAddConsumeFm::showSignedQuantity()
{
    m_signed->setText(m_negative->isChecked() ? u"-"_s + m_quantity->text() : m_quantity->text());
}
