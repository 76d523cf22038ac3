#pragma once

#include "board/PlateSettings.h"

#include <QDialog>
#include <QHash>
#include <QList>

#include <memory>

class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QTableWidget;
class ResultTableModel;
struct Session;

// Rooms and plates: the rooms with their ticket price and minimum, the
// plates with their room and state, and the dialogs that change them.
// "关闭" tells the user that the board shows the changes after a restart
// and ends the dialog with EndProgram. The room dialog is told by the mode,
// "添加" or "修改", whether it adds a room or changes the current one.
class TSpSetFm : public QDialog
{
    Q_OBJECT

public:
    static constexpr int EndProgram = 2;

    TSpSetFm(Session &session, QWidget *parent = nullptr);
    ~TSpSetFm() override;

    QTableWidget *roomGrid() const { return m_rooms; }
    QTableView *plateGrid() const { return m_plateView; }
    ResultTableModel *plateModel() const { return m_plates; }
    QPushButton *button(const QString &group, const QString &caption) const;
    // "添加" or "修改": what the room dialog last opened did.
    QString mode() const { return m_mode; }

public slots:
    // Keeps the current room current; after a rename, pass its new name.
    void loadRooms(const QString &keep = {});
    void roomClicked(int row);
    void addRoom();
    void editRoom();
    void deleteRoom();
    void refreshPlates();
    void addPlates();
    void editPlate();
    void deletePlate();
    void exportPlates();
    void closeSettings();

private:
    // The rooms a plate can belong to; empty, after saying why, when they cannot be read.
    QStringList roomChoices();
    enum class PlateQuery { ByRoom, OfRoom, All };
    void runPlateQuery();
    QString currentRoom() const;
    int currentPlateRow() const;
    void showError(const QString &text);
    // The plate columns shown: the room widest, the sequence number as
    // narrow as it needs.
    void arrangePlateColumns();

    Session &m_session;
    std::unique_ptr<PlateSettings> m_settings;
    ResultTableModel *m_plates;
    // The rooms as the grid shows them, row by row.
    QList<PlateSettings::Room> m_roomRows;
    QString m_mode;
    QTableWidget *m_rooms;
    QTableView *m_plateView;
    QSortFilterProxyModel *m_plateColumns;
    QHash<QString, QPushButton *> m_buttons;
    PlateQuery m_query = PlateQuery::ByRoom;
    QString m_queryRoom;
};
