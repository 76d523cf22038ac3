#pragma once

#include <QString>

class Database;

// The shop's name, telephone and address as receipts print them: the one
// row of sysinfo. Start-up reads it once, so a change shows after a restart.
namespace ShopInfo {

struct Shop
{
    QString name;
    QString tel;
    QString address;
};

inline constexpr auto Incomplete = u"必须认真填写完整！";

// The first row; empty texts when the table has none.
Shop read(Database &database);
// Refuses Incomplete when a field is blank. Writes the row, or the first
// row when the table has none, in one transaction.
void save(Database &database, const Shop &shop);

} // namespace ShopInfo
