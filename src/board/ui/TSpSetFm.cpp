#include "TSpSetFm.h"

#include "TBaoXiangFm.h"
#include "TSpAddFm.h"
#include "TSpEditFm.h"
#include "board/PlateSettings.h"
#include "common/Prompt.h"
#include "common/ui/Attempt.h"
#include "common/ui/ButtonRow.h"
#include "common/ui/GridLook.h"
#include "db/ResultTableModel.h"
#include "export/ui/ExcelExport.h"
#include "session/Session.h"

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
    GridLook::setUp(grid);
    return grid;
}

} // namespace

TSpSetFm::TSpSetFm(Session &session, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_plates(new ResultTableModel(this))
    , m_rooms(newRoomGrid(this))
    , m_plateView(new QTableView(this))
    , m_plateColumns(new PlateColumns(this))
{
    setWindowTitle(u"号牌与包厢设置"_s);
    resize(820, 560);
    if (m_session.database)
        m_settings = std::make_unique<PlateSettings>(*m_session.database);

    auto addButtons = [this](const QString &group, QBoxLayout *layout,
                             std::initializer_list<std::pair<QString, void (TSpSetFm::*)()>> buttons) {
        for (QPushButton *button : addBarButtons<TSpSetFm>(layout, this, buttons))
            m_buttons.insert(group + u'/' + button->text(), button);
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

    m_plateColumns->setSourceModel(m_plates);
    m_plateView->setModel(m_plateColumns);
    m_plateView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_plateView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_plateView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_plateView->verticalHeader()->hide();
    GridLook::setUp(m_plateView);
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

void TSpSetFm::loadRooms(const QString &keep)
{
    const QString current = keep.isEmpty() ? currentRoom() : keep;
    m_roomRows = fetch(m_session.prompt, [this] {
                     m_session.db();
                     return m_settings->rooms();
                 }).value_or(QList<PlateSettings::Room>());
    const QSignalBlocker blocker(m_rooms);
    m_rooms->setRowCount(static_cast<int>(m_roomRows.size()));
    int currentRow = m_roomRows.isEmpty() ? -1 : 0;
    for (int row = 0; row < m_roomRows.size(); ++row) {
        const PlateSettings::Room &room = m_roomRows.at(row);
        m_rooms->setItem(row, 0, new QTableWidgetItem(room.name));
        m_rooms->setItem(row, 1, new QTableWidgetItem(room.ticketText()));
        m_rooms->setItem(row, 2, new QTableWidgetItem(room.minimumText()));
        if (room.name == current)
            currentRow = row;
    }
    if (currentRow >= 0)
        m_rooms->setCurrentCell(currentRow, 0);
}

void TSpSetFm::runPlateQuery()
{
    const bool read = attempt(m_session.prompt, [this] {
        m_session.db();
        if (m_query == PlateQuery::OfRoom)
            m_settings->platesOf(*m_plates, m_queryRoom);
        else if (m_query == PlateQuery::All)
            m_settings->allPlates(*m_plates);
        else
            m_settings->platesByRoom(*m_plates);
    });
    if (read)
        arrangePlateColumns();
}

void TSpSetFm::arrangePlateColumns()
{
    // The grid reads 号牌, 所属包厢, 号牌状态, 序号 whatever the table's order.
    QHeaderView *header = m_plateView->horizontalHeader();
    header->setStretchLastSection(false);
    // Twenty plates in view without scrolling (the header has its height
    // once it has columns), with half a row to spare for the style.
    const int row = m_plateView->verticalHeader()->defaultSectionSize();
    m_plateView->setMinimumHeight(header->sizeHint().height() + 20 * row
                                  + 2 * m_plateView->frameWidth() + row / 2);
    for (int place = 0; place < PlateGridCaptions.size(); ++place) {
        for (int column = 0; column < m_plateColumns->columnCount(); ++column) {
            if (m_plateColumns->headerData(column, Qt::Horizontal).toString()
                == PlateGridCaptions.at(place)) {
                header->moveSection(header->visualIndex(column), place);
                // The room takes the room to spare; the others fit their contents.
                header->setSectionResizeMode(column, place == 1 ? QHeaderView::Stretch
                                                                : QHeaderView::ResizeToContents);
            }
        }
    }
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
    m_mode = u"添加"_s;
    TBaoXiangFm dialog(m_session, *m_settings, m_mode, {}, this);
    if (dialog.exec() == QDialog::Accepted)
        loadRooms(dialog.nameEdit()->text());
}

void TSpSetFm::editRoom()
{
    const int row = m_rooms->currentRow();
    if (row < 0 || row >= m_roomRows.size() || !m_settings)
        return;
    m_mode = u"修改"_s;
    const PlateSettings::Room shown = m_roomRows.at(row);
    TBaoXiangFm dialog(m_session, *m_settings, m_mode, shown, this);
    const bool saved = dialog.exec() == QDialog::Accepted;
    // Also after a refusal: the room may have changed elsewhere.
    const QString renamed = saved ? dialog.nameEdit()->text() : shown.name;
    if (m_query == PlateQuery::OfRoom && m_queryRoom == shown.name)
        m_queryRoom = renamed;
    loadRooms(renamed);
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
    if (!attempt(m_session.prompt, [&] { m_settings->deleteRoom(room); }))
        return;
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
    return fetch(m_session.prompt, [this] { return m_settings->roomNames(); })
        .value_or(QStringList());
}

void TSpSetFm::editPlate()
{
    const int row = currentPlateRow();
    if (row < 0 || !m_settings)
        return;
    const QStringList rooms = roomChoices();
    const PlateSettings::PlateFields shown{m_plates->value(row, u"号牌"_s).toString(),
                                           m_plates->value(row, u"所属包厢"_s).toString(),
                                           m_plates->value(row, u"号牌状态"_s).toString()};
    TSpEditFm dialog(m_session, *m_settings, m_plates->value(row, u"number"_s).toInt(), shown,
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
    const int number = m_plates->value(row, u"number"_s).toInt();
    attempt(m_session.prompt, [&] { m_settings->deletePlate(number, plate); });
    // Also after a refusal: the list shows what is there now.
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
