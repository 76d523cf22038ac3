#include "TSpSetFm.h"

#include "TBaoXiangFm.h"
#include "TSpAddFm.h"
#include "TSpEditFm.h"
#include "app/Session.h"
#include "board/PlateSettings.h"
#include "common/Prompt.h"
#include "common/Refusal.h"
#include "db/ResultTableModel.h"
#include "export/ui/ExcelExport.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The plate grid shows four of the plate columns; "EXCEL" exports them all.
const QStringList PlateGridColumns{u"号牌"_s, u"所属包厢"_s, u"号牌状态"_s, u"number"_s};
const QStringList PlateGridCaptions{u"号牌"_s, u"所属包厢"_s, u"号牌状态"_s, u"序号"_s};

class PlateColumns : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsColumn(int column, const QModelIndex &) const override
    {
        const QString name = sourceModel()->headerData(column, Qt::Horizontal).toString();
        return PlateGridColumns.contains(name, Qt::CaseInsensitive);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        const QVariant caption = QSortFilterProxyModel::headerData(section, orientation, role);
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole
            && caption.toString().compare(u"number"_s, Qt::CaseInsensitive) == 0)
            return u"序号"_s;
        return caption;
    }
};

QTableWidget *newRoomGrid(QWidget *parent)
{
    auto *grid = new QTableWidget(0, 3, parent);
    grid->setHorizontalHeaderLabels({u"包厢"_s, u"门票价格"_s, u"最低消费"_s});
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

} // namespace

