#pragma once

#include <QDialog>

#include <memory>

class PlateSettings;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QTableWidget;
class ResultTableModel;
struct Session;

// Rooms and plates: the rooms with their ticket price and minimum, the
// plates with their room and state, and the dialogs that change them.
// "关闭" tells the user that the board shows the changes after a restart
// and ends the dialog with EndProgram.
class TSpSetFm : public QDialog
{
    Q_OBJECT

public:
    static constexpr int EndProgram = 2;

    TSpSetFm(Session &session, QWidget *parent = nullptr);
    ~TSpSetFm() override;

    QTableWidget *roomGrid() const { return m_rooms; }
    QTableView *plateGrid() const { return m_plateView; }
    ResultTableModel *plateModel() const { return m_plates.get(); }
    QPushButton *button(const QString &group, const QString &caption) const;

public slots:
    void loadRooms();
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

    Session &m_session;
    std::unique_ptr<PlateSettings> m_settings;
    std::unique_ptr<ResultTableModel> m_plates;
    QTableWidget *m_rooms;
    QTableView *m_plateView;
    QSortFilterProxyModel *m_plateColumns;
    QHash<QString, QPushButton *> m_buttons;
    PlateQuery m_query = PlateQuery::ByRoom;
    QString m_queryRoom;
};
