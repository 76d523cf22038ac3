#include "TCheckOutFm.h"

#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "common/ui/GridLook.h"
#include "common/ui/MaskedInput.h"
#include "session/Session.h"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QStringList LineHeaders = {u"名称"_s,   u"实际单价"_s, u"数量"_s,     u"折"_s,
                                 u"折扣"_s,   u"合计"_s,     u"号牌"_s,     u"员工编号"_s,
                                 u"营业员"_s, u"主号牌"_s,   u"单价"_s};

// Digits and one kind of separator: what a rate or an amount is typed with.
QValidator *amountValidator(QObject *parent)
{
    return new QRegularExpressionValidator(QRegularExpression(u"[0-9.]*"_s), parent);
}

QPushButton *button(const QString &text, QWidget *parent)
{
    auto *pushButton = new QPushButton(text, parent);
    // Enter belongs to the fields: card, password and rate each act on it.
    pushButton->setAutoDefault(false);
    return pushButton;
}

} // namespace

TCheckOutFm::TCheckOutFm(Session &session, const QString &plate, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_checkout(session.db(), session.clock, plate)
    , m_settlement(session.db(), session.context.signedIn(), session.clock)
    , m_cardEntry(new QLineEdit(this))
    , m_password(new QLineEdit(this))
    , m_rate(new QLineEdit(this))
    , m_received(new QLineEdit(this))
    , m_remark(new QLineEdit(this))
    , m_payment(new QComboBox(this))
    , m_cardDeduction(new QLabel(this))
    , m_lines(new QTableWidget(this))
    , m_others(new QListWidget(this))
    , m_group(new QListWidget(this))
    , m_preview(new QRadioButton(u"预览打印"_s, this))
    , m_direct(new QRadioButton(u"直接打印"_s, this))
{
    setWindowTitle(u"顾客结帐"_s);
    setModal(true);

    m_lines->setColumnCount(LineHeaders.size());
    m_lines->setHorizontalHeaderLabels(LineHeaders);
    m_lines->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lines->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lines->verticalHeader()->hide();
    GridLook::setUp(m_lines);

    auto *center = new QHBoxLayout;
    center->addWidget(memberPanel());
    center->addWidget(m_lines, 1);
    center->addWidget(platePanel());

    auto *print = button(u"打印[F1]"_s, this);
    auto *paid = button(u"结帐[F2]"_s, this);
    auto *waived = button(u"免单[F3]"_s, this);
    auto *cancelled = button(u"撤单"_s, this);
    auto *leave = button(u"退出[F5]"_s, this);
    connect(print, &QPushButton::clicked, this, &TCheckOutFm::printReceipt);
    connect(paid, &QPushButton::clicked, this, &TCheckOutFm::settlePaid);
    connect(waived, &QPushButton::clicked, this, &TCheckOutFm::settleWaived);
    connect(cancelled, &QPushButton::clicked, this, &TCheckOutFm::settleCancelled);
    connect(leave, &QPushButton::clicked, this, &QDialog::reject);
    const std::pair<Qt::Key, QPushButton *> keys[] = {
        {Qt::Key_F1, print}, {Qt::Key_F2, paid}, {Qt::Key_F3, waived}, {Qt::Key_F5, leave}};
    for (const auto &[key, target] : keys) {
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, target,
                &QPushButton::click);
    }

    auto *printMode = new QHBoxLayout;
    printMode->addWidget(m_preview);
    printMode->addWidget(m_direct);
    auto *buttons = buttonRow({print, paid, waived, cancelled, leave});
    buttons->insertLayout(0, printMode);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(center, 1);
    layout->addWidget(amountPanel());
    layout->addLayout(buttons);
    resize(1150, 640);

    connect(m_cardEntry, &QLineEdit::returnPressed, this, &TCheckOutFm::lookUpCard);
    connect(m_password, &QLineEdit::returnPressed, this, &TCheckOutFm::identifyMember);
    connect(m_rate, &QLineEdit::returnPressed, this, &TCheckOutFm::applyRate);
    connect(m_payment, &QComboBox::activated, this, &TCheckOutFm::choosePayment);
    connect(m_others, &QListWidget::itemDoubleClicked, this, &TCheckOutFm::moveIn);
    connect(m_group, &QListWidget::itemDoubleClicked, this, &TCheckOutFm::moveOut);
    connect(m_remark, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_checkout.setRemark(text); });
    m_payment->installEventFilter(this);
    m_rate->installEventFilter(this);

    // The print mode the shop chose in its settings: "1" previews.
    (session.context.ReceiptPreview == u"1" ? m_preview : m_direct)->setChecked(true);
    showCheckout();
}

QLabel *TCheckOutFm::addValue(const QString &caption)
{
    auto *label = new QLabel(this);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_values.insert(caption, label);
    return label;
}

QLabel *TCheckOutFm::valueLabel(const QString &caption) const
{
    return m_values.value(caption);
}

QWidget *TCheckOutFm::memberPanel()
{
    auto *readCard = button(u"读卡"_s, this);
    readCard->setEnabled(false);
    readCard->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto *card = new QHBoxLayout;
    card->addWidget(m_cardEntry, 1);
    card->addWidget(readCard);
    MaskedInput::setUp(m_password);

    auto *panel = new QGroupBox(u"会员与顾客"_s, this);
    auto *form = new QFormLayout(panel);
    form->addRow(u"结帐号牌:"_s, addValue(u"结帐号牌:"_s));
    form->addRow(u"单据号:"_s, addValue(u"单据号:"_s));
    form->addRow(u"会员卡号:"_s, card);
    form->addRow(u"密码:"_s, m_password);
    for (const QString &caption : {u"会员卡号:"_s, u"会员姓名:"_s, u"会员类型:"_s,
                                   u"卡内金额:"_s, u"当前积分:"_s, u"顾客姓名:"_s,
                                   u"押金金额:"_s, u"进店时间:"_s})
        form->addRow(caption, addValue(caption));
    panel->setFixedWidth(250);
    return panel;
}