TSpSetFm::TSpSetFm(Session &session, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_plates(std::make_unique<ResultTableModel>())
    , m_rooms(newRoomGrid(this))
    , m_plateView(new QTableView(this))
    , m_plateColumns(new PlateColumns(this))
{
    setWindowTitle(u"号牌与包厢设置"_s);
    resize(820, 560);
    if (m_session.database)
        m_settings = std::make_unique<PlateSettings>(*m_session.database);

    auto addButtons = [this](const QString &group, QLayout *layout,
                             const QList<std::pair<QString, void (TSpSetFm::*)()>> &buttons) {
        for (const auto &[caption, slot] : buttons) {
            auto *button = new QPushButton(caption, this);
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, slot);
            layout->addWidget(button);
            m_buttons.insert(group + u'/' + caption, button);
        }
    };

    auto *roomGroup = new QGroupBox(u"包厢"_s, this);
    auto *roomLayout = new QVBoxLayout(roomGroup);
    roomLayout->addWidget(m_rooms);
    auto *roomButtons = new QHBoxLayout;
    addButtons(u"包厢"_s, roomButtons,
               {{u"添加"_s, &TSpSetFm::addRoom},
                {u"修改"_s, &TSpSetFm::editRoom},
                {u"删除"_s, &TSpSetFm::deleteRoom}});
    roomLayout->addLayout(roomButtons);
    connect(m_rooms, &QTableWidget::cellClicked, this, [this](int row) { roomClicked(row); });

    m_plateColumns->setSourceModel(m_plates.get());
    m_plateView->setModel(m_plateColumns);
    m_plateView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_plateView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_plateView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_plateView->verticalHeader()->hide();
    m_plateView->horizontalHeader()->setStretchLastSection(true);
    connect(m_plateView, &QTableView::doubleClicked, this, &TSpSetFm::editPlate);

    auto *plateGroup = new QGroupBox(u"号牌"_s, this);
    auto *plateLayout = new QVBoxLayout(plateGroup);
    plateLayout->addWidget(m_plateView);
    auto *plateButtons = new QHBoxLayout;
    addButtons(u"号牌"_s, plateButtons,
               {{u"刷新"_s, &TSpSetFm::refreshPlates},
                {u"添加"_s, &TSpSetFm::addPlates},
                {u"修改"_s, &TSpSetFm::editPlate},
                {u"删除"_s, &TSpSetFm::deletePlate},
                {u"EXCEL"_s, &TSpSetFm::exportPlates}});
    plateLayout->addLayout(plateButtons);

    auto *groups = new QHBoxLayout;
    groups->addWidget(roomGroup, 1);
    groups->addWidget(plateGroup, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    addButtons(QString(), bottom, {{u"关闭"_s, &TSpSetFm::closeSettings}});
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(groups, 1);
    layout->addLayout(bottom);

    loadRooms();
    m_query = PlateQuery::ByRoom;
    runPlateQuery();
}

TSpSetFm::~TSpSetFm() = default;

QPushButton *TSpSetFm::button(const QString &group, const QString &caption) const
{
    return m_buttons.value(group + u'/' + caption);
}

void TSpSetFm::showError(const QString &text)
{
    m_session.prompt.message(text, {}, Prompt::Kind::Error);
}

QString TSpSetFm::currentRoom() const
{
    const QTableWidgetItem *item = m_rooms->item(m_rooms->currentRow(), 0);
    return item ? item->text() : QString();
}

int TSpSetFm::currentPlateRow() const
{
    const QModelIndex index = m_plateView->currentIndex();
    return index.isValid() ? m_plateColumns->mapToSource(index).row() : -1;
}

void TSpSetFm::loadRooms()
{
    const QString keep = currentRoom();
    QList<PlateSettings::Room> rooms;
    try {
        m_session.db();
        rooms = m_settings->rooms();
    } catch (const DbError &error) {
        showError(error.text());
    }
    const QSignalBlocker blocker(m_rooms);
    m_rooms->setRowCount(static_cast<int>(rooms.size()));
    int current = rooms.isEmpty() ? -1 : 0;
    for (int row = 0; row < rooms.size(); ++row) {
        const PlateSettings::Room &room = rooms.at(row);
        m_rooms->setItem(row, 0, new QTableWidgetItem(room.name));
        m_rooms->setItem(row, 1, new QTableWidgetItem(room.ticketPrice.toString()));
        m_rooms->setItem(row, 2, new QTableWidgetItem(room.minimum.toString()));
        if (room.name == keep)
            current = row;
    }
    m_rooms->resizeColumnsToContents();
    if (current >= 0)
        m_rooms->setCurrentCell(current, 0);
}

void TSpSetFm::runPlateQuery()
{
    try {
        m_session.db();
        QSqlQuery query = m_query == PlateQuery::OfRoom ? m_settings->platesOf(m_queryRoom)
                          : m_query == PlateQuery::All  ? m_settings->allPlates()
                                                        : m_settings->platesByRoom();
        m_plates->load(query);
    } catch (const DbError &error) {
        showError(error.text());
        return;
    }
    // The grid reads 号牌, 所属包厢, 号牌状态, 序号 whatever the table's order.
    QHeaderView *header = m_plateView->horizontalHeader();
    for (int place = 0; place < PlateGridCaptions.size(); ++place) {
        for (int column = 0; column < m_plateColumns->columnCount(); ++column) {
            if (m_plateColumns->headerData(column, Qt::Horizontal).toString()
                == PlateGridCaptions.at(place))
                header->moveSection(header->visualIndex(column), place);
        }
    }
    for (int column = 0; column < m_plateColumns->columnCount(); ++column)
        m_plateView->resizeColumnToContents(column);
}

void TSpSetFm::roomClicked(int row)
{
    const QTableWidgetItem *item = m_rooms->item(row, 0);
    if (!item)
        return;
    m_query = PlateQuery::OfRoom;
    m_queryRoom = item->text();
    runPlateQuery();
}

void TSpSetFm::addRoom()
{
    if (!m_settings)
        return showError(m_session.databaseError);
    TBaoXiangFm dialog(m_session, *m_settings, QString(), this);
    if (dialog.exec() == QDialog::Accepted)
        loadRooms();
}

void TSpSetFm::editRoom()
{
    const int row = m_rooms->currentRow();
    if (row < 0 || !m_settings)
        return;
    TBaoXiangFm dialog(m_session, *m_settings, m_rooms->item(row, 0)->text(), this);
    dialog.setValues(m_rooms->item(row, 0)->text(), m_rooms->item(row, 1)->text(),
                     m_rooms->item(row, 2)->text());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString renamed = dialog.nameEdit()->text();
    if (m_query == PlateQuery::OfRoom && m_queryRoom == m_rooms->item(row, 0)->text())
        m_queryRoom = renamed;
    loadRooms();
    runPlateQuery();
}

void TSpSetFm::deleteRoom()
{
    const QString room = currentRoom();
    if (m_rooms->currentRow() < 0 || !m_settings)
        return;
    m_session.prompt.message(u"删除该包厢和包厢内的所有号牌!"_s);
    if (!m_session.prompt.question(u"您是否要删除\" "_s + room + u'"'))
        return;
    try {
        m_settings->deleteRoom(room);
    } catch (const DbError &error) {
        showError(error.text());
        return;
    }
    loadRooms();
    runPlateQuery();
}

void TSpSetFm::refreshPlates()
{
    m_query = PlateQuery::All;
    runPlateQuery();
}

void TSpSetFm::addPlates()
{
    if (!m_settings)
        return showError(m_session.databaseError);
    const QStringList rooms = roomChoices();
    TSpAddFm dialog(m_session, *m_settings, rooms, currentRoom(), this);
    dialog.exec();
    runPlateQuery();
}

QStringList TSpSetFm::roomChoices()
{
    try {
        return m_settings->roomNames();
    } catch (const DbError &error) {
        showError(error.text());
        return {};
    }
}

void TSpSetFm::editPlate()
{
    const int row = currentPlateRow();
    if (row < 0 || !m_settings)
        return;
    const QStringList rooms = roomChoices();
    const PlateSettings::PlateFields fields{m_plates->value(row, u"号牌"_s).toString(),
                                            m_plates->value(row, u"所属包厢"_s).toString(),
                                            m_plates->value(row, u"号牌状态"_s).toString()};
    TSpEditFm dialog(m_session, *m_settings, m_plates->value(row, u"number"_s).toInt(), fields,
                     rooms, this);
    dialog.exec();
    refreshPlates();
}

void TSpSetFm::deletePlate()
{
    const int row = currentPlateRow();
    if (row < 0 || !m_settings)
        return;
    const QString plate = m_plates->value(row, u"号牌"_s).toString();
    if (!m_session.prompt.question(u"您是否要删除\" "_s + plate + u'"'))
        return;
    try {
        m_settings->deletePlate(m_plates->value(row, u"number"_s).toInt());
    } catch (const DbError &error) {
        showError(error.text());
        return;
    }
    runPlateQuery();
}

void TSpSetFm::exportPlates()
{
    ExcelExport::run(this, m_session.prompt, m_session.opener, *m_plates);
}

void TSpSetFm::closeSettings()
{
    m_session.prompt.message(u"重启软件后生效!"_s);
    done(EndProgram);
}
