#include "TOpenDanFm.h"

#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "session/Session.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TOpenDanFm::TOpenDanFm(Session &session, const QString &plate, const QString &room,
                       QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_plate(plate)
    , m_room(room)
    , m_opening(session.db(), session.context.signedIn(), session.clock)
    , m_ticket(new QLabel(this))
    , m_roomName(new QLabel(this))
    , m_customer(new QLineEdit(u"散客"_s, this))
    , m_pages(new QTabWidget(this))
    , m_free(new QListWidget(this))
    , m_chosen(new QTreeWidget(this))
    , m_remark(new QPlainTextEdit(u"无"_s, this))
    , m_add(new QPushButton(u"->"_s, this))
    , m_remove(new QPushButton(u"<-"_s, this))
    , m_roomOnly(new QPushButton(u"本厅"_s, this))
    , m_all(new QPushButton(u"全部"_s, this))
    , m_open(new QPushButton(u"开单"_s, this))
    , m_cancel(new QPushButton(u"取消"_s, this))
{
    setWindowTitle(u"开单"_s);
    setWindowFlag(Qt::WindowStaysOnTopHint);

    auto *header = new QFormLayout;
    header->addRow(u"主号牌:"_s, new QLabel(plate, this));
    header->addRow(u"门票价格:"_s, m_ticket);
    header->addRow(u"包厢类型:"_s, m_roomName);
    header->addRow(u"顾客姓名:"_s, m_customer);

    m_chosen->setColumnCount(1);
    m_chosen->setHeaderLabels({u"号牌"_s});
    m_chosen->setRootIsDecorated(false);
    m_chosen->addTopLevelItem(new QTreeWidgetItem(QStringList{plate}));

    auto *groupPage = new QWidget(m_pages);
    auto *moves = new QVBoxLayout;
    moves->addStretch(1);
    moves->addWidget(m_add);
    moves->addWidget(m_remove);
    moves->addSpacing(12);
    moves->addWidget(m_roomOnly);
    moves->addWidget(m_all);
    moves->addStretch(1);
    auto *group = new QHBoxLayout(groupPage);
    group->addWidget(m_free, 1);
    group->addLayout(moves);
    group->addWidget(m_chosen, 1);
    m_pages->addTab(groupPage, u"团体开单"_s);
    m_pages->addTab(m_remark, u"开单备注"_s);

    // Only "开单" answers Enter; the other buttons act on a click.
    for (QPushButton *button : {m_add, m_remove, m_roomOnly, m_all, m_cancel})
        button->setAutoDefault(false);
    m_open->setDefault(true);
    connect(m_add, &QPushButton::clicked, this, &TOpenDanFm::moveToChosen);
    connect(m_remove, &QPushButton::clicked, this, &TOpenDanFm::moveToFree);
    connect(m_free, &QListWidget::itemDoubleClicked, this, &TOpenDanFm::moveToChosen);
    connect(m_chosen, &QTreeWidget::itemDoubleClicked, this, &TOpenDanFm::moveToFree);
    connect(m_roomOnly, &QPushButton::clicked, this, &TOpenDanFm::showRoomPlates);
    connect(m_all, &QPushButton::clicked, this, &TOpenDanFm::showAllPlates);
    connect(m_open, &QPushButton::clicked, this, &TOpenDanFm::openOrder);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addWidget(m_pages, 1);
    layout->addLayout(buttonRow({m_open, m_cancel}));

    if (const auto shown = fetch(session.prompt, [this] { return m_opening.room(m_room); })) {
        m_ticket->setText(shown->ticketText());
        m_roomName->setText(shown->name);
    }
    showAllPlates();
}

QStringList TOpenDanFm::chosenPlates() const
{
    QStringList plates;
    for (int i = 0; i < m_chosen->topLevelItemCount(); ++i)
        plates.append(m_chosen->topLevelItem(i)->text(0));
    return plates;
}

void TOpenDanFm::fillFree(const QStringList &plates)
{
    const QStringList chosen = chosenPlates();
    m_free->clear();
    for (const QString &plate : plates) {
        if (!chosen.contains(plate))
            m_free->addItem(plate);
    }
}

void TOpenDanFm::showAllPlates()
{
    if (const auto plates = fetch(m_session.prompt, [this] { return m_opening.freePlates(m_plate); }))
        fillFree(*plates);
}

void TOpenDanFm::showRoomPlates()
{
    if (const auto plates = fetch(m_session.prompt,
                                  [this] { return m_opening.freePlatesOfRoom(m_plate, m_room); }))
        fillFree(*plates);
}

void TOpenDanFm::moveToChosen()
{
    QListWidgetItem *item = m_free->currentItem();
    if (!item)
        return;
    m_chosen->addTopLevelItem(new QTreeWidgetItem(QStringList{item->text()}));
    delete m_free->takeItem(m_free->row(item));
}

void TOpenDanFm::moveToFree()
{
    QTreeWidgetItem *item = m_chosen->currentItem();
    // The main plate is the order itself: it never leaves the group.
    if (!item || m_chosen->indexOfTopLevelItem(item) == 0)
        return;
    m_free->addItem(item->text(0));
    delete m_chosen->takeTopLevelItem(m_chosen->indexOfTopLevelItem(item));
}

void TOpenDanFm::openOrder()
{
    OrderOpening::Order order;
    order.mainPlate = m_plate;
    order.joined = chosenPlates().mid(1);
    order.room = m_room;
    order.customer = m_customer->text();
    order.remark = m_remark->toPlainText();
    if (attempt(m_session.prompt, [this, &order] { m_opening.open(order); }))
        accept();
}
