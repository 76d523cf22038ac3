#pragma once

#include "board/BoardWindow.h"

#include <QObject>
#include <QString>

class QWidget;
class TMainFm;
struct Session;

// Opens the window behind every request of the plate board: a double click
// or "开单" on a free plate, "消费与结帐" on an occupied one, and each menu
// entry and toolbar button whose window another part of the program
// provides. Each window is named here once; the board knows none of them.
class Navigator : public QObject
{
    Q_OBJECT

public:
    Navigator(Session &session, TMainFm &board);

    void open(BoardWindow window);
    void openOrder(const QString &plate);
    void openConsumption(const QString &plate);
    // "充值" of the member list on the member with this card number (empty
    // when the list has no current member).
    void openRecharge(const QString &card, QWidget &memberList);
    // "发工资" of the employee list on the employee with this code.
    void openSalary(const QString &employeeCode, QWidget &employeeList);

private:
    // A dialog of the given class, modal over the board.
    template <typename Window>
    void showModal();
    void openMembers();
    void openEmployees();
    void openCheckout(const QString &plate);

    Session &m_session;
    TMainFm &m_board;
    // The last backup's name; the next backup's proposal starts from it.
    QString m_lastBackup;
};
