#pragma once

#include <QFlags>

// What a committed transaction changed, as the windows that show it care:
// the board follows plates and lines, the lists their own tables. Stores
// announce what they wrote; the database hands it on once the transaction
// that wrote it has committed (see Database::announce).
enum class Change : unsigned {
    Plates = 0x01,    // 号牌管理, rooms
    Lines = 0x02,     // xfmx, jzmx
    Bills = 0x04,     // 结帐管理
    Members = 0x08,   // 会员管理 and the cards' records
    Goods = 0x10,     // 商品库, purchases
    Employees = 0x20, // employees and their salaries
    Settings = 0x40,  // shop, types, operators
};
Q_DECLARE_FLAGS(Changes, Change)
Q_DECLARE_OPERATORS_FOR_FLAGS(Changes)

// Every kind at once: what is announced when nobody can tell what changed
// (the embedded file's check, the safety net, an unknown announcement).
inline constexpr Changes EveryChange = Change::Plates | Change::Lines | Change::Bills
    | Change::Members | Change::Goods | Change::Employees | Change::Settings;