QWidget *TCheckOutFm::platePanel()
{
    auto *panel = new QWidget(this);
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(new QLabel(u"其他号牌"_s, panel));
    column->addWidget(m_others, 1);
    column->addWidget(new QLabel(u"结帐号牌"_s, panel));
    column->addWidget(m_group, 1);
    panel->setFixedWidth(110);
    return panel;
}

QWidget *TCheckOutFm::amountPanel()
{
    m_rate->setValidator(amountValidator(m_rate));
    m_received->setValidator(amountValidator(m_received));
    m_payment->addItems(Checkout::paymentMethods());

    QFont large = font();
    large.setPointSizeF(large.pointSizeF() * 1.5);
    large.setBold(true);

    auto *panel = new QGroupBox(u"结帐金额"_s, this);
    auto *grid = new QGridLayout(panel);
    grid->addWidget(new QLabel(u"打折率(回车):"_s, panel), 0, 0);
    grid->addWidget(m_rate, 0, 1);
    grid->addWidget(new QLabel(u"消费金额:"_s, panel), 0, 2);
    grid->addWidget(addValue(u"消费金额:"_s), 0, 3);
    grid->addWidget(new QLabel(u"应收金额:"_s, panel), 0, 4);
    grid->addWidget(addValue(u"应收金额:"_s), 0, 5);
    grid->addWidget(m_payment, 1, 0);
    grid->addWidget(m_cardDeduction, 1, 1);
    grid->addWidget(new QLabel(u"实收金额:"_s, panel), 1, 2);
    grid->addWidget(m_received, 1, 3);
    grid->addWidget(new QLabel(u"备注:"_s, panel), 1, 4);
    grid->addWidget(m_remark, 1, 5);
    for (QWidget *amount : {static_cast<QWidget *>(valueLabel(u"应收金额:"_s)),
                            static_cast<QWidget *>(m_received)})
        amount->setFont(large);
    grid->setColumnStretch(5, 1);
    return panel;
}

void TCheckOutFm::showCheckout()
{
    attempt(m_session.prompt, [this] { m_checkout.open(); });
    setWindowTitle(u"顾客结帐 ZhuHp:"_s + m_checkout.mainPlate() + u" XzHp: "_s
                   + m_checkout.plate());
    m_values[u"结帐号牌:"_s]->setText(m_checkout.plate());
    m_values[u"顾客姓名:"_s]->setText(m_checkout.customerName());
    m_values[u"押金金额:"_s]->setText(m_checkout.deposit());
    m_values[u"进店时间:"_s]->setText(m_checkout.entryTime());
    m_cardEntry->setText(QString::fromUtf16(Checkout::Walkin));
    m_rate->setText(m_checkout.rateText());
    m_remark->setText(m_checkout.remark());
    m_payment->setCurrentIndex(0);
    showPlates();
    showLines();
    showAmounts();
    m_cardEntry->setFocus();
    m_cardEntry->selectAll();
}

void TCheckOutFm::showPlates()
{
    m_others->clear();
    m_others->addItems(m_checkout.others());
    m_group->clear();
    m_group->addItems(m_checkout.group());
}

void TCheckOutFm::showLines()
{
    const QList<Checkout::Line> &lines = m_checkout.lines();
    m_lines->setRowCount(int(lines.size()));
    for (int row = 0; row < lines.size(); ++row) {
        const Checkout::Line &line = lines.at(row);
        const QStringList cells = {line.goods,          line.actualPrice.toString(),
                                   line.quantity.toString(), line.discounts,
                                   line.rateText,       line.total.toString(),
                                   line.plate,          line.employee,
                                   line.operatorName,   line.mainPlate,
                                   line.price.toString()};
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells.at(column));
            if (column == 1 || column == 2 || column == 4 || column == 5 || column == 10)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_lines->setItem(row, column, item);
        }
    }
}

void TCheckOutFm::showAmounts()
{
    // Moving a plate in may move the number on, when another checkout
    // took it meanwhile.
    m_values[u"单据号:"_s]->setText(m_checkout.billNumber());
    const Checkout::Member &member = m_checkout.member();
    m_values[u"会员卡号:"_s]->setText(member.card);
    m_values[u"会员姓名:"_s]->setText(member.name);
    m_values[u"会员类型:"_s]->setText(member.type);
    m_values[u"卡内金额:"_s]->setText(member.balance.toString());
    m_values[u"当前积分:"_s]->setText(member.points.toString());
    m_values[u"顾客姓名:"_s]->setText(m_checkout.customerName());
    m_values[u"消费金额:"_s]->setText(m_checkout.consumption().toString());
    m_values[u"应收金额:"_s]->setText(m_checkout.due().toString());
    m_received->setText(m_checkout.received().toString());
    m_cardDeduction->setText(m_checkout.cardDeduction().toString());
    m_rate->setText(m_checkout.rateText());
    m_payment->setCurrentText(m_checkout.paymentMethod());
}

bool TCheckOutFm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_payment && event->type() == QEvent::KeyPress) {
        // Typing into the method list would pick a method by its first
        // letter behind the operator's back; it falls back to cash instead.
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!key->text().isEmpty() && key->text().at(0).isPrint()) {
            m_payment->setCurrentIndex(0);
            choosePayment(0);
            return true;
        }
    }
    if (watched == m_rate && event->type() == QEvent::FocusIn
        && static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason) {
        QTimer::singleShot(0, m_rate, &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}
