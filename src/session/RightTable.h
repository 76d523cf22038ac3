#pragma once

#include "Rights.h"

#include <QList>
#include <QString>
#include <QStringList>

struct Operator;

// Everything that needs a right. An operation done by a rule class is
// checked there on entry; an entry of the board that only opens a window
// is greyed out or refuses when chosen.
enum class Guarded {
    // Done by rule classes.
    Waive,            // 免单 at checkout
    CancelAtCheckout, // 撤单 at checkout
    CancelOrder,      // the board's 撤单
    EditGoods,
    DeleteGoods,
    PurchaseStock,
    EditMember,
    DeleteMember,
    ResetMemberPassword,
    ClearData,
    Restore,
    PaySalary,
    BackUp,
    EmployeeLevels,
    ImportGoods,
    ReceiptPrinter,
    GoodsTypes,
    // Entries of the board that open a window.
    OpenOrder,
    Consume,
    QueryMenu,
    QueryBills,
    ManageMembers,
    Administer,
    ManageGoods,
    PlateSettings,
    ManageEmployees,
};

// One row of the table: the operation, its right, what an operator without
// it is told, and the board's entries that lead to it.
struct Guard
{
    // How the board's entries meet an operator without the right.
    enum class Board {
        Greyed,  // disabled when the board opens
        Refuses, // enabled; choosing one shows the refusal and opens nothing
    };

    Guarded operation;
    Right right;
    QString refusal;
    // The rule class that checks the right on entry; empty for an entry of
    // the board that only opens a window.
    QString checkedBy = {};
    Board board = Board::Greyed;
    QStringList toolbar = {}; // toolbar buttons, by caption
    QStringList menuEntries = {}; // menu entries, by caption
    QStringList menus = {};  // whole menus, by title
    QStringList popup = {};  // entries of the plate pop-up menu
};

namespace RightTable {

const QList<Guard> &guards();
const Guard &guard(Guarded operation);

bool allows(const Rights &rights, Guarded operation);
// Throws Refusal with the table's text when the rights lack the operation's
// right.
void require(const Rights &rights, Guarded operation);
void require(const Operator &who, Guarded operation);

} // namespace RightTable
