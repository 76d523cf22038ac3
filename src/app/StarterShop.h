#pragma once

#include <QString>

class Database;
class IniFile;

// What the installer puts in place for a new shop.
namespace StarterShop {

// The password the first operator starts with; the sign-in window fills it
// in for as long as the first operator keeps it.
inline constexpr auto FactoryPassword = u"1";
inline constexpr auto SuperOperator = u"超级管理员";

// Writes the settings a new installation starts from. Returns false and
// leaves the file alone when it already exists.
bool writeDefaultIni(const QString &path);

// Seeds a starter shop when the database holds no operator, room or plate.
// Returns false when there was something already; changes nothing then.
bool seed(Database &database);

} // namespace StarterShop
